// ReportChannel transfers against scripted and simulated firmware.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "channel_sim_fixture.h"
#include "hid/report_channel.h"
#include "hid/share_hid_pack_mgr.h"
#include "platform/debug_output.h"
#include "sim/sim_firmware.h"
#include "support/command_request.h"

namespace {

using channel_test::Answer;
using channel_test::PathOf;
using channel_test::ScriptedFirmware;
using channel_test::SimBusTest;

TEST(ChannelFraming, ChecksumExampleAndSettings) {
    uint8_t r[64] = {};
    r[0] = 4;
    r[3] = 0xAA;
    hid::StampChecksum(r);
    EXPECT_EQ(r[1], 0xAA);
    EXPECT_EQ(r[2], 0x00);
    std::memset(r + 3, 0xFF, 61);
    EXPECT_EQ(hid::ReportChecksum(r), (61 * 255) & 0xFFFF);

    hid::ReportChannel ch;
    EXPECT_EQ(ch.TableSize(), 512);
    EXPECT_FALSE(ch.SetTableSize(513));
    EXPECT_EQ(ch.TableSize(), 512);
    EXPECT_TRUE(ch.SetTableSize(342));
    EXPECT_TRUE(ch.SetTableSize(512));
    EXPECT_EQ(ch.TableSize(), 512);
    EXPECT_EQ(ch.ChunkSize(), 24);
    ch.SetConnection(hid::kConnectionDirect);
    EXPECT_EQ(ch.ChunkSize(), 56);
    EXPECT_FALSE(ch.ReceiverMode());
    ch.SetConnection(hid::kConnectionReceiver);
    EXPECT_EQ(ch.ChunkSize(), 24);
    EXPECT_TRUE(ch.ReceiverMode());

    // A closed channel refuses every transfer without I/O.
    uint8_t ans[64];
    uint32_t got = 7;
    EXPECT_EQ(ch.Transact(r, 64, ans, 64, got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(ch.SendAndRead(r, 64), 0);
    EXPECT_FALSE(ch.Busy());
}

TEST(ChannelRegistry, EmptyPathAndSamePack) {
    auto& mgr = hid::CShareHidPackMgr::Instance();
    const size_t before = mgr.Size();
    EXPECT_EQ(mgr.Get(""), nullptr);
    EXPECT_EQ(mgr.Size(), before);
    auto a = mgr.Get("/dev/hidraw99#vid_320f&pid_22aa&mi_01&col04");
    auto b = mgr.Get("/dev/hidraw99#vid_320f&pid_22aa&mi_01&col04");
    auto c = mgr.Get("/dev/hidraw99#VID_320F&pid_22aa&mi_01&col04");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);  // compared exactly
    EXPECT_FALSE(a->IsOpen());
    EXPECT_EQ(&hid::CShareHidPackMgr::Instance(), &mgr);
}

class ScriptedChannelTest : public SimBusTest {
  protected:
    void SetUp() override {
        SimBusTest::SetUp();
        fw_ = std::make_shared<ScriptedFirmware>();
        bus_->Plug(fw_);
        path_ = PathOf(*bus_, "pid_22ab", 4);
        ASSERT_FALSE(path_.empty());
        ASSERT_TRUE(ch_.DirectPack().Open(path_, true, true, true, false));
        ch_.SetConnection(hid::kConnectionDirect);
        ch_.SetOpen(true);
    }
    std::shared_ptr<ScriptedFirmware> fw_;
    std::string path_;
    hid::ReportChannel ch_;
};

TEST_F(ScriptedChannelTest, ShortRequestIsZeroPaddedAndEchoAccepted) {
    fw_->SetScript(
        [](const std::vector<uint8_t>& r, sim::InputSink& s) { s.Deliver(Answer(r[3], 0, 0x5A)); });
    const uint8_t shortRequest[5] = {4, 0x11, 0x22, 0x03, 0x09};
    uint8_t ans[64] = {};
    uint32_t got = 0;
    EXPECT_EQ(ch_.Transact(shortRequest, 5, ans, 64, got), 1);
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(ans[8], 0x5A);
    const auto sent = fw_->Received();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].size(), 64u);
    EXPECT_EQ(sent[0][4], 0x09);
    for (size_t i = 5; i < 64; ++i) {
        EXPECT_EQ(sent[0][i], 0) << i;
    }
}

