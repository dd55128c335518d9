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

QFont MakeFont(const FontSpec& spec, int dpi) {
    QFont font(spec.face);
    font.setPixelSize(qMax(1, spec.size * dpi / 96));
    font.setBold(spec.bold);
    font.setUnderline(spec.underline);
    font.setItalic(spec.italic);
    return font;
}

}  // namespace ui
