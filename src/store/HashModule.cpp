#include "store/HashModule.h"

#include "store/CodePage1252.h"

#include <QCryptographicHash>

namespace HashModule {

QString MD5Hex(const QString& text) {
    const QByteArray digest =
        QCryptographicHash::hash(CodePage1252::Encode(text), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex());
}

QString SaltedMD5(const QString& text) {
    return MD5Hex(QString::fromUtf16(Salt) + text);
}

} // namespace HashModule
