// Load and save of the keyboard's default record: what a profile switch and a
// settings change cost on the UI thread.
#include <benchmark/benchmark.h>

#include <filesystem>

#include <unistd.h>
#include "profile/profile_data.h"

namespace {

// This file lies in <source>/bench/.
const std::string kSource = std::filesystem::path(__FILE__).parent_path().parent_path().string();
const std::string kTemplate = kSource + "/resources/DefaultData/keyboard.Json";

std::string TempFolder() {
    char pattern[] = "/tmp/qx70-bench-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return made != nullptr ? std::string(made) + "/" : std::string("/tmp/");
}

void BM_LoadKeyboardRecord(benchmark::State& state) {
    const std::string folder = TempFolder();
    const std::string path = folder + "p.Json";
    std::filesystem::copy_file(kTemplate, path);
    profile::CKeyboardProfiledata data;
    data.SetDefaultDataPath(kTemplate);
    for (auto _ : state) {
        data.LoadProfile(path);
        benchmark::DoNotOptimize(data.GetKeyList());
        benchmark::DoNotOptimize(data.GetLightInfo());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadKeyboardRecord)->Unit(benchmark::kMicrosecond);

void BM_SaveKeyboardRecord(benchmark::State& state) {
    const std::string folder = TempFolder();
    const std::string path = folder + "p.Json";
    std::filesystem::copy_file(kTemplate, path);
    profile::CKeyboardProfiledata data;
    data.SetDefaultDataPath(kTemplate);
    data.SetProfilePath(path);
    data.LoadProfile(path);
    profile::LightInfo li = data.GetLightInfo();
    for (auto _ : state) {
        ++li.Red;
        data.SetLightInfo(li);
        benchmark::DoNotOptimize(data.Save());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveKeyboardRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
