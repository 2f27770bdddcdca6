#include "controls/QKBtn.h"
#include "util/ApplicationState.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

// A field on a shown window, with its events counted.
struct Field {
    explicit Field(QWidget& host, const QRect& geometry = QRect(10, 10, 160, 30))
        : Field(host, QKBtn::EditNone, geometry) {}
    Field(QWidget& host, qint32 editable, const QRect& geometry = QRect(10, 10, 160, 30))
        : control(new QKBtn(&host))
        , changed(control, &QKBtn::Changed)
        , clicked(control, &QKBtn::Click)
        , doubleClicked(control, &QKBtn::DblClick)
        , rightClicked(control, &QKBtn::RightClick)
        , mouseIn(control, &QKBtn::MouseIn)
        , mouseOut(control, &QKBtn::MouseOut)
        , beforeDropdown(control, &QKBtn::BeforeDropdown) {
        control->setGeometry(geometry);
        control->Editable(editable);
        control->SetBeep([this] { ++beeps; });
        control->show();
    }
    QPoint centre() const { return control->rect().center(); }

    QKBtn* control;
    QSignalSpy changed;
    QSignalSpy clicked;
    QSignalSpy doubleClicked;
    QSignalSpy rightClicked;
    QSignalSpy mouseIn;
    QSignalSpy mouseOut;
    QSignalSpy beforeDropdown;
    int beeps = 0;
};

} // namespace

class TestQKBtn : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> host;

    void openEditorAndType(Field& field, const QString& typed) {
        QTest::mouseClick(field.control, Qt::LeftButton, {}, field.centre());
        QVERIFY(field.control->IsTextEditorOpen());
        QTest::keyClicks(field.control->TextEditor(), typed);
    }

