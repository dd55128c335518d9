// A command report as the host writes it: report id 4, the command byte,
// the checksum stamped; every other byte zero.
#pragma once

#include <cstdint>
#include <vector>

#include "hid/report_channel.h"

namespace testing_support {

inline std::vector<uint8_t> CommandRequest(uint8_t command) {
    std::vector<uint8_t> r(64, 0);
    r[0] = 4;
    r[3] = command;
    hid::StampChecksum(r.data());
    return r;
}

}  // namespace testing_support
