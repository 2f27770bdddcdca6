#include "app/ProgramOptions.h"

#include <QTest>

// zex-toolkit's command line: what make run and a desktop entry start it with.
class TestProgramOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("tour");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<QString>("homeScreenshot");
        const QString none;
        QTest::newRow("nothing: the normal program") << QStringList{} << 0 << 0 << none << none;
        QTest::newRow("a port by name")
            << QStringList{"--port", "COM200"} << 200 << 0 << none << none;
        QTest::newRow("a port by number") << QStringList{"--port", "7"} << 7 << 0 << none << none;
        QTest::newRow("a tour with both screenshots")
            << QStringList{"--port", "COM3", "--tour", "8"} +
                   QStringList{"--screenshot", "i.png", "--home-screenshot", "h.png"}
            << 3 << 8 << "i.png"
            << "h.png";
        QTest::newRow("a tour of the longest time")
            << QStringList{"--tour", "3600"} << 0 << 3600 << none << none;
    }
    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(int, port);
        QFETCH(int, tour);
        QFETCH(QString, screenshot);
        QFETCH(QString, homeScreenshot);
        const ProgramOptions options =
            ProgramOptions::Parse(QStringList{"zex-toolkit"} + arguments);
        QCOMPARE(options.error, QString());
        QCOMPARE(options.port, port);
        QCOMPARE(options.tourSeconds, tour);
        QCOMPARE(options.screenshot, screenshot);
        QCOMPARE(options.homeScreenshot, homeScreenshot);
    }

    void refuses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        const QString notSeconds = QStringLiteral("is not a number of seconds");
        QTest::newRow("a port beyond COM255")
            << QStringList{"--port", "COM256"} << "is not a port name";
        QTest::newRow("a port without its name") << QStringList{"--port"} << "--port needs";
        QTest::newRow("a tour of no time") << QStringList{"--tour", "0"} << notSeconds;
        QTest::newRow("a tour of more than an hour") << QStringList{"--tour", "3601"} << notSeconds;
        QTest::newRow("a tour of words") << QStringList{"--tour", "five"} << notSeconds;
        QTest::newRow("a screenshot without a tour")
            << QStringList{"--screenshot", "x.png"} << "during a --tour";
        QTest::newRow("a Home screenshot without a tour")
            << QStringList{"--home-screenshot", "x.png"} << "during a --tour";
        QTest::newRow("a screenshot without a file")
            << QStringList{"--tour", "2", "--screenshot"} << "--screenshot needs a file name";
        QTest::newRow("an unknown option")
            << QStringList{"--fullscreen"} << "unknown option \"--fullscreen\"";
    }
    void refuses() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const ProgramOptions options =
            ProgramOptions::Parse(QStringList{"zex-toolkit"} + arguments);
        QVERIFY2(options.error.contains(error), qPrintable(options.error));
    }
};

QTEST_GUILESS_MAIN(TestProgramOptions)
#include "tst_programoptions.moc"
