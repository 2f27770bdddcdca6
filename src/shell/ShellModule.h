#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class DeviceValue;

// Small operations of the main window that do not need the window itself.
namespace ShellModule {

// True when the value, as upper-case text, is "1", "YES", "ON", "ACTIVE" or "TRUE".
bool IsTrue(const DeviceValue& value);

using UrlOpener = std::function<bool(const QUrl& url)>;

// Opens a file with the desktop's default program. False when it could not be opened.
bool OpenDocument(const QString& path, const UrlOpener& open);
// Opens a web address; "www." addresses are taken as http. Only http and https addresses are
// opened: a brand file names the address, and it must not be able to start programs or open
// local files. False when the address was refused or could not be opened.
bool OpenWebAddress(const QString& address, const UrlOpener& open);
// The address OpenWebAddress would open, or an empty URL when it refuses it.
QUrl WebAddressUrl(const QString& address);

// One screen pixel in twips (1440 per inch), with its fraction: 7.5 on a 192-dot screen.
double TwipsPerScreenPixel(double logicalDotsPerInch, double devicePixelRatio);

// "Version: 1.2.3".
QString VersionText(int major, int minor, int revision);

} // namespace ShellModule
