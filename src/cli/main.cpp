#include "cli/ZexCtl.h"
#include "serial/QtSerialPortControl.h"
#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QtSerialPortControl port;
    ZexCtl zexctl(port, systemClock(), out, err);
    return zexctl.run(application.arguments().mid(1));
}
