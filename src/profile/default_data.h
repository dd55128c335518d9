// Where the per-user and default data live, the name lists a device reads
// when its page is built, and the mode index <-> device mode code mapping.
#pragma once

#include <string>
#include <vector>

namespace profile {

// The device's folder below the user data folder ("keyboard", "mouse",
// "MousePad", "HD"), created when missing, with a trailing '/'. Empty when the
// name is not a plain file name or the folder cannot be made.
std::string DeviceDataFolder(const std::string& deviceFolder);
// The program folder's "DefaultData/".
std::string DefaultDataFolder();
// DefaultDataFolder() + deviceFolder + ".Json".
std::string DefaultDataFile(const std::string& deviceFolder);

// The "MacroName" of every "MacroInfo" entry of a macro list file
// ("macro.config", or the read-only "tavik_macro.config"), in order.
// Empty when the file is missing or broken.
std::vector<std::string> ReadMacroNames(const std::string& path);

struct PresetLists {
    std::vector<std::string> macroNames;
    std::vector<std::string> modeNames;  // language text ids
    std::vector<bool> modeVisible;
    std::vector<int> modeCodes;
    std::vector<std::string> zoneModeNames;
    std::vector<std::string> customEffectNames;
};

// Fills the lists from "macro.config" and "tavik_light.config" in
// `userFolder` and "default_light.json" in `defaultFolder`, for device slot
// `slot`. A missing file or member leaves its lists as they were.
void LoadPresetLists(PresetLists& lists, const std::string& userFolder,
                     const std::string& defaultFolder, int slot);

// The combo index a device mode code is shown as: the first index whose code
// equals it, else the code itself.
int ModeIndexOfCode(const std::vector<int>& codes, int code);
// The device code sent for a mode index: the table's entry; the index itself
// when there is no table; entry 0 when the index lies beyond the table.
int ModeCodeOfIndex(const std::vector<int>& codes, int index);

}  // namespace profile
