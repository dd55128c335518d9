// The pixel work of a lit key on the keyboard picture: a light image's
// alpha (the mask) in one opaque tint colour, at a given alpha, laid over
// what is beneath. Pixels are premultiplied ARGB words; the result is
// (tint * a + under * (255 - a)) / 255 per channel, rounded, where
// a = mask * alpha / 255.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui {

uint32_t BlendTintPixel(uint32_t tint, uint32_t under, uint8_t mask, uint32_t alpha);

// `count` pixels of one row; `out` may be `under`. Exactly BlendTintPixel
// for each, several pixels per step with the widest vector unit the
// processor has: an animated frame spends most of its time here.
void BlendTintRow(const uint32_t* under, uint32_t* out, const uint8_t* mask, int count,
                  uint32_t tint, uint32_t alpha);

// The same through one path (falling back to narrower ones where the
// processor lacks it), so each can be checked against the pixel rule.
enum class BlendPath { kScalar, kSse2, kAvx2 };
bool BlendPathAvailable(BlendPath path);
void BlendTintRowWith(BlendPath path, const uint32_t* under, uint32_t* out, const uint8_t* mask,
                      int count, uint32_t tint, uint32_t alpha);

// One light over a fixed picture, split into runs along its rows. Where the
// mask and the pixel beneath stay the same for a stretch (the flat middle of
// a key cap under the flat middle of its light), every pixel of the stretch
// blends to the same result: the run blends one pixel and fills. A row whose
// mask and picture equal the row above's is a copy of the row above's
// result. The rest is blended pixel by pixel. The result is exactly
// BlendTintRow's, several times faster for the keyboard picture, whose caps
// are mostly flat.
//
// The runs keep what they need of the picture and the mask, packed: drawing
// reads no picture rows, whose pages lie far apart, only the frame's.
class LightRuns {
  public:
    // The light covers `width` x `height` pixels at (left, top) of a picture
    // of `stride` pixels a row; `mask` holds its rows, `maskStride` bytes
    // apart. Build again whenever the picture, the mask or the place
    // changes.
    void Build(const uint32_t* picture, int stride, const uint8_t* mask, int maskStride, int left,
               int top, int width, int height);
    bool Empty() const { return runs_.empty(); }
    // Lays the light, in `tint` at `alpha`, over the picture as it was when
    // built into `frame`, whose rows are `frameStride` pixels apart and whose
    // (0, 0) is the picture's (0, 0). `frame` may be the picture itself.
    void Draw(uint32_t* frame, std::ptrdiff_t frameStride, uint32_t tint, uint32_t alpha) const;

    // Stretches shorter than this are blended, not filled: blending a
    // pixel in a vector costs less than starting another run.
    static constexpr int kMinFill = 16;

  private:
    enum class Kind : uint8_t { kBlend, kFill, kCopyAbove };
    struct Run {
        int32_t y;  // row and first pixel on the picture
        int32_t x;
        int32_t count;
        Kind kind;
        uint8_t mask;    // kFill: the mask of every pixel
        uint32_t under;  // kFill: the pixel beneath every pixel; kBlend: where
                         // its pixels and mask bytes start in the packed data
    };
    static void WidenBlends(std::vector<Run>& row);

    std::vector<Run> runs_;
    std::vector<uint32_t> under_;  // what lies beneath the blended runs
    std::vector<uint8_t> mask_;    // and their mask
};

}  // namespace ui
