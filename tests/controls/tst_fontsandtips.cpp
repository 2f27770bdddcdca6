#include "controls/ButtonGlyphs.h"
#include "controls/FontsModule.h"
#include "controls/TipModule.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

struct RecordingSink : TipSink {
    QStringList shown;
    int offs = 0;
    void TipOn(const QString& text) override { shown.append(text); }
    void TipOff() override { ++offs; }
};

} // namespace

class TestFontsAndTips : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theLedFontIsReachedByItsShippedName() {
        const QString folder = qEnvironmentVariable("ZEX_BIN_DIR");
        if (folder.isEmpty()) {
            QSKIP("ZEX_BIN_DIR is set by CTest");
        }
        QCOMPARE(FontsModule::RegisterPrivateFonts(folder), 1); // no button font file: pictures
        QCOMPARE(FontsModule::RegisterPrivateFonts(folder), 0); // registered once
        QVERIFY(!FontsModule::LedFontFamily().isEmpty());
        QCOMPARE(QFontInfo(QFont(QLatin1String(FontsModule::LedFamily))).family(),
                 FontsModule::LedFontFamily());
        FontsModule::UnregisterPrivateFonts();
        QVERIFY(FontsModule::LedFontFamily().isEmpty());
    }

    void aHumanistSansStandsInForTheStyleFace() {
        FontsModule::RegisterPrivateFonts(QString());
        if (QFontDatabase::hasFamily(QStringLiteral("Trebuchet MS"))) {
            QSKIP("the face itself is installed");
        }
        const QString resolved = QFontInfo(QFont(QStringLiteral("Trebuchet MS"))).family();
        QVERIFY2(resolved == QLatin1String("PT Sans") || resolved == QLatin1String("Open Sans") ||
                     resolved == QLatin1String("DejaVu Sans"),
                 qPrintable(resolved));
        FontsModule::UnregisterPrivateFonts();
    }

    void everyPageAndTitleBarLetterHasAGlyph() {
        for (const QChar letter :
             {ButtonGlyphs::Home, ButtonGlyphs::Information, ButtonGlyphs::SaveRestore,
              ButtonGlyphs::Measurement, ButtonGlyphs::Communications, ButtonGlyphs::Calibration,
              ButtonGlyphs::Factory, ButtonGlyphs::Close, ButtonGlyphs::Minimise,
              ButtonGlyphs::Help}) {
            QVERIFY2(ButtonGlyphs::HasGlyph(QString(letter)), qPrintable(QString(letter)));
        }
        QVERIFY(!ButtonGlyphs::HasGlyph(QStringLiteral("BP")));
        QVERIFY(!ButtonGlyphs::HasGlyph(QStringLiteral("q")));
        QVERIFY(ButtonGlyphs::IsGlyphFont(QFont(QStringLiteral("qktkbuttons"))));
    }

    void aGlyphIsDrawnInTheCaptionColour() {
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        QFont font{QLatin1String(ButtonGlyphs::FontFamily)};
        font.setPixelSize(30);
        QVERIFY(ButtonGlyphs::PaintGlyph(painter, QRectF(0, 0, 40, 40), QStringLiteral("B"),
                                         QColor(0, 0, 255), font, Qt::AlignCenter));
        QVERIFY(!ButtonGlyphs::PaintGlyph(painter, QRectF(0, 0, 40, 40), QStringLiteral("q"),
                                          QColor(0, 0, 255), font, Qt::AlignCenter));
        painter.end();
        int blue = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                blue += pixel.blue() == 255 && pixel.red() < 60 && pixel.green() < 60;
            }
        }
        QVERIFY2(blue > 200, qPrintable(QString::number(blue))); // a filled house, not a dot
    }

    void tipsFollowTheTitleStarBodyConvention() {
        QCOMPARE(TipModule::TipTitle(QStringLiteral("Home*Go home.*Really")),
                 QStringLiteral("Home"));
        QCOMPARE(TipModule::TipBody(QStringLiteral("Home*Go home.*Really")),
                 QStringLiteral("Go home.*Really"));
        QCOMPARE(TipModule::TipTitle(QStringLiteral("No star")), QString());
        QCOMPARE(TipModule::ToolTipHtml(QStringLiteral("Save && Restore*Keep <all>")),
                 QStringLiteral("<p><b>Save &amp; Restore</b><br>Keep &lt;all&gt;</p>"));

        RecordingSink sink;
        TipModule::SetTipSink(&sink);
        TipModule::TipOn(QStringLiteral("Home*Go home."));
        TipModule::TipOff();
        QCOMPARE(sink.shown, QStringList{QStringLiteral("Home*Go home.")});
        QCOMPARE(sink.offs, 1);
        // A sink removed at shutdown hears nothing more.
        TipModule::SetTipSink(nullptr);
        TipModule::TipOn(QStringLiteral("Late*After shutdown."));
        TipModule::TipOff();
        QCOMPARE(sink.shown.size(), 1);
        QCOMPARE(sink.offs, 1);
    }
};

QTEST_MAIN(TestFontsAndTips)
#include "tst_fontsandtips.moc"
