#pragma once
// The log file's format: the dated file name and the four entry forms.

#include <string>

#include "platform/clock.h"

namespace core {

// A separator entry between steps.
inline const std::string kSeparator(70, '-');

// The daily file for a configured log path: "_YYYYMMDD" goes before the
// extension of the file name ("run.log" -> "run_20261210.log"); a file name
// without one gets "_YYYYMMDD.txt". A dot in a folder name is not an
// extension.
std::string DatedLogFileName(const std::string& logFilePath, const platform::LocalTime& date);

// "YYYY-MM-DD HH:MM:SS.hh"
std::string LogTimeStamp(const platform::LocalTime& t);

// Whether an entry passes the filter: errors and warnings always, anything
// else only with verbose logging.
bool IsAlwaysLogged(const std::string& text);

// The line as written: with time stamps on, the stamp first; otherwise
// errors and warnings carry the stamp after their first word.
std::string FormatLogEntry(const std::string& text, const std::string& stamp, bool timeStamps);

}  // namespace core
