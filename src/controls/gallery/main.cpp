// The control gallery: every style master's look in its normal, hover, pressed and disabled
// form, the navigation bar, progress bars, a text frame, a list field and the LED font; with
// "dialogs" as argument, the message dialog in each of its modes; with "progress", a Progress
// dialog advanced by a blocking loop. For looking at, not for use.
#include "controls/ButtonBar.h"
#include "controls/ButtonGlyphs.h"
#include "controls/FontsModule.h"
#include "controls/ProgBar.h"
#include "controls/QKBtn.h"
#include "controls/TextFrame.h"
#include "controls/Themes.h"
#include "shell/MessageFrm.h"
#include "store/BrandingModule.h"
#include "store/ResourceFolder.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>

namespace {

constexpr ColourValue DisplayBack = 0x353535;

struct RowSize {
    const char* style;
    int width;
    int height;
    const char* caption;
};

// Sizes of the samples as pages use them.
const RowSize Rows[] = {
    {"Title", 180, 36, "Information"},
    {"Header1", 180, 28, "Display"},
    {"Header2", 180, 24, "Settings"},
    {"Body", 180, 20, "Station &Number"},
    {"Liftout", 180, 22, "Power cycle needed"},
    {"Hyperlink", 180, 22, "www.example.com"},
    {"Button", 140, 30, "&Connect"},
    {"Edit", 140, 30, "000.000"},
    {"Live", 140, 30, "12.345"},
    {"LCD", 180, 52, "1234.56789"},
    {"LCDSeg", 60, 30, "kg"},
    {"FrmButtons", 30, 26, "X"},
    {"ChrtButtons", 30, 26, "R"},
};

QLabel* label(QWidget* parent, const QString& text, int x, int y, int width) {
    auto* result = new QLabel(text, parent);
    QPalette palette = result->palette();
    palette.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    result->setPalette(palette);
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSizeF(9);
    result->setFont(font);
    result->setGeometry(x, y, width, 20);
    return result;
}

void showHover(QKBtn* control) {
    const QPointF inside(control->width() / 2.0, control->height() / 2.0);
    QEnterEvent enter(inside, control->mapTo(control->window(), inside),
                      control->mapToGlobal(inside));
    QCoreApplication::sendEvent(control, &enter);
}

void showPressed(QKBtn* control) {
    const QPointF inside(control->width() / 2.0, control->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, inside, control->mapToGlobal(inside),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
}

QWidget* stylesPage(bool branded) {
    auto* page = new QWidget;
    page->setWindowTitle(QStringLiteral("Control gallery"));
    page->setAutoFillBackground(true);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, ColourModule::ToQColor(DisplayBack));
    page->setPalette(palette);
    page->resize(1366, 768);

    auto* themes = new Themes(page);
    themes->hide();
    if (branded) {
        // As the program looks with the brand file beside it.
        themes->ApplyBrand(Brand());
        QPalette brandPalette = page->palette();
        brandPalette.setColor(QPalette::Window, ColourModule::ToQColor(Brand().DisplayBack));
        page->setPalette(brandPalette);
    }

    const int left = 12;
    const int columnX[] = {110, 300, 490, 680};
    const char* heads[] = {"Normal", "Hover", "Pressed", "Disabled"};
    for (int c = 0; c < 4; ++c) {
        label(page, QLatin1String(heads[c]), columnX[c], 6, 200);
    }
    int y = 30;
    for (const RowSize& row : Rows) {
        label(page, QLatin1String(row.style), left, y + (row.height - 20) / 2, 105);
        for (int c = 0; c < 4; ++c) {
            auto* control = new QKBtn(page);
            control->setGeometry(columnX[c], y, row.width, row.height);
            control->Style(QLatin1String(row.style));
            const QKBtn* sample = themes->Sample(QLatin1String(row.style));
            // A page gives its controls the size and weight of the sample's font.
            QFont font = control->Font();
            font.setPointSizeF(sample->Font().pointSizeF());
            font.setBold(sample->Font().bold());
            control->Font(font);
            control->Inactive(sample->Inactive());
            control->Alignment(sample->Alignment());
            control->Format(sample->Format());
            control->Editable(sample->Editable());
            control->Caption(QLatin1String(row.caption));
            if (c == 1) {
                showHover(control);
            } else if (c == 2) {
                showPressed(control);
            } else if (c == 3) {
                control->Enabled(false);
            }
        }
        y += row.height + 8;
    }

    // Right-hand column: the other controls.
    const int rightX = 1010;
    label(page, QStringLiteral("ButtonBar (Home selected, Measurement hovered)"), rightX - 30, 6,
          380);
    auto* bar = new ButtonBar(page);
    bar->move(1356 - bar->width(), 30);
    bar->Clear();
    for (const QChar glyph :
         {ButtonGlyphs::Home, ButtonGlyphs::Information, ButtonGlyphs::SaveRestore,
          ButtonGlyphs::Measurement, ButtonGlyphs::Communications, ButtonGlyphs::Calibration,
          ButtonGlyphs::Factory}) {
        bar->AddButton(QString(glyph));
    }
    bar->DrawMe();
    bar->SetSelectedButton(1);
    showHover(bar->Button(3));

    label(page, QStringLiteral("ProgBar 0, 55 (6 lit), 100; bordered 30"), rightX, 100, 340);
    const float values[] = {0.0f, 55.0f, 100.0f};
    int barY = 124;
    for (const float value : values) {
        auto* progress = new ProgBar(page);
        progress->ForeColor(0x0080FF);
        progress->BackColor(0x272727);
        progress->setGeometry(rightX, barY, 340, 18);
        progress->VALUE(value);
        barY += 26;
    }
    auto* bordered = new ProgBar(page);
    bordered->BorderStyle(true);
    bordered->setGeometry(rightX, barY, 340, 18);
    bordered->VALUE(30.0f);

    label(page, QStringLiteral("TextFrame"), rightX, 240, 200);
    auto* frame = new TextFrame(page);
    frame->setGeometry(rightX, 262, 340, 40);
    frame->Caption(QStringLiteral(
        "Communications Failure: No Response. Check the cable and the station number, then "
        "press Retry."));

    label(page, QStringLiteral("Edit fields: list (open arrow), text, toggle on/off"), rightX, 360,
          360);
    auto* list = new QKBtn(page);
    list->Style(QStringLiteral("Edit"));
    list->Editable(QKBtn::EditList);
    list->List(QStringLiteral("Metric|Imperial|US"));
    list->ListIndex(1);
    list->setGeometry(rightX, 384, 160, 30);
    auto* text = new QKBtn(page);
    text->Style(QStringLiteral("Edit"));
    text->Editable(QKBtn::EditText);
    text->Format(QStringLiteral("0.00"));
    text->Caption(QStringLiteral("12.5"));
    text->setGeometry(rightX + 180, 384, 160, 30);
    list->setObjectName(QStringLiteral("galleryList"));
    text->setObjectName(QStringLiteral("galleryText"));
    for (int i = 0; i < 2; ++i) {
        auto* toggle = new QKBtn(page);
        toggle->Style(QStringLiteral("Button"));
        toggle->Toggle(true);
        toggle->CaptionOn(QStringLiteral("Hold On"));
        toggle->CaptionOff(QStringLiteral("Hold Off"));
        toggle->State(i == 0);
        toggle->setGeometry(rightX + i * 180, 424, 160, 30);
    }
    auto* twoLines = new QKBtn(page);
    twoLines->Style(QStringLiteral("Body"));
    twoLines->Inactive(true);
    twoLines->Alignment(QKBtn::AlignLeft);
    twoLines->Caption(QStringLiteral("Two lines:**Save && Restore"));
    twoLines->setGeometry(rightX, 464, 340, 40);

    label(page, QStringLiteral("QK-LED font"), rightX, 520, 200);
    auto* led = new QKBtn(page);
    led->Style(QStringLiteral("LCD"));
    led->Inactive(true);
    QFont ledFont{QLatin1String(FontsModule::LedFamily)};
    led->Font(ledFont);
    led->Caption(QStringLiteral("-123.45"));
    led->setGeometry(rightX, 544, 340, 60);
    return page;
}

QWidget* dialogsPage() {
    auto* page = new QWidget;
    page->setWindowTitle(QStringLiteral("Message dialogs"));
    page->resize(1366, 768);
    page->setAutoFillBackground(true);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, QColor(0x60, 0x60, 0x60));
    page->setPalette(palette);
    (new Themes(page))->hide();

