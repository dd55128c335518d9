// The main window's part in skin changes: it listens to the skin-change
// broadcaster and paints its "root" control in the chosen colour or
// picture. A picture is a skin resource name or a file the user chose; both
// are painted by the program, neither ever becomes style-sheet text.
#pragma once

#include "pages/page_hooks.h"
#include "pages/skin_observer.h"

namespace ui {

class Window;

class SkinBackground : public pages::SkinReceiver {
  public:
    // Registers with the process's broadcaster; leaves it when destroyed.
    explicit SkinBackground(Window& window);
    int Receive(const pages::SkinChangedParam& param) override;

  private:
    Window& window_;
};

// "skinbtn": a new skin panel under the button for every click.
class SkinPanelHooks : public pages::PageHooks {
  public:
    explicit SkinPanelHooks(Window& window) : window_(window) {}
    bool Handle(const pages::RouteEvent& event) override;

  private:
    Window& window_;
};

}  // namespace ui
