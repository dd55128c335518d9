// What the main window hands to a page for a routed notification. Each page
// kind implements PageHooks and handles the routes its owner owns (see
// dispatch_routes.h); until a page exists its routes reach the default,
// which does nothing.
#pragma once

#include <cstdint>
#include <string>

#include "pages/dispatch_routes.h"

namespace pages {

struct RouteEvent {
    Route route{};
    // The control's name as the layout spells it.
    std::string control;
    // From the name for prefix routes (already within the route's bounds),
    // the row's argument otherwise: for menu inserts hook mode x 10 + delay mode.
    int index = 0;
    // The notification's parameters: the new value of a slider, the item of
    // a list, 1 / 0 for an option that gained / lost its mark.
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class PageHooks {
  public:
    virtual ~PageHooks() = default;
    // False when the page does not handle the route.
    virtual bool Handle(const RouteEvent& event) {
        (void)event;
        return false;
    }
};

// The page every owner has until a real one is plugged in.
PageHooks& NoPage();

}  // namespace pages
