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

// Writes through a temporary file in the same folder, fsync, rename, and an
// fsync of the folder. False on any failure; the old file is then untouched.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// Keeps a copy of an unreadable or unparsable file as "<path>.bak" (replacing
// an older backup) before something else is written in its place.
bool KeepBackup(const std::string& path);

bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);

}  // namespace platform
