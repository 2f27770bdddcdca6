#include "controls/QKBtn.h"
#include "controls/QKBtnModule.h"
#include "controls/Themes.h"

#include <QEnterEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>

namespace {

// Every test names styles of its own: the registry lives as long as the process.
QString uniqueStyle(const char* name) {
    static int serial = 0;
    return QStringLiteral("%1-%2").arg(QLatin1String(name)).arg(++serial);
}

void giveLook(QKBtn& control, ColourValue base) {
    control.BackColor(base + 1);
    control.BackColorDisabled(base + 2);
    control.BackColorHover(base + 3);
    control.BackColorDown(base + 4);
    control.BorderWidth(3);
    control.BorderColor(base + 5);
    control.BorderColorFocus(base + 6);
    control.BorderColorDisabled(base + 7);
    control.BorderStyle(4);
    control.ForeColor(base + 8);
    control.ForeColorDisabled(base + 9);
    control.ForeColorHover(base + 10);
    control.ForeColorDown(base + 11);
    control.Underline(true);
    control.ClickOffset(2);
    control.HoverOffset(3);
    control.ShowHandPointer(false);
    control.Stretch(false);
    QFont face = control.Font();
    face.setFamily(QStringLiteral("DejaVu Serif"));
    control.Font(face);
    control.Padding(5);
}

// Every part of the look a style carries but BorderColorDisabled, which comes only with
// UseMyStyle.
QVariantList lookOf(const QKBtn& c) {
    return {c.BackColor(),   c.BackColorDisabled(), c.BackColorHover(),   c.BackColorDown(),
            c.BorderWidth(), c.BorderColor(),       c.BorderColorFocus(), c.BorderStyle(),
            c.ForeColor(),   c.ForeColorDisabled(), c.ForeColorHover(),   c.ForeColorDown(),
            c.Underline(),   c.ClickOffset(),       c.HoverOffset(),      c.ShowHandPointer(),
            c.Stretch(),     c.Padding(),           c.Font().family()};
}

void verifySameLook(const QKBtn& copy, const QKBtn& master, bool withBorderColorDisabled) {
    QCOMPARE(lookOf(copy), lookOf(master));
    QCOMPARE(copy.BorderColorDisabled() == master.BorderColorDisabled(), withBorderColorDisabled);
}

} // namespace

