#pragma once
// Date and time texts of the log and messages, in the English forms the
// administrators' systems use.

#include <optional>
#include <string>

#include "platform/clock.h"

namespace core {

// "Thursday, December 10, 2026"
std::string LongDate(const platform::LocalTime& t);
// "1:28:05 PM"
std::string LongTime(const platform::LocalTime& t);
// "01:28:05 PM"
std::string TimeAmPm(const platform::LocalTime& t);
// "Dec 10, 2026"
std::string ShortMonthDate(int year, int month, int day);
// Days from 30 December 1899 to the date.
long DayCount(int year, int month, int day);
// The days of the month in the Gregorian calendar (month 1 to 12).
int DaysInMonth(int year, int month);

extern const char* const kMonthAbbreviations[12];

struct DateParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Reads a date text as the DM's SQL object gives it: "YYYY-MM-DD[ HH:MM[:SS[.fff]]]"
// (or with "T" before the time) or "DD-MMM-YYYY[ HH:MM[:SS]]"; nothing for
// any other text.
std::optional<DateParts> ReadDateText(const std::string& text);

// A date text in the one form SQL Server reads alike under every language
// and date format, "yyyymmdd hh:mi:ss.mmm"; a text that is no date stays as
// it is.
std::string ServerDateText(const std::string& text);

// A time of day as "HH:MM" on the 24-hour clock, from "9:30", "09:30",
// "930" or "1730" (digits only: the last two are the minutes); nothing for a
// text that is no valid time.
std::optional<std::string> ReadTimeOfDay(const std::string& text);

}  // namespace core
