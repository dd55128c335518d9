// Cost of lighting the keys of the keyboard picture: one frame of the 114
// visible 30 x 30 keys, through each pixel path.
#include <benchmark/benchmark.h>

#include <vector>

#include "ui/controls/light_blend.h"

namespace {

constexpr int kWidth = 760;
constexpr int kKeys = 114;
constexpr int kKeySize = 30;

void BM_KeyboardFrame(benchmark::State& state) {
    const auto path = static_cast<ui::BlendPath>(state.range(0));
    if (!ui::BlendPathAvailable(path)) {
        state.SkipWithError("this processor lacks the path");
        return;
    }
    std::vector<uint32_t> base(kWidth * 240, 0xFF303040u);
    std::vector<uint32_t> frame(base.size());
    std::vector<uint8_t> mask(kKeySize * kKeySize, 235);
    uint32_t tint = 0xFF000000u;
    for (auto _ : state) {
        for (int key = 0; key < kKeys; ++key) {
            const int left = key % 23 * 32;
            const int top = key / 23 * 32;
            for (int y = 0; y < kKeySize; ++y) {
                const size_t at = static_cast<size_t>((top + y) * kWidth + left);
                ui::BlendTintRowWith(path, &base[at], &frame[at], &mask[y * kKeySize], kKeySize,
                                     tint, 230);
            }
        }
        tint += 0x010203u;
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetItemsProcessed(state.iterations() * kKeys * kKeySize * kKeySize);
}
BENCHMARK(BM_KeyboardFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
