// The run log: what the program did and what went wrong, for the user to send in.
#pragma once

#include <string>

#include "core/base/status.h"

namespace kelmoa {

// The run log in the program folder: CP932 lines ended by CR LF, each beginning with the local
// time "hh:mm:ss". Opened, written and closed for every line.

// Deletes the log programFolder/<title>.log (LogPath) and starts it anew with the line
// "hh:mm:ss log start".
Status StartLog(const std::string& programFolder, const std::string& title);

// Appends "hh:mm:ss text" to programFolder/<programBaseName>.log, creating it when missing.
Status WriteLog(const std::string& programFolder, const std::string& programBaseName,
                const std::u16string& text);

}  // namespace kelmoa
