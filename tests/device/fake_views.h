// Recording doubles of the views a device object drives.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/device_views.h"

namespace device_test {

class FakePageView : public device::DevicePageView {
  public:
    bool hasPanel = true;
    bool hasSwitches = true;
    std::vector<std::string> buttons;
    std::map<int, std::pair<uint32_t, uint8_t>> colours;
    std::vector<bool> hidden;
    std::pair<uint32_t, uint8_t> indicator{0, 0};
    int tabA = -1, tabB = -1;
    int repaints = 0;

    bool SelectPanelButtons(std::vector<std::string>& names) override {
        names = buttons;
        return hasPanel;
    }
    void SetButtonColour(int button, uint32_t word, uint8_t alpha) override {
        colours[button] = {word, alpha};
    }
    bool IsButtonVisible(int button) const override {
        return button >= static_cast<int>(hidden.size()) || !hidden[static_cast<size_t>(button)];
    }
    void SetButtonText(int, const std::string&) override {}
    void SetIndicatorColour(uint32_t word, uint8_t alpha) override { indicator = {word, alpha}; }
    bool SelectFunctionTabs(int a, int b) override {
        if (!hasSwitches) {
            return false;
        }
        if (a >= 0)
            tabA = a;
        if (b >= 0)
            tabB = b;
        return true;
    }
    void RepaintPreview() override { ++repaints; }
};

class FakeEntryView : public device::DeviceEntryView {
  public:
    void StartTimer(int id, int periodMs) override {
        std::lock_guard lock(mutex);
        started.emplace_back(id, periodMs);
    }
    void StopTimer(int id) override {
        std::lock_guard lock(mutex);
        stopped.push_back(id);
    }
    std::vector<std::pair<int, int>> Started() {
        std::lock_guard lock(mutex);
        return started;
    }
    std::mutex mutex;
    std::vector<std::pair<int, int>> started;
    std::vector<int> stopped;
};

}  // namespace device_test
