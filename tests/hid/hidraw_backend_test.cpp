// The hidraw backend on a fake sysfs tree whose device nodes are socket
// pairs: each open gets its own pair, like each hidraw descriptor gets its
// own copy of every input report.
#include "hid/hidraw_backend.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "hid/hid_pack.h"
#include "hid/test_descriptors.h"
#include "platform/stop_event.h"
#include "support/temp_dir.h"

using namespace hid;
namespace fs = std::filesystem;
using std::chrono::milliseconds;

namespace {

class FakeHidrawTree {
  public:
    FakeHidrawTree() {
        fs::create_directories(Sys() + "class/hidraw");
        fs::create_directories(Dev());
    }
    ~FakeHidrawTree() {
        for (auto& [node, fds] : peers_) {
            for (int fd : fds) {
                ::close(fd);
            }
        }
    }

    std::string Sys() const { return dir_.Path() + "sys/"; }
    std::string Dev() const { return dir_.Path() + "dev"; }

    // A USB interface with one hidraw node; `descriptorInSysfs` false makes
    // the backend ask the node for it instead.
    void AddNode(int n, uint16_t vid, uint16_t pid, int mi, const std::vector<uint8_t>& desc,
                 bool withUsb = true) {
        char hidName[64];
        std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", vid, pid, n + 1);
        const std::string usbDev = Sys() + "devices/usb1/1-" + std::to_string(n) + "/";
        const std::string usbIf =
            usbDev + "1-" + std::to_string(n) + ":1." + std::to_string(mi) + "/";
        const std::string hidDev = usbIf + hidName + "/";
        fs::create_directories(hidDev);
        testing_support::WriteAll(hidDev + "report_descriptor",
                                  std::string(desc.begin(), desc.end()));
        char uevent[128];
        std::snprintf(uevent, sizeof uevent, "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\n", vid,
                      pid);
        testing_support::WriteAll(hidDev + "uevent", uevent);
        if (withUsb) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%02x\n", mi);
            testing_support::WriteAll(usbIf + "bInterfaceNumber", hex);
            std::snprintf(hex, sizeof hex, "%04x\n", vid);
            testing_support::WriteAll(usbDev + "idVendor", hex);
            std::snprintf(hex, sizeof hex, "%04x\n", pid);
            testing_support::WriteAll(usbDev + "idProduct", hex);
            testing_support::WriteAll(usbDev + "bcdDevice", "0215\n");
        }
        const std::string cls = Sys() + "class/hidraw/hidraw" + std::to_string(n);
        fs::create_directories(cls);
        fs::create_directory_symlink(hidDev, cls + "/device");
        testing_support::WriteAll(Dev() + "/hidraw" + std::to_string(n), "");
    }

    // Unplug: the open descriptors hang up, the node leaves sysfs and /dev.
    void RemoveNode(int n) {
        std::lock_guard lock(mutex_);
        for (int fd : peers_[n]) {
            ::close(fd);
        }
        peers_[n].clear();
        fs::remove_all(Sys() + "class/hidraw/hidraw" + std::to_string(n));
        fs::remove(Dev() + "/hidraw" + std::to_string(n));
    }

    // Sends an input report (as the device puts it on the wire) to every
    // open descriptor of node `n`.
    void Inject(int n, const std::vector<uint8_t>& report) {
        std::lock_guard lock(mutex_);
        for (int fd : peers_[n]) {
            ASSERT_EQ(::send(fd, report.data(), report.size(), 0),
                      static_cast<ssize_t>(report.size()));
        }
    }

    // What the host wrote to node `n`, one report per element.
    std::vector<std::vector<uint8_t>> Written(int n) {
        std::lock_guard lock(mutex_);
        std::vector<std::vector<uint8_t>> out;
        for (int fd : peers_[n]) {
            uint8_t buf[4096];
            ssize_t got;
            while ((got = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT)) > 0) {
                out.emplace_back(buf, buf + got);
            }
        }
        return out;
    }

    HidrawBackend::NodeOpener Opener() {
        return [this](const std::string& path, bool, bool) {
            if (!fs::exists(path)) {
                return -1;
            }
            int sv[2];
            if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) {
                return -1;
            }
            std::lock_guard lock(mutex_);
            peers_[std::stoi(path.substr(path.rfind("hidraw") + 6))].push_back(sv[1]);
            ++opens;
            return sv[0];
        };
    }

    int opens = 0;

  private:
    testing_support::TempDir dir_;
    std::mutex mutex_;
    std::map<int, std::vector<int>> peers_;
};

class HidrawFake : public ::testing::Test {
  protected:
    void SetUp() override {
        backend =
            std::make_shared<HidrawBackend>(tree.Sys() + "class/hidraw", tree.Dev(), tree.Opener());
        SetBackend(backend);
    }
    void TearDown() override { SetBackend(nullptr); }

    std::string Path(int n, const char* tail) {
        return tree.Dev() + "/hidraw" + std::to_string(n) + tail;
    }

