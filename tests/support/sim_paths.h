// Simulator set-ups shared by tests and benches: finding the path of a
// simulated interface collection, and a bus with the wired keyboard alone.
#pragma once

#include <string>
#include <vector>

#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"

namespace testing_support {

// Only the wired keyboard, nothing written to disk.
inline sim::SimulatedDevicesOptions KeyboardOnly() {
    sim::SimulatedDevicesOptions o;
    o.persist = false;
    o.receiver = false;
    o.mousePad = false;
    o.headset = false;
    return o;
}

// The first enumerated path that contains `pid` and ends with `col`
// (e.g. "&col04"); "" when there is none.
inline std::string PathOf(sim::SimBackend& bus, const std::string& pid, const std::string& col) {
    std::vector<std::string> paths;
    bus.Enumerate(paths);
    for (const auto& p : paths) {
        if (p.find(pid) != std::string::npos && p.size() >= col.size() &&
            p.compare(p.size() - col.size(), col.size(), col) == 0) {
            return p;
        }
    }
    return "";
}

}  // namespace testing_support
