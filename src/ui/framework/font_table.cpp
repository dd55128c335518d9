#include "ui/framework/font_table.h"

namespace ui {

std::optional<FontSpec> FontTable::Find(int id) const {
    auto it = fonts_.constFind(id);
    if (it == fonts_.cend())
        return std::nullopt;
    return it.value();
}

FontTable& FontTable::Shared() {
    static FontTable shared;
    return shared;
}

QFont MakeFont(const FontSpec& style, int dpi) {
    QFont font(style.face);
    font.setPixelSize(qMax(1, style.size * dpi / 96));
    font.setBold(style.bold);
    font.setUnderline(style.underline);
    font.setItalic(style.italic);
    return font;
}

}  // namespace ui
