// Figures for the settings and brand store: what a configuration save costs when every value is
// its own atomic file write, what loading the brand file costs at start-up, how fast hostile XML
// is verified or refused, and what a restore from a configuration file near the size cap costs
// in time and memory.
#include "store/BrandingModule.h"
#include "store/ConfigurationFileModule.h"
#include "store/IniModule.h"
#include "store/XMLModule.h"
#include "store/cXMLRegistry.h"
#include "support/ScriptedZex.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A field of /proc/self/status ("VmHWM", "VmRSS") in bytes, or -1 where there is none.
qint64 StatusBytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            return line.mid(prefix.size()).trimmed().split(' ').constFirst().toLongLong() * 1024;
        }
    }
    return -1;
}

// Starts a new peak: the kernel resets VmHWM to the present resident size.
bool ResetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// ---- brand files -------------------------------------------------------------------------------

const QByteArray BrandHead = "<?xml version=\"1.0\"?>\n<xmlregistry><zextoolkit><data>";
const QByteArray BrandTail = "</data></zextoolkit></xmlregistry>\n";
// The size of the hostile files: the cap, unless a smaller size is asked for (to see how the time
// grows with it).
qsizetype BrandRoom = cXMLRegistry::MaxFileSize - 4096;

QByteArray ShortName(qsizetype n) {
    QByteArray name = "k";
    do {
        name += char('a' + n % 26);
        n /= 26;
    } while (n > 0);
    return name;
}

// As many distinct keys in "Data" as fit: each is looked up by name for the digest.
QByteArray ManyKeys() {
    QByteArray xml = BrandHead + "<md5hash>0</md5hash>";
    for (qsizetype n = 0; xml.size() < BrandRoom; ++n) {
        xml += '<' + ShortName(n) + "/>";
    }
    return xml + BrandTail;
}

// The digest key with as many prefixed "dt" attributes as fit: each is a data-type candidate.
QByteArray ManyDataTypeAttributes() {
    QByteArray xml = BrandHead + "<company>x</company><md5hash";
    for (qsizetype n = 0; xml.size() < BrandRoom; ++n) {
        xml += ' ' + ShortName(n) + ":dt=\"\"";
    }
    return xml + ">0</md5hash>" + BrandTail;
}

// As many "Data" sections as fit, each with a key: every key name recurs in every section.
QByteArray ManySections() {
    QByteArray xml = "<?xml version=\"1.0\"?>\n<xmlregistry><zextoolkit>";
    while (xml.size() < BrandRoom) {
        xml += "<data><company>x</company><md5hash>0</md5hash></data>";
    }
    return xml + "</zextoolkit></xmlregistry>\n";
}

// The most nodes the limits let through: 1024 copies of the application, each with as many "Data"
// sections as fit, every one listing a key that no lookup finds, so the digest reads them all.
QByteArray WidestTree() {
    const QByteArray section = "<data><K/></data>";
    const qsizetype fit = (BrandRoom / cXMLRegistry::MaxChildren - 32) / section.size();
    const qsizetype sections = std::clamp(fit, qsizetype(1), qsizetype(cXMLRegistry::MaxChildren));
    QByteArray xml = "<?xml version=\"1.0\"?>\n<xmlregistry>";
    for (int app = 0; app < cXMLRegistry::MaxChildren; ++app) {
        xml += "<zextoolkit>" + section.repeated(sections) + "</zextoolkit>";
    }
    return xml + "</xmlregistry>\n";
}