    struct Sample {
        qint16 mode;
        bool error;
        const char* title;
        const char* message;
        QPoint at;
    };
    const Sample samples[] = {
        {MessageFrm::ModeOK, true, "Error", "Cannot open selected serial port!", {20, 20}},
        {MessageFrm::ModeNotice,
         false,
         "Pairing...",
         "You have 10 seconds to perform Pairing on the ZEX.",
         {480, 20}},
        {MessageFrm::ModeProgress,
         false,
         "Save Configuration",
         "Now retrieving configuration data from module and writing to file...",
         {940, 20}},
        {MessageFrm::ModeYesNo,
         true,
         "Communications Error",
         "A communication error occurred during the last stage!\r\nWould you like to retry the "
         "last stage or abort the process?\r\n\r\nClick Yes to retry.\r\nClick No to Abort.",
         {20, 260}},
    };
    for (const Sample& sample : samples) {
        auto* frm = new MessageFrm(page);
        frm->setWindowFlags(Qt::Widget);
        frm->Prepare(QLatin1String(sample.message), QLatin1String(sample.title), sample.error,
                     sample.mode, CurrentMessageColours());
        if (sample.mode == MessageFrm::ModeProgress) {
            frm->ProgBar->VALUE(55.0f);
        }
        frm->move(sample.at);
        frm->show();
    }
    return page;
}

