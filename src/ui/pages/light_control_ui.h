// CLightControlUI (class "LightControl"): the lighting page. It shows a
// device's lighting settings and music colours on its named controls,
// applies the per-mode rules (pages/light_rules.h) and reads the controls
// back. It holds no settings of its own beyond the mirrored music colours:
// every user change goes through the main window to the device, which
// stores, sends and saves it and then shows the result here again.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profile/profile_types.h"

class QComboBox;

namespace ui {

class CColorPaletteUI;

inline constexpr int kLightSwatchCount = 13;

class CLightControlUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "LightControl";
    static void Register();

    explicit CLightControlUI(QWidget* parent = nullptr);

    void SetDeviceKind(int kind) { deviceKind_ = kind; }
    int DeviceKind() const { return deviceKind_; }
    // Mode list of the device's default data: text ids, item visibility and
    // the slider maxima.
    void InitModes(const std::vector<std::string>& names, const std::vector<bool>& visible,
                   int maxBrightness, int maxSpeed);
    // The secondary zone's modes (text ids).
    void InitZoneModes(const std::vector<std::string>& names);
    // The mode names the combo was last filled with.
    const std::vector<std::string>& ModeNames() const { return modeNames_; }

    void ShowLightInfo(const profile::LightInfo& light);
    // Selects the mode's item without a notification, then applies its rules.
    void SelectMode(int mode);
    void UpdateModeControls(int mode);

    int GetMode() const;
    int GetZoneMode() const;
    int GetCustomGroup() const;
    int GetBrightness() const;
    int GetSpeed() const;
    bool GetMultiColor() const;
    QString GetEditR() const;
    QString GetEditG() const;
    QString GetEditB() const;
    // 0xFF000000 without a palette.
    uint32_t GetPaletteColor() const;
    // The colour of swatch n; 0 when it is missing.
    uint32_t GetSwatchColor(int n) const;
    // First swatch 0..12 of that colour; 0 when none (or a swatch is missing).
    int FindSwatch(uint8_t r, uint8_t g, uint8_t b) const;

    void SetBrightness(int value);
    void SetSpeed(int value);
    void SetDirection(int fx);
    void SetMultiColor(bool on);
    void SetColor(uint32_t argb);
    void SetEditR(int value);
    void SetEditG(int value);
    void SetEditB(int value);
    void SelectZoneMode(int mode);
    void SelectCustomGroup(int group);

    // The value of colour edit 0 (R), 1 (G) or 2 (B), clamped to 0..255 and
    // written back so the edit shows what is used; -1 when it is missing.
    int ClampColourEdit(int channel);
    // Same for the music colour edits.
    int ClampAudioEdit(int channel);

    // Music colours.
    void ShowAudioColors(const profile::AudioLightInfo& audio);
    // False (and the error text written) when a required control is missing.
    bool ReadAudioColors(bool takeButtonColor, profile::AudioLightInfo& out);
    const profile::AudioLightInfo& AudioColors() const { return audio_; }
    uint32_t GetAudioSwatchColor(int n) const;
    QString GetAudioEdit(int channel) const;
    // The music colour inputs show `argb` (edits, palette, colour button).
    void SetAudioColor(uint32_t argb);
    uint32_t GetAudioPaletteColor() const;

    void SetMultiDevice(bool several);
    void ShowSameModeButton(bool show);
    void AddMusicItem();
    void RemoveMusicItem();

    QWidget* Control(const QString& name) const;

  protected:
    // The swatches show their colours from the first time the page shows,
    // before any settings arrive.
    void showEvent(QShowEvent* event) override;

  private:
    QComboBox* Combo(const char* name) const;
    CColorPaletteUI* Palette(const char* name) const;
    QWidget* Edit(int channel, bool audio) const;
    void BindSwatches();

    int deviceKind_ = 0;
    int shownMode_ = -1;
    bool multiDevice_ = false;
    profile::AudioLightInfo audio_{};
    std::vector<std::string> modeNames_;
    bool swatchesBound_ = false;
};

// The lighting page inside `page` (a device page), or null.
CLightControlUI* LightPageOf(QWidget* page);

}  // namespace ui
