// Finds the path of a simulated interface collection for tests and benches.
#pragma once

#include <string>
#include <vector>

#include "sim/sim_backend.h"

namespace testing_support {

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
