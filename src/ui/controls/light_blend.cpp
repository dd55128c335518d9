#include "ui/controls/light_blend.h"

#include <algorithm>
#include <cstring>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QX70_BLEND_X86 1
#endif

namespace ui {
namespace {

// x / 255, rounded, for x at most 255 * 255.
inline uint32_t Div255(uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

inline uint32_t TintPixel(uint32_t tint, uint32_t under, uint8_t mask, uint32_t alpha) {
    const uint32_t a = Div255(mask * alpha);
    const uint32_t keep = 255 - a;
    // Two channels per multiply: each sum is at most 255 * 255 + 255 and so
    // stays in its 16 bits.
    uint32_t rb = (tint & 0x00FF00FFu) * a + (under & 0x00FF00FFu) * keep + 0x00800080u;
    rb = ((rb + (rb >> 8 & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = (tint >> 8 & 0x00FF00FFu) * a + (under >> 8 & 0x00FF00FFu) * keep + 0x00800080u;
    ag = (ag + (ag >> 8 & 0x00FF00FFu)) & 0xFF00FF00u;
    return ag | rb;
}

int BlendScalar(const uint32_t* under, uint32_t* out, const uint8_t* mask, int count, uint32_t tint,
                uint32_t alpha) {
    for (int x = 0; x < count; ++x) {
        out[x] = TintPixel(tint, under[x], mask[x], alpha);
    }
    return count;
}

#if defined(QX70_BLEND_X86)
// x / 255, rounded, in each 16-bit lane (x at most 255 * 255).
inline __m128i Div255x8(__m128i x) {
    x = _mm_add_epi16(x, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Four pixels: (tint * a + under * (255 - a)) / 255 per channel, with `a`
// given once per channel in `a4` (bytes).
inline void BlendFour(const uint32_t* under, uint32_t* out, __m128i a4, __m128i tint16) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i c255 = _mm_set1_epi16(255);
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(under));
    const __m128i alo = _mm_unpacklo_epi8(a4, zero);
    const __m128i ahi = _mm_unpackhi_epi8(a4, zero);
    // tint * a + under * (255 - a) is at most 255 * 255: it fits 16 bits.
    const __m128i lo = Div255x8(
        _mm_add_epi16(_mm_mullo_epi16(tint16, alo),
                      _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(c255, alo))));
    const __m128i hi = Div255x8(
        _mm_add_epi16(_mm_mullo_epi16(tint16, ahi),
                      _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(c255, ahi))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(lo, hi));
}

// Whole groups of four pixels; returns how many pixels it did.
int BlendSse2(const uint32_t* under, uint32_t* out, const uint8_t* mask, int count, uint32_t tint,
              uint32_t alpha) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i tint16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(tint)), zero);
    const __m128i alpha16 = _mm_set1_epi16(static_cast<short>(alpha));
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        uint32_t m4 = 0;
        std::memcpy(&m4, mask + x, 4);
        const __m128i m = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(m4)), zero);
        const __m128i a = _mm_packus_epi16(Div255x8(_mm_mullo_epi16(m, alpha16)), zero);
        const __m128i pairs = _mm_unpacklo_epi8(a, a);  // a0 a0 a1 a1 a2 a2 a3 a3
        BlendFour(under + x, out + x, _mm_unpacklo_epi16(pairs, pairs), tint16);
    }
    return x;
}

