// Interface paths as every backend publishes them:
// "<device node>#vid_xxxx&pid_xxxx&mi_NN&colNN", so the "vid_", "pid_",
// "&mi_" and "&col" readers work on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hid {

// `interfaceNumber` < 0 leaves out "&mi_"; "&col" (numbered from 01) is left
// out when the interface has a single top-level collection.
std::string MakeCollectionPath(std::string_view node, uint16_t vendorId, uint16_t productId,
                               int interfaceNumber, size_t collectionIndex, size_t collectionCount);

// The hexadecimal number after the first occurrence of `marker` (case
// ignored); 0 when the marker is absent or no digit follows. Reads at most
// eight digits, like "%x" into a 32-bit value.
uint32_t HexAfterMarker(std::string_view path, std::string_view marker);

// The device node part of a path (before '#').
std::string_view PathNode(std::string_view path);

bool SamePathIgnoringCase(std::string_view a, std::string_view b);

}  // namespace hid
