// The real skin, the simulator and a CMainWnd for the window and entry
// suites: the window runs its own discovery thread against simulated
// devices that the tests plug, unplug, link and unlink.
#pragma once

#include <memory>

#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "support/temp_dir.h"
#include "ui/main_window/main_wnd.h"

namespace uitest {

// Points the skin at the repository's skin folder and registers the
// program's control classes and messages.
void UseProgramSkin();

class WindowWorld {
  public:
    // No simulated device is plugged at start.
    WindowWorld();
    ~WindowWorld();

    // Creates the window and waits for its start and first discovery pass.
    bool Start();
    // Start, then the simulated keyboard plugged and selected.
    bool StartWithKeyboard();
    // As the program does with --minimized: the window is never shown.
    bool StartInTray();
    ui::CMainWnd& Window() { return *window_; }
    const std::string& UserFolders() const { return folders_.Root(); }
    sim::SimulatedDevices& Devices() { return *devices_; }
    // Closes the window as the close button does (the shutdown runs).
    void Close();

    bool Shown(int row) const;
    bool Selected(int row) const;
    bool NoDeviceShown() const;
    QString Background() const;

  private:
    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::SimBackend> backend_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    std::unique_ptr<ui::CMainWnd> window_;
};

}  // namespace uitest