__attribute__((target("avx2"))) inline __m256i Div255x16(__m256i x) {
    x = _mm256_add_epi16(x, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// Whole groups of eight pixels; returns how many pixels it did.
__attribute__((target("avx2"))) int BlendAvx2(const uint32_t* under, uint32_t* out,
                                              const uint8_t* mask, int count, uint32_t tint,
                                              uint32_t alpha) {
    const __m256i tint16 = _mm256_cvtepu8_epi16(_mm_set1_epi32(static_cast<int>(tint)));
    const __m128i alpha16 = _mm_set1_epi16(static_cast<short>(alpha));
    const __m256i c255 = _mm256_set1_epi16(255);
    // Spreads a0..a7 to 16-bit lanes, four lanes (one pixel) each: pixels
    // 0-3 for the first, 4-7 for the second (shuffles stay in 128-bit halves).
    const __m256i spreadLow =
        _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 1, -1, 1, -1, 1, -1, 1, -1, 2, -1, 2, -1, 2,
                         -1, 2, -1, 3, -1, 3, -1, 3, -1, 3, -1);
    const __m256i spreadHigh =
        _mm256_setr_epi8(4, -1, 4, -1, 4, -1, 4, -1, 5, -1, 5, -1, 5, -1, 5, -1, 6, -1, 6, -1, 6,
                         -1, 6, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m128i m =
            _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask + x)));
        const __m128i a8 = _mm_packus_epi16(Div255x8(_mm_mullo_epi16(m, alpha16)), m);
        const __m256i a = _mm256_broadcastsi128_si256(a8);
        const __m256i alo = _mm256_shuffle_epi8(a, spreadLow);
        const __m256i ahi = _mm256_shuffle_epi8(a, spreadHigh);
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(under + x));
        const __m256i dlo = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(d));
        const __m256i dhi = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(d, 1));
        const __m256i lo = Div255x16(_mm256_add_epi16(
            _mm256_mullo_epi16(tint16, alo), _mm256_mullo_epi16(dlo, _mm256_sub_epi16(c255, alo))));
        const __m256i hi = Div255x16(_mm256_add_epi16(
            _mm256_mullo_epi16(tint16, ahi), _mm256_mullo_epi16(dhi, _mm256_sub_epi16(c255, ahi))));
        // packus interleaves the 128-bit halves: put the pixels back in order.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), packed);
    }
    return x;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// A run's pixels blended from packed data into the frame, never in place:
// a last group that does not fill a vector is blended again together with
// the pixels before it, which writes those the same values once more.
void BlendRun(bool avx2, const uint32_t* under, uint32_t* out, const uint8_t* mask, int count,
              uint32_t tint, uint32_t alpha) {
#if defined(QX70_BLEND_X86)
    if (avx2 && count >= 8) {
        const int done = BlendAvx2(under, out, mask, count, tint, alpha);
        if (done < count) {
            BlendAvx2(under + count - 8, out + count - 8, mask + count - 8, 8, tint, alpha);
        }
        return;
    }
    if (count >= 4) {
        const int done = BlendSse2(under, out, mask, count, tint, alpha);
        if (done < count) {
            BlendSse2(under + count - 4, out + count - 4, mask + count - 4, 4, tint, alpha);
        }
        return;
    }
#else
    (void)avx2;
#endif
    BlendScalar(under, out, mask, count, tint, alpha);
}

}  // namespace

uint32_t BlendTintPixel(uint32_t tint, uint32_t under, uint8_t mask, uint32_t alpha) {
    return TintPixel(tint, under, mask, alpha);
}

bool BlendPathAvailable(BlendPath path) {
    switch (path) {
        case BlendPath::kScalar:
            return true;
#if defined(QX70_BLEND_X86)
        case BlendPath::kSse2:
            return true;
        case BlendPath::kAvx2:
            return HasAvx2();
#endif
        default:
            return false;
    }
}

void BlendTintRowWith(BlendPath path, const uint32_t* under, uint32_t* out, const uint8_t* mask,
                      int count, uint32_t tint, uint32_t alpha) {
    int x = 0;
#if defined(QX70_BLEND_X86)
    // Short rows (a light's soft edge) skip the set-up of a wider path
    // that would do nothing.
    if (count >= 8 && path == BlendPath::kAvx2 && HasAvx2()) {
        x = BlendAvx2(under, out, mask, count, tint, alpha);
    }
    if (count - x >= 4 && path != BlendPath::kScalar) {
        x += BlendSse2(under + x, out + x, mask + x, count - x, tint, alpha);
    }
#else
    (void)path;
#endif
    BlendScalar(under + x, out + x, mask + x, count - x, tint, alpha);
}

void BlendTintRow(const uint32_t* under, uint32_t* out, const uint8_t* mask, int count,
                  uint32_t tint, uint32_t alpha) {
    BlendTintRowWith(BlendPath::kAvx2, under, out, mask, count, tint, alpha);
}

