#include "controls/Themes.h"

#include "controls/ButtonGlyphs.h"
#include "controls/ColourModule.h"
#include "controls/QKBtn.h"

namespace {

using namespace ColourModule;

// Normal, hover, pressed (down) and disabled colours.
struct Looks4 {
    ColourValue normal, hover, down, disabled;
};

struct DesignedLook {
    const char* style;
    const char* sample;
    const char* fontFamily;
    double fontSize;
    bool bold;
    qint32 borderStyle;
    Looks4 fore;
    Looks4 back;
    ColourValue border, borderFocus, borderDisabled;
    quint8 hoverOffset, clickOffset;
    bool showHandPointer, stretch;
    quint8 padding;
    bool inactive;
    qint32 alignment;
    qint32 editable;
    const char* format;
    const char* caption; // the sample's text, for the gallery
};

constexpr char Trebuchet[] = "Trebuchet MS";
constexpr const char* Glyphs = ButtonGlyphs::FontFamily;
constexpr ColourValue Panel = 0x353535;
constexpr Looks4 PanelBack{Panel, Panel, Panel, Panel};
constexpr QKBtn::Alignments Left = QKBtn::AlignLeft;
constexpr QKBtn::Alignments Right = QKBtn::AlignRight;
constexpr QKBtn::Alignments Centre = QKBtn::AlignCentre;

// The designed looks of the masters, in the order of the style table; colours are 0x00BBGGRR.
// Per row: style, sample, font, size, bold, BorderStyle; ForeColor normal/hover/down/disabled;
// BackColor the same; BorderColor, focus, disabled; HoverOffset, ClickOffset; ShowHandPointer,
// Stretch, Padding; Inactive, Alignment, Editable, Format; the sample's caption.
// clang-format off
const DesignedLook Looks[] = {
    {"Hyperlink", "Hyper", Trebuchet, 12, false, 0,
     {0x80C0FF, 0x0080FF, 0x0080FF, GreyText}, PanelBack, Panel, Panel, 0x000000,
     0, 1, false, false, 0, false, Centre, QKBtn::EditNone, "", "www.example.com"},
    {"Body", "BBody", Trebuchet, 9.75, false, 0,
     {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, GreyText}, PanelBack, Panel, Panel, Panel,
     0, 0, false, false, 0, true, Left, QKBtn::EditNone, "", "Body text"},
    {"Button", "BButton", Trebuchet, 12, false, 2,
     {0x80C0FF, 0x272727, 0x272727, 0x404040}, {0x000000, 0x0080FF, 0x0080FF, 0x272727},
     0x80C0FF, 0x0080FF, 0x000000,
     0, 1, true, true, 0, false, Centre, QKBtn::EditNone, "", "Button"},
    {"Header1", "BHeader1", Trebuchet, 14.25, true, 0,
     {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, GreyText}, PanelBack, Panel, Panel, Panel,
     0, 0, false, false, 0, true, Left, QKBtn::EditNone, "", "Header 1"},
    {"Edit", "BField", Trebuchet, 14.25, false, 2,
     {0x272727, 0x272727, 0x272727, 0x808080}, {0x80C0FF, 0x0080FF, 0x80C0FF, 0x404040},
     0x80C0FF, 0x0080FF, 0x000000,
     0, 0, true, true, 0, false, Centre, QKBtn::EditList, "", "Edit"},
    {"Header2", "BHeader2", Trebuchet, 12, true, 0,
     {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, GreyText}, PanelBack, Panel, Panel, Panel,
     0, 0, false, false, 0, true, Left, QKBtn::EditNone, "", "Header 2"},
    {"Liftout", "BLiftout", Trebuchet, 9.75, false, 0,
     {0x000000, 0xFFFFFF, 0xFFFFFF, GreyText}, {0xC0E0FF, Panel, Panel, Panel}, Panel, Panel, Panel,
     0, 0, false, false, 0, true, Left, QKBtn::EditNone, "", "Liftout note"},
    {"FrmButtons", "BFrmButton", Glyphs, 13.5, false, 0,
     {0x80C0FF, 0x0080FF, 0x0080FF, GreyText}, {0x272727, 0x272727, 0x272727, InactiveCaption},
     Highlight3D, 0x0000FF, 0x000000,
     0, 1, true, true, 0, false, Centre, QKBtn::EditNone, "", "X"},
    {"Title", "BTitle", Trebuchet, 21.75, true, 0,
     {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, GreyText}, PanelBack, Panel, Panel, Panel,
     0, 0, false, false, 0, true, Left, QKBtn::EditNone, "", "Title"},
    {"Live", "BLive", Trebuchet, 14.25, false, 2,
     {0xE0E0E0, 0xFFFFFF, 0xFFFFFF, GreyText}, PanelBack, 0x808080, Panel, 0x000000,
     0, 0, false, false, 0, true, Centre, QKBtn::EditNone, "", "12.345"},
    {"LCD", "LCD", Trebuchet, 34.5, true, 2,
     {WindowText, WindowText, WindowText, GreyText},
     {0xFFFFFF, WindowBackground, WindowBackground, 0xFFFFFF}, Highlight3D, 0xFFFFFF, 0xFFFFFF,
     0, 0, false, true, 0, true, Centre, QKBtn::EditNone, "*", "123.4567"},
    {"LCDSeg", "LCDSeg", Trebuchet, 18, true, 0,
     {WindowText, WindowText, WindowText, GreyText},
     {0xFFFFFF, WindowBackground, WindowBackground, 0xFFFFFF}, Highlight3D, 0xFFFFFF, 0xFFFFFF,
     0, 0, false, true, 3, true, Right, QKBtn::EditNone, "", "T"},
    {"ChrtButtons", "BChrtButton", Glyphs, 13.5, false, 0,
     {0x80C0FF, 0x0080FF, 0x0080FF, GreyText}, {0x272727, 0x272727, 0x272727, InactiveCaption},
     Highlight3D, 0x0000FF, 0x000000,
     0, 1, true, true, 0, false, Centre, QKBtn::EditNone, "", "R"},
};
// clang-format on

QKBtn* makeSample(QWidget* parent, const DesignedLook& look) {
    auto* sample = new QKBtn(parent);
    sample->setObjectName(QLatin1String(look.sample));
    QFont font(QLatin1String(look.fontFamily));
    font.setPointSizeF(look.fontSize);
    font.setBold(look.bold);
    sample->Stretch(look.stretch);
    sample->Font(font);
    sample->BorderStyle(look.borderStyle);
    sample->ForeColor(look.fore.normal);
    sample->ForeColorHover(look.fore.hover);
    sample->ForeColorDown(look.fore.down);
    sample->ForeColorDisabled(look.fore.disabled);
    sample->BackColor(look.back.normal);
    sample->BackColorHover(look.back.hover);
    sample->BackColorDown(look.back.down);
    sample->BackColorDisabled(look.back.disabled);
    sample->BorderColor(look.border);
    sample->BorderColorFocus(look.borderFocus);
    sample->BorderColorDisabled(look.borderDisabled);
    sample->HoverOffset(look.hoverOffset);
    sample->ClickOffset(look.clickOffset);
    sample->ShowHandPointer(look.showHandPointer);
    sample->Padding(look.padding);
    sample->Inactive(look.inactive);
    sample->Alignment(look.alignment);
    sample->Editable(look.editable);
    sample->Format(QLatin1String(look.format));
    sample->Caption(QLatin1String(look.caption));
    sample->Style(QLatin1String(look.style));
    return sample;
}

} // namespace

