// Image strings of the skins: either a plain file name, or key='value' pairs
// (file, res, restype, dest, source, corner, mask, fade, hole, xtiled,
// ytiled, hsl), and the painting rule every control uses to turn one into
// the rectangles to draw. Plain data: the Qt side only loads and draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool IsZero() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    friend bool operator==(const IntRect&, const IntRect&) = default;
};

struct ImageString {
    // The image name: "file" wins over "res"; a plain string is the name.
    std::string file;
    std::string resType;
    bool fromResource = false;  // named by "res" rather than "file"
    bool hasDest = false;
    IntRect dest;    // offsets from the control's top-left, unscaled
    IntRect source;  // all zero: the whole picture
    IntRect corner;  // nine-patch border widths, in picture pixels
    uint32_t mask = 0;
    bool hasMask = false;
    int fade = 255;  // 0 to 255
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;
    bool hsl = false;
    // False when the text broke off inside a pair (no '=', no closing
    // quote): the pairs before it are kept, the rest is ignored.
    bool wellFormed = true;
};

// Never fails: anything the syntax does not allow is ignored or clamped.
ImageString ParseImageString(std::string_view text);

struct ImagePiece {
    IntRect source;  // in the unscaled picture's pixels
    IntRect dest;    // in window pixels at the given scale
    // Repeat the source at its scaled size over dest instead of stretching.
    bool tileX = false;
    bool tileY = false;
};

// The pieces to draw image `parsed` of pictureWidth x pictureHeight into
// `control` at `dpi` (96 is 1:1; corner and dest offsets scale with it).
// Empty when there is nothing to draw: no picture, an empty source or
// destination. Corners larger than the source or destination are reduced so
// that the pieces never overlap or turn inside out.
std::vector<ImagePiece> LayoutImage(const ImageString& parsed, const IntRect& control,
                                    int pictureWidth, int pictureHeight, int dpi);

// v scaled from 96 dpi, rounded to nearest and saturated at the int range.
int ScaleToDpi(int v, int dpi);

}  // namespace pages
