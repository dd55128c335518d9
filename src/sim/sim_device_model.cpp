#include "sim/sim_device_model.h"

#include <json/json.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace sim {

namespace {

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool FromHex(const std::string& s, std::vector<uint8_t>& out) {
    if (s.size() % 2 != 0) {
        return false;
    }
    out.assign(s.size() / 2, 0);
    for (size_t i = 0; i < out.size(); ++i) {
        const int hi = HexValue(s[2 * i]);
        const int lo = HexValue(s[2 * i + 1]);
        if (hi < 0 || lo < 0) {
            return false;
        }
        out[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return true;
}

}  // namespace

DeviceModel::DeviceModel(std::string storeName) {
    if (!storeName.empty() && platform::IsPlainFileName(storeName + ".json")) {
        const std::string base = platform::UserDataFolder();
        if (!base.empty()) {
            statePath_ = base + "simulator/" + storeName + ".json";
        }
    }
}

DeviceModel::~DeviceModel() = default;

void DeviceModel::AddRegion(const std::string& name, std::vector<uint8_t> factory,
                            bool persistent) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    RegionData& r = regions_[name];
    r.bytes = factory;
    r.factory = std::move(factory);
    r.persistent = persistent;
}

void DeviceModel::MapCommand(uint8_t command, Access access, const std::string& region) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    commands_[command] = Mapping{access, region};
}

void DeviceModel::LoadState() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (statePath_.empty()) {
        return;
    }
    std::string text;
    if (platform::ReadRegularFile(statePath_, text) != platform::ReadResult::Ok) {
        return;  // first run: factory state
    }
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    bool ok = false;
    try {
        ok = reader->parse(text.data(), text.data() + text.size(), &root, &errors) &&
             root.isObject() && root["regions"].isObject();
    } catch (const std::exception&) {
        ok = false;
    }
    std::map<std::string, std::vector<uint8_t>> loaded;
    if (ok) {
        for (auto& [name, region] : regions_) {
            if (!region.persistent) {
                continue;
            }
            const Json::Value& v = root["regions"][name];
            if (v.isNull()) {
                continue;  // a region added since: factory content
            }
            std::vector<uint8_t> bytes;
            if (!v.isString() || !FromHex(v.asString(), bytes) ||
                bytes.size() != region.factory.size()) {
                ok = false;
                break;
            }
            loaded[name] = std::move(bytes);
        }
    }
    if (!ok) {
        // Damaged: keep it aside and start from the factory state.
        platform::KeepBackup(statePath_);
        return;
    }
    for (auto& [name, bytes] : loaded) {
        regions_[name].bytes = std::move(bytes);
    }
}

void DeviceModel::SaveLocked() {
    if (statePath_.empty() || !persist_) {
        return;
    }
    Json::Value root(Json::objectValue);
    root["version"] = 1;
    Json::Value regions(Json::objectValue);
    for (const auto& [name, region] : regions_) {
        if (region.persistent) {
            regions[name] = ToHex(region.bytes);
        }
    }
    root["regions"] = regions;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "   ";
    const std::string folder = statePath_.substr(0, statePath_.rfind('/'));
    if (!platform::MakeFolders(folder)) {
        return;
    }
    platform::WriteFileAtomically(statePath_, Json::writeString(writer, root) + "\n");
}

void DeviceModel::SetPersistence(bool on) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    persist_ = on;
}

void DeviceModel::FactoryReset() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (auto& [name, region] : regions_) {
        region.bytes = region.factory;
    }
    if (!statePath_.empty()) {
        platform::RemoveFile(statePath_);
    }
}

uint8_t DeviceModel::Handle(const uint8_t* request, uint8_t* answer, size_t maxPayload) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const uint8_t command = request[3];
    auto it = commands_.find(command);
    if (it == commands_.end()) {
        return HandleOther(command, request, answer);
    }
    const size_t length = request[4];
    const size_t offset = static_cast<size_t>(request[5]) | (static_cast<size_t>(request[6]) << 8);
    if (length > maxPayload || length > 56) {
        return kStatusFailOther;
    }
    auto rit = regions_.find(it->second.region);
    if (rit == regions_.end()) {
        return kStatusFail;
    }
    std::vector<uint8_t>& bytes = rit->second.bytes;
    const size_t limit = std::min(bytes.size(), RegionLimit(it->second.region, bytes.size()));
    if (offset > limit || length > limit - offset) {
        return kStatusFailOther;  // outside the device memory
    }
    if (it->second.access == Access::Read) {
        BeforeRead(it->second.region);
        std::memcpy(answer + 8, bytes.data() + offset, length);
        return kStatusOk;
    }
    if (std::memcmp(bytes.data() + offset, request + 8, length) != 0) {
        std::memcpy(bytes.data() + offset, request + 8, length);
        if (rit->second.persistent) {
            SaveLocked();
        }
    }
    AfterWrite(it->second.region, offset, length);
    return kStatusOk;
}

uint8_t DeviceModel::HandleOther(uint8_t command, const uint8_t* request, uint8_t* answer) {
    (void)request, (void)answer;
    if (command == 0x19) {
        return kStatusOk;  // keep-alive
    }
    return kStatusFail;  // unknown command
}

int DeviceModel::AddEventListener(EventListener listener) {
    std::lock_guard<std::mutex> lock(listenerMutex_);
    const int id = nextListener_++;
    listeners_[id] = std::move(listener);
    return id;
}

void DeviceModel::RemoveEventListener(int id) {
    std::lock_guard<std::mutex> lock(listenerMutex_);
    listeners_.erase(id);
}

void DeviceModel::EmitEvent(uint16_t code) {
    std::vector<EventListener> copy;
    {
        std::lock_guard<std::mutex> lock(listenerMutex_);
        for (auto& [id, l] : listeners_) {
            copy.push_back(l);
        }
    }
    for (auto& l : copy) {
        l(code);
    }
}

std::vector<uint8_t> DeviceModel::Region(const std::string& name) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = regions_.find(name);
    return it == regions_.end() ? std::vector<uint8_t>{} : it->second.bytes;
}

std::vector<uint8_t> DeviceModel::ReadRegion(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = regions_.find(name);
    if (it == regions_.end()) {
        return {};
    }
    BeforeRead(name);
    return regions_[name].bytes;
}

bool DeviceModel::PokeRegion(const std::string& name, size_t offset,
                             const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = regions_.find(name);
    if (it == regions_.end() || offset > it->second.bytes.size() ||
        bytes.size() > it->second.bytes.size() - offset) {
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), it->second.bytes.begin() + static_cast<long>(offset));
    if (it->second.persistent) {
        SaveLocked();
    }
    return true;
}

}  // namespace sim
