#pragma once

#include <QString>

// Where the files that sit beside the programs are found: the brand file, the LED font and the
// manuals. In the build tree they are copied next to the executables; an installed package puts
// the executables in <prefix>/bin and these files in <prefix>/share/zex-toolkit. Every program
// (zex-toolkit, zexctl's brand commands, the gallery) asks here, so both layouts work alike.
namespace ResourceFolder {

// Relative to the executables' folder when installed.
inline constexpr char InstalledRelativePath[] = "../share/zex-toolkit";

// The resource folder for executables in `programFolder`: that folder itself when it holds a
// brand file ("brand.qkb" or "default.qkb"); otherwise the installed folder beside it when that
// holds one; otherwise `programFolder` (so a missing brand file is reported there, where the
// program itself was looked for).
QString For(const QString& programFolder);

// The same for the running executable.
QString OfThisProgram();

} // namespace ResourceFolder
