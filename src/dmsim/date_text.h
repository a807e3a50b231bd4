#pragma once
// Date-time values of the emulated libraries: stored as the text
// "YYYY-MM-DD HH:MM:SS" in UTC, with ".fff" when the milliseconds are not 0
// (so that the texts of two times compare as the times do), and handed to
// the program to the second. Texts become dates by SQL Server's rules for a
// session's language and date format ("yyyy-mm-dd hh:mi:ss.mmm", "yyyymmdd",
// "mm/dd/yyyy", "dd-Mon-yyyy hh:mi:ss", "Mon dd yyyy hh:miPM", ...); the
// emulator's own stored texts read as a US English session reads them.

#include <array>
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
    // 0 to 997, in the server's steps of a 300th of a second.
    int millisecond = 0;
};

// The order of day, month and year in a numeric date text (SET DATEFORMAT).
enum class DateOrder { Mdy, Dmy, Ymd, Ydm, Myd, Dym };

// A language of the server as far as dates go.
struct ServerLanguage {
    std::string_view name;   // as the server lists it: "us_english", "Deutsch"
    std::string_view alias;  // "English", "German"
    DateOrder order;         // its date format
    std::array<std::string_view, 12> months;
    std::array<std::string_view, 12> shortMonths;
};

// The language and date format a session reads date texts by.
struct DateSettings {
    const ServerLanguage* language;
    DateOrder order;
};

// us_english with mdy, the server's default.
DateSettings DefaultDateSettings();
// A language by its name or alias in any letter case; nothing for one the
// emulator does not know.
const ServerLanguage* FindServerLanguage(std::string_view nameOrAlias);
// "mdy", "dmy", "ymd", "ydm", "myd" or "dym" in any letter case.
std::optional<DateOrder> ReadDateOrder(std::string_view text);
// The settings a session starts with on a server of that default language
// (empty: us_english) and date format (empty: the language's own); nothing
// for an unknown language or format.
std::optional<DateSettings> SessionDateSettings(std::string_view language, std::string_view dateFormat);

// The stored text of a time point in UTC.
std::string FormatUtc(TimePoint t);
// The same in the process's local time zone.
std::string FormatLocal(TimePoint t);
std::string FormatDateTime(const DateTime& d);
// The server's text of a date cast to a text: "Mar  5 2021  2:30PM".
std::string FormatDefault(const DateTime& d);
// A stored date text as the DM client hands it over: to the second. Any
// other text is returned as it is.
std::string ToClientText(const std::string& text);

// Reads a date text by the server's rules for the settings (blanks around
// it allowed); nothing for an empty text, any other text or an impossible
// date. Without settings, as a US English session reads it.
std::optional<DateTime> ParseDateTime(std::string_view text);
std::optional<DateTime> ParseDateTime(std::string_view text, const DateSettings& settings);
// The server's conversion of a text: as ParseDateTime, but an empty or blank
// text is 1900-01-01 00:00:00.
std::optional<DateTime> ConvertToDateTime(std::string_view text);
std::optional<DateTime> ConvertToDateTime(std::string_view text, const DateSettings& settings);
// The server's conversion of a number of days since 1900-01-01.
std::optional<DateTime> DaysToDateTime(long long days);

// Adds an amount of a date part ("year", "month", "day", "hour", "minute",
// "second", "millisecond" and their short forms); nothing for an unknown
// part or a result out of range.
std::optional<DateTime> AddToDate(const DateTime& d, std::string_view part, long long amount);

}  // namespace dmsim
