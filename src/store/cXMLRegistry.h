#pragma once

#include "store/XMLRegistryError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <utility>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

// Named settings in an XML file laid out like a registry: root / application / section / key,
// each key holding a text or a typed value. Element names are the lower-case form of the names
// with spaces turned into "_", and a key is found with the XPath "/*/app/section/key".
//
// The parser never reads a DTD or an external entity: a file with a document type declaration
// is refused, as are files over 10 MB, nesting deeper than 256 levels, elements with more than
// 1024 children or 64 attributes (a brand file has about 40 keys and two attributes on a key) and
// text that is not valid in its encoding. Reads and writes raise XMLRegistryError; opening
// reports through its result.
class cXMLRegistry {
public:
    static constexpr qint64 MaxFileSize = 10 * 1024 * 1024;
    static constexpr int MaxDepth = 256;
    static constexpr int MaxChildren = 1024;
    static constexpr int MaxAttributes = 64;
    // The data-type attribute "dt:dt" lives in this namespace, as brand files carry it.
    static constexpr char DataTypeNamespace[] = "urn:schemas-microsoft-com:datatypes";
    static constexpr char Base64Type[] = "bin.base64";
    static constexpr char HexType[] = "bin.hex";
    static constexpr char CreatedRootName[] = "xmlregistry";

    cXMLRegistry();
    ~cXMLRegistry();
    cXMLRegistry(const cXMLRegistry&) = delete;
    cXMLRegistry& operator=(const cXMLRegistry&) = delete;

    // Opens the file, or with create replaces it by an empty registry. appName receives its form
    // with spaces turned into "_". On failure the previous document is gone (reads then raise
    // "Node is nothing", never answer from the old file) and lastOpenError() says why.
    bool OpenXMLFile(const QString& fileName, QString& appName, bool create = false);
    const std::optional<XMLRegistryError>& lastOpenError() const { return m_lastOpenError; }

    QString CurrentAppName() const { return m_appName; }
    QString fileName() const { return m_fileName; }
    bool isOpened() const { return m_opened; }

    QString GetSetting(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    // A QByteArray for a "bin.base64" or "bin.hex" key, otherwise the key's text.
    QVariant GetSettingEx(const QString& section, const QString& key,
                          const QVariant& defaultValue = QVariant()) const;
    QVariant GetSettingExText(const QString& section, const QString& key,
                              const QVariant& defaultValue = QVariant()) const;
    // The key's data type ("" when it has none or does not exist).
    QString GetDataType(const QString& section, const QString& key) const;
    // Element names of the section's children in document order; empty when the section or the
    // file is missing.
    QStringList NodeList(const QString& appName, const QString& section) const;
    // For each name NodeList gives for the section of the current application, in its order: the
    // name and the text GetSettingExText reads for it (that of the first element of the name's
    // lower-case form under any copy of the section, or defaultText when there is none). One pass
    // over the file, not a lookup per key.
    QList<std::pair<QString, QString>> SectionTexts(const QString& section,
                                                    const QString& defaultText) const;

    void SaveSetting(const QString& section, const QString& key, const QString& value,
                     bool saveNow = false);
    // With a data type, a QByteArray value is stored as base64 (or hex) under that type.
    void SaveSettingEx(const QString& section, const QString& key, const QVariant& value,
                       const QString& dataType, bool saveNow = false);
    // Writes the document atomically to the file it was opened with.
    void SaveXMLFile();

    // Whole files as bytes. WriteBinData replaces the file atomically.
    static bool WriteBinData(const QString& fileName, const QByteArray& bytes,
                             QString* errorText = nullptr);
    static std::optional<QByteArray> ReadBinData(const QString& fileName, qint64 maxSize,
                                                 QString* errorText = nullptr);

    // The lower-case, underscore form that names an element.
    static QString ElementName(const QString& name);

private:
    std::optional<pugi::xml_node> locate(const QString& path, const char* source) const;
    QString keyPath(const QString& section, const QString& key) const;
    pugi::xml_node buildNodePath(const QString& path);
    pugi::xml_node writableKey(const QString& section, const QString& key, const char* source);
    void requireOpened(const char* source) const;
    void loadDocument(const QString& fileName);

    std::unique_ptr<pugi::xml_document> m_document;
    QString m_fileName;
    QString m_appName;
    bool m_opened = false;
    std::optional<XMLRegistryError> m_lastOpenError;
};
