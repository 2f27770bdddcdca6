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
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing: the normal program")
            << QStringList{} << 0 << 0 << QString() << QString() << QString();
        QTest::newRow("a port by name")
            << QStringList{"--port", "COM200"} << 200 << 0 << QString() << QString() << QString();
        QTest::newRow("a port by number")
            << QStringList{"--port", "7"} << 7 << 0 << QString() << QString() << QString();
        QTest::newRow("a tour with both screenshots") << QStringList{"--port",
                                                                     "COM3",
                                                                     "--tour",
                                                                     "8",
                                                                     "--screenshot",
                                                                     "i.png",
                                                                     "--home-screenshot",
                                                                     "h.png"}
                                                      << 3 << 8 << "i.png"
                                                      << "h.png" << QString();
        QTest::newRow("a tour of the longest time")
            << QStringList{"--tour", "3600"} << 0 << 3600 << QString() << QString() << QString();
        QTest::newRow("a port beyond COM255") << QStringList{"--port", "COM256"} << 0 << 0
                                              << QString() << QString() << "is not a port name";
        QTest::newRow("a port without its name")
            << QStringList{"--port"} << 0 << 0 << QString() << QString() << "--port needs";
        QTest::newRow("a tour of no time") << QStringList{"--tour", "0"} << 0 << 0 << QString()
                                           << QString() << "is not a number of seconds";
        QTest::newRow("a tour of more than an hour")
            << QStringList{"--tour", "3601"} << 0 << 0 << QString() << QString()
            << "is not a number of seconds";
        QTest::newRow("a tour of words") << QStringList{"--tour", "five"} << 0 << 0 << QString()
                                         << QString() << "is not a number of seconds";
        QTest::newRow("a screenshot without a tour")
            << QStringList{"--screenshot", "x.png"} << 0 << 0 << QString() << QString()
            << "during a --tour";
        QTest::newRow("a Home screenshot without a tour")
            << QStringList{"--home-screenshot", "x.png"} << 0 << 0 << QString() << QString()
            << "during a --tour";
        QTest::newRow("a screenshot without a file")
            << QStringList{"--tour", "2", "--screenshot"} << 0 << 2 << QString() << QString()
            << "--screenshot needs a file name";
        QTest::newRow("an unknown option") << QStringList{"--fullscreen"} << 0 << 0 << QString()
                                           << QString() << "unknown option \"--fullscreen\"";
    }
    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(int, port);
        QFETCH(int, tour);
        QFETCH(QString, screenshot);
        QFETCH(QString, homeScreenshot);
        QFETCH(QString, error);
        arguments.prepend(QStringLiteral("zex-toolkit"));
        const ProgramOptions options = ProgramOptions::Parse(arguments);
        if (!error.isEmpty()) {
            QVERIFY2(options.error.contains(error), qPrintable(options.error));
            return;
        }
        QCOMPARE(options.error, QString());
        QCOMPARE(options.port, port);
        QCOMPARE(options.tourSeconds, tour);
        QCOMPARE(options.screenshot, screenshot);
        QCOMPARE(options.homeScreenshot, homeScreenshot);
    }
};

QTEST_GUILESS_MAIN(TestProgramOptions)
#include "tst_programoptions.moc"
