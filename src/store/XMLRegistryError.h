#pragma once

#include <QString>
#include <stdexcept>

// A failure of the XML settings store: a number, the routine it came from and what happened.
// Reads and writes raise it; opening a file reports it through the open's result instead.
class XMLRegistryError : public std::runtime_error {
public:
    enum Code : int {
        FileNotFound = 53,
        FileAccess = 75,
        InvalidPicture = 481,  // stored bytes that are no picture this program can show
        ObjectError = 20000,   // an element could not be created (no document, or a bad name)
        NodeIsNothing = 20001, // there is no document element to start from
        FileNotOpen = 20002,   // no file was opened successfully
        BadTypedValue = 20003, // a typed value (base64, hex) whose text does not decode
        // Refusals of a file before or while it is parsed.
        NotWellFormed = 20100, // the parser's own reason follows in the description
        TooLarge = 20101,
        DocumentTypeRefused = 20102,
        NestingTooDeep = 20103,
        BadEncoding = 20104,
        TooManyChildren = 20105,   // an element with more children than MaxChildren
        TooManyAttributes = 20106, // an element with more attributes than MaxAttributes
    };

    XMLRegistryError(int code, const QString& source, const QString& description);

    int code() const { return m_code; }
    QString source() const { return m_source; }
    QString description() const { return m_description; }

private:
    int m_code;
    QString m_source;
    QString m_description;
};