TEST_F(ScriptedChannelTest, StaleAnswerSkippedOnceThenSecondResultKept) {
    // An earlier command's answer first, then the right one.
    fw_->SetScript([](const std::vector<uint8_t>& r, sim::InputSink& s) {
        s.Deliver(Answer(0x05, 0, 1));
        s.Deliver(Answer(r[3], 0, 2));
    });
    auto req = testing_support::CommandRequest(0x03);
    uint8_t ans[64] = {};
    uint32_t got = 0;
    EXPECT_EQ(ch_.Transact(req.data(), 64, ans, 64, got), 1);
    EXPECT_EQ(ans[3], 0x03);
    EXPECT_EQ(ans[8], 2);

    // Two foreign answers: the second read's result stands, unmatched.
    fw_->SetScript([](const std::vector<uint8_t>&, sim::InputSink& s) {
        s.Deliver(Answer(0x05, 0, 1));
        s.Deliver(Answer(0x06, 0, 3));
    });
    EXPECT_EQ(ch_.Transact(req.data(), 64, ans, 64, got), 1);
    EXPECT_EQ(ans[3], 0x06);
}

TEST_F(ScriptedChannelTest, StatusBytesMapToResultCodes) {
    std::atomic<uint8_t> status{0xFF};
    fw_->SetScript([&](const std::vector<uint8_t>& r, sim::InputSink& s) {
        s.Deliver(Answer(r[3], status.load()));
    });
    uint8_t out[100];
    EXPECT_EQ(ch_.ChunkedRead(0x05, 0, out, 100), hid::kResultStatusFF);
    status = 0xFE;
    EXPECT_EQ(ch_.ChunkedWrite(0x06, 0, out, 10), hid::kResultStatusFE);
    EXPECT_EQ(ch_.LightStreamWrite(0, out, 10), hid::kResultStatusFE);
    status = 0x01;  // anything else is success
    EXPECT_EQ(ch_.ChunkedRead(0x05, 0, out, 100), 1);
    // One report per 56 bytes wired.
    EXPECT_EQ(fw_->Received().size(), 3u + 2u);
}

TEST_F(ScriptedChannelTest, NoAnswerGivesZeroAndDeadWriteGivesMinusOne) {
    auto req = testing_support::CommandRequest(0x03);
    uint8_t ans[64];
    uint32_t got = 0;
    // Nothing scripted: no answer.
    EXPECT_EQ(ch_.Transact(req.data(), 64, ans, 64, got), 0);
    EXPECT_EQ(fw_->Received().size(), 1u);
    bus_->Unplug(0);
    EXPECT_EQ(ch_.Transact(req.data(), 64, ans, 64, got), -1);
}

TEST_F(ScriptedChannelTest, KeepAliveSendsTargetTwoWithoutChecksum) {
    fw_->SetScript([](const std::vector<uint8_t>&, sim::InputSink& s) { s.Deliver(Answer(0x33)); });
    EXPECT_EQ(ch_.KeepAlive(), 1);  // no echo check
    const auto sent = fw_->Received();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][3], 0x19);
    EXPECT_EQ(sent[0][1], 0);
    EXPECT_EQ(sent[0][2], 0);
    EXPECT_EQ(sent[0][32], 2);
}

