// The registry that gives every receiver path one CHidPack for the whole
// run, so every channel talking through one receiver uses the same handle.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "hid/hid_pack.h"

namespace hid {

class CShareHidPackMgr {
  public:
    static CShareHidPackMgr& Instance();

    // Empty pointer for an empty path; the stored pack for a known path;
    // else a new, closed pack stored under the path. Never opens it.
    std::shared_ptr<CHidPack> Get(const std::string& path);
    // Number of stored packs (diagnostics, tests).
    size_t Size() const;

    CShareHidPackMgr() = default;
    ~CShareHidPackMgr();
    CShareHidPackMgr(const CShareHidPackMgr&) = delete;
    CShareHidPackMgr& operator=(const CShareHidPackMgr&) = delete;

  private:
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<CHidPack>> packs_;
};

}  // namespace hid
