// What the field control costs a page: fitting the font to a new size, drawing, and a page's
// worth of styled fields joining their style. Runs on the offscreen platform unless another is
// chosen.
#include "controls/QKBtn.h"
#include "controls/Themes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void report(const char* what, std::vector<double> microseconds) {
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double q) {
        return microseconds[size_t(q * double(microseconds.size() - 1))];
    };
    std::printf("%-52s n=%4zu  median %8.1f us  p90 %8.1f us  max %8.1f us\n", what,
                microseconds.size(), at(0.5), at(0.9), microseconds.back());
}

// The plain walk from 6 points up in half points, for comparison with the control's search.
double walkFromSix(const QFont& base, double target, const QWidget* device) {
    QFont font = base;
    for (double size = 6.0; size <= 255.0; size += 0.5) {
        font.setPointSizeF(size);
        if (QFontMetricsF(font, device).height() > target) {
            return size - 0.5;
        }
    }
    return 255.0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QWidget page;
    page.resize(800, 600);
    Themes themes(&page);
    page.show();

    // Heights a page uses, 18 to 80 pixels. Every font size measured costs a font engine the
    // first time; a stretch of its own per measurement keeps the engines from being cached.
    std::vector<double> fits;
    std::vector<double> walks;
    for (int height = 18; height <= 80; ++height) {
        QKBtn control(&page);
        control.Stretch(false);
        QFont face(QStringLiteral("Trebuchet MS"));
        face.setStretch(100 + 2 * height);
        control.Font(face);
        control.resize(200, height);
        control.show();
        QElapsedTimer timer;
        timer.start();
        control.Stretch(true); // fits the font to the caption height
        fits.push_back(double(timer.nsecsElapsed()) / 1000.0);

        QFont other(QStringLiteral("Trebuchet MS"));
        other.setStretch(101 + 2 * height);
        timer.restart();
        walkFromSix(other, height, &control);
        walks.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    report("fit font to a new height (control's search)", fits);
    report("fit font to a new height (walk from 6 pt, reference)", walks);

    QKBtn field(&page);
    field.Style(QStringLiteral("Edit"));
    field.Caption(QStringLiteral("000.000"));
    field.Editable(QKBtn::EditList);
    field.resize(160, 32);
    field.show();
    QImage canvas(160, 32, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> paints;
    std::vector<double> draws;
    for (int i = 0; i < 500; ++i) {
        QElapsedTimer timer;
        timer.start();
        field.Caption(QString::number(i));
        draws.push_back(double(timer.nsecsElapsed()) / 1000.0);
        timer.restart();
        QPainter painter(&canvas);
        field.render(&painter);
        paints.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    report("set Caption (DrawMe) on an Edit field", draws);
    report("paint an Edit list field 160x32", paints);

    std::vector<double> pages;
    for (int round = 0; round < 20; ++round) {
        QWidget host(&page);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 40; ++i) {
            auto* control = new QKBtn(&host);
            control->setGeometry(10, 10 + i * 12, 150, 28);
            control->Style(i % 2 ? QStringLiteral("Edit") : QStringLiteral("Body"));
        }
        host.show();
        pages.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    report("a page of 40 styled fields created and shown", pages);
    return 0;
}
