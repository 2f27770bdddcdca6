#include "store/CodePage1252.h"
#include "store/HashModule.h"

#include <QStringDecoder>
#include <QTest>

class TestHashModule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void md5Digests_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("salted"); // the salt goes first
        QTest::addColumn<QString>("digest");
        const auto row = [](const char* name, const QString& text, bool salted,
                            const char* digest) {
            QTest::newRow(name) << text << salted << QString(digest);
        };
        row("the empty text", "", false, "d41d8cd98f00b204e9800998ecf8427e");
        row("abc", "abc", false, "900150983cd24fb0d6963f7d28e17f72");
        row("62 letters and digits: the padding needs a second block",
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", false,
            "d174ab98d277d9f5a5611c2c9f419d9f");
        row("eighty digits over two blocks", QString("1234567890").repeated(8), false,
            "57edf4a22be3c955ac49da2e2107b67a");
        // Western texts hash one byte per character.
        row("every assigned character of 0x80 to 0x9F",
            QString::fromUtf8("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ"), false,
            "cda798ac676ac6951f2affe2ca16ae0f");
        // Hashing the UTF-8 bytes would give 6066f987...
        row("pound sign, en dash and accent", QString::fromUtf8("Price £5 – café"), false,
            "3f8957bea0659676f314a6a913ec8592");
        row("the salted empty text", "", true, "0b07d84ac3e6ebf732769030108db11e");
        row("the salted abc", "abc", true, "7808af38fa3637a274695ef71d5b8619");
    }
    void md5Digests() {
        QFETCH(QString, text);
        QFETCH(bool, salted);
        QFETCH(QString, digest);
        QCOMPARE(salted ? HashModule::SaltedMD5(text) : HashModule::MD5Hex(text), digest);
    }

    void everyByteRoundTripsAndMatchesTheReferenceConverter() {
        QByteArray all;
        for (int byte = 0; byte < 256; ++byte) {
            all.append(char(byte));
        }
        const QString text = CodePage1252::Decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(CodePage1252::Encode(text), all);
        QVERIFY(CodePage1252::CanEncode(text));
        QStringDecoder reference("windows-1252");
        if (!reference.isValid()) {
            QSKIP("this Qt has no windows-1252 converter to compare with");
        }
        QCOMPARE(text, reference.decode(all));
    }

    void charactersOutsideTheCodePageBecomeAQuestionMark() {
        qsizetype bad = -2;
        const QString text = QString::fromUtf8("ok Ω €");
        QCOMPARE(CodePage1252::Encode(text, &bad), QByteArray("ok ? \x80"));
        QCOMPARE(bad, qsizetype(3));
        QVERIFY(!CodePage1252::CanEncode(text, &bad));
        QCOMPARE(bad, qsizetype(3));
        QVERIFY(!CodePage1252::CanEncode(QString(QChar(0x80)))); // C1 0x80 has no byte: € does
        QCOMPARE(HashModule::MD5Hex(QString::fromUtf8("Ω")),
                 HashModule::MD5Hex(QStringLiteral("?")));
    }
};

QTEST_GUILESS_MAIN(TestHashModule)
#include "tst_hashmodule.moc"
