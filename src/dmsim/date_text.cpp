#include "dmsim/date_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>

namespace dmsim {

namespace {

constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool Valid(const DateTime& d) {
    return d.year >= 1753 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= DaysInMonth(d.year, d.month) && d.hour >= 0 && d.hour <= 23 &&
           d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 59;
}

// Reads exactly n digits at pos.
bool Digits(std::string_view s, size_t& pos, size_t n, int& out) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = s[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    pos += n;
    return true;
}

bool Char(std::string_view s, size_t& pos, char c) {
    if (pos >= s.size() || s[pos] != c) return false;
    ++pos;
    return true;
}

bool Time(std::string_view s, size_t& pos, DateTime& d) {
    return Char(s, pos, ' ') && Digits(s, pos, 2, d.hour) && Char(s, pos, ':') &&
           Digits(s, pos, 2, d.minute) && Char(s, pos, ':') && Digits(s, pos, 2, d.second);
}

std::string Format(const std::tm& tm) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

// Days from 1970-01-01 of a civil date.
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateTime CivilFromSeconds(long long seconds) {
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long doe = days - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    DateTime d;
    d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2));
    d.hour = static_cast<int>(rest / 3600);
    d.minute = static_cast<int>(rest / 60 % 60);
    d.second = static_cast<int>(rest % 60);
    return d;
}

long long SecondsOf(const DateTime& d) {
    return DaysFromCivil(d.year, d.month, d.day) * 86400 + d.hour * 3600 + d.minute * 60 +
           d.second;
}

}  // namespace

std::string FormatUtc(TimePoint t) {
    std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    gmtime_r(&tt, &tm);
    return Format(tm);
}

std::string FormatLocal(TimePoint t) {
    std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return Format(tm);
}

std::string FormatDateTime(const DateTime& d) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return buf;
}

std::optional<DateTime> ParseDateTime(std::string_view text) {
    DateTime d;
    size_t pos = 0;
    if (text.size() == 19 && text[4] == '-') {
        // YYYY-MM-DD HH:MM:SS
        if (Digits(text, pos, 4, d.year) && Char(text, pos, '-') && Digits(text, pos, 2, d.month) &&
            Char(text, pos, '-') && Digits(text, pos, 2, d.day) && Time(text, pos, d) &&
            pos == text.size() && Valid(d)) {
            return d;
        }
        return std::nullopt;
    }
    // DD-MMM-YYYY HH:MM:SS (the day may have one digit)
    size_t dayDigits = text.size() >= 2 && text[1] == '-' ? 1 : 2;
    if (!Digits(text, pos, dayDigits, d.day) || !Char(text, pos, '-')) return std::nullopt;
    if (pos + 3 > text.size()) return std::nullopt;
    std::string month;
    for (size_t i = 0; i < 3; ++i) {
        month += static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos + i])));
    }
    pos += 3;
    d.month = 0;
    for (size_t m = 0; m < kMonths.size(); ++m) {
        if (month == kMonths[m]) d.month = static_cast<int>(m) + 1;
    }
    if (d.month == 0) return std::nullopt;
    if (Char(text, pos, '-') && Digits(text, pos, 4, d.year) && Time(text, pos, d) &&
        pos == text.size() && Valid(d)) {
        return d;
    }
    return std::nullopt;
}

std::optional<DateTime> AddToDate(const DateTime& d, std::string_view part, long long amount) {
    std::string p;
    for (char c : part) p += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (p == "year" || p == "yy" || p == "yyyy" || p == "month" || p == "mm" || p == "m") {
        long long months = (p == "year" || p == "yy" || p == "yyyy") ? amount * 12 : amount;
        long long total = static_cast<long long>(d.year) * 12 + (d.month - 1) + months;
        DateTime r = d;
        r.year = static_cast<int>(total / 12);
        r.month = static_cast<int>(total % 12) + 1;
        r.day = std::min(d.day, DaysInMonth(r.year, r.month));
        if (!Valid(r)) return std::nullopt;
        return r;
    }
    long long unit = 0;
    if (p == "day" || p == "dd" || p == "d") unit = 86400;
    else if (p == "hour" || p == "hh") unit = 3600;
    else if (p == "minute" || p == "mi" || p == "n") unit = 60;
    else if (p == "second" || p == "ss" || p == "s") unit = 1;
    else return std::nullopt;
    DateTime r = CivilFromSeconds(SecondsOf(d) + unit * amount);
    if (!Valid(r)) return std::nullopt;
    return r;
}

}  // namespace dmsim