Themes::Themes(QWidget* parent)
    : QFrame(parent) {
    setObjectName(QStringLiteral("Themes"));
    QKBtn** slots[] = {&Hyper,      &BBody,  &BButton, &BHeader1, &BField, &BHeader2,   &BLiftout,
                       &BFrmButton, &BTitle, &BLive,   &LCD,      &LCDSeg, &BChrtButton};
    static_assert(std::size(Looks) == std::size(slots));
    for (std::size_t i = 0; i < std::size(Looks); ++i) {
        *slots[i] = makeSample(this, Looks[i]);
    }
    BField1 = makeSample(this, Looks[4]);
    BField1->setObjectName(QStringLiteral("BField1"));
    BField1->Editable(QKBtn::EditText);
}

QList<QKBtn*> Themes::Samples() const {
    return {Hyper,      BBody,  BButton, BHeader1, BField, BHeader2,    BLiftout,
            BFrmButton, BTitle, BLive,   LCD,      LCDSeg, BChrtButton, BField1};
}

QKBtn* Themes::Sample(const QString& styleName) const {
    for (QKBtn* sample : Samples()) {
        if (sample->Style() == styleName) {
            return sample;
        }
    }
    return nullptr;
}

QStringList Themes::StyleNames() {
    QStringList names;
    for (const DesignedLook& look : Looks) {
        names.append(QLatin1String(look.style));
    }
    return names;
}

