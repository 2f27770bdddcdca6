#include "shell/MainFrm.h"
#include "support/ScratchFiles.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

// The two manuals the Help menu opens, as the build leaves them beside the programs.
class TestManuals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void areWholePdfsWithTheirTitles_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("title");
        QTest::newRow("standard") << QString::fromLatin1(MainFrm::StandardManual)
                                  << "ZEX Toolkit Standard Manual";
        QTest::newRow("advanced") << QString::fromLatin1(MainFrm::AdvancedManual)
                                  << "ZEX Toolkit Advanced Manual";
    }
    void areWholePdfsWithTheirTitles() {
        QFETCH(QString, fileName);
        QFETCH(QString, title);
        const QString path = QStringLiteral(ZEX_TEST_BIN_DIR "/") + fileName;
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path + QStringLiteral(" is missing")));
        const QByteArray pdf = ReadBytes(path);
        QVERIFY(pdf.startsWith("%PDF-1."));
        QVERIFY2(pdf.trimmed().endsWith("%%EOF"), "the PDF was not finished");
        // A guide of a few pages, not an empty or one-line document.
        static const QRegularExpression page(QStringLiteral("/Type /Page\\s"));
        const qsizetype pages = QString::fromLatin1(pdf).count(page);
        QVERIFY2(pages >= 3, qPrintable(QStringLiteral("%1 pages").arg(pages)));
        QVERIFY(pdf.size() > 30 * 1024);
        // The document's title (UTF-16 with a byte order mark) is the guide's own heading.
        QByteArray titleEntry("/Title (\xFE\xFF");
        for (const QChar c : title) {
            titleEntry.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        }
        titleEntry.append(')');
        QVERIFY2(pdf.contains(titleEntry), "the PDF does not carry its title");
    }
};

QTEST_GUILESS_MAIN(TestManuals)
#include "tst_manuals.moc"
