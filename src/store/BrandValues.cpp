#include "store/BrandValues.h"

BrandValues& Brand() {
    static BrandValues values;
    return values;
}

const std::array<BrandColourKey, BrandColourCount>& BrandColourKeys() {
    static const std::array<BrandColourKey, BrandColourCount> keys = {{
        {"Back", &BrandValues::Back},
        {"DisplayBack", &BrandValues::DisplayBack},
        {"HelpBack", &BrandValues::HelpBack},
        {"HelpFore", &BrandValues::HelpFore},
        {"Title", &BrandValues::Title},
        {"Headers", &BrandValues::Headers},
        {"Text", &BrandValues::Text},
        {"Live", &BrandValues::Live},
        {"LiftoutBack", &BrandValues::LiftoutBack},
        {"MenuFore", &BrandValues::MenuFore},
        {"MenuHover", &BrandValues::MenuHover},
        {"MenuDown", &BrandValues::MenuDown},
        {"MenuDisabled", &BrandValues::MenuDisabled},
        {"Border", &BrandValues::Border},
        {"BorderFocus", &BrandValues::BorderFocus},
        {"BorderDisabled", &BrandValues::BorderDisabled},
        {"FieldBack", &BrandValues::FieldBack},
        {"FieldBackHover", &BrandValues::FieldBackHover},
        {"FieldBackDown", &BrandValues::FieldBackDown},
        {"FieldBackDisabled", &BrandValues::FieldBackDisabled},
        {"FieldFore", &BrandValues::FieldFore},
        {"FieldForeHover", &BrandValues::FieldForeHover},
        {"FieldForeDown", &BrandValues::FieldForeDown},
        {"FieldForeDisabled", &BrandValues::FieldForeDisabled},
        {"ButtonBack", &BrandValues::ButtonBack},
        {"ButtonBackHover", &BrandValues::ButtonBackHover},
        {"ButtonBackDown", &BrandValues::ButtonBackDown},
        {"ButtonBackDisabled", &BrandValues::ButtonBackDisabled},
        {"ButtonFore", &BrandValues::ButtonFore},
        {"ButtonForeHover", &BrandValues::ButtonForeHover},
        {"ButtonForeDown", &BrandValues::ButtonForeDown},
        {"ButtonForeDisabled", &BrandValues::ButtonForeDisabled},
        {"LiftoutFore", &BrandValues::LiftoutFore},
    }};
    return keys;
}
