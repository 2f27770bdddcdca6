#include "shell/ShellModule.h"

#include "device/DeviceValue.h"

namespace ShellModule {

bool IsTrue(const DeviceValue& value) {
    const QString text = value.toText().toUpper();
    return text == QLatin1String("1") || text == QLatin1String("YES") ||
           text == QLatin1String("ON") || text == QLatin1String("ACTIVE") ||
           text == QLatin1String("TRUE");
}

bool OpenDocument(const QString& path, const UrlOpener& open) {
    return open && !path.isEmpty() && open(QUrl::fromLocalFile(path));
}

QUrl WebAddressUrl(const QString& address) {
    QString text = address.trimmed();
    if (text.toLower().startsWith(QLatin1String("www."))) {
        text.prepend(QLatin1String("http://"));
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return QUrl();
    }
    return url;
}

bool OpenWebAddress(const QString& address, const UrlOpener& open) {
    const QUrl url = WebAddressUrl(address);
    return open && !url.isEmpty() && open(url);
}

double TwipsPerScreenPixel(double logicalDotsPerInch, double devicePixelRatio) {
    const double dotsPerInch = logicalDotsPerInch * devicePixelRatio;
    return dotsPerInch > 0.0 ? 1440.0 / dotsPerInch : 15.0;
}

QString VersionText(int major, int minor, int revision) {
    return QStringLiteral("Version: %1.%2.%3").arg(major).arg(minor).arg(revision);
}

} // namespace ShellModule
