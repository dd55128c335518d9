// The pixel work of a lit key on the keyboard picture: a light image's
// alpha (the mask) in one opaque tint colour, at a given alpha, laid over
// what is beneath. Pixels are premultiplied ARGB words; the result is
// (tint * a + under * (255 - a)) / 255 per channel, rounded, where
// a = mask * alpha / 255.
#pragma once

#include <cstdint>

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

}  // namespace ui
