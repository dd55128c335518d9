// Small named values that outlive a run (the chosen language, ...), kept in
// one JSON file in the user's configuration folder.
#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace platform {

class SettingsStore {
  public:
    // `path` empty: "<UserConfigFolder()>settings.json".
    explicit SettingsStore(std::string path = {});

    std::optional<int> GetInt(const std::string& name) const;
    std::optional<std::string> GetString(const std::string& name) const;
    // Each write rewrites the file atomically; false when it could not.
    bool SetInt(const std::string& name, int value);
    bool SetString(const std::string& name, const std::string& value);

    const std::string& Path() const { return path_; }

  private:
    template <typename Fn>
    bool Update(Fn&& change);

    std::string path_;
    mutable std::mutex mutex_;
};

}  // namespace platform
