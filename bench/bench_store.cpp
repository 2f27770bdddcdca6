// Figures for the settings and brand store: what a configuration save costs when every value is
// its own atomic file write, what loading the brand file costs at start-up, and how fast hostile
// XML is refused.
#include "store/BrandingModule.h"
#include "store/IniModule.h"
#include "store/cXMLRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    // A full save writes about 90 keys, each a read-modify-rename of the whole file.
    const QString zcf = dir.filePath(QStringLiteral("bench.zcf"));
    QElapsedTimer timer;
    timer.start();
    constexpr int keys = 90;
    for (int i = 0; i < keys; ++i) {
        IniModule::WriteIniValue(zcf, QStringLiteral("ReadWrite"), QStringLiteral("KEY%1").arg(i),
                                 QStringLiteral("%1.25").arg(i));
    }
    const double writeMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    for (int i = 0; i < keys; ++i) {
        IniModule::ReadIniValue(zcf, QStringLiteral("ReadWrite"), QStringLiteral("KEY%1").arg(i),
                                QStringLiteral("*"));
    }
    const double readMs = timer.nsecsElapsed() / 1e6;
    std::printf("INI: %d single-key writes %.1f ms (%.2f ms each), %d reads %.1f ms\n", keys,
                writeMs, writeMs / keys, keys, readMs);

    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
    timer.restart();
    constexpr int loads = 20;
    bool ok = true;
    for (int i = 0; i < loads; ++i) {
        BrandValues values;
        ok =
            ok && BrandingModule::LoadBranding(BrandingModule::BrandFilePath(shipped), values).ok();
    }
    std::printf("Brand: LoadBranding of the shipped default.qkb %.2f ms each (%s)\n",
                timer.nsecsElapsed() / 1e6 / loads, ok ? "verified" : "FAILED");

    const QString deep = dir.filePath(QStringLiteral("deep.xml"));
    QFile file(deep);
    file.open(QIODevice::WriteOnly);
    const int depth = int(cXMLRegistry::MaxFileSize / 7) - 1;
    file.write(QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth));
    file.close();
    cXMLRegistry store;
    QString appName = QStringLiteral("a");
    timer.restart();
    const bool opened = store.OpenXMLFile(deep, appName);
    std::printf("XML: %d-level nesting (%.1f MB) refused in %.1f ms (%s)\n", depth,
                file.size() / 1048576.0, timer.nsecsElapsed() / 1e6,
                opened ? "OPENED" : qPrintable(store.lastOpenError()->description()));
    return 0;
}