// The largest picture a brand file may hold, nearly all of it one colour: a small file that
// takes long to decode.
QByteArray LargestLogo() {
    QImage image(2048, 2048, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

struct BrandCase {
    const char* name;
    QByteArray bytes;
};

// Loads a brand file as the program does at start-up; prints the time and the outcome.
double TimeBrandLoad(const QString& path, const char* name, qint64 size) {
    QElapsedTimer timer;
    timer.start();
    BrandValues values;
    const BrandingModule::BrandLoadResult result = BrandingModule::LoadBranding(path, values);
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("  %-58s %5.1f MB %8.1f ms  %s\n", name, size / 1048576.0, ms,
                result.ok() ? "verified"
                            : qPrintable(result.error.section(QLatin1String(": "), 1).left(60)));
    std::fflush(stdout);
    return ms;
}

void BrandFigures(const QTemporaryDir& dir) {
    std::printf(
        "Brand files of %.2f MB (the cap is %lld MB; LoadBranding: open, verify, decode):\n",
        (BrandRoom + 4096) / 1048576.0, cXMLRegistry::MaxFileSize / 1048576);
    const BrandCase cases[] = {
        {"distinct keys in \"Data\" (each looked up for the digest)", ManyKeys()},
        {"prefixed dt attributes on the digest key", ManyDataTypeAttributes()},
        {"\"Data\" sections, every key name in each", ManySections()},
        {"the most elements the limits let through", WidestTree()},
    };
    double worst = 0;
    for (const BrandCase& hostile : cases) {
        const QString path = dir.filePath(QStringLiteral("hostile.qkb"));
        WriteFile(path, hostile.bytes);
        worst = std::max(worst, TimeBrandLoad(path, hostile.name, hostile.bytes.size()));
    }

    // The largest picture, in a file that is otherwise the shipped one and signed.
    const QString shipped =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/default.qkb");
    const QString logoFile = dir.filePath(QStringLiteral("logo.qkb"));
    QFile::remove(logoFile);
    QFile::copy(shipped, logoFile);
    QFile::setPermissions(logoFile, QFile::ReadOwner | QFile::WriteOwner);
    {
        cXMLRegistry store;
        QString app = QLatin1String(BrandingModule::BrandApplication);
        if (store.OpenXMLFile(logoFile, app)) {
            const QString section = QLatin1String(BrandingModule::BrandSection);
            store.SaveSettingEx(section, QStringLiteral("Logo"), LargestLogo(),
                                QLatin1String(cXMLRegistry::Base64Type));
            store.SaveSetting(section, QLatin1String(BrandingModule::HashKey),
                              XMLModule::XMLSectionDigest(store, section), true);
        }
    }
    worst = std::max(
        worst, TimeBrandLoad(logoFile, "a signed 2048 x 2048 logo", QFileInfo(logoFile).size()));
    std::printf("  worst case: %.1f ms\n", worst);
}

// ---- configuration files -----------------------------------------------------------------------

constexpr qsizetype IniSize = 15 * 1024 * 1024;

const QByteArray ZcfHead = "[Data]\r\nType=ZEX\r\nAppVersion=0.1\r\n[ReadWrite]\r\nDP=3\r\n";
const QByteArray ZcfTail = "DAMP=10\r\nSENS=3\r\n[Dynamic]\r\nOVERLOAD=110\r\n";

QByteArray Filled(const QByteArray& line) {
    const qsizetype count = (IniSize - ZcfHead.size() - ZcfTail.size()) / line.size();
    return ZcfHead + line.repeated(count) + ZcfTail;
}

QByteArray ManyIniKeys() {
    QByteArray bytes = ZcfHead;
    bytes.reserve(IniSize);
    for (qsizetype n = 0; bytes.size() < IniSize - ZcfTail.size() - 32; ++n) {
        bytes += "N" + QByteArray::number(n) + "=1\r\n";
    }
    return bytes + ZcfTail;
}

// A restore from the file (onto a module that takes everything) in a child process, so that the
// peak memory is that of the restore alone: time, and peak resident memory above the start.
void TimeRestore(const QString& path, const char* name, const QByteArray& bytes) {
    WriteFile(path, bytes);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child != 0) {
        int status = 0;
        waitpid(child, &status, 0);
        return;
    }
    ScriptedZex module;
    module.isRadio = false;
    ConfigurationFileModule::Options options;
    options.firmwareVersion = 4.1f;
    const bool peakKnown = ResetPeak();
    const qint64 before = StatusBytes("VmRSS");
    QElapsedTimer timer;
    timer.start();
    const ConfigurationFileModule::RestoreResult result =
        ConfigurationFileModule::RestoreZEX(module, path, options);
    const double ms = timer.nsecsElapsed() / 1e6;
    const qint64 peak = StatusBytes("VmHWM") - before;
    std::printf("  %-20s %5.1f MB %8.1f ms  peak +%6.1f MB (%.1f x the file)%s, %d values\n", name,
                bytes.size() / 1048576.0, ms, peak / 1048576.0, double(peak) / double(bytes.size()),
                peakKnown ? "" : " (peak not reset)", result.valuesWritten);
    std::fflush(stdout);
    _exit(0);
}

void IniFigures(const QTemporaryDir& dir) {
    std::printf("Restoring a configuration file near the %lld MB cap (RestoreZEX):\n",
                qint64(IniSize / 1048576));
    const QString path = dir.filePath(QStringLiteral("big.zcf"));
    TimeRestore(path, "empty lines, CR LF", Filled("\r\n"));
    TimeRestore(path, "empty lines, LF", Filled("\n"));
    TimeRestore(path, "distinct keys", ManyIniKeys());
    QFile::remove(path);
}

} // namespace

// bench_store [MB]: the hostile brand files at MB megabytes instead of the 10 MB cap.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1) {
        BrandRoom = qsizetype(std::atof(argv[1]) * 1048576) - 4096;
    }
    QTemporaryDir dir;

    IniFigures(dir);

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

    BrandFigures(dir);
    return 0;
}
