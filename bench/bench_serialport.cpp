// How long a Zarnbus 2 exchange and a whole zexctl call take over a pseudo-terminal whose far end
// answers at once: the port's own overhead, without the bus's transmission time.
#include "cli/ZexCtl.h"
#include "serial/QtSerialPortControl.h"
#include "serial/Zarnbus2Module.h"
#include "support/PseudoTerminal.h"
#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray answerReads(QByteArray& unconsumed) {
    QByteArray replies;
    for (;;) {
        const qsizetype start = unconsumed.indexOf(char(Zarnbus2Module::StartByte));
        if (start < 0 || unconsumed.size() - start < 5) {
            if (start < 0) {
                unconsumed.clear();
            }
            return replies;
        }
        replies += Zarnbus2Module::BuildReadReply(quint8(unconsumed[start + 1]), 1.08f);
        unconsumed.remove(0, start + 5);
    }
}

void report(const char* what, std::vector<double> microseconds) {
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double q) {
        return microseconds[size_t(q * double(microseconds.size() - 1))];
    };
    std::printf("%-44s n=%4zu  median %8.0f us  p90 %8.0f us  max %8.0f us\n", what,
                microseconds.size(), at(0.5), at(0.9), microseconds.back());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    PseudoTerminal terminal;
    terminal.startResponder(answerReads);

    {
        QtSerialPortControl port;
        port.setPortName(terminal.devicePath());
        port.open();
        const QByteArray request = Zarnbus2Module::BuildRequest(1, true, 10, false, 0.0f);
        std::vector<double> times;
        for (int i = 0; i < 500; ++i) {
            QElapsedTimer timer;
            timer.start();
            port.resetInput();
            port.write(request);
            const QByteArray reply = port.read(Zarnbus2Module::ReadReplyLength, 1000);
            times.push_back(double(timer.nsecsElapsed()) / 1000.0);
            if (reply.size() != Zarnbus2Module::ReadReplyLength) {
                std::printf("short reply at %d\n", i);
                return 1;
            }
        }
        report("read exchange (5-byte request, 11-byte reply)", times);
    }

    std::vector<double> times;
    for (int i = 0; i < 50; ++i) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QtSerialPortControl port;
        ZexCtl zexctl(port, systemClock(), outStream, errStream);
        QElapsedTimer timer;
        timer.start();
        const int status = zexctl.run({"--port", terminal.devicePath(), "get", "VERS"});
        times.push_back(double(timer.nsecsElapsed()) / 1000.0);
        if (status != 0) {
            std::printf("zexctl failed: %s\n", qPrintable(err));
            return 1;
        }
    }
    report("zexctl get VERS (open, wake, read, close)", times);
    return 0;
}
