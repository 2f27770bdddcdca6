#include "controls/CaptionModule.h"
#include "controls/FieldInputModule.h"
#include "controls/FieldList.h"

#include <QTest>
#include <limits>

Q_DECLARE_METATYPE(FieldInputModule::InputRules)
Q_DECLARE_METATYPE(FieldInputModule::EditorState)

using FieldInputModule::EditorState;
using FieldInputModule::InputRules;

namespace {

const QString Digits = QStringLiteral("0123456789");
const QString SignedDecimal = QStringLiteral("0123456789.-");
const QString Hex = QStringLiteral("1234567890abcdefABCDEF");

InputRules rules(const QString& allowed, qint16 maxLength = 0, bool upperCase = false,
                 QChar separator = QChar(u'.')) {
    InputRules result;
    result.Allowed = allowed;
    result.MaxLength = maxLength;
    result.UpperCase = upperCase;
    result.DecimalSeparator = separator;
    return result;
}

EditorState editor(const QString& text, int caret, int selected = 0) {
    return EditorState{text, caret, selected};
}

} // namespace

class TestFieldText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typedCharacters_data() {
        QTest::addColumn<InputRules>("rules");
        QTest::addColumn<EditorState>("editor");
        QTest::addColumn<QChar>("typed");
        QTest::addColumn<QChar>("inserted"); // null when refused

