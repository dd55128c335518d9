// The profile list of one device: "ProfileList.ini" (a JSON index) in the
// device data folder and one profile file per entry. This is the model behind
// the profile bar; the combo box mirrors Names() and GetSelectedIndex().
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

namespace profile {

class ProfileList {
  public:
    static constexpr int kMaxProfiles = 50;
    static constexpr int kHeadsetDeviceType = 7;
    // Larger import files are refused unread.
    static constexpr uintmax_t kMaxImportBytes = 16u * 1024u * 1024u;

    // Results of the changing operations.
    static constexpr int kDone = 1;
    static constexpr int kListFull = 0;      // "message_text_30"
    static constexpr int kWriteFailed = -1;  // nothing changed on disk
    static constexpr int kNotAProfile = -2;  // import: ignored without a message
    static constexpr int kNameTooLong = -3;  // import: "message_text_36"
    static constexpr int kNameTaken = 0;     // rename: "message_text_5"
    static constexpr int kNameBlank = 2;     // rename: "message_text_5_2"

    // `profileDir` is the device data folder (with a trailing '/').
    void SetProfilePaths(const std::string& profileDir, const std::string& defaultDataFile);
    void SetDeviceType(int deviceType) { deviceType_ = deviceType; }

    // Reads the list; a missing or empty list starts with "profile1", a list
    // that cannot be parsed is kept as ".bak" and rebuilt from the profile
    // files in the folder. Selects the stored selection. False when the list
    // had to be rewritten and that failed.
    bool LoadProfileList();
    int AddProfile();
    int CopyProfile();
    int RenameProfile(const std::string& name);
    // kDone, kListFull is never returned; 0 when nothing was deleted (no
    // selection or only one profile), kWriteFailed when the list could not be written.
    int DeleteProfile();
    bool SelectProfile(int index);
    bool ExportProfile(const std::string& path) const;
    int ImportProfile(const std::string& path, const std::string& name);
    bool ResetProfile();

    int GetSelectedIndex() const { return selected_; }
    int GetProfileCount() const;
    // Folder + identifier + ".Json" of entry `index` of the list file; "" when
    // there is no such entry.
    std::string GetProfileFilePath(int index) const;
    std::vector<std::string> GetProfileFilePaths() const;
    const std::string& GetCurrentProfileUUID() const { return currentProfileUUID_; }
    std::string GetCurrentProfilePath() const;
    const std::vector<std::string>& Names() const { return names_; }
    std::string SelectedName() const;
    const std::string& ListPath() const { return listPath_; }

    // Checks a name typed for renaming: "" when acceptable, else the text id
    // of the message ("message_text_5_1", "message_text_36", "message_text_37").
    static std::string CheckRenameText(const std::string& name);
    // The import name check: "" or "message_text_36".
    static std::string CheckImportName(const std::string& name);

  private:
    struct Entry {
        std::string name;
        std::string uuid;
        Json::Value raw;  // the entry as stored, so unknown members survive
    };
    struct List {
        Json::Value document;
        std::vector<Entry> entries;
        int select = 0;
        // Broken, and could not be kept as .bak: never written over.
        bool locked = false;
    };

    bool ReadList(List& list) const;  // false when the file exists but is broken
    List FreshList();                 // read, recovering a broken file
    bool KeepBrokenList() const;      // false (and a debug line) when not kept
    bool WriteList(List& list) const;
    void Mirror(const List& list);
    std::string PathOf(const std::string& uuid) const;
    Json::Value Template() const;
    bool CreateProfileFile(Json::Value document, const std::string& name,
                           const std::string& uuid) const;
    bool NameTaken(const List& list, const std::string& name, int except = -1) const;
    bool StartFresh(List& list);
    void RebuildFromFiles(List& list) const;
    int AppendEntry(List& list, const std::string& name, const std::string& uuid, bool select);

    std::string profileDir_;
    std::string defaultDataFile_;
    std::string listPath_;
    int deviceType_ = 0;
    std::vector<std::string> names_;
    std::vector<std::string> uuids_;
    int selected_ = -1;
    std::string currentProfileUUID_;
};

}  // namespace profile
