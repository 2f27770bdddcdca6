#include "store/cXMLRegistry.h"

#include "store/CodePage1252.h"
#include "store/SafeFileModule.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <pugixml.hpp>
#include <string_view>

namespace {

constexpr unsigned ParseOptions =
    pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single;

QString FromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

// An XML element name without a namespace prefix.
bool IsElementName(const QString& name) {
    if (name.isEmpty()) {
        return false;
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool start = c.isLetter() || c == u'_' || (c.unicode() >= 0x80 && !c.isSpace());
        const bool inner = start || c.isDigit() || c == u'.' || c == u'-';
        if (!(i == 0 ? start : inner)) {
            return false;
        }
    }
    return true;
}

// The text of a key: all descendant text in document order.
QString NodeText(const pugi::xml_node& node) {
    QByteArray text;
    pugi::xml_node current = node.first_child();
    while (current && current != node) {
        if (current.type() == pugi::node_pcdata || current.type() == pugi::node_cdata) {
            text += current.value();
        }
        if (current.first_child()) {
            current = current.first_child();
            continue;
        }
        while (current != node && !current.next_sibling()) {
            current = current.parent();
        }
        if (current != node) {
            current = current.next_sibling();
        }
    }
    return QString::fromUtf8(text);
}

void SetNodeText(pugi::xml_node node, const QString& text) {
    while (node.first_child()) {
        node.remove_child(node.first_child());
    }
    if (!text.isEmpty()) {
        node.append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
    }
}

// The prefix of a "prefix:dt" attribute name, or nothing for any other attribute.
std::optional<std::string_view> DataTypePrefix(const pugi::xml_attribute& attribute) {
    const std::string_view name = attribute.name();
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos || name.substr(colon + 1) != "dt") {
        return std::nullopt;
    }
    return name.substr(0, colon);
}

// Whether the prefix is bound to the data-type namespace where the node stands: by the nearest
// declaration of the prefix, on the node or above it.
bool BindsToDataTypes(const pugi::xml_node& node, std::string_view prefix) {
    for (pugi::xml_node scope = node; scope; scope = scope.parent()) {
        for (const pugi::xml_attribute& attribute : scope.attributes()) {
            const std::string_view name = attribute.name();
            if (name.size() == prefix.size() + 6 && name.starts_with("xmlns:") &&
                name.substr(6) == prefix) {
                return std::strcmp(attribute.value(), cXMLRegistry::DataTypeNamespace) == 0;
            }
        }
    }
    return false;
}

// The value of the node's first "dt" attribute whose prefix is bound to the data-type namespace.
QString DataTypeOf(const pugi::xml_node& node) {
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        const auto prefix = DataTypePrefix(attribute);
        if (prefix && BindsToDataTypes(node, *prefix)) {
            return FromUtf8(attribute.value());
        }
    }
    return QString();
}

// The type is written as "dt:dt" with "dt" bound to the data-type namespace on the node itself,
// whatever the prefix was bound to before: bound elsewhere, the value would read back as text.
// Other data-type attributes go, so the one written is the one read.
void SetDataType(pugi::xml_node node, const QString& dataType) {
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute;) {
        const pugi::xml_attribute next = attribute.next_attribute();
        const auto prefix = DataTypePrefix(attribute);
        if (prefix && *prefix != "dt" && BindsToDataTypes(node, *prefix)) {
            node.remove_attribute(attribute);
        }
        attribute = next;
    }
    pugi::xml_attribute binding = node.attribute("xmlns:dt");
    if (!binding) {
        binding = node.append_attribute("xmlns:dt");
    }
    binding = cXMLRegistry::DataTypeNamespace;
    pugi::xml_attribute type = node.attribute("dt:dt");
    if (!type) {
        type = node.append_attribute("dt:dt");
    }
    type = dataType.toUtf8().constData();
}

QString WrapLines(const QByteArray& text, int width) {
    QString wrapped;
    for (qsizetype i = 0; i < text.size(); i += width) {
        if (i > 0) {
            wrapped += u'\n';
        }
        wrapped += QLatin1String(text.mid(i, width));
    }
    return wrapped;
}

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
    }
};

// The line and column (from 1) of a byte offset, for parser messages.
QString Position(const QByteArray& text, qsizetype offset) {
    offset = qBound<qsizetype>(0, offset, text.size());
    const qsizetype line = text.left(offset).count('\n') + 1;
    const qsizetype lineStart = text.lastIndexOf('\n', offset - 1) + 1;
    return QStringLiteral("line %1, column %2").arg(line).arg(offset - lineStart + 1);
}

