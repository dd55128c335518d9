// Where the main window sends a control notification: per notification type
// an ordered table of (match, control name, route); the first row that
// matches wins. Each route names the handler that owns it, the window itself
// or one of the pages, and how far an index taken from the name may go.
// Pure data and lookup; the window binds the routes to its handlers.
//
// A new route is a Route value, its RouteInfo row (kept in Route order), a
// row in the table of its notification type (or the menu table), and its
// handler: a case of CMainWnd::RunShellRoute for the window's own routes, or
// the Handle of the page registered for its owner (CMainWnd::SetPageHooks).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pages {

enum class NotifyKind : uint8_t {
    WindowInit,
    WindowSize,
    ColorChanged,
    Click,
    SelectChanged,
    ValueChanged,
    MoveValueChanged,
    ItemSelect,
    KillFocus,
    ClickSelectEnd,
    // From the window's message map.
    ItemActivate,
    SetFocus,
    // Pointer and text notifications: no action.
    NoAction,
    // No action, and the framework's default handling is skipped as well.
    NoActionNoDefault,
    Timer,
    Other,
};

NotifyKind KindOfNotification(std::string_view type);
// Every notification but "timer" leaves its type and sender in the debug output.
inline bool WritesDebugLine(NotifyKind kind) {
    return kind != NotifyKind::Timer;
}

enum class Match : uint8_t {
    Exact,      // the whole name, without case
    ExactCase,  // the whole name, with case
    Prefix,     // the part up to the last underscore, without case; an index follows
    Identity,   // the title-bar control the window found under this name
};

// Who carries out a route. Pages built later plug in behind these.
enum class Owner : uint8_t {
    Shell,  // the main window itself
    KeyPage,
    LightingPage,
    MacroPage,
    ProfileBar,
    MousePage,
    HeadsetPage,
    MusicLighting,
    SettingsWindow,
    Dialogs,
    SkinPanel,
    SyncLighting,
    Count,
};

enum class Route : uint16_t {
    // Shell
    WindowStart,
    WindowResized,
    CloseToTray,
    HideWindow,
    ToggleLightControl,
    Minimize,
    Maximize,
    Restore,
    OpenDeviceSettings,
    RestoreDeviceDefaults,
    ClearRepeatTest,
    FillCustomBright,
    FillCustomOff,
    SelectDevicePrev,
    SelectDeviceNext,
    PollingRate,
    RepeatDelay,
    WinLockFlag,
    WFlag,
    Key6Flag,
    DeviceBarSelected,
    FunctionTab,
    RepeatRate,
    RedSlider,
    GreenSlider,
    BlueSlider,
    DpiSliderToEdit,
    DpiEditToSlider,
    KeyCaptureOn,
    KeyCaptureOff,
    MenuShow,
    MenuExit,
    MenuAutostart,
    // Key assignment page
    SelectKey,
    KeySave,
    KeyDefault,
    KeyCancel,
    KeySaveToProfile,
    KeyModifier,
    KeyFunctionList,
    KeyParameterEdit,
    // Lighting page
    LightColourOption,
    LightDirection,
    LightSevenColour,
    LightBrightness,
    LightSpeed,
    LightMode,
    LightColourEdit,
    LightPaletteColour,
    LightDragSelect,
    MusicBackgroundOff,
    // Macro page
    MacroSelectRow,
    MacroRecordStart,
    MacroRecordStop,
    MacroNameEdit,
    MacroSaveOrCancel,
    MacroFile,
    MacroMoveStep,
    MacroDeleteSteps,
    MacroInsertMove,
    MacroSelect,
    MacroDelayEdit,
    MacroActionMenu,
    MacroRecordInsert,
    MacroInsertButton,
    MacroReplaceStep,
    // Profile bar
    ProfileAdd,
    ProfileDelete,
    ProfileExport,
    ProfileImport,
    ProfileCopy,
    ProfileReset,
    ProfileRename,
    ProfileSpread,
    ProfileSwitch,
    // Mouse page
    DpiColour,
    ShootData,
    BulletEntry,
    DpiEnable,
    DpiSelect,
    MouseSettingsPage,
    ShootOption,
    PointerOption,
    BulletDirection,
    DpiValue,
    DpiMoving,
    PointerSlider,
    MouseCombo,
    DpiEdit,
    BulletEdit,
    MouseDragSelect,
    // Headset page
    EqPresetFile,
    VoiceEffect,
    EqPreset,
    HeadsetSwitch,
    EqBand,
    HeadsetLevel,
    EqPresetSelect,
    // Music lighting
    MusicColourOption,
    MusicColourCheck,
    MusicMode,
    MusicColourEdit,
    MusicPaletteColour,
    OpenMusicWindow,
    // Other windows
    OpenSkinPanel,
    OpenSettingsAtButton,
    OpenSettingsCentred,
    OpenAbout,
    StartSyncLighting,
};

// Index bounds of a route: 0 means the route takes no index.
inline constexpr int kNoIndex = 0;
// Below the current device's key button count.
inline constexpr int kKeyCountLimit = -1;
// Any index from 0; the page knows its own count.
inline constexpr int kPageLimit = -2;

struct RouteInfo {
    Route route;
    Owner owner;
    const char* name;
    // kNoIndex, kKeyCountLimit, kPageLimit, or n for indices 0..n-1.
    int indexLimit;
};

struct RouteRow {
    Match match;
    const char* name;
    Route route;
    // A fixed argument of the row (the page type of a function tab).
    int arg = 0;
};

struct RouteHit {
    const RouteRow* row = nullptr;
    Route route{};
    // From the name for a prefix row; the row's argument otherwise.
    int index = 0;
};

// The ordered table of a notification type (empty for the types routed nowhere).
std::span<const RouteRow> RoutesOf(NotifyKind kind);
// Commands of the pop-up menus (message 1145), compared without case.
std::span<const RouteRow> MenuRoutes();
std::span<const RouteInfo> AllRoutes();
const RouteInfo& InfoOf(Route route);

// The first row of `rows` that matches. `identity` is the name under which
// the window found the sender as a title-bar control ("" when it is none).
std::optional<RouteHit> FindRoute(std::span<const RouteRow> rows, std::string_view name,
                                  std::string_view identity = {});
inline std::optional<RouteHit> FindRoute(NotifyKind kind, std::string_view name,
                                         std::string_view identity = {}) {
    return FindRoute(RoutesOf(kind), name, identity);
}

// Whether the hit's index lies within its route's bounds; keyCount is the
// current device's key button count.
bool IndexAccepted(const RouteHit& hit, int keyCount);

// Options notify "selectchanged" when they gain and when they lose their
// mark; these routes act only on the one that gained it.
bool ActsOnlyWhenMarked(Route route);

}  // namespace pages