// A bare window behind the Progress dialog, as the main window is behind it during a save.
QWidget* busyPage() {
    auto* page = new QWidget;
    page->setWindowTitle(QStringLiteral("Busy"));
    page->resize(900, 500);
    page->setAutoFillBackground(true);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, ColourModule::ToQColor(DisplayBack));
    page->setPalette(palette);
    (new Themes(page))->hide();
    return page;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString resources = ResourceFolder::OfThisProgram();
    FontsModule::RegisterPrivateFonts(resources);
    // The dialogs take their colours from the brand file beside the program.
    const BrandingModule::BrandLoadResult brand = BrandingModule::LoadProgramBranding(resources);
    if (!brand.ok()) {
        qWarning("Brand file not loaded (%s): dialogs show black", qPrintable(brand.error));
    }
    const QStringList arguments = app.arguments();
    QWidget* page = arguments.contains(QStringLiteral("progress")) ? busyPage()
                    : arguments.contains(QStringLiteral("dialogs"))
                        ? dialogsPage()
                        : stylesPage(arguments.contains(QStringLiteral("brand")));
    page->move(0, 0);
    page->show();
    // "open-list" and "open-editor" show the in-place editors of the two sample fields.
    for (const char* name : {"open-list", "open-editor"}) {
        if (arguments.contains(QLatin1String(name))) {
            const QString field = QLatin1String(name) == QLatin1String("open-list")
                                      ? QStringLiteral("galleryList")
                                      : QStringLiteral("galleryText");
            QTimer::singleShot(500, page, [page, field] {
                page->activateWindow();
                page->findChild<QKBtn*>(field)->DoEdit();
            });
        }
    }
    // "progress" runs a Progress dialog from a loop that keeps the event loop waiting, as a save
    // does: the dialog and each step of its bar must reach the screen all the same.
    if (arguments.contains(QStringLiteral("progress"))) {
        QTimer::singleShot(500, page, [page] {
            SetMessageOwner(page);
            ShowMessage(QStringLiteral("Now retrieving configuration data from module and "
                                       "writing to file..."),
                        QStringLiteral("Save Configuration"), false, MessageFrm::ModeProgress);
            for (int value = 10; value <= 100; value += 10) {
                QThread::msleep(800);
                SetMessageProgress(float(value));
            }
            QThread::msleep(800);
            UnloadMessageFrm();
        });
    }
    // "--quit-after N" closes the gallery after N ms, for scripted screenshots.
    const int quitAt = int(arguments.indexOf(QStringLiteral("--quit-after")));
    if (quitAt >= 0 && quitAt + 1 < arguments.size()) {
        QTimer::singleShot(arguments.at(quitAt + 1).toInt(), &app, &QApplication::quit);
    }
    return app.exec();
}
