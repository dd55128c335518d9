// One enumeration pass of the hidraw backend over 32 fake hidraw nodes
// (sysfs attributes, report descriptor, per-collection paths), the work the
// discovery thread repeats every 100 ms while a slot is free.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hid/hidraw_backend.h"
#include "hid/test_descriptors.h"

namespace fs = std::filesystem;

namespace {

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class FakeTree {
  public:
    explicit FakeTree(int nodes) {
        char tmpl[] = "/tmp/qx70-bench-hidraw-XXXXXX";
        root_ = mkdtemp(tmpl);
        for (int n = 0; n < nodes; ++n) {
            const std::string usbDev = root_ + "/sys/devices/usb1/1-" + std::to_string(n) + "/";
            const std::string usbIf = usbDev + "1-" + std::to_string(n) + ":1.1/";
            char hid[32];
            std::snprintf(hid, sizeof hid, "0003:320F:%04X.%04X", 0x2000 + n, n + 1);
            const std::string hidDev = usbIf + hid + "/";
            fs::create_directories(hidDev);
            Write(hidDev + "report_descriptor", std::string(hid_test::kKeyboardInterface.begin(),
                                                            hid_test::kKeyboardInterface.end()));
            Write(hidDev + "uevent", "HID_ID=0003:0000320F:00002000\n");
            Write(usbIf + "bInterfaceNumber", "01\n");
            Write(usbDev + "idVendor", "320f\n");
            Write(usbDev + "idProduct", std::to_string(2000 + n) + "\n");
            Write(usbDev + "bcdDevice", "0102\n");
            const std::string cls = root_ + "/sys/class/hidraw/hidraw" + std::to_string(n);
            fs::create_directories(cls);
            fs::create_directory_symlink(hidDev, cls + "/device");
        }
        fs::create_directories(root_ + "/dev");
    }
    ~FakeTree() { fs::remove_all(root_); }
    std::string Sys() const { return root_ + "/sys/class/hidraw"; }
    std::string Dev() const { return root_ + "/dev"; }

  private:
    std::string root_;
};

void BM_EnumerateHidraw32(benchmark::State& state) {
    FakeTree tree(32);
    hid::HidrawBackend backend(tree.Sys(), tree.Dev());
    std::vector<std::string> paths;
    for (auto _ : state) {
        backend.Enumerate(paths);
        benchmark::DoNotOptimize(paths.data());
    }
    if (paths.size() != 32 * 4) {
        state.SkipWithError("unexpected path count");
    }
    state.counters["paths"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_EnumerateHidraw32)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
