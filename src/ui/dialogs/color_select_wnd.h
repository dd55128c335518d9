// CColorSelectWnd ("PalletDialog"): the colour picker. A palette, twenty
// fixed swatches, twenty swatches the user fills (kept between runs in the
// swatch file), red / green / blue edits and a preview. OK returns the
// shown colour; the close and later buttons, Escape and the window
// manager's close return without one.
#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>

#include "ui/framework/window.h"

namespace ui {

class CColorPaletteUI;

inline constexpr int kPickerResultClosed = 0;
inline constexpr int kPickerResultOk = 1;
inline constexpr int kPickerResultNoPalette = 2;

class CColorSelectWnd : public Window {
    Q_OBJECT
  public:
    CColorSelectWnd();

    // The colour shown and returned (0xAARRGGBB): preview, palette, edits.
    void SetCurrentColour(uint32_t argb);
    uint32_t CurrentColour() const { return current_; }
    void SetSevenColour(bool on);
    bool SevenColour() const { return seven_; }
    // The opener's use: no seven-colour option.
    void DisableSevenColour();
    int FixedIndex() const { return fixedIndex_; }
    int UserIndex() const { return userIndex_; }

    // Where the swatch files are; empty restores the user and default data
    // folders' copies.
    static void SetSwatchPathsForTest(const std::string& user, const std::string& defaults);

  protected:
    QString GetSkinFile() const override { return QStringLiteral("PalletDialog.xml"); }
    void InitWindow() override;
    void Notify(const Notification& notification) override;

  private:
    void OnWindowInit();
    void OnClick(const QString& name);
    void OnSelectChanged(const QString& name);
    void OnEditsDone();
    void ApplyCurrent();
    void WriteEdits(uint32_t argb);
    void SaveFixed();
    void SaveUser();
    QWidget* Fixed(int i) const;
    QWidget* User(int i) const;

    QPointer<CColorPaletteUI> palette_;
    uint32_t current_ = 0xFFFF0000;
    int fixedIndex_ = 4;
    int userIndex_ = 0;
    bool seven_ = false;
};

// Opens the picker over `owner` at its scale with `colour` shown, runs it
// modally and, on OK, puts the chosen colour into `colour`. False when the
// user closed it, when one is open already, or when its layout is missing.
bool PickColour(QWidget* owner, uint32_t& colour);

// Tests: while set, PickColour hands the built window to the answerer
// instead of running it, and takes its result.
using PickerAnswerer = std::function<int(CColorSelectWnd& window)>;
void SetPickerAnswerer(PickerAnswerer answerer);

}  // namespace ui
