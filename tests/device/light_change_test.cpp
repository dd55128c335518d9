// The lighting change path: a field edit applied to the live settings, and
// the whole path against the simulated keyboard (settings record on the
// device, profile file, live state).
#include <gtest/gtest.h>

#include <json/json.h>

#include <memory>
#include <sstream>

#include "device/keyboard_device.h"
#include "device/light_change.h"
#include "hid/hid_backend.h"
#include "platform/paths.h"
#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"
#include "support/temp_dir.h"

namespace {

using device::LightEdit;
using device::LightField;

profile::LightInfo Base() {
    profile::LightInfo l;
    l.SelectItem = 5;
    l.Light = 3;
    l.Speed = 2;
    l.Fx = 1;
    l.MultiColor = 1;
    l.Red = 0x11;
    l.Green = 0x22;
    l.Blue = 0x33;
    l.ZZCCLedMode = 2;
    l.CustomGroup = 1;
    return l;
}

TEST(LightEdit, ChangesOnlyItsField) {
    const profile::LightInfo base = Base();
    profile::LightInfo l = device::ApplyLightEdit(base, {LightField::Brightness, 1});
    EXPECT_EQ(l.Light, 1);
    l.Light = base.Light;
    EXPECT_EQ(l, base);

    l = device::ApplyLightEdit(base, {LightField::Direction, 7});
    EXPECT_EQ(l.Fx, 1);
    l = device::ApplyLightEdit(base, {LightField::Direction, 0});
    EXPECT_EQ(l.Fx, 0);
    EXPECT_EQ(device::ApplyLightEdit(base, {LightField::MultiColour, 0}).MultiColor, 0);
}

TEST(LightEdit, ColourComponentsStayInTheirByte) {
    const profile::LightInfo base = Base();
    // Above a byte is held at 255, below at 0: never carried into the
    // neighbouring component or wrapped.
    profile::LightInfo l = device::ApplyLightEdit(base, {LightField::Green, 300});
    EXPECT_EQ(l.Green, 255);
    EXPECT_EQ(l.Red, 0x11);
    EXPECT_EQ(l.Blue, 0x33);
    EXPECT_EQ(l.MultiColor, 0);
    EXPECT_EQ(device::ApplyLightEdit(base, {LightField::Red, -4}).Red, 0);
    EXPECT_EQ(device::ApplyLightEdit(base, {LightField::Mode, 999}).SelectItem, 255);

    l = device::ApplyLightEdit(base, {LightField::Colour, static_cast<int>(0xFF123456u)});
    EXPECT_EQ(l.Red, 0x12);
    EXPECT_EQ(l.Green, 0x34);
    EXPECT_EQ(l.Blue, 0x56);
    EXPECT_EQ(l.MultiColor, 0);
    EXPECT_EQ(l.Light, base.Light);
}

TEST(LightEdit, NoDeviceDoesNothing) {
    EXPECT_EQ(device::ChangeLight(nullptr, {LightField::Mode, 3}), 0);
}

TEST(AudioWords, RoundTrip) {
    profile::AudioLightInfo a;
    a.AudioMode = 2;
    a.BkColorR = 1, a.BkColorG = 2, a.BkColorB = 3;
    a.FgColorR = 4, a.FgColorG = 5, a.FgColorB = 6;
    a.SevenColorFlags = 1;
    a.ColorTypeFlags = 1;
    EXPECT_EQ(device::AudioLightOf(device::AudioWordsOf(a)), a);
}

class LightChangeSim : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");
        bus_ = std::make_shared<sim::SimBackend>();
        bus_->SetReportLatencyMicros(0);
        hid::SetBackend(bus_);
        devices_ = std::make_unique<sim::SimulatedDevices>(bus_, testing_support::KeyboardOnly());
        keyboard_ = std::make_unique<device::CVornelKeyboardDevice>();
        keyboard_->SetDeviceFolder("keyboard");
        keyboard_->SetProfileName("light");
        keyboard_->SetDeviceIndex(0);
        keyboard_->LoadNameLists();
        hid::ReportChannel& ch = keyboard_->CommandChannel();
        ASSERT_TRUE(ch.DirectPack().Open(testing_support::PathOf(*bus_, "pid_22ab", "&col04"), true,
                                         true, true, false));
        ch.SetConnection(hid::kConnectionDirect);
        ch.SetOpen(true);
        keyboard_->ReadDeviceTables();
        keyboard_->LoadActiveProfile();
    }
    void TearDown() override {
        keyboard_->CommandChannel().DirectPack().Close();
        keyboard_.reset();
        devices_.reset();
        hid::SetBackend(nullptr);
    }
    std::vector<uint8_t> Settings() { return devices_->Keyboard().Region("settings"); }
    Json::Value ProfileLight() {
        std::istringstream in(testing_support::ReadAll(keyboard_->GetProfilePathOf()));
        Json::Value doc;
        Json::CharReaderBuilder b;
        std::string errors;
        EXPECT_TRUE(Json::parseFromStream(b, in, &doc, &errors)) << errors;
        return doc["Device"][0]["LightInfo"];
    }

    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    std::unique_ptr<device::CVornelKeyboardDevice> keyboard_;
};

TEST_F(LightChangeSim, GreenAboveAByteReachesDeviceAndProfileAs255) {
    ASSERT_EQ(device::ChangeLight(keyboard_.get(), {LightField::Green, 300}), 1);
    const std::vector<uint8_t> record = Settings();
    ASSERT_GE(record.size(), 9u);
    EXPECT_EQ(record[7], 0xFF);
    EXPECT_EQ(record[5], 0);  // a colour edit leaves the colourful variant
    EXPECT_EQ(keyboard_->LiveLight().Green, 255);
    EXPECT_EQ(ProfileLight()["Green"].asInt(), 255);
    EXPECT_EQ(ProfileLight()["MultiColor"].asInt(), 0);
}

TEST_F(LightChangeSim, ModeChangeReachesTheLiveStateAndTheRecord) {
    const std::vector<int>& codes = keyboard_->ModeValues();
    ASSERT_GT(codes.size(), 17u);
    ASSERT_EQ(device::ChangeLight(keyboard_.get(), {LightField::Mode, 17}), 1);
    EXPECT_EQ(keyboard_->LiveLight().SelectItem, 17);
    EXPECT_EQ(Settings()[1], static_cast<uint8_t>(codes[17]));
    EXPECT_EQ(ProfileLight()["SelectItem"].asInt(), 17);
}

TEST_F(LightChangeSim, UnpluggedDeviceStillKeepsTheProfileChange) {
    keyboard_->CommandChannel().DirectPack().Close();
    keyboard_->CommandChannel().SetOpen(false);
    EXPECT_LE(device::ChangeLight(keyboard_.get(), {LightField::Brightness, 1}), 0);
    EXPECT_EQ(ProfileLight()["Light"].asInt(), 1);
}

TEST_F(LightChangeSim, MusicBackgroundOffIsStoredInTheProfile) {
    profile::AudioLightInfo a = device::AudioLightOf(*keyboard_);
    a.BkColorR = 9, a.BkColorG = 8, a.BkColorB = 7;
    device::ChangeAudioLight(keyboard_.get(), a);
    EXPECT_EQ(keyboard_->Profile().GetAudioLightInfo().BkColorG, 8);
    a.BkColorR = a.BkColorG = a.BkColorB = 0;
    device::ChangeAudioLight(keyboard_.get(), a);
    EXPECT_EQ(device::AudioLightOf(*keyboard_).BkColorR, 0);
    EXPECT_EQ(keyboard_->Profile().GetAudioLightInfo().BkColorB, 0);
}

}  // namespace