void Themes::ApplyBrand(const BrandValues& brand) {
    const auto allBacks = [](QKBtn* master, ColourValue colour) {
        master->BackColor(colour);
        master->BackColorHover(colour);
        master->BackColorDown(colour);
        master->BackColorDisabled(colour);
    };
    const auto fieldBacksAsFore = [&brand](QKBtn* master) {
        master->ForeColor(brand.FieldBack);
        master->ForeColorHover(brand.FieldBackHover);
        master->ForeColorDown(brand.FieldBackDown);
        master->ForeColorDisabled(brand.FieldBackDisabled);
    };

    allBacks(BFrmButton, brand.Back);
    fieldBacksAsFore(BFrmButton);
    for (QKBtn* header : {BTitle, BHeader1, BHeader2}) {
        header->ForeColor(brand.Headers);
        header->BackColor(brand.DisplayBack);
    }
    BBody->ForeColor(brand.Text);
    BBody->BackColor(brand.DisplayBack);
    BLive->ForeColor(brand.Live);
    BLive->BackColor(brand.DisplayBack);
    BLiftout->BackColor(brand.LiftoutBack);
    BLiftout->ForeColor(brand.LiftoutFore);

    BField->BorderColor(brand.DisplayBack);
    BField->BorderColorFocus(brand.DisplayBack);
    BField->BorderColorDisabled(brand.BorderDisabled);
    BField->BackColor(brand.FieldBack);
    BField->BackColorHover(brand.FieldBackHover);
    BField->BackColorDown(brand.FieldBackDown);
    BField->BackColorDisabled(brand.FieldBackDisabled);
    BField->ForeColor(brand.FieldFore);
    BField->ForeColorHover(brand.FieldForeHover);
    BField->ForeColorDown(brand.FieldForeDown);
    BField->ForeColorDisabled(brand.FieldForeDisabled);

    BButton->BorderColor(brand.Border);
    BButton->BorderColorFocus(brand.BorderFocus);
    BButton->BorderColorDisabled(brand.BorderDisabled);
    BButton->BackColor(brand.ButtonBack);
    BButton->BackColorHover(brand.ButtonBackHover);
    BButton->BackColorDown(brand.ButtonBackDown);
    BButton->BackColorDisabled(brand.ButtonBackDisabled);
    BButton->ForeColor(brand.ButtonFore);
    BButton->ForeColorHover(brand.ButtonForeHover);
    BButton->ForeColorDown(brand.ButtonForeDown);
    BButton->ForeColorDisabled(brand.ButtonForeDisabled);

    fieldBacksAsFore(BChrtButton);
    allBacks(BChrtButton, brand.DisplayBack);
    LCD->ForeColor(brand.Live);
    LCD->BackColor(brand.DisplayBack);
    LCD->BorderColor(brand.Live);
    LCDSeg->BackColor(brand.DisplayBack);
    LCDSeg->ForeColor(brand.Live);
    LCDSeg->BorderColor(brand.DisplayBack);
    allBacks(Hyper, brand.DisplayBack);
    Hyper->ForeColor(brand.FieldBack);
    Hyper->ForeColorHover(brand.FieldBackHover);
    Hyper->ForeColorDown(brand.FieldBackHover);
    Hyper->ForeColorDisabled(brand.ButtonForeDisabled);

    for (QKBtn* master : {BHeader1, BHeader2, BBody, BLiftout, BField, BButton, BLive, BLiftout,
                          BTitle, BFrmButton, BChrtButton, LCD, Hyper}) {
        master->UseMyStyle(QString());
    }
}
