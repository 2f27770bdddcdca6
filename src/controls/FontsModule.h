#pragma once

#include <QString>

// The fonts the controls draw with. Two font files sit beside the program: "QK-LED.TTF" (LED
// digits, reached under the family name "QK-LED") and, optionally, "QKTKButtons.TTF" (the button
// glyphs, which are otherwise drawn as pictures, see ButtonGlyphs). Styles name "Trebuchet MS";
// where that is missing a humanist sans stands in.
namespace FontsModule {

inline constexpr char LedFontFile[] = "QK-LED.TTF";
inline constexpr char ButtonFontFile[] = "QKTKButtons.TTF";
inline constexpr char LedFamily[] = "QK-LED";
inline constexpr char HumanistFamily[] = "Trebuchet MS";

// Registers the font files found in the folder (once; later calls do nothing until
// UnregisterPrivateFonts) and sets up the family substitutions. Returns the number of files
// registered; a missing file is skipped.
int RegisterPrivateFonts(const QString& folder);
void UnregisterPrivateFonts();

// The family that draws text named "QK-LED", "" when the LED font is not registered.
QString LedFontFamily();

} // namespace FontsModule