// Counts up to limit + 1, so an element with a million children costs no more than one over the
// limit.
template <typename Range>
int CountUpTo(const Range& range, int limit) {
    int count = 0;
    for (auto it = range.begin(); it != range.end() && count <= limit; ++it) {
        ++count;
    }
    return count;
}

// The shape a settings file may have: not too deep, no element with absurdly many children or
// attributes. What is read from such a file then takes time in proportion to its size.
struct ShapeCheck : pugi::xml_tree_walker {
    int failure = 0; // an XMLRegistryError code
    pugi::xml_node where;
    bool for_each(pugi::xml_node& node) override {
        if (depth() >= cXMLRegistry::MaxDepth) {
            failure = XMLRegistryError::NestingTooDeep;
        } else if (CountUpTo(node.children(), cXMLRegistry::MaxChildren) >
                   cXMLRegistry::MaxChildren) {
            failure = XMLRegistryError::TooManyChildren;
        } else if (CountUpTo(node.attributes(), cXMLRegistry::MaxAttributes) >
                   cXMLRegistry::MaxAttributes) {
            failure = XMLRegistryError::TooManyAttributes;
        }
        where = node;
        return failure == 0;
    }
};

[[noreturn]] void Raise(int code, const char* source, const QString& description) {
    throw XMLRegistryError(code, QLatin1String(source), description);
}

// Whether the bytes are valid UTF-8. Decoded a piece at a time into one small buffer: decoding a
// file of megabytes whole only to check it would cost twice its size in memory.
bool IsValidUtf8(const QByteArray& bytes) {
    constexpr qsizetype Piece = 64 * 1024;
    QString buffer(Piece, Qt::Uninitialized); // a byte never decodes to more than one unit
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = std::min(bytes.size(), start + Piece);
        // A piece ends before a continuation byte (of which a character has at most three), so
        // no character is split between two pieces.
        for (int back = 0; back < 3 && end < bytes.size() && (uchar(bytes.at(end)) & 0xC0) == 0x80;
             ++back) {
            --end;
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        utf8.appendToBuffer(buffer.data(), QByteArrayView(bytes).sliced(start, end - start));
        if (utf8.hasError()) {
            return false;
        }
        start = end;
    }
    return true;
}

// The declared encoding of an 8-bit document as written, or "" when it declares none.
QString DeclaredEncoding(const QByteArray& bytes) {
    if (!bytes.startsWith("<?xml")) {
        return QString();
    }
    const qsizetype end = bytes.indexOf("?>");
    const QString declaration = QString::fromLatin1(bytes.left(end < 0 ? 200 : end));
    static const QRegularExpression encoding(
        QStringLiteral("encoding\\s*=\\s*[\"']([^\"']*)[\"']"));
    const QRegularExpressionMatch match = encoding.match(declaration);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

} // namespace

cXMLRegistry::cXMLRegistry()
    : m_document(std::make_unique<pugi::xml_document>()) {}

cXMLRegistry::~cXMLRegistry() = default;

QString cXMLRegistry::ElementName(const QString& name) {
    return name.trimmed().toLower().replace(u' ', u'_');
}

bool cXMLRegistry::OpenXMLFile(const QString& fileName, QString& appName, bool create) {
    appName.replace(u' ', u'_');
    m_appName = appName;
    m_lastOpenError.reset();
    try {
        if (create) {
            m_document->reset();
            m_document->append_child(CreatedRootName);
            m_fileName = fileName;
            SaveXMLFile();
        } else {
            loadDocument(fileName);
        }
    } catch (const XMLRegistryError& error) {
        // The old document must not answer for the new file, and must never be saved over it.
        m_document->reset();
        m_fileName.clear();
        m_lastOpenError = error;
        return false;
    }
    m_fileName = fileName;
    m_opened = true;
    return true;
}

