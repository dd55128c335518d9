#include "hid/share_hid_pack_mgr.h"

namespace hid {

CShareHidPackMgr& CShareHidPackMgr::Instance() {
    // Construction of a function-local static is serialised by the language.
    static CShareHidPackMgr instance;
    return instance;
}

CShareHidPackMgr::~CShareHidPackMgr() {
    std::lock_guard<std::mutex> lock(mutex_);
    packs_.clear();
}

std::shared_ptr<CHidPack> CShareHidPackMgr::Get(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = packs_.find(path);
    if (it != packs_.end()) {
        return it->second;
    }
    auto pack = std::make_shared<CHidPack>();
    packs_.emplace(path, pack);
    return pack;
}

size_t CShareHidPackMgr::Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return packs_.size();
}

}  // namespace hid