        const auto row = [](const char* name, const InputRules& rules, const EditorState& editor,
                            char16_t typed, char16_t inserted) {
            QTest::newRow(name) << rules << editor << QChar(typed) << QChar(inserted);
        };
        const char16_t refused = 0;
        const InputRules comma = rules(SignedDecimal, 0, false, QChar(u','));
        row("a digit of the allowed set is taken", rules(Digits), editor("12", 2), u'3', u'3');
        row("a letter outside the allowed set is refused", rules(Digits), editor("12", 2), u'x',
            refused);
        row("an empty allowed set takes anything", rules(QString()), editor("", 0), u'%', u'%');
        row("a fourth digit over MaxLength 3 is refused", rules(Digits, 3), editor("123", 3), u'4',
            refused);
        row("a fourth digit replacing a selection is taken", rules(Digits, 3), editor("123", 1, 1),
            u'4', u'4');
        row("backspace passes at MaxLength", rules(Digits, 3), editor("123", 3), u'\b', u'\b');
        row("a minus at the start is taken", rules(SignedDecimal), editor("5", 0), u'-', u'-');
        row("a minus after the start is refused", rules(SignedDecimal), editor("5", 1), u'-',
            refused);
        row("a second minus in front of the first is refused", rules(SignedDecimal),
            editor("-5", 0), u'-', refused);
        row("a second decimal point is refused", rules(SignedDecimal), editor("1.5", 3), u'.',
            refused);
        row("a comma locale takes the comma for the allowed point", comma, editor("1", 1), u',',
            u',');
        row("a comma locale refuses the full stop", comma, editor("1", 1), u'.', refused);
        row("upper case turns a hex letter into a capital", rules(Hex, 6, true), editor("1a", 2),
            u'b', u'B');
    }
    void typedCharacters() {
        QFETCH(InputRules, rules);
        QFETCH(EditorState, editor);
        QFETCH(QChar, typed);
        QFETCH(QChar, inserted);
        const qint16 result = FieldInputModule::ValidateKey(rules, editor, qint16(typed.unicode()));
        QCOMPARE(QChar(char16_t(result)), inserted);
    }

    void pastedText_data() {
        QTest::addColumn<InputRules>("rules");
        QTest::addColumn<EditorState>("editor");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("caret");

        const auto row = [](const char* name, const InputRules& rules, const EditorState& editor,
                            const QString& pasted, const char* result, int caret) {
            QTest::newRow(name) << rules << editor << pasted << QString(result) << caret;
        };
        row("refused characters are dropped from a paste", rules(Digits), editor("", 0), "1a2-b3",
            "123", 3);
        row("an over-long paste is cut at MaxLength", rules(Digits, 4), editor("", 0), "123456789",
            "1234", 4);
        row("a paste over the whole text replaces it within MaxLength", rules(Digits, 3),
            editor("999", 0, 3), "12345", "123", 3);
        row("a pasted sign away from the start is dropped", rules(SignedDecimal), editor("1", 1),
            "-2", "12", 2);
        row("a pasted second decimal point is dropped", rules(SignedDecimal), editor("", 0),
            "1.2.3", "1.23", 4);
        row("line breaks and tabs of a copied cell are dropped", rules(QString()), editor("", 0),
            "12\t\r\n", "12", 2);
        row("a paste is upper-cased like typing", rules(Hex, 6, true), editor("", 0), "1e3ffz",
            "1E3FF", 5);
        row("nothing accepted leaves the selection alone", rules(Digits), editor("42", 0, 2), "abc",
            "42", 0);
    }
    void pastedText() {
        QFETCH(InputRules, rules);
        QFETCH(EditorState, editor);
        QFETCH(QString, pasted);
        QFETCH(QString, result);
        QFETCH(int, caret);
        const EditorState after = FieldInputModule::ApplyPaste(rules, editor, pasted);
        QCOMPARE(after.text, result);
        QCOMPARE(after.selectionStart, caret);
    }

    void leadingNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("exponent");
        QTest::addColumn<double>("number");
        QTest::newRow("plain") << " 12.5kg" << true << 12.5;
        QTest::newRow("signed") << "-0.25" << true << -0.25;
        QTest::newRow("exponent form") << "1E3" << true << 1000.0;
        QTest::newRow("hex text is not read in exponent form") << "1E3" << false << 1.0;
        QTest::newRow("a bare E is not an exponent") << "2E" << true << 2.0;
        QTest::newRow("no number at all") << "abc" << true << 0.0;
    }
    void leadingNumbers() {
        QFETCH(QString, text);
        QFETCH(bool, exponent);
        QFETCH(double, number);
        QCOMPARE(CaptionModule::LeadingNumber(text, exponent), number);
    }

    void textsThatHoldANumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hexadecimal");
        QTest::addColumn<bool>("holds");
        QTest::newRow("a cleared field holds none") << "" << false << false;
        QTest::newRow("a lone minus holds none") << "-" << false << false;
        QTest::newRow("a lone point holds none") << "." << false << false;
        QTest::newRow("a point and a digit hold one") << "-.5" << false << true;
        QTest::newRow("blanks before a digit") << "  7" << false << true;
        QTest::newRow("letters first hold none") << "E5" << false << false;
        QTest::newRow("hex letters hold a hex number") << "ABC" << true << true;
        QTest::newRow("a cleared hex field holds none") << " " << true << false;
    }
    void textsThatHoldANumber() {
        QFETCH(QString, text);
        QFETCH(bool, hexadecimal);
        QFETCH(bool, holds);
        QCOMPARE(CaptionModule::HoldsNumber(text, hexadecimal), holds);
    }

    void numbersThatDoNotFitAreFlagged() {
        QVERIFY(!CaptionModule::FitsSingle(CaptionModule::LeadingNumber("1e39")));
        QVERIFY(!CaptionModule::FitsSingle(CaptionModule::LeadingNumber("1e999")));
        QVERIFY(!CaptionModule::FitsSingle(std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(CaptionModule::FitsSingle(-3.0e38));
        QCOMPARE(CaptionModule::ToInt16(40000.0), qint16(32767));
        QCOMPARE(CaptionModule::ToInt16(-1e10), qint16(-32768));
        QCOMPARE(CaptionModule::ToInt16(2.5), qint16(2));
        QCOMPARE(CaptionModule::ToInt32(1e12), std::numeric_limits<qint32>::max());
    }

    void hexadecimalFieldsKeepTheirText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* text, const char* format,
                            const char* shown) {
            QTest::newRow(name) << QString(text) << QString(format) << QString(shown);
        };
        row("padded to the zero pattern", "1E3", "000000", "0001E3");
        row("a full-length text stays", "ABCD", "0000", "ABCD");
        row("automatic format keeps the text", "1E3", "*", "1E3");
        row("an empty text stays empty", "", "0000", "");
    }
    void hexadecimalFieldsKeepTheirText() {
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        QVERIFY(CaptionModule::IsHexadecimalSet(Hex));
        QCOMPARE(CaptionModule::FormatCaption(text, format, true, QChar(u'.')), shown);
    }

    void textThatIsNoNumberIsShownAsItIs() {
        QCOMPARE(CaptionModule::FormatCaption("Not supported!", "0.00", false, QChar(u'.')),
                 QStringLiteral("Not supported!"));
        QCOMPARE(CaptionModule::FormatCaption("Two\r\nlines", "*", false, QChar(u'.')),
                 QStringLiteral("Two\r\nlines"));
        QCOMPARE(CaptionModule::WithLineBreaks("Two**lines"), QStringLiteral("Two\r\nlines"));
    }

    void accessKeys_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QChar>("key");
        QTest::newRow("letter after the ampersand, lower-cased") << "&Connect" << QChar(u'c');
        QTest::newRow("a doubled ampersand is a literal one") << "Save && Restore" << QChar();
        QTest::newRow("a first doubled ampersand gives no key") << "A&&B&C" << QChar();
        QTest::newRow("a trailing ampersand gives no key") << "Go&" << QChar();
    }
    void accessKeys() {
        QFETCH(QString, caption);
        QFETCH(QChar, key);
        QCOMPARE(CaptionModule::AccessKey(caption), key);
    }

    void listItemsAndCodes() {
        FieldList list;
        list.SetItems("1|2|3|", "1|2|3|");
        QCOMPARE(list.Count(), 4);
        QCOMPARE(list.ItemText(3), QString());
        QCOMPARE(list.ItemCode(3), 0); // the empty last entry's value is 0
        QCOMPARE(list.FindCode(3), 2);

        list.SetItems("Metric|Imperial|US", QString());
        QCOMPARE(list.ItemCode(1), 0);
        list.SetPosition(7);
        QCOMPARE(list.Position(), -1);
        QCOMPARE(list.ItemText(list.Position()), QString());

        list.SetItems(QString(), QString());
        QCOMPARE(list.Count(), 0);
        list.SetItems("a||b", "5|x9|7|8");
        QCOMPARE(list.Items(), QStringList({"a", "", "b"}));
        QCOMPARE(list.ItemCode(1), 0); // a code text without a leading number
        QCOMPARE(list.ItemCode(2), 7);
    }
};

QTEST_GUILESS_MAIN(TestFieldText)
#include "tst_fieldtext.moc"
