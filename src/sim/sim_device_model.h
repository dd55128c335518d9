// The firmware behaviour of one simulated device, independent of how it is
// reached (its own USB interface or the 2.4 GHz receiver): command handling
// over named memory regions, persistence of its settings, and events.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

// Answer status bytes.
inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusFail = 0xFF;
inline constexpr uint8_t kStatusFailOther = 0xFE;

class DeviceModel {
  public:
    using EventListener = std::function<void(uint16_t code)>;

    // `storeName` names the state file under the user data folder's
    // "simulator/" (empty: nothing is kept).
    explicit DeviceModel(std::string storeName);
    virtual ~DeviceModel();
    DeviceModel(const DeviceModel&) = delete;
    DeviceModel& operator=(const DeviceModel&) = delete;

    // Serves one 64-byte command report (checksum already checked):
    // fills answer bytes 4.. (the caller frames id, checksum and echo) and
    // returns the status byte. `maxPayload` is the largest chunk the link
    // carries (56 wired, 24 through the receiver).
    uint8_t Handle(const uint8_t* request, uint8_t* answer, size_t maxPayload);
    // A report with another id (the headset's LED report); ignored by default.
    virtual void OnOtherReport(const std::vector<uint8_t>& report) { (void)report; }

    // Events: every listener gets each code (the wired interface and the
    // receiver both listen while attached).
    int AddEventListener(EventListener listener);
    void RemoveEventListener(int id);
    void EmitEvent(uint16_t code);

    // A copy of a region, empty when unknown.
    std::vector<uint8_t> Region(const std::string& name) const;
    // The same as a read command sees it (dynamic regions brought up to
    // date first).
    std::vector<uint8_t> ReadRegion(const std::string& name);
    // Replaces bytes of a region (tests, the simulated on-device changes);
    // false when out of range.
    bool PokeRegion(const std::string& name, size_t offset, const std::vector<uint8_t>& bytes);

    // Where the state is kept; empty without persistence.
    const std::string& StatePath() const { return statePath_; }
    // Discards the kept state and restores the factory state.
    void FactoryReset();

    // Disables saving (benchmarks that write a lot).
    void SetPersistence(bool on);

  protected:
    enum class Access { Read, Write };
    // Declares a memory region (factory content) and whether it is kept
    // across runs. Call from the constructor, then call LoadState().
    void AddRegion(const std::string& name, std::vector<uint8_t> factory, bool persistent);
    // Binds a command to a chunked read or write of a region.
    void MapCommand(uint8_t command, Access access, const std::string& region);
    // Restores persistent regions from the state file; a damaged file is
    // kept as a backup and the factory state is used.
    void LoadState();

    // Commands without a region mapping; returns the status. Called with the
    // model lock held.
    virtual uint8_t HandleOther(uint8_t command, const uint8_t* request, uint8_t* answer);
    // Called with the lock held before a mapped read (dynamic regions).
    virtual void BeforeRead(const std::string& region) { (void)region; }
    // How many bytes of a region the commands may reach (the whole region
    // unless the firmware says less). Called with the lock held.
    virtual size_t RegionLimit(const std::string& region, size_t size) const {
        (void)region;
        return size;
    }
    // Called with the lock held after every mapped write (the bytes may be
    // unchanged: a frame stream writes the same frame again).
    virtual void AfterWrite(const std::string& region, size_t offset, size_t length) {
        (void)region, (void)offset, (void)length;
    }

    std::vector<uint8_t>& Mem(const std::string& name) { return regions_[name].bytes; }

    mutable std::recursive_mutex mutex_;

  private:
    struct RegionData {
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> factory;
        bool persistent = false;
    };
    struct Mapping {
        Access access = Access::Read;
        std::string region;
    };
    void SaveLocked();

    std::string statePath_;
    bool persist_ = true;
    std::map<std::string, RegionData> regions_;
    std::map<uint8_t, Mapping> commands_;
    std::mutex listenerMutex_;
    std::map<int, EventListener> listeners_;
    int nextListener_ = 1;
};

}  // namespace sim