    FakeHidrawTree tree;
    std::shared_ptr<HidrawBackend> backend;
};

}  // namespace

TEST_F(HidrawFake, PerCollectionPathsFromSysfs) {
    std::vector<std::string> paths;
    EXPECT_TRUE(backend->Enumerate(paths));
    EXPECT_TRUE(paths.empty());

    tree.AddNode(10, 0x0C76, 0x1630, 3, hid_test::kConsumerControl);
    tree.AddNode(2, 0x320F, 0x22AB, 1, hid_test::kKeyboardInterface);
    tree.AddNode(3, 0x320F, 0x22AB, 0, {0x05, 0x01, 0xA1});       // unusable descriptor
    tree.AddNode(4, 0x046D, 0xC52B, 2, hid_test::kMouse, false);  // not on USB
    ASSERT_TRUE(backend->Enumerate(paths));
    EXPECT_EQ(paths, (std::vector<std::string>{
                         Path(2, "#vid_320f&pid_22ab&mi_01&col01"),
                         Path(2, "#vid_320f&pid_22ab&mi_01&col02"),
                         Path(2, "#vid_320f&pid_22ab&mi_01&col03"),
                         Path(2, "#vid_320f&pid_22ab&mi_01&col04"),
                         Path(4, "#vid_046d&pid_c52b"),
                         Path(10, "#vid_0c76&pid_1630&mi_03"),
                     }));

    CHidPack pack;
    // The discovery thread's probe: read access only.
    ASSERT_TRUE(pack.Open(Path(2, "#vid_320f&pid_22ab&mi_01&col03"), true, false, true, false));
    EXPECT_EQ(pack.Attributes().versionNumber, 0x0215);
    EXPECT_EQ(pack.Caps().usagePage, 0x0C);
    EXPECT_EQ(pack.CollectionNumber(), 3u);
    ASSERT_TRUE(pack.Open(Path(4, "#vid_046d&pid_c52b"), true, true, true, false));
    EXPECT_EQ(pack.Attributes().vendorId, 0x046D);
    EXPECT_EQ(pack.Attributes().versionNumber, 0);
    EXPECT_EQ(pack.InterfaceNumber(), 0u);
    // Paths that do not match what the node is now never open.
    EXPECT_FALSE(pack.Open(Path(2, "#vid_320f&pid_22aa&mi_01&col04"), true, true, true, false));
    EXPECT_FALSE(pack.Open(Path(2, "#vid_320f&pid_22ab&mi_01&col05"), true, true, true, false));
    EXPECT_FALSE(pack.Open(tree.Dev() + "/../hidraw2#vid_320f&pid_22ab&mi_01&col04", true, true,
                           true, false));
    EXPECT_FALSE(
        pack.Open("/elsewhere/hidraw2#vid_320f&pid_22ab&mi_01&col04", true, true, true, false));
    // Opening without access only checks that the node is there.
    const int before = tree.opens;
    EXPECT_TRUE(pack.Open(Path(2, "#vid_320f&pid_22ab&mi_01&col04"), false, false, false, false));
    EXPECT_EQ(tree.opens, before);
}

TEST_F(HidrawFake, ReportsRoutedByReportIdAndWritten) {
    tree.AddNode(0, 0x320F, 0x22AA, 1, hid_test::kKeyboardInterface);
    tree.AddNode(1, 0x1234, 0x0001, 0, hid_test::kBootKeyboard);
    CHidPack vendor, consumer, boot;
    ASSERT_TRUE(vendor.Open(Path(0, "#vid_320f&pid_22aa&mi_01&col04"), true, true, true, false));
    ASSERT_TRUE(consumer.Open(Path(0, "#vid_320f&pid_22aa&mi_01&col03"), true, true, true, false));
    ASSERT_TRUE(boot.Open(Path(1, "#vid_1234&pid_0001&mi_00"), true, true, true, false));

    std::vector<uint8_t> answer(64, 0);
    answer[0] = 4;
    answer[3] = 0xAA;
    tree.Inject(0, {3, 0xE9, 0x00});
    tree.Inject(0, answer);
    uint8_t buf[64] = {};
    uint32_t n = 0;
    // The vendor handle skips the consumer report, and the other way round.
    ASSERT_TRUE(vendor.ReadReport(buf, 64, n, 1000));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(buf[3], 0xAA);
    ASSERT_TRUE(consumer.ReadReport(buf, 64, n, 1000));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buf[1], 0xE9);
    EXPECT_FALSE(consumer.ReadReport(buf, 64, n, 20));

    // Reports of an interface without ids arrive bare and gain the leading 0.
    tree.Inject(1, {0x02, 0, 0x04, 0, 0, 0, 0, 0});
    ASSERT_TRUE(boot.ReadReport(buf, 64, n, 1000));
    EXPECT_EQ(n, 9u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], 0x02);
    EXPECT_EQ(buf[3], 0x04);

    // Writes go out unchanged; the output-report request falls back to a
    // write on a node that does not understand it.
    std::vector<uint8_t> request(64, 0);
    request[0] = 4;
    request[3] = 0x06;
    ASSERT_TRUE(vendor.WriteReport(request.data(), 64, n, 1000));
    EXPECT_EQ(n, 64u);
    EXPECT_TRUE(vendor.SetOutputReport(request.data(), 64));
    const auto written = tree.Written(0);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], request);

    // Flush drains what is queued.
    tree.Inject(0, answer);
    tree.Inject(0, answer);
    std::this_thread::sleep_for(milliseconds(5));
    vendor.FlushInput();
    EXPECT_FALSE(vendor.ReadReport(buf, 64, n, 20));
    tree.Inject(0, answer);
    EXPECT_TRUE(vendor.ReadReport(buf, 64, n, 1000));
}

