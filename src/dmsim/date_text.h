#pragma once
// Date-time values of the emulated libraries: stored and returned as the text
// "YYYY-MM-DD HH:MM:SS" in UTC, second precision. Dates the program writes
// back arrive either in that form or as "DD-MMM-YYYY HH:MM:SS" with an
// English month abbreviation.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dmsim {

using TimePoint = std::chrono::system_clock::time_point;
// The emulator's clock; tests inject a frozen or moving one.
using ClockFn = std::function<TimePoint()>;

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "YYYY-MM-DD HH:MM:SS" of a time point in UTC.
std::string FormatUtc(TimePoint t);
// The same in the process's local time zone.
std::string FormatLocal(TimePoint t);
std::string FormatDateTime(const DateTime& d);

// Reads either accepted form; nothing for any other text or an impossible
// date.
std::optional<DateTime> ParseDateTime(std::string_view text);

// Adds an amount of a date part ("year", "month", "day", "hour", "minute",
// "second" and their short forms); nothing for an unknown part.
std::optional<DateTime> AddToDate(const DateTime& d, std::string_view part, long long amount);

}  // namespace dmsim