void cXMLRegistry::loadDocument(const QString& fileName) {
    const char* source = "XMLFilename";
    const QFileInfo info(fileName);
    if (!info.exists()) {
        Raise(XMLRegistryError::FileNotFound, source,
              QStringLiteral("File not found: %1").arg(fileName));
    }
    if (!info.isFile()) {
        Raise(XMLRegistryError::FileAccess, source,
              QStringLiteral("%1 is not a file.").arg(fileName));
    }
    QString readError;
    const std::optional<QByteArray> read = ReadBinData(fileName, MaxFileSize, &readError);
    if (!read) {
        Raise(info.size() > MaxFileSize ? XMLRegistryError::TooLarge : XMLRegistryError::FileAccess,
              source, readError);
    }
    QByteArray bytes = *read;

    pugi::xml_encoding encoding = pugi::encoding_utf8;
    const bool wideText = bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE") ||
                          bytes.left(4).contains('\0');
    if (wideText) {
        encoding = pugi::encoding_auto; // UTF-16 or UTF-32; the parser converts it
    } else {
        if (bytes.contains('\0')) {
            Raise(
                XMLRegistryError::BadEncoding, source,
                QStringLiteral("%1 contains NUL bytes; it is not an XML text file.").arg(fileName));
        }
        const QString declaredAs = DeclaredEncoding(bytes);
        const QString declared = declaredAs.toLower();
        if (declared.isEmpty() || declared == u"utf-8" || declared == u"utf8") {
            if (!IsValidUtf8(bytes)) {
                Raise(XMLRegistryError::BadEncoding, source,
                      QStringLiteral("%1 is not valid UTF-8 text. Save it as UTF-8, or declare "
                                     "its encoding (for example windows-1252).")
                          .arg(fileName));
            }
        } else if (declared == u"windows-1252" || declared == u"cp1252" ||
                   declared == u"iso-8859-1" || declared == u"latin1" || declared == u"us-ascii" ||
                   declared == u"ascii") {
            bytes = CodePage1252::Decode(bytes).toUtf8();
        } else {
            Raise(XMLRegistryError::BadEncoding, source,
                  QStringLiteral("%1 declares the encoding \"%2\", which cannot be read here; "
                                 "use UTF-8 or windows-1252.")
                      .arg(fileName, declaredAs));
        }
    }

    m_document->reset();
    const pugi::xml_parse_result result =
        m_document->load_buffer(bytes.constData(), size_t(bytes.size()), ParseOptions, encoding);
    if (!result) {
        Raise(XMLRegistryError::NotWellFormed, source,
              QStringLiteral("%1 is not well-formed XML: %2 (%3).")
                  .arg(fileName, FromUtf8(result.description()),
                       wideText ? QStringLiteral("offset %1").arg(result.offset)
                                : Position(bytes, qsizetype(result.offset))));
    }
    for (const pugi::xml_node& child : m_document->children()) {
        if (child.type() == pugi::node_doctype) {
            Raise(XMLRegistryError::DocumentTypeRefused, source,
                  QStringLiteral("%1 contains a document type declaration (DTD); settings "
                                 "files must not have one.")
                      .arg(fileName));
        }
    }
    ShapeCheck shape;
    m_document->traverse(shape);
    const QString element = FromUtf8(shape.where.name());
    switch (shape.failure) {
    case 0:
        break;
    case XMLRegistryError::NestingTooDeep:
        Raise(shape.failure, source,
              QStringLiteral("%1 nests elements more than %2 levels deep.")
                  .arg(fileName)
                  .arg(MaxDepth));
    case XMLRegistryError::TooManyChildren:
        Raise(shape.failure, source,
              QStringLiteral("%1: the element <%2> has more than %3 children, far more than a "
                             "settings file has.")
                  .arg(fileName, element)
                  .arg(MaxChildren));
    default:
        Raise(shape.failure, source,
              QStringLiteral("%1: the element <%2> has more than %3 attributes, far more than a "
                             "settings file has.")
                  .arg(fileName, element)
                  .arg(MaxAttributes));
    }
}

void cXMLRegistry::requireOpened(const char* source) const {
    if (!m_opened) {
        Raise(XMLRegistryError::FileNotOpen, source, QStringLiteral("File not open"));
    }
}

QString cXMLRegistry::keyPath(const QString& section, const QString& key) const {
    QString path = QStringLiteral("/*");
    for (const QString& part : {m_appName, section, key}) {
        const QString name = ElementName(part);
        if (!IsElementName(name)) {
            return QString();
        }
        path += u'/' + name;
    }
    return path;
}