class TestStyles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The first control of a style keeps its look and masters it; later ones copy it.
    void aLaterControlCopiesTheMasterAllButBorderColorDisabled() {
        const QString style = uniqueStyle("Button");
        QKBtn master;
        giveLook(master, 0x200);
        const qint32 expectedId = QKBtnModule::NextId();
        master.Style(style);
        QCOMPARE(master.StyleId(), expectedId);
        QCOMPARE(master.BackColor(), ColourValue(0x201));
        QCOMPARE(QKBtnModule::MasterOf(style), &master);
        const QString key = QString::number(expectedId) + QLatin1Char('i');
        QCOMPARE(QKBtnModule::RegisteredKeys().last(), key);
        QCOMPARE(QKBtnModule::StyleNameOf(key), style);
        QCOMPARE(QKBtnModule::ControlOf(key), &master);
        QKBtn copy;
        copy.Style(style);
        verifySameLook(copy, master, false);
        QCOMPARE(copy.BorderColorDisabled(), ColourValue(0)); // its own default

        // Writing UseMyStyle on the master brings BorderColorDisabled across too.
        master.BorderColorDisabled(0x2FF);
        master.BackColor(0x2AA);
        master.UseMyStyle(QString());
        verifySameLook(copy, master, true);
    }

    void joiningAStyleThatDoesNotStretchKeepsTheFontSize() {
        const QString style = uniqueStyle("Body");
        QKBtn master;
        master.Stretch(false);
        master.BorderWidth(2);
        master.Padding(4);
        master.Style(style);
        QWidget page;
        QFont pageFont = page.font();
        pageFont.setPointSizeF(9.0);
        page.setFont(pageFont);
        auto* label = new QKBtn(&page); // Stretch on by default, the page's font
        label->setGeometry(0, 0, 300, 80);
        label->Style(style);
        page.show();
        QCOMPARE(label->Font().pointSizeF(), 9.0);
    }

    void propagationReachesOnlyTheSameStyleNameExactly() {
        const QString style = uniqueStyle("Live");
        QKBtn master;
        master.Style(style);
        QKBtn same;
        same.Style(style);
        QKBtn otherCase;
        otherCase.Style(style.toUpper());
        QKBtn unstyled;
        const ColourValue before = otherCase.ForeColor();

        master.ForeColor(0x123456);
        master.UseMyStyle(QStringLiteral("anything"));
        QCOMPARE(same.ForeColor(), ColourValue(0x123456));
        QCOMPARE(otherCase.ForeColor(), before);
        QCOMPARE(unstyled.ForeColor(), before);
        QCOMPARE(unstyled.StyleId(), 0);

        // A control without a style propagates nothing.
        unstyled.ForeColor(0x654321);
        unstyled.UseMyStyle(QString());
        QCOMPARE(same.ForeColor(), ColourValue(0x123456));
    }

    // Restyling or destroying a control drops its entries; the style's next control masters it.
    void restylingOrDestroyingAControlLeavesTheRegistry() {
        const QString first = uniqueStyle("Body");
        const QString second = uniqueStyle("Title");
        QString oldKey;
        {
            QKBtn control;
            control.Style(first);
            oldKey = QString::number(control.StyleId()) + QLatin1Char('i');
            control.Style(second);
            QVERIFY(!QKBtnModule::RegisteredKeys().contains(oldKey));
            QCOMPARE(QKBtnModule::StyleNameOf(oldKey), QString());
            QVERIFY(control.StyleId() > 0);
            oldKey = QString::number(control.StyleId()) + QLatin1Char('i');
            QCOMPARE(QKBtnModule::StyleNameOf(oldKey), second);
            QKBtn unstyled;
            unstyled.Style(first);
            unstyled.Style(QString());
            QCOMPARE(unstyled.StyleId(), 0);
            QCOMPARE(QKBtnModule::MasterOf(first), nullptr);
        }
        QVERIFY(!QKBtnModule::RegisteredKeys().contains(oldKey));
        QKBtnModule::UnregisterStyledControl(4242424); // a missing key is ignored
        QKBtn successor;
        successor.Style(second);
        QCOMPARE(QKBtnModule::MasterOf(second), &successor);
    }

    void focusOnOneControlReleasesEveryOtherOne() {
        QWidget host;
        host.resize(300, 200);
        const QString style = uniqueStyle("Edit");
        auto* editing = new QKBtn(&host);
        editing->Style(style);
        editing->Editable(QKBtn::EditText);
        editing->setGeometry(10, 10, 120, 30);
        auto* other = new QKBtn(&host);
        other->Style(style);
        other->setGeometry(10, 60, 120, 30);
        auto* unstyled = new QKBtn(&host);
        unstyled->setGeometry(10, 110, 120, 30);
        host.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));

        // A control without a style takes no part in focus release.
        unstyled->setFocus();
        QKBtnModule::ReleaseOtherFocus(other);
        QCOMPARE(unstyled->ShownBorderColor(), unstyled->BorderColorFocus());

        QTest::mouseClick(editing, Qt::LeftButton);
        QVERIFY(editing->IsTextEditorOpen());
        QVERIFY(editing->TextEditor()->hasFocus());
        QCOMPARE(editing->ShownBorderColor(), editing->BorderColorFocus());

        other->setFocus(Qt::MouseFocusReason);
        QVERIFY(!editing->IsTextEditorOpen());
        QCOMPARE(editing->ShownBorderColor(), editing->BorderColor());
        QCOMPARE(other->ShownBorderColor(), other->BorderColorFocus());
    }

    void aBrandRecoloursEveryStyleButTheUnitLabels() {
        Themes themes;
        QKBtn field;
        field.Style(QStringLiteral("Edit"));
        QKBtn unit;
        unit.Style(QStringLiteral("LCDSeg"));
        QKBtn link;
        link.Style(QStringLiteral("Hyperlink"));
        BrandValues brand;
        brand.DisplayBack = 0x010101;
        brand.FieldBack = 0x020202;
        brand.FieldBackHover = 0x030303;
        brand.BorderDisabled = 0x040404;
        brand.Live = 0x050505;
        brand.Headers = 0x060606;
        themes.ApplyBrand(brand);

        QCOMPARE(field.BackColor(), ColourValue(0x020202));
        QCOMPARE(field.BorderColorFocus(), ColourValue(0x010101));
        QCOMPARE(field.BorderColorDisabled(), ColourValue(0x040404)); // propagation copies it
        QCOMPARE(link.ForeColorDown(), ColourValue(0x030303));        // FieldBackHover, twice
        QCOMPARE(themes.BTitle->ForeColor(), ColourValue(0x060606));
        QCOMPARE(themes.LCDSeg->BackColor(), ColourValue(0x010101));
        QCOMPARE(unit.BackColor(), ColourValue(0xFFFFFF)); // not propagated
        QKBtn laterUnit;
        laterUnit.Style(QStringLiteral("LCDSeg"));
        QCOMPARE(laterUnit.BackColor(), ColourValue(0x010101)); // copied from the master
    }

    // A slip in one cell of the style table (a hover text colour typed as the hover fill) leaves
    // a caption that cannot be read in one look only; every look of every style is checked.
    void everyStyleKeepsItsCaptionReadableInEachLook_data() {
        QTest::addColumn<QString>("style");
        for (const QString& name : Themes::StyleNames()) {
            QTest::newRow(qPrintable(name)) << name;
        }
    }
    void everyStyleKeepsItsCaptionReadableInEachLook() {
        QFETCH(QString, style);
        Themes themes;
        QCOMPARE(QKBtnModule::MasterOf(style), themes.Sample(style));
        QWidget host;
        host.resize(300, 100);
        auto* control = new QKBtn(&host);
        control->setGeometry(10, 10, 160, 30);
        control->Style(style);
        control->Inactive(themes.Sample(style)->Inactive());
        host.show();
        const auto readable = [control](const char* look) {
            const double ratio =
                ColourModule::ContrastRatio(ColourModule::ToQColor(control->ShownForeColor()),
                                            ColourModule::ToQColor(control->ShownFillColor()));
            QVERIFY2(ratio >= 3.0, qPrintable(QStringLiteral("%1: %2").arg(look).arg(ratio)));
        };
        readable("normal");
        if (control->Inactive()) {
            return;
        }
        const QPointF inside(80, 15);
        QEnterEvent enter(inside, control->mapTo(&host, inside), control->mapToGlobal(inside));
        QCoreApplication::sendEvent(control, &enter);
        QVERIFY(control->IsHovered());
        readable("hover");
        QTest::mousePress(control, Qt::LeftButton, {}, inside.toPoint());
        readable("pressed");
        QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(-50, -50));
    }

    void theMastersAreRegisteredFirstWithTheTableLooks() {
        Themes themes;
        QCOMPARE(Themes::StyleNames().size(), 13);
        for (const QString& name : Themes::StyleNames()) {
            QVERIFY2(themes.Sample(name), qPrintable(name));
        }
        QCOMPARE(QKBtnModule::MasterOf(QStringLiteral("Edit")), themes.BField);
        QCOMPARE(themes.BField1->Style(), QStringLiteral("Edit"));
        QCOMPARE(themes.BField1->Editable(), qint32(QKBtn::EditText));

        // A page field registered later takes the master's look, not its own.
        QKBtn field;
        field.BackColor(0xABCDEF);
        field.Style(QStringLiteral("Edit"));
        QCOMPARE(field.BackColor(), ColourValue(0x80C0FF));
        QCOMPARE(field.Font().family(), themes.BField->Font().family());

        // Branding recolours a master and passes it on to the whole style.
        themes.BField->BackColor(0x00FF00);
        themes.BField->UseMyStyle(QString());
        QCOMPARE(field.BackColor(), ColourValue(0x00FF00));
        QCOMPARE(themes.BField1->BackColor(), ColourValue(0x00FF00));
    }
};

QTEST_MAIN(TestStyles)
#include "tst_styles.moc"