private Q_SLOTS:
    void init() {
        AppState().DecimalSeparator = QStringLiteral(".");
        host = std::make_unique<QWidget>();
        host->resize(400, 300);
        host->show();
        // Focus moves only inside the active window (under a window manager, not at once).
        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
    }
    void cleanup() { host.reset(); }

    void theBackgroundIsTheContainersUntilSet() {
        QKBtn control;
        QCOMPARE(control.BackColor(), ColourModule::WindowBackground); // no container yet
        QWidget page;
        QPalette dark = page.palette();
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        page.setPalette(dark);
        const QKBtn placed(&page);
        QCOMPARE(placed.BackColor(), ColourValue(0x353535));
        QCOMPARE(placed.BackColorHover(), ColourModule::WindowBackground);
    }

    void aClickRunsTheClickActionExactlyOnce() {
        Field field(*host);
        field.control->Caption(QStringLiteral("Connect"));
        QTest::mouseClick(field.control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(field.clicked.count(), 1);

        // A double click as the window system delivers it.
        QTest::mousePress(field.control, Qt::LeftButton, {}, field.centre());
        QTest::mouseRelease(field.control, Qt::LeftButton, {}, field.centre());
        QTest::mousePress(field.control, Qt::LeftButton, {}, field.centre());
        QTest::mouseDClick(field.control, Qt::LeftButton, {}, field.centre());
        QTest::mouseRelease(field.control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(field.doubleClicked.count(), 1);
        QCOMPARE(field.clicked.count(), 2); // one for the single click, one for the double

        QTest::mouseClick(field.control, Qt::RightButton, {}, field.centre());
        QCOMPARE(field.rightClicked.count(), 1);
        QCOMPARE(field.clicked.count(), 2);
    }

    void draggingOffOrReleasingOutsideIsNoClick() {
        Field field(*host);
        QKBtn& control = *field.control;
        control.BackColorDown(ColourModule::Rgb(9, 9, 9));
        const auto drag = [&control](const QPoint& to) {
            QMouseEvent move(QEvent::MouseMove, to, control.mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&control, &move);
        };
        QTest::mousePress(&control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(control.ShownFillColor(), control.BackColorDown());
        drag(QPoint(-20, field.centre().y()));
        QCOMPARE(control.ShownFillColor(), control.BackColor());
        QCOMPARE(control.CaptionOffset(), QPoint(0, 0));
        drag(field.centre()); // back on: pressed again, and a release there clicks
        QCOMPARE(control.ShownFillColor(), control.BackColorDown());
        QTest::mouseRelease(&control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(field.clicked.count(), 1);
        // Released outside, a press is no click.
        QTest::mousePress(&control, Qt::LeftButton, {}, field.centre());
        QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(field.clicked.count(), 1);
        QCOMPARE(control.ShownFillColor(), control.BackColor());
    }

    void enterAndSpaceClickOnKeyUp() {
        Field field(*host);
        field.control->BackColorDown(ColourModule::Rgb(9, 9, 9));
        field.control->setFocus();
        QTest::keyPress(field.control, Qt::Key_Return);
        QCOMPARE(field.control->ShownFillColor(), field.control->BackColorDown());
        QCOMPARE(field.clicked.count(), 0);
        QTest::keyRelease(field.control, Qt::Key_Return);
        QCOMPARE(field.clicked.count(), 1);
        QTest::keyClick(field.control, Qt::Key_Space);
        QCOMPARE(field.clicked.count(), 2);
        QTest::keyClick(field.control, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(field.clicked.count(), 3);
        // Released (the pointer of a real display may still rest on it: then the hover look).
        QVERIFY(field.control->ShownFillColor() != field.control->BackColorDown());
    }

    void hoverRaisesMouseInAndOutOnceAndShowsTheHoverLook() {
        Field field(*host);
        QKBtn& control = *field.control;
        control.ForeColorHover(ColourModule::Rgb(1, 2, 3));
        control.BackColorHover(ColourModule::Rgb(4, 5, 6));
        control.HoverOffset(2);
        control.Underline(true);
        // A real window system moves the pointer some time after the call.
        QTest::mouseMove(&control, field.centre());
        QTRY_COMPARE(field.mouseIn.count(), 1);
        QTest::mouseMove(&control, field.centre() + QPoint(3, 0));
        QTRY_COMPARE(control.CaptionOffset(), QPoint(2, 2));
        QCOMPARE(field.mouseIn.count(), 1);
        QCOMPARE(control.ShownForeColor(), ColourModule::Rgb(1, 2, 3));
        QCOMPARE(control.ShownFillColor(), ColourModule::Rgb(4, 5, 6));
        QVERIFY(control.ShownUnderline());

        QTest::mouseMove(host.get(), QPoint(350, 250));
        QTRY_COMPARE(field.mouseOut.count(), 1);
        QVERIFY(!control.ShownUnderline()); // never underlined in the normal look
        QCOMPARE(control.CaptionOffset(), QPoint(0, 0));
        QCOMPARE(field.mouseIn.count(), 1);
    }

    void aToggleFlipsStateAndShowsTheMatchingCaption() {
        Field field(*host);
        QKBtn& control = *field.control;
        control.Toggle(true);
        control.CaptionOn(QStringLiteral("Hold On"));
        control.CaptionOff(QStringLiteral("Hold Off"));
        QCOMPARE(control.ShownText(), QStringLiteral("Hold Off"));
        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        QVERIFY(control.State());
        QCOMPARE(control.ShownText(), QStringLiteral("Hold On"));
        QTest::mouseMove(host.get(), QPoint(350, 250));
        // An "on" control keeps the pressed look without the pointer.
        QCOMPARE(control.ShownFillColor(), control.BackColorDown());
        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        QVERIFY(!control.State());
        QCOMPARE(field.clicked.count(), 2);
    }

    void anInactiveControlShowsNoLooksTakesNoFocusAndOpensNoEditor() {
        Field field(*host, QKBtn::EditText);
        Field next(*host, QRect(10, 60, 160, 30));
        QKBtn& control = *field.control;
        control.Inactive(true);
        QTest::mouseMove(&control, field.centre());
        QTest::mousePress(&control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(field.mouseIn.count(), 0);
        QCOMPARE(control.ShownFillColor(), control.BackColor());
        QTest::mouseRelease(&control, Qt::LeftButton, {}, field.centre());
        QVERIFY(!control.IsTextEditorOpen());

        control.setFocus(Qt::OtherFocusReason);
        QVERIFY(!control.hasFocus());

        // A display-only label is no button either.
        Field label(*host, QRect(10, 110, 160, 30));
        label.control->Inactive(true);
        QTest::mouseClick(label.control, Qt::LeftButton, {}, label.centre());
        QCOMPARE(label.clicked.count(), 0);
    }

    void disabledLookAndFocusBorder() {
        Field field(*host);
        QKBtn& control = *field.control;
        control.setFocus();
        QTRY_VERIFY(control.hasFocus());
        QCOMPARE(control.ShownBorderColor(), control.BorderColorFocus());
        control.Enabled(false);
        QCOMPARE(control.ShownForeColor(), control.ForeColorDisabled());
        QCOMPARE(control.ShownFillColor(), control.BackColorDisabled());
        QCOMPARE(control.ShownBorderColor(), control.BorderColorDisabled());
        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(field.clicked.count(), 0);
        control.Enabled(true);
        QCOMPARE(control.ShownFillColor(), control.BackColor());
    }

    void aDoubleStarPaintsTheCaptionOnTwoLines() {
        Field field(*host, QRect(10, 10, 200, 80));
        QKBtn& control = *field.control;
        control.Stretch(false);
        QFont font = control.Font();
        font.setPointSizeF(10.0);
        control.Font(font);
        control.BackColor(ColourModule::Rgb(255, 255, 255));
        control.ForeColor(ColourModule::Rgb(0, 0, 0));
        // The rows of the control that hold ink.
        const auto inkRows = [&control](const QString& caption) {
            control.Caption(caption);
            const QImage image = control.grab().toImage();
            int top = image.height();
            int bottom = -1;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qGray(image.pixel(x, y)) < 128) {
                        top = qMin(top, y);
                        bottom = y;
                        break;
                    }
                }
            }
            return bottom - top + 1;
        };
        const int oneLine = inkRows(QStringLiteral("Save Restore"));
        QVERIFY(oneLine > 0);
        QVERIFY2(inkRows(QStringLiteral("Save**Restore")) > 3 * oneLine / 2,
                 qPrintable(QString::number(oneLine)));
    }

    // The formats are the number format module's; the caption goes through them (a pattern is
    // checked where a typed value is committed).
    void anAutomaticFormatReadsTheExponentForm() {
        QKBtn control;
        control.Format(QStringLiteral("*"));
        control.Caption(QStringLiteral("1.234568E+07"));
        QCOMPARE(control.ShownText(), QStringLiteral("12345680"));
    }

    void accessKeysMoveTheFocus() {
        Field retry(*host);
        Field label(*host, QRect(10, 50, 160, 30));
        Field station(*host, QRect(10, 90, 160, 30));
        Field baud(*host, QRect(10, 130, 160, 30));
        retry.control->Caption(QStringLiteral("&Retry"));
        label.control->Inactive(true);
        label.control->Caption(QStringLiteral("Station &Number"));
        baud.control->setFocus();
        QTest::keyClick(baud.control, Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(retry.control->hasFocus());
        QCOMPARE(retry.clicked.count(), 0); // focus only, no click
        // A label's access key leads to the control after it.
        QTest::keyClick(retry.control, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(station.control->hasFocus());
    }

    void anUnknownBorderStyleIsStoredAndChangesNothing() {
        Field field(*host, QRect(10, 10, 100, 40));
        QKBtn& control = *field.control;
        control.BorderStyle(2);
        const QImage rounded = control.grab().toImage();
        control.BorderStyle(9);
        QCOMPARE(control.BorderStyle(), 9);
        QCOMPARE(control.grab().toImage(), rounded);
        control.BorderStyle(1);
        QVERIFY(control.grab().toImage() != rounded);
    }

    void theFontIsFittedToTheCaptionHeight() {
        Field field(*host, QRect(10, 10, 200, 40));
        QKBtn& control = *field.control;
        const double size = control.Font().pointSizeF();
        QVERIFY(QFontMetricsF(control.Font(), &control).height() <= 40.0);
        QFont larger = control.Font();
        larger.setPointSizeF(size + 0.5);
        QVERIFY(QFontMetricsF(larger, &control).height() > 40.0);
        control.ClickOffset(2); // a pressed caption moves, so it fits 90 %
        QVERIFY(QFontMetricsF(control.Font(), &control).height() <= 36.0);
    }

    // --- text editor ---------------------------------------------------------------------

    void typingAndEnterCommitsOnceAndEscapeCancels() {
        Field field(*host, QKBtn::EditText);
        field.control->Allowed(QStringLiteral("0123456789.-"));
        field.control->Format(QStringLiteral("0.00")); // the caption is stored formatted
        openEditorAndType(field, QStringLiteral("12x.5."));
        QCOMPARE(field.control->TextEditor()->text(), QStringLiteral("12.5"));
        QTest::keyClick(field.control->TextEditor(), Qt::Key_Return);
        QCOMPARE(field.control->Caption(), QStringLiteral("12.50"));
        QCOMPARE(field.changed.count(), 1);
        QVERIFY(!field.control->IsTextEditorOpen());
        QCOMPARE(field.control->VALUE(), 12.5);
        openEditorAndType(field, QStringLiteral("99")); // Escape cancels without Changed
        QTest::keyClick(field.control->TextEditor(), Qt::Key_Escape);
        QCOMPARE(field.control->Caption(), QStringLiteral("12.50"));
        QCOMPARE(field.changed.count(), 1);
        QVERIFY(!field.control->IsTextEditorOpen());
    }

    void movingTheFocusAwayCommits() {
        Field field(*host, QKBtn::EditText);
        Field other(*host, QRect(10, 60, 160, 30));
        openEditorAndType(field, QStringLiteral("42"));
        other.control->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(!field.control->IsTextEditorOpen());
        QCOMPARE(field.control->Caption(), QStringLiteral("42"));
        QCOMPARE(field.changed.count(), 1);
        QCOMPARE(field.control->ShownBorderColor(), field.control->BorderColor());
    }

    void committedNumbers_data() {
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<QString>("typed"); // "" clears the field with Backspace
        QTest::addColumn<bool>("accepted");
        const auto row = [](const char* name, bool numeric, const char* format, double min,
                            double max, const char* typed, bool accepted) {
            QTest::newRow(name) << numeric << QString(format) << min << max << QString(typed)
                                << accepted;
        };
        row("below Min is refused", false, "", 0.0, 100.0, "-5", false);
        row("Max itself is accepted", false, "", 0.0, 100.0, "100", true);
        row("above Max is refused", false, "", 0.0, 100.0, "100.5", false);
        row("no range accepts any number", true, "", 0.0, 0.0, "-123456", true);
        row("a number beyond a single float is refused", true, "", 0.0, 0.0, "1e39", false);
        row("an overflowing number is refused", true, "", 0.0, 0.0, "9e999", false);
        row("a cleared numeric field is refused", true, "", 0.0, 0.0, "", false);
        row("a lone minus is refused", true, "", 0.0, 0.0, "-", false);
        row("a lone point is refused", true, "", 0.0, 0.0, ".", false);
        row("a cleared field with a range is refused", false, "", 0.0, 100.0, "", false);
        row("a cleared field with a number format is refused", false, "*", 0.0, 0.0, "", false);
        row("a cleared text field commits its empty text", false, "", 0.0, 0.0, "", true);
    }
    void committedNumbers() {
        QFETCH(bool, numeric);
        QFETCH(QString, format);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        Field field(*host, QKBtn::EditText);
        field.control->Caption(QStringLiteral("1"));
        field.control->IsNumeric(numeric);
        field.control->Format(format);
        field.control->Min(min);
        field.control->Max(max);
        openEditorAndType(field, typed);
        if (typed.isEmpty()) {
            QTest::keyClick(field.control->TextEditor(), Qt::Key_Backspace);
            QCOMPARE(field.control->TextEditor()->text(), QString());
        }
        QTest::keyClick(field.control->TextEditor(), Qt::Key_Return);
        QCOMPARE(field.changed.count(), accepted ? 1 : 0);
        QCOMPARE(field.beeps, accepted ? 0 : 1);
        QCOMPARE(field.control->Caption(), accepted ? typed : QStringLiteral("1"));
        QVERIFY(!field.control->IsTextEditorOpen());
    }

    void pastesAndKeysThatBringTextPassTheSameRulesAsTyping() {
        Field field(*host, QKBtn::EditText);
        field.control->Allowed(QStringLiteral("0123456789"));
        field.control->MaxLength(4);
        openEditorAndType(field, QStringLiteral("1"));
        QLineEdit* editor = field.control->TextEditor();
        // AltGr arrives as Ctrl+Alt; the keypad's digits with the keypad modifier.
        QTest::keyClick(editor, '@', Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(editor, 'x', Qt::MetaModifier);
        QTest::keyClick(editor, '2', Qt::KeypadModifier);
        QCOMPARE(editor->text(), QStringLiteral("12"));
        QApplication::clipboard()->setText(QStringLiteral("a3b4c5d6e"));
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor->text(), QStringLiteral("1234"));
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor->text(), QStringLiteral("1234")); // full: nothing more goes in
    }

    void aCaptionLongerThanMaxLengthIsEditedWhole() {
        Field field(*host, QKBtn::EditText);
        field.control->MaxLength(3);
        field.control->Caption(QStringLiteral("12345"));
        QTest::mouseClick(field.control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(field.control->TextEditor()->text(), QStringLiteral("12345"));
        QTest::keyClick(field.control->TextEditor(), Qt::Key_Return);
        QCOMPARE(field.control->Caption(), QStringLiteral("12345"));
    }

    void theContextMenuPasteIsFilteredToo() {
        Field field(*host, QKBtn::EditText);
        field.control->Allowed(QStringLiteral("0123456789.-"));
        QApplication::clipboard()->setText(QStringLiteral("-1.2.3x"));
        QTest::mouseClick(field.control, Qt::LeftButton, {}, field.centre());
        QLineEdit* editor = field.control->TextEditor();
        editor->setCursorPosition(editor->text().size());
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    editor->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(editor, &menuEvent);
        QTRY_VERIFY(QApplication::activePopupWidget());
        auto* paste =
            QApplication::activePopupWidget()->findChild<QAction*>(QStringLiteral("edit-paste"));
        QVERIFY(paste);
        paste->trigger();
        // "Caption" came first; a sign away from the start and a second point are dropped.
        QCOMPARE(editor->text(), QStringLiteral("Caption1.23"));
        QApplication::activePopupWidget()->close();
        QVERIFY(field.control->IsTextEditorOpen()); // the menu did not commit the edit
        QCOMPARE(field.changed.count(), 0);
    }

    void aHexFieldPadsItsTextAndNeverReadsAnExponent() {
        Field field(*host, QKBtn::EditText);
        QKBtn& control = *field.control;
        control.Allowed(QStringLiteral("1234567890abcdefABCDEF"));
        control.MaxLength(6);
        control.Format(QStringLiteral("000000"));
        control.UpperCase(true);
        openEditorAndType(field, QStringLiteral("1e3"));
        QTest::keyClick(control.TextEditor(), Qt::Key_Return);
        QCOMPARE(field.beeps, 0);
        QCOMPARE(control.Caption(), QStringLiteral("0001E3"));
        QCOMPARE(control.ShownText(), QStringLiteral("0001E3"));
        QCOMPARE(control.VALUE(), 1.0);
    }

    void aCommaLocaleReadsItsOwnSeparator() {
        AppState().DecimalSeparator = QStringLiteral(",");
        Field field(*host, QKBtn::EditText);
        field.control->Allowed(QStringLiteral("0123456789.-"));
        field.control->Min(0);
        field.control->Max(10);
        openEditorAndType(field, QStringLiteral("2.5,7")); // "." is no separator here
        QCOMPARE(field.control->TextEditor()->text(), QStringLiteral("25,7"));
        field.control->TextEditor()->selectAll();
        QTest::keyClicks(field.control->TextEditor(), QStringLiteral("2,5"));
        QTest::keyClick(field.control->TextEditor(), Qt::Key_Return);
        QCOMPARE(field.changed.count(), 1);
        QCOMPARE(field.control->VALUE(), 2.5);
    }

    void aControlDestroyedWhileEditingRaisesNothing() {
        auto field = std::make_unique<Field>(*host, QKBtn::EditText);
        openEditorAndType(*field, QStringLiteral("5"));
        QVERIFY(field->control->TextEditor()->hasFocus());
        int changes = 0;
        connect(field->control, &QKBtn::Changed, host.get(), [&changes] { ++changes; });
        delete field->control;
        QCOMPARE(changes, 0);

        Field list(*host, QKBtn::EditList);
        list.control->List(QStringLiteral("a|b"));
        QTest::mouseClick(list.control, Qt::LeftButton);
        QTRY_VERIFY(list.control->IsListOpen());
        delete list.control;
    }

    void editorsOpenedByThePointerTakeThePressedColours_data() {
        QTest::addColumn<int>("editable");
        QTest::addColumn<ColourValue>("down");
        QTest::addColumn<ColourValue>("hover");
        // The field style: the pressed fill is the normal one, the hover fill stands out.
        QTest::newRow("a text field")
            << int(QKBtn::EditText) << ColourValue(0x80C0FF) << ColourValue(0x0080FF);
        QTest::newRow("a list field")
            << int(QKBtn::EditList) << ColourValue(0x80C0FF) << ColourValue(0x0080FF);
        QTest::newRow("a list field whose hover fill is its pressed fill")
            << int(QKBtn::EditList) << ColourValue(0x0080FF) << ColourValue(0x0080FF);
    }
    void editorsOpenedByThePointerTakeThePressedColours() {
        QFETCH(int, editable);
        QFETCH(ColourValue, down);
        QFETCH(ColourValue, hover);
        Field field(*host, editable);
        QKBtn& control = *field.control;
        control.BackColor(0x80C0FF);
        control.BackColorDown(down);
        control.BackColorHover(hover);
        control.ForeColor(0x272727);
        control.ForeColorDown(0x272727);
        control.ForeColorHover(0x272727);
        control.List(QStringLiteral("Metric|Imperial|US"));
        control.ListIndex(1);
        QTest::mouseMove(&control, field.centre());
        QTRY_VERIFY(control.IsHovered());
        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        const QColor pressed = ColourModule::ToQColor(down);
        if (editable == QKBtn::EditText) {
            QVERIFY(control.IsTextEditorOpen());
            QCOMPARE(control.TextEditor()->palette().color(QPalette::Base), pressed);
            return;
        }
        QTRY_VERIFY(control.IsListOpen());
        const QPalette list = control.DropList()->palette();
        QCOMPARE(list.color(QPalette::Base), pressed);
        QVERIFY(ColourModule::AreDistinct(list.color(QPalette::Highlight), pressed));
        QVERIFY(ColourModule::ContrastRatio(list.color(QPalette::Highlight),
                                            list.color(QPalette::HighlightedText)) >= 3.0);
        QCOMPARE(control.DropList()->currentRow(), 1);
        QTest::keyClick(control.DropList(), Qt::Key_Escape);
    }

    // --- list editor ---------------------------------------------------------------------

    // The page may refill the list before it opens.
    void pickingAnItemWithThePointer() {
        Field field(*host, QKBtn::EditList);
        QKBtn& control = *field.control;
        control.List(QStringLiteral("COM1|COM3"));
        QVERIFY(control.IsDropArrowVisible());
        connect(&control, &QKBtn::BeforeDropdown, &control,
                [&control] { control.List(QStringLiteral("Metric|Imperial|US")); });
        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        QCOMPARE(field.beforeDropdown.count(), 1);
        QTRY_VERIFY(control.IsListOpen());
        QListWidget* list = control.DropList();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Imperial"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(2)).center());
        QTRY_VERIFY(!control.IsListOpen());
        QCOMPARE(control.Caption(), QStringLiteral("US"));
        QCOMPARE(control.ListIndex(), qint16(2));
        QCOMPARE(field.changed.count(), 1);
        QCOMPARE(field.clicked.count(), 0);
    }

    void pickingWithTheKeyboardStartsAtTheShownItem() {
        Field field(*host, QKBtn::EditList);
        QKBtn& control = *field.control;
        control.List(QStringLiteral("No|Yes|Maybe"));
        control.Caption(QStringLiteral("Yes"));
        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        QTRY_VERIFY(control.IsListOpen());
        QCOMPARE(control.DropList()->currentRow(), 1);
        QTest::keyClick(control.DropList(), Qt::Key_Down);
        QTest::keyClick(control.DropList(), Qt::Key_Return);
        QCOMPARE(control.Caption(), QStringLiteral("Maybe"));
        QCOMPARE(field.changed.count(), 1);

        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        QTRY_VERIFY(control.IsListOpen());
        QTest::keyClick(control.DropList(), Qt::Key_Escape);
        QVERIFY(!control.IsListOpen());
        QCOMPARE(field.changed.count(), 1);
    }

    void openingAListKeepsTheChoiceAmongItemsThatReadAlike() {
        Field field(*host, QKBtn::EditList);
        QKBtn& control = *field.control;
        control.List(QStringLiteral("0.00000|0.00000|00.0000"));
        control.ListIndex(1);
        QTest::mouseClick(&control, Qt::LeftButton, {}, field.centre());
        QTRY_VERIFY(control.IsListOpen());
        QCOMPARE(control.DropList()->currentRow(), 1);
        QTest::keyClick(control.DropList(), Qt::Key_Return);
        QVERIFY(!control.IsListOpen());
        QCOMPARE(control.ListIndex(), qint16(1));
        QCOMPARE(field.changed.count(), 0); // the choice did not change
    }

    void listIndexWithAndWithoutCodes() {
        QKBtn control;
        control.List(QStringLiteral("Metric|Imperial|US"));
        control.ListIndex(2);
        QCOMPARE(control.Caption(), QStringLiteral("US"));
        control.ListIndex(9); // outside the list: nothing chosen, nothing raised
        QCOMPARE(control.Caption(), QString());
        QCOMPARE(control.ListIndex(), qint16(-1));

        control.Allowed(QStringLiteral("0|10|20"));
        control.List(QStringLiteral("Metric|Imperial|US"));
        control.ListIndex(20);
        QCOMPARE(control.Caption(), QStringLiteral("US"));
        QCOMPARE(control.ListIndex(), qint16(20));
        control.ListIndex(5); // no such code: the choice stays
        QCOMPARE(control.Caption(), QStringLiteral("US"));
        QCOMPARE(control.ListIndex(), qint16(20));

        control.UseListIndex(true);
        QCOMPARE(control.VALUE(), 20.0);

        control.ListClear();
        QCOMPARE(control.Caption(), QString());
        control.ListAddItem(QStringLiteral("x"));
        control.ListAddItem(QStringLiteral("y"));
        QCOMPARE(control.List(), QStringLiteral("x|y"));
    }
};

QTEST_MAIN(TestQKBtn)
#include "tst_qkbtn.moc"