TEST_F(ScriptedChannelTest, LightStreamChunkDroppedWhileBusy) {
    std::atomic<bool> release{false};
    std::atomic<bool> inside{false};
    fw_->SetScript([&](const std::vector<uint8_t>& r, sim::InputSink& s) {
        if (r[3] == 0x05) {
            inside = true;
            while (!release.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        s.Deliver(Answer(r[3]));
    });
    std::thread slow([&] {
        uint8_t out[8];
        EXPECT_EQ(ch_.ChunkedRead(0x05, 0, out, 8), 1);
    });
    ASSERT_TRUE(channel_test::WaitFor([&] { return inside.load(); }));
    platform::DebugCapture capture;
    uint8_t frame[112] = {};
    EXPECT_EQ(ch_.LightStreamWrite(0, frame, sizeof frame), 1);  // returns without waiting
    EXPECT_EQ(capture.Count("放弃灯光数据"), 2u);
    release = true;
    slow.join();
    size_t streamed = 0;
    for (const auto& r : fw_->Received()) {
        streamed += r[3] == 0x12;
    }
    EXPECT_EQ(streamed, 0u);
    EXPECT_EQ(ch_.LightStreamWrite(0, frame, sizeof frame), 1);
}

TEST_F(SimBusTest, BindingAnotherChannelWaitsInsteadOfCancellingATransfer) {
    auto fw = std::make_shared<ScriptedFirmware>(0x22AA);
    bus_->Plug(fw);
    const std::string path = RememberShared(PathOf(*bus_, "pid_22aa", 4));
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    fw->SetScript([&](const std::vector<uint8_t>& r, sim::InputSink& s) {
        if (r[3] == 0x03) {
            inside = true;
            while (!release.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        s.Deliver(Answer(r[3]));
    });
    hid::ReportChannel first;
    ASSERT_TRUE(first.BindReceiver(path, hid::kTargetKeyboard));
    first.SetOpen(true);
    int result = 0;
    std::thread transfer([&] {
        auto req = testing_support::CommandRequest(0x03);
        uint8_t ans[64];
        uint32_t got = 0;
        result = first.Transact(req.data(), 64, ans, 64, got);
    });
    ASSERT_TRUE(channel_test::WaitFor([&] { return inside.load(); }));
    hid::ReportChannel second;
    std::atomic<bool> bound{false};
    std::thread binder([&] {
        second.BindReceiver(path, hid::kTargetMouse);
        bound = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(bound.load());  // waits for the transfer on the shared handle
    release = true;
    transfer.join();
    binder.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(first.ReceiverPack(), second.ReceiverPack());
    EXPECT_EQ(second.ReceiverTarget(), hid::kTargetMouse);
    EXPECT_EQ(second.ChunkSize(), 24);
}

// ------------------------------------------------------------ simulator

class SimChannelTest : public SimBusTest {
  protected:
    void OpenWired(hid::ReportChannel& ch) {
        const std::string path = PathOf(*bus_, "pid_22ab", 4);
        ASSERT_TRUE(ch.DirectPack().Open(path, true, true, true, false));
        ch.SetConnection(hid::kConnectionDirect);
        ch.SetOpen(true);
    }
    void OpenReceiver(hid::ReportChannel& ch, int32_t target) {
        const std::string path = RememberShared(PathOf(*bus_, "pid_22aa", 4));
        ASSERT_TRUE(ch.BindReceiver(path, target));
        ch.SetOpen(true);
    }
};

TEST_F(SimChannelTest, TableReadWiredAndThroughReceiverUsesChunkSizes) {
    sim::SimulatedDevicesOptions o;
    o.keyboardLinked = true;
    o.persist = false;
    auto& d = Devices(o);
    const auto expected = d.Keyboard().Region(sim::kRegionKeyDefaults);
    ASSERT_EQ(expected.size(), 342u);

    hid::ReportChannel wired;
    OpenWired(wired);
    std::vector<uint8_t> table(expected.size());
    const uint64_t before = d.KeyboardInterface().RequestCount();
    ASSERT_EQ(wired.ChunkedRead(0x07, 0, table.data(), static_cast<uint32_t>(table.size())), 1);
    EXPECT_EQ(table, expected);
    EXPECT_EQ(d.KeyboardInterface().RequestCount() - before, (342u + 55) / 56);

    hid::ReportChannel wireless;
    OpenReceiver(wireless, hid::kTargetKeyboard);
    std::fill(table.begin(), table.end(), 0);
    const uint64_t r0 = d.Receiver().RequestCount();
    ASSERT_EQ(wireless.ChunkedRead(0x07, 0, table.data(), static_cast<uint32_t>(table.size())), 1);
    EXPECT_EQ(table, expected);
    EXPECT_EQ(d.Receiver().RequestCount() - r0, (342u + 23) / 24);
    EXPECT_EQ(d.Receiver().ChecksumErrors(), 0u);

    // A wired-size chunk is refused by the receiver.
    wireless.SetConnection(hid::kConnectionDirect);
    wireless.SetConnection(hid::kConnectionReceiver);
    uint8_t req[64] = {4, 0, 0, 0x07, 56};
    hid::StampChecksum(req);
    uint8_t ans[64];
    EXPECT_EQ(wireless.Command(req, ans), hid::kResultStatusFE);
}

TEST_F(SimChannelTest, UnlinkedTargetGivesMinus101WithoutSecondRead) {
    sim::SimulatedDevicesOptions o;
    o.persist = false;
    o.keyboardLinked = false;
    auto& d = Devices(o);
    hid::ReportChannel ch;
    OpenReceiver(ch, hid::kTargetKeyboard);
    uint8_t kb = 1, mouse = 1;
    ASSERT_EQ(ch.LinkStatus(kb, mouse), 1);
    EXPECT_EQ(kb, 0);
    EXPECT_EQ(mouse, 0xFF);
    uint8_t info[34];
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, info, 34), hid::kResultUnreachable);
    // Only the one report went out, and nothing is left queued.
    const uint64_t before = d.Receiver().RequestCount();
    uint8_t frame[24] = {};
    EXPECT_EQ(ch.LightStreamWrite(0, frame, 24), hid::kResultUnreachable);
    EXPECT_EQ(d.Receiver().RequestCount() - before, 1u);

    // An injected "cannot reach" on a linked target.
    hid::ReportChannel mouseCh;
    OpenReceiver(mouseCh, hid::kTargetMouse);
    d.Receiver().Faults().Inject(sim::Fault::Unreachable);
    EXPECT_EQ(mouseCh.ChunkedRead(0x03, 0, info, 34), hid::kResultUnreachable);
    EXPECT_EQ(mouseCh.ChunkedRead(0x03, 0, info, 34), 1);
    EXPECT_EQ(info[9] | (info[10] << 8), sim::MouseModel::kSensorId);
}

TEST_F(SimChannelTest, HeadsetAnswersOnItsOnlyCollection) {
    sim::SimulatedDevicesOptions o;
    o.persist = false;
    Devices(o);
    const std::string path = PathOf(*bus_, "pid_1630", 0);
    ASSERT_NE(path.find("mi_03"), std::string::npos);
    hid::ReportChannel ch;
    ASSERT_TRUE(ch.DirectPack().Open(path, true, true, true, false));
    EXPECT_EQ(ch.DirectPack().Caps().usagePage, 0x0C);
    ch.SetConnection(hid::kConnectionDirect);
    ch.SetOpen(true);
    uint8_t status[6] = {};
    ASSERT_EQ(ch.ChunkedRead(0x1A, 0, status, 6), 1);
    EXPECT_LE(status[0], 100);
    EXPECT_LE(status[1], 2);
    uint8_t record[21] = {};
    ASSERT_EQ(ch.ChunkedRead(0x05, 0, record, 21), 1);
    record[2] = 3;
    ASSERT_EQ(ch.ChunkedWrite(0x06, 0, record, 21), 1);
    uint8_t back[21] = {};
    ASSERT_EQ(ch.ChunkedRead(0x05, 0, back, 21), 1);
    EXPECT_EQ(back[2], 3);
}

TEST_F(SimChannelTest, DirectModeLinkQuerySucceedsWithoutIo) {
    sim::SimulatedDevicesOptions o;
    o.persist = false;
    auto& d = Devices(o);
    hid::ReportChannel ch;
    OpenWired(ch);
    const uint64_t before = d.KeyboardInterface().RequestCount();
    uint8_t kb = 9, mouse = 9;
    EXPECT_EQ(ch.LinkStatus(kb, mouse), 1);
    EXPECT_EQ(d.KeyboardInterface().RequestCount(), before);
}

TEST_F(SimChannelTest, InjectedFaults) {
    sim::SimulatedDevicesOptions o;
    o.persist = false;
    auto& d = Devices(o);
    hid::ReportChannel ch;
    OpenWired(ch);
    auto& faults = d.KeyboardInterface().Faults();
    uint8_t out[34];
    faults.Inject(sim::Fault::StaleAnswerFirst);
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, out, 34), 1);  // the stale answer is skipped
    EXPECT_EQ(out[5], d.Keyboard().KeyCount());
    faults.Inject(sim::Fault::StatusFF);
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, out, 34), -102);
    faults.Inject(sim::Fault::StatusFE);
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, out, 34), -103);
    faults.Inject(sim::Fault::NoAnswer);
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, out, 34), 0);

    // Unplugged in the middle of a 7-report transfer: the transfer fails
    // at once, and a replugged keyboard answers again once reopened.
    std::vector<uint8_t> table(342);
    d.UnplugDuringTransfer(sim::SimUnit::Keyboard, 3);
    EXPECT_NE(ch.ChunkedRead(0x07, 0, table.data(), 342), 1);
    EXPECT_FALSE(d.IsPlugged(sim::SimUnit::Keyboard));
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, out, 34), -1);
    ASSERT_TRUE(d.Plug(sim::SimUnit::Keyboard));
    OpenWired(ch);
    EXPECT_EQ(ch.ChunkedRead(0x07, 0, table.data(), 342), 1);
}