std::optional<pugi::xml_node> cXMLRegistry::locate(const QString& path, const char*) const {
    const pugi::xml_node start = m_document->document_element();
    if (!start) {
        Raise(XMLRegistryError::NodeIsNothing, "LocateNode", QStringLiteral("Node is nothing"));
    }
    if (path.isEmpty()) {
        return std::nullopt;
    }
    try {
        const pugi::xpath_node found = start.select_node(path.toUtf8().constData());
        if (found.node()) {
            return found.node();
        }
    } catch (const pugi::xpath_exception&) {
        // Names are checked before a path is built; a path that still does not compile names
        // nothing that can be in the file.
    }
    return std::nullopt;
}

QString cXMLRegistry::GetSetting(const QString& section, const QString& key,
                                 const QString& defaultValue) const {
    requireOpened("GetSetting");
    const auto node = locate(keyPath(section, key), "GetSetting");
    return node ? NodeText(*node) : defaultValue;
}

QVariant cXMLRegistry::GetSettingEx(const QString& section, const QString& key,
                                    const QVariant& defaultValue) const {
    requireOpened("GetSetting");
    const auto node = locate(keyPath(section, key), "GetSetting");
    if (!node) {
        return defaultValue;
    }
    const QString type = DataTypeOf(*node);
    const QString text = NodeText(*node);
    if (type == QLatin1String(Base64Type)) {
        QString compact = text;
        compact.remove(QRegularExpression(QStringLiteral("\\s")));
        // A character outside Latin-1 becomes '?', which the strict decoding refuses.
        const auto decoded = QByteArray::fromBase64Encoding(
            compact.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            Raise(XMLRegistryError::BadTypedValue, "GetSettingEx",
                  QStringLiteral("The key \"%1\" of section \"%2\" is not valid base64 data.")
                      .arg(key, section));
        }
        return *decoded;
    }
    if (type == QLatin1String(HexType)) {
        static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        const QString compact = text.simplified().remove(u' ');
        if (!hex.match(compact).hasMatch()) {
            Raise(XMLRegistryError::BadTypedValue, "GetSettingEx",
                  QStringLiteral("The key \"%1\" of section \"%2\" is not valid hex data.")
                      .arg(key, section));
        }
        return QByteArray::fromHex(compact.toLatin1());
    }
    return text;
}

QVariant cXMLRegistry::GetSettingExText(const QString& section, const QString& key,
                                        const QVariant& defaultValue) const {
    requireOpened("GetSetting");
    const auto node = locate(keyPath(section, key), "GetSetting");
    return node ? QVariant(NodeText(*node)) : defaultValue;
}

QString cXMLRegistry::GetDataType(const QString& section, const QString& key) const {
    requireOpened("GetSetting");
    const auto node = locate(keyPath(section, key), "GetSetting");
    return node ? DataTypeOf(*node) : QString();
}

QStringList cXMLRegistry::NodeList(const QString& appName, const QString& section) const {
    if (!m_opened) {
        return {};
    }
    const QString app = ElementName(appName);
    const QString sectionName = ElementName(section);
    QString path;
    if (IsElementName(app) && (sectionName.isEmpty() || IsElementName(sectionName))) {
        path = u"//" + app + (sectionName.isEmpty() ? QString() : u'/' + sectionName);
    }
    QStringList names;
    if (const auto node = locate(path, "NodeList")) {
        for (const pugi::xml_node& child : node->children()) {
            if (child.type() == pugi::node_element) {
                names.append(FromUtf8(child.name()));
            }
        }
    }
    return names;
}

QList<std::pair<QString, QString>> cXMLRegistry::SectionTexts(const QString& section,
                                                              const QString& defaultText) const {
    QList<std::pair<QString, QString>> texts;
    const QStringList names = NodeList(m_appName, section);
    if (names.isEmpty()) {
        return texts;
    }
    // The element each listed name is looked up under, and the first such element found.
    QHash<QByteArray, pugi::xml_node> first;
    for (const QString& name : names) {
        const QString element = ElementName(name);
        if (IsElementName(element)) {
            first.insert(element.toUtf8(), pugi::xml_node());
        }
    }
    const QString app = ElementName(m_appName);
    const QString sectionName = ElementName(section);
    if (IsElementName(app) && IsElementName(sectionName)) {
        // "/*/app/section/key" in document order: the applications under the root in order, the
        // sections of each in order, their keys in order.
        const QByteArray appUtf8 = app.toUtf8();
        const QByteArray sectionUtf8 = sectionName.toUtf8();
        qsizetype unresolved = first.size();
        const pugi::xml_node root = m_document->document_element();
        for (const pugi::xml_node& appNode : root.children(appUtf8.constData())) {
            for (const pugi::xml_node& sectionNode : appNode.children(sectionUtf8.constData())) {
                for (const pugi::xml_node& key : sectionNode.children()) {
                    if (unresolved == 0) {
                        break;
                    }
                    const auto found = first.find(
                        QByteArray::fromRawData(key.name(), qsizetype(std::strlen(key.name()))));
                    if (key.type() == pugi::node_element && found != first.end() && !*found) {
                        *found = key;
                        --unresolved;
                    }
                }
            }
        }
    }
    for (const QString& name : names) {
        const pugi::xml_node node = first.value(ElementName(name).toUtf8());
        texts.append({name, node ? NodeText(node) : defaultText});
    }
    return texts;
}

