// zex-manual MARKDOWN PDF [--pages FOLDER]: turns one of the user guides into the PDF that sits
// beside the program. --pages also writes each page as a PNG picture, for looking at the result.
// Run by the build on the offscreen platform.
#include "manual/ManualDocument.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    // The build's output is for the build's messages; Qt's notes about a missing runtime folder
    // on a build machine are not among them.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg &&
            !message.startsWith(QLatin1String("QStandardPaths:"))) {
            QTextStream(stderr) << message << "\n";
        }
    });
    QGuiApplication application(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3 && !(arguments.size() == 5 && arguments.at(3) == u"--pages")) {
        err << "usage: zex-manual MARKDOWN PDF [--pages FOLDER]\n";
        return 2;
    }
    ManualDocument manual;
    if (!manual.load(arguments.at(1)) || !manual.writePdf(arguments.at(2))) {
        err << "zex-manual: " << manual.error() << "\n";
        return 1;
    }
    if (arguments.size() == 5) {
        const QDir folder(arguments.at(4));
        const QList<QImage> pages = manual.pagePictures(110);
        for (int index = 0; index < pages.size(); ++index) {
            const QString path = folder.filePath(QStringLiteral("page-%1.png").arg(index + 1));
            if (!pages.at(index).save(path)) {
                err << "zex-manual: cannot write " << path << "\n";
                return 1;
            }
        }
    }
    return 0;
}
