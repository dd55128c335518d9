// Numbered fonts: layouts give a control a font by number ("fontId"
// property); the language decides the face behind the numbers. Shared fonts
// serve every window, a window's own fonts take precedence. Sizes are pixel
// sizes at 96 DPI and scale with the window.
#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <optional>

namespace ui {

struct FontSpec {
    QString face;
    int size = 14;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class FontTable {
  public:
    void AddFont(int id, const FontSpec& style) { fonts_.insert(id, style); }
    void SetDefaultFont(const FontSpec& style) { default_ = style; }
    void RemoveAll() {
        fonts_.clear();
        default_.reset();
    }
    std::optional<FontSpec> Find(int id) const;
    const std::optional<FontSpec>& Default() const { return default_; }

    static FontTable& Shared();

  private:
    QHash<int, FontSpec> fonts_;
    std::optional<FontSpec> default_;
};

QFont MakeFont(const FontSpec& style, int dpi);

}  // namespace ui
