// Whole-file reads and atomic writes. Every file the program writes goes
// through WriteFileAtomically, so a crash or a full disk never leaves a
// half-written file in place of the old one.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

inline constexpr size_t kMaxReadBytes = 16u * 1024u * 1024u;

enum class ReadResult { Ok, Missing, NotRegular, TooLarge, Error };

// Reads a regular file whole (at most `maxBytes`). FIFOs, devices and
// folders are refused without blocking.
ReadResult ReadRegularFile(const std::string& path, std::string& out,
                           size_t maxBytes = kMaxReadBytes);

// Writes through a temporary file beside the file, fsync, rename, and an
// fsync of the folder. A symbolic link is written through: its target is
// replaced and the link stays. False on any failure; the old file is then
// untouched.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// Temporary files of WriteFileAtomically are named ".<name><marker>XXXXXX";
// a crash between create and rename leaves one behind.
inline constexpr const char* kTempMarker = ".qx70tmp-";
bool IsTemporaryFileName(const std::string& name);
// Removes leftover temporary files from `folder` and its sub-folders
// (symbolic links are not followed). Only safe while no other instance
// writes there. Returns how many were removed.
int SweepTemporaryFiles(const std::string& folder);

enum class BackupWay {
    LinkOrMove,  // the caller replaces the file next: moving it aside is fine
    LinkOnly,    // the file stays in use as it is
};

// Keeps an unreadable or unparsable file as "<path>.bak" (replacing an older
// backup) before something else is written in its place. The file is never
// read: the backup is a hard link to it, or, where a link is refused (a file
// of another user, a file system without links), the file itself renamed.
// False when it was kept neither way; the caller must then not replace it.
[[nodiscard]] bool KeepBackup(const std::string& path, BackupWay way = BackupWay::LinkOrMove);

bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);

// Tests: reads of `path` fail as an I/O error would; "" ends it.
void InjectReadErrorForTests(const std::string& path);

}  // namespace platform