TEST_F(HidrawFake, TimeOutCloseAndUnplug) {
    tree.AddNode(5, 0x320F, 0x22AB, 1, hid_test::kKeyboardInterface);
    const std::string path = Path(5, "#vid_320f&pid_22ab&mi_01&col04");
    CHidPack pack;
    ASSERT_TRUE(pack.Open(path, true, true, true, false));
    uint8_t buf[64];
    uint32_t n = 0;
    EXPECT_FALSE(pack.ReadReport(buf, 64, n, 30));
    std::vector<uint8_t> answer(64, 0);
    answer[0] = 4;
    tree.Inject(5, answer);
    EXPECT_TRUE(pack.ReadReport(buf, 64, n, 1000));

    // Close from another thread ends a read that would wait a minute.
    auto reader = std::async(std::launch::async, [&] {
        uint8_t b[64];
        uint32_t m = 0;
        return pack.ReadReport(b, 64, m, 60000);
    });
    std::this_thread::sleep_for(milliseconds(30));
    pack.Close();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(reader.get());

    // Unplug during a read: the read fails, the path no longer opens, and a
    // replug opens again.
    ASSERT_TRUE(pack.Reopen());
    auto blocked = std::async(std::launch::async, [&] {
        uint8_t b[64];
        uint32_t m = 0;
        return pack.ReadReport(b, 64, m, 60000);
    });
    std::this_thread::sleep_for(milliseconds(30));
    tree.RemoveNode(5);
    ASSERT_EQ(blocked.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(blocked.get());
    EXPECT_FALSE(pack.Reopen());
    std::vector<std::string> paths;
    EXPECT_TRUE(backend->Enumerate(paths));
    EXPECT_TRUE(paths.empty());

    fs::remove_all(tree.Sys() + "devices");
    tree.AddNode(5, 0x320F, 0x22AB, 1, hid_test::kKeyboardInterface);
    ASSERT_TRUE(pack.Reopen());
    tree.Inject(5, answer);
    EXPECT_TRUE(pack.ReadReport(buf, 64, n, 1000));
}

TEST_F(HidrawFake, StopEndsReadAndNodeChangesWakeTheWatcher) {
    platform::StopEvent stop;
    ASSERT_TRUE(backend->WatchesChanges());
    EXPECT_FALSE(backend->WaitForChange(milliseconds(10), stop));
    tree.AddNode(6, 0x320F, 0x22AB, 1, hid_test::kKeyboardInterface);
    EXPECT_TRUE(backend->WaitForChange(std::chrono::seconds(5), stop));
    std::ofstream(tree.Dev() + "/ttyS9") << "";
    EXPECT_FALSE(backend->WaitForChange(milliseconds(20), stop)) << "not a hidraw node";

    CHidPack pack;
    ASSERT_TRUE(pack.Open(Path(6, "#vid_320f&pid_22ab&mi_01&col04"), true, true, true, false));
    auto reader = std::async(std::launch::async, [&] {
        uint8_t b[64];
        uint32_t m = 0;
        return pack.ReadReport(b, 64, m, 60000, stop);
    });
    std::this_thread::sleep_for(milliseconds(30));
    stop.Set();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(backend->WaitForChange(std::chrono::minutes(1), stop));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    stop.Reset();
    std::vector<uint8_t> answer(64, 0);
    answer[0] = 4;
    tree.Inject(6, answer);
    uint8_t buf[64];
    uint32_t n = 0;
    EXPECT_TRUE(pack.ReadReport(buf, 64, n, 1000, stop));
    tree.RemoveNode(6);
    EXPECT_TRUE(backend->WaitForChange(std::chrono::seconds(5), stop));
}

TEST(HidrawBackend, MissingClassFolderMeansNoDevices) {
    HidrawBackend backend("/nonexistent/sys/class/hidraw", "/nonexistent/dev");
    std::vector<std::string> paths{"stale"};
    EXPECT_TRUE(backend.Enumerate(paths));
    EXPECT_TRUE(paths.empty());
    EXPECT_EQ(backend.Open("/nonexistent/dev/hidraw0#vid_320f&pid_22ab", {}), nullptr);
}