pugi::xml_node cXMLRegistry::buildNodePath(const QString& path) {
    pugi::xml_node current = m_document->document_element();
    if (!current || path.isEmpty()) {
        Raise(XMLRegistryError::ObjectError, "BuildNodePath", QStringLiteral("Object error"));
    }
    QString soFar = QStringLiteral("/*");
    for (const QString& part : path.mid(3).split(u'/', Qt::SkipEmptyParts)) {
        soFar += u'/' + part;
        if (const auto existing = locate(soFar, "BuildNodePath")) {
            current = *existing;
        } else {
            current = current.append_child(part.toUtf8().constData());
        }
    }
    return current;
}

pugi::xml_node cXMLRegistry::writableKey(const QString& section, const QString& key,
                                         const char* source) {
    requireOpened(source);
    const QString path = keyPath(section, key);
    if (path.isEmpty()) {
        // Such a name cannot become an element.
        Raise(XMLRegistryError::ObjectError, "BuildNodePath", QStringLiteral("Object error"));
    }
    if (const auto node = locate(path, source)) {
        return *node;
    }
    return buildNodePath(path);
}

void cXMLRegistry::SaveSetting(const QString& section, const QString& key, const QString& value,
                               bool saveNow) {
    SetNodeText(writableKey(section, key, "SaveSetting"), value);
    if (saveNow) {
        SaveXMLFile();
    }
}

void cXMLRegistry::SaveSettingEx(const QString& section, const QString& key, const QVariant& value,
                                 const QString& dataType, bool saveNow) {
    pugi::xml_node node = writableKey(section, key, "SaveSetting");
    QString type = dataType;
    if (type.isEmpty()) {
        type = DataTypeOf(node);
    }
    if (type.isEmpty() && value.typeId() == QMetaType::QByteArray) {
        type = QLatin1String(Base64Type);
    }
    if (!type.isEmpty()) {
        SetDataType(node, type);
    }
    if (type == QLatin1String(Base64Type)) {
        SetNodeText(node, WrapLines(value.toByteArray().toBase64(), 76));
    } else if (type == QLatin1String(HexType)) {
        SetNodeText(node, QString::fromLatin1(value.toByteArray().toHex()));
    } else {
        SetNodeText(node, value.toString());
    }
    if (saveNow) {
        SaveXMLFile();
    }
}

void cXMLRegistry::SaveXMLFile() {
    if (!m_document->document_element() || m_fileName.isEmpty()) {
        Raise(XMLRegistryError::NodeIsNothing, "SaveXMLFile", QStringLiteral("Node is nothing"));
    }
    ByteWriter writer;
    m_document->save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
    // The writer leaves a carriage return in a text as it is, and every parser turns a written
    // CR LF into LF: the text, and with it a signed section's digest, would change on the next
    // load. As a character reference it reads back as the CR it was. Nothing else in the output
    // holds a CR: indentation uses LF, and attribute values are escaped by the writer.
    writer.bytes.replace('\r', "&#13;");
    QString error;
    if (!WriteBinData(m_fileName, writer.bytes, &error)) {
        Raise(XMLRegistryError::FileAccess, "SaveXMLFile", error);
    }
}

bool cXMLRegistry::WriteBinData(const QString& fileName, const QByteArray& bytes,
                                QString* errorText) {
    return SafeFileModule::WriteWholeFile(fileName, bytes, errorText);
}

std::optional<QByteArray> cXMLRegistry::ReadBinData(const QString& fileName, qint64 maxSize,
                                                    QString* errorText) {
    return SafeFileModule::ReadWholeFile(fileName, maxSize, errorText);
}
