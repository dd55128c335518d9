// "updatetime.config": the date of the last update check.
#pragma once

#include <optional>
#include <string>

namespace update {

// "<year>-<month>-<day>" without leading zeros.
std::string FormatCheckDate(int year, int month, int day);
// Today's local date in that form.
std::string TodayCheckDate();

// The file in the user data folder; empty when that folder is unavailable.
std::string UpdateTimePath();

// The stored date; nothing when the file is missing, broken, or its value is
// not a date in the form above.
std::optional<std::string> ReadCheckDate(const std::string& path);
// Writes {"updatelasttime":{"value":date}} atomically. A broken file is kept
// as .bak first; false when it could not be kept or written.
bool WriteCheckDate(const std::string& path, const std::string& date);

}  // namespace update
