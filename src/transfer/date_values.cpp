#include "transfer/date_values.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/date_text.h"
#include "core/sql_text.h"
#include "core/text.h"

namespace transfer {

namespace {

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
    const std::string upper = core::Upper(abbreviation);
    for (int m = 0; m < 12; ++m) {
        if (core::Upper(core::kMonthAbbreviations[m]) == upper) return m + 1;
    }
    return 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The time of day after a date, when there is one.
bool ReadTime(const std::string& s, size_t& at, DateParts& d) {
    if (at == s.size()) return true;
    if (!Expect(s, at, ' ') && !Expect(s, at, 'T')) return false;
    while (at < s.size() && s[at] == ' ') ++at;
    if (at == s.size()) return true;
    if (!ReadNumber(s, at, 2, d.hour) || !Expect(s, at, ':') || !ReadNumber(s, at, 2, d.minute)) return false;
    if (Expect(s, at, ':')) {
        if (!ReadNumber(s, at, 2, d.second)) return false;
        if (Expect(s, at, '.')) {
            int fraction = 0;
            if (!ReadNumber(s, at, 9, fraction)) return false;
        }
    }
    return at == s.size() && d.hour < 24 && d.minute < 60 && d.second < 60;
}

int64_t Minutes(const DateParts& d) {
    return static_cast<int64_t>(core::DayCount(d.year, d.month, d.day)) * 1440 + d.hour * 60 + d.minute;
}

}  // namespace

std::optional<DateParts> ReadDate(const std::string& raw) {
    const std::string s = core::TrimSpace(raw);
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

std::string StatementDate(const dm::Variant& value) {
    const std::string text = core::TrimSpace(value.ToText());
    if (text.empty()) return "";
    auto d = ReadDate(text);
    if (!d) return text;
    char out[32];
    std::snprintf(out, sizeof out, "%02d-%s-%04d %02d:%02d:%02d", d->day, core::kMonthAbbreviations[d->month - 1],
                  d->year, d->hour, d->minute, d->second);
    return out;
}

std::string SqlDate(bool oracle, const std::string& text) {
    // The server reads an empty text as 1 January 1900.
    if (core::TrimSpace(text).empty()) return "NULL";
    const std::string value = core::DoubleApostrophes(text);
    return oracle ? "TO_DATE('" + value + "', 'RRRR-MON-DD HH24:MI:SS')" : "TRY_CAST('" + value + "' AS DATETIME)";
}

int64_t MinuteBoundaries(const dm::Variant& from, const dm::Variant& to) {
    const DateParts zero;
    auto a = ReadDate(from.ToText());
    auto b = ReadDate(to.ToText());
    return Minutes(b ? *b : zero) - Minutes(a ? *a : zero);
}

}  // namespace transfer