TEST_F(SimChannelTest, ReceiverHandleRecoversAfterReplug) {
    sim::SimulatedDevicesOptions o;
    o.persist = false;
    o.keyboardLinked = true;
    auto& d = Devices(o);
    hid::ReportChannel ch;
    OpenReceiver(ch, hid::kTargetKeyboard);
    uint8_t out[34];
    ASSERT_EQ(ch.ChunkedRead(0x03, 0, out, 34), 1);
    d.Unplug(sim::SimUnit::Receiver);
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, out, 34), -1);
    d.Plug(sim::SimUnit::Receiver);
    // Binding again finds the shared handle still "open" and leaves it; the
    // dead handle is reopened by the next transfer.
    const std::string path = PathOf(*bus_, "pid_22aa", 4);
    if (path == ch.ReceiverPack()->Path()) {
        ASSERT_TRUE(ch.BindReceiver(path, hid::kTargetKeyboard));
    } else {
        OpenReceiver(ch, hid::kTargetKeyboard);
    }
    EXPECT_EQ(ch.ChunkedRead(0x03, 0, out, 34), 1);
}

TEST_F(SimChannelTest, KeyboardAndMouseChannelsShareReceiverWithoutMixingAnswers) {
    sim::SimulatedDevicesOptions o;
    o.persist = false;
    o.keyboardLinked = true;
    auto& d = Devices(o);
    hid::ReportChannel keyboardCh;
    hid::ReportChannel mouseCh;
    OpenReceiver(keyboardCh, hid::kTargetKeyboard);
    OpenReceiver(mouseCh, hid::kTargetMouse);
    ASSERT_EQ(keyboardCh.ReceiverPack(), mouseCh.ReceiverPack());

    const auto kbInfo = d.Keyboard().Region(sim::kRegionInfo);
    const auto mouseInfo = d.Mouse().Region(sim::kRegionInfo);
    const auto kbTable = d.Keyboard().Region(sim::kRegionKeyDefaults);
    std::atomic<int> failures{0};
    auto run = [&](hid::ReportChannel& ch, const std::vector<uint8_t>& info, bool keyboard) {
        for (int i = 0; i < 40; ++i) {
            std::vector<uint8_t> got(34);
            if (ch.ChunkedRead(0x03, 0, got.data(), 34) != 1 || got != info) {
                ++failures;
            }
            if (keyboard) {
                std::vector<uint8_t> table(kbTable.size());
                if (ch.ChunkedRead(0x07, 0, table.data(), static_cast<uint32_t>(table.size())) !=
                        1 ||
                    table != kbTable) {
                    ++failures;
                }
            } else {
                uint8_t kb = 0, m = 0;
                if (ch.KeepAlive() != 1) {
                    ++failures;
                }
                (void)kb, (void)m;
            }
        }
    };
    std::thread a([&] { run(keyboardCh, kbInfo, true); });
    std::thread b([&] { run(mouseCh, mouseInfo, false); });
    // Re-binding a third channel meanwhile must not disturb them.
    hid::ReportChannel poll;
    for (int i = 0; i < 20; ++i) {
        OpenReceiver(poll, hid::kTargetKeyboard);
        uint8_t kb = 0, m = 0;
        if (poll.LinkStatus(kb, m) != 1 || kb != 0xFF || m != 0xFF) {
            ++failures;
        }
    }
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