void LightRuns::Build(const uint32_t* picture, int stride, const uint8_t* mask, int maskStride,
                      int left, int top, int width, int height) {
    runs_.clear();
    under_.clear();
    mask_.clear();
    if (width <= 0 || height <= 0) {
        return;
    }
    const auto rowBytes = static_cast<size_t>(width);
    std::vector<Run> row;
    for (int y = 0; y < height; ++y) {
        const int32_t py = top + y;
        const uint32_t* under = picture + static_cast<std::ptrdiff_t>(py) * stride + left;
        const uint8_t* m = mask + static_cast<std::ptrdiff_t>(y) * maskStride;
        if (y > 0 && std::memcmp(under, under - stride, rowBytes * 4) == 0 &&
            std::memcmp(m, m - maskStride, rowBytes) == 0) {
            runs_.push_back(Run{py, left, width, Kind::kCopyAbove, 0, 0});
            continue;
        }
        // The row's flat stretches long enough to fill, and blends between.
        row.clear();
        int blendFrom = 0;
        for (int x = 0; x < width;) {
            int end = x + 1;
            while (end < width && under[end] == under[x] && m[end] == m[x]) {
                ++end;
            }
            if (end - x >= kMinFill) {
                if (blendFrom < x) {
                    row.push_back(Run{py, blendFrom, x - blendFrom, Kind::kBlend, 0, 0});
                }
                row.push_back(Run{py, x, end - x, Kind::kFill, m[x], under[x]});
                blendFrom = end;
            }
            x = end;
        }
        if (blendFrom < width) {
            row.push_back(Run{py, blendFrom, width - blendFrom, Kind::kBlend, 0, 0});
        }
        WidenBlends(row);
        for (Run run : row) {
            if (run.kind == Kind::kBlend) {
                const int from = run.x;
                run.under = static_cast<uint32_t>(under_.size());
                under_.insert(under_.end(), under + from, under + from + run.count);
                mask_.insert(mask_.end(), m + from, m + from + run.count);
            }
            run.x += left;
            runs_.push_back(run);
        }
    }
}

void LightRuns::WidenBlends(std::vector<Run>& row) {
    // A blend shorter than a vector wastes most of one. It takes pixels from
    // the runs beside it (a fill's pixels blend to the colour it fills
    // with) while they keep enough to be worth a run; a neighbour that
    // cannot spare enough joins it whole.
    constexpr int kVector = 8;
    constexpr int kKeep = 8;
    for (size_t i = 0; i < row.size(); ++i) {
        if (row[i].kind != Kind::kBlend) {
            continue;
        }
        while (row[i].count < kVector && row.size() > 1) {
            int need = kVector - row[i].count;
            if (i + 1 < row.size()) {
                const int give = std::min(need, row[i + 1].count - kKeep);
                if (give > 0) {
                    row[i].count += give;
                    row[i + 1].x += give;
                    row[i + 1].count -= give;
                    need -= give;
                }
            }
            if (need > 0 && i > 0) {
                const int give = std::min(need, row[i - 1].count - kKeep);
                if (give > 0) {
                    row[i].x -= give;
                    row[i].count += give;
                    row[i - 1].count -= give;
                    need -= give;
                }
            }
            if (need == 0) {
                break;
            }
            const size_t first = i + 1 < row.size() ? i : i - 1;
            row[first].kind = Kind::kBlend;
            row[first].count += row[first + 1].count;
            row.erase(row.begin() + static_cast<std::ptrdiff_t>(first) + 1);
            i = first;
        }
    }
    // Blends that now meet are one run.
    size_t kept = 0;
    for (const Run& run : row) {
        if (kept > 0 && run.kind == Kind::kBlend && row[kept - 1].kind == Kind::kBlend) {
            row[kept - 1].count += run.count;
        } else {
            row[kept++] = run;
        }
    }
    row.resize(kept);
}

void LightRuns::Draw(uint32_t* frame, std::ptrdiff_t frameStride, uint32_t tint,
                     uint32_t alpha) const {
#if defined(QX70_BLEND_X86)
    const bool avx2 = HasAvx2();
#else
    const bool avx2 = false;
#endif
    for (const Run& run : runs_) {
        uint32_t* out = frame + run.y * frameStride + run.x;
        switch (run.kind) {
            case Kind::kFill:
                std::fill_n(out, run.count, TintPixel(tint, run.under, run.mask, alpha));
                break;
            case Kind::kCopyAbove:
                std::memcpy(out, out - frameStride, static_cast<size_t>(run.count) * 4);
                break;
            case Kind::kBlend:
                BlendRun(avx2, &under_[run.under], out, &mask_[run.under], run.count, tint, alpha);
                break;
        }
    }
}

}  // namespace ui
