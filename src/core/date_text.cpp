#include "core/date_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/text.h"

namespace core {

const char* const kMonthAbbreviations[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

namespace {

const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const kWeekdays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};

// Days since 1970-01-01 of a civil date.
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

bool ReadNumber(const std::string& s, size_t& at, size_t maxDigits, int& out) {
    size_t start = at;
    while (at < s.size() && at - start < maxDigits && std::isdigit(static_cast<unsigned char>(s[at]))) ++at;
    if (at == start) return false;
    out = std::atoi(s.substr(start, at - start).c_str());
    return true;
}

bool Expect(const std::string& s, size_t& at, char c) {
    if (at < s.size() && s[at] == c) {
        ++at;
        return true;
    }
    return false;
}

int MonthOf(const std::string& abbreviation) {
    const std::string upper = Upper(abbreviation);
    for (int m = 0; m < 12; ++m) {
        if (Upper(kMonthAbbreviations[m]) == upper) return m + 1;
    }
    return 0;
}

// The time of day after a date, when there is one; a fraction of a second
// to the millisecond.
bool ReadTime(const std::string& s, size_t& at, DateParts& d) {
    if (at == s.size()) return true;
    if (!Expect(s, at, ' ') && !Expect(s, at, 'T')) return false;
    while (at < s.size() && s[at] == ' ') ++at;
    if (at == s.size()) return true;
    if (!ReadNumber(s, at, 2, d.hour) || !Expect(s, at, ':') || !ReadNumber(s, at, 2, d.minute)) return false;
    if (Expect(s, at, ':')) {
        if (!ReadNumber(s, at, 2, d.second)) return false;
        if (Expect(s, at, '.')) {
            const size_t start = at;
            int fraction = 0;
            if (!ReadNumber(s, at, 9, fraction)) return false;
            const std::string digits = (s.substr(start, at - start) + "00").substr(0, 3);
            d.millisecond = std::atoi(digits.c_str());
        }
    }
    return at == s.size() && d.hour < 24 && d.minute < 60 && d.second < 60;
}

}  // namespace

std::string LongDate(const platform::LocalTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %s %d, %d", kWeekdays[t.weekday % 7], kMonths[(t.month + 11) % 12], t.day,
                  t.year);
    return buf;
}

std::string LongTime(const platform::LocalTime& t) {
    int h = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h, t.minute, t.second, t.hour < 12 ? "AM" : "PM");
    return buf;
}

std::string TimeAmPm(const platform::LocalTime& t) {
    int h = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s", h, t.minute, t.second, t.hour < 12 ? "AM" : "PM");
    return buf;
}

std::string ShortMonthDate(int year, int month, int day) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s %d, %d", kMonthAbbreviations[(month + 11) % 12], day, year);
    return buf;
}

std::optional<std::string> ReadTimeOfDay(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    std::string t = text.substr(b, text.find_last_not_of(' ') - b + 1);
    int hours = -1, minutes = -1;
    size_t colon = t.find(':');
    auto digits = [](const std::string& s) {
        return !s.empty() && s.size() <= 2 && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (colon != std::string::npos) {
        std::string h = t.substr(0, colon), m = t.substr(colon + 1);
        if (!digits(h) || !digits(m)) return std::nullopt;
        hours = std::stoi(h);
        minutes = std::stoi(m);
    } else {
        if (t.size() > 4 || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
        if (t.size() <= 2) {
            hours = std::stoi(t);
            minutes = 0;
        } else {
            hours = std::stoi(t.substr(0, t.size() - 2));
            minutes = std::stoi(t.substr(t.size() - 2));
        }
    }
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return std::nullopt;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", hours, minutes);
    return std::string(buf);
}

std::optional<DateParts> ReadDateText(const std::string& raw) {
    const std::string s = TrimSpace(raw);
    DateParts d;
    size_t at = 0;
    if (s.size() >= 10 && s[4] == '-') {
        if (!ReadNumber(s, at, 4, d.year) || !Expect(s, at, '-') || !ReadNumber(s, at, 2, d.month) ||
            !Expect(s, at, '-') || !ReadNumber(s, at, 2, d.day)) {
            return std::nullopt;
        }
    } else {
        if (!ReadNumber(s, at, 2, d.day) || !Expect(s, at, '-')) return std::nullopt;
        size_t start = at;
        while (at < s.size() && std::isalpha(static_cast<unsigned char>(s[at]))) ++at;
        d.month = MonthOf(s.substr(start, at - start));
        if (d.month == 0 || !Expect(s, at, '-') || !ReadNumber(s, at, 4, d.year)) return std::nullopt;
    }
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month)) return std::nullopt;
    if (!ReadTime(s, at, d)) return std::nullopt;
    return d;
}

std::string ServerDateText(const std::string& text) {
    auto d = ReadDateText(text);
    if (!d) return text;
    char out[40];
    std::snprintf(out, sizeof out, "%04d%02d%02d %02d:%02d:%02d.%03d", d->year, d->month, d->day, d->hour, d->minute,
                  d->second, d->millisecond);
    return out;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

long DayCount(int year, int month, int day) { return DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30); }

}  // namespace core
