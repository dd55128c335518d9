// The colour picker's swatch file "color_option_info.config": the chosen
// fixed swatch and the twenty user swatches the user fills, kept between
// runs. The user's copy lives in the user data folder; the program folder's
// DefaultData holds the copy a first run starts from.
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace profile {

inline constexpr const char* kSwatchFileName = "color_option_info.config";
inline constexpr int kSwatchCount = 20;
inline constexpr int kDefaultFixedSwatch = 4;
inline constexpr int kDefaultUserSwatch = 0;

// 0xAARRGGBB from 1 to 8 hexadecimal digits (either case, nothing else);
// nullopt otherwise, so a broken entry leaves the layout's colour in place.
std::optional<uint32_t> ParseSwatchColour(std::string_view text);
// Eight upper-case hexadecimal digits: opaque red is "FFFF0000".
std::string SwatchColourText(uint32_t argb);

struct UserSwatch {
    bool present = false;  // the entry has a usable colour; else the layout's swatch stays
    uint32_t colour = 0;
    std::string userData;          // "1" marks a filled swatch
    bool Filled() const;           // user data "1", without regard to case
    uint32_t ShownColour() const;  // the colour when filled, else white
};

struct SwatchFile {
    int fixedIndex = kDefaultFixedSwatch;
    int userIndex = kDefaultUserSwatch;
    // Fixed swatch colours as stored; the picker shows the layout's colours.
    std::array<std::optional<uint32_t>, kSwatchCount> fixedColours{};
    std::array<UserSwatch, kSwatchCount> user{};
};

// Reads a parsed document. Members of the wrong type count as missing and
// indices outside 0..19 give the defaults; never throws.
SwatchFile ReadSwatches(const Json::Value& document);

// Write the fixed or the user part into `document`, rebuilding whatever of
// it is malformed and leaving every other member as it was. Slots without a
// value (no such control) are left alone.
void PutFixedSwatches(Json::Value& document,
                      const std::array<std::optional<uint32_t>, kSwatchCount>& colours, int index);
void PutUserSwatches(Json::Value& document, const std::array<UserSwatch, kSwatchCount>& swatches,
                     int index);

// The user's copy and the default copy.
std::string UserSwatchPath();
std::string DefaultSwatchPath();

// The swatch document in use: the user's copy; when there is none, or it is
// broken, the default copy, written over the user's path. A broken user copy
// is first kept as "<path>.bak"; when that fails it is left untouched and the
// default is used only in memory. Null when neither gives a document.
Json::Value LoadSwatchDocument(const std::string& userPath, const std::string& defaultPath);

// Read the user's copy, change one part, write the whole document back
// atomically (a broken copy is kept as ".bak" first). False when nothing
// could be written.
bool SaveFixedSwatches(const std::string& userPath,
                       const std::array<std::optional<uint32_t>, kSwatchCount>& colours, int index);
bool SaveUserSwatches(const std::string& userPath,
                      const std::array<UserSwatch, kSwatchCount>& swatches, int index);

}  // namespace profile
