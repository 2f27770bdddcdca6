#pragma once

#include <QString>

// The digests that prove a brand file was not edited after it was signed.
namespace HashModule {

// The salt put in front of every signed text.
inline constexpr char16_t Salt[] = u"#\u00A4;<,<&QWV";

// MD5 of the text's Windows-1252 bytes (one byte per character; a character outside the code
// page counts as '?', as the Windows ANSI conversion makes it), as 32 lower-case hex digits.
QString MD5Hex(const QString& text);

// MD5Hex of the salt followed directly by the text.
QString SaltedMD5(const QString& text);

} // namespace HashModule
