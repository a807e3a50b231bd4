#include "dmsim/date_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <vector>

#include "dmsim/collation.h"
#include "dmsim/text.h"

namespace dmsim {

namespace {

constexpr std::array<std::string_view, 12> kEnglishMonths = {
    "January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
    "December"};
constexpr std::array<std::string_view, 12> kEnglishShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The languages the emulated server offers, with the names and date
// formats the server gives them.
const ServerLanguage kLanguages[] = {
    {"us_english", "English", DateOrder::Mdy, kEnglishMonths, kEnglishShortMonths},
    {"British", "British English", DateOrder::Dmy, kEnglishMonths, kEnglishShortMonths},
    {"Deutsch", "German", DateOrder::Dmy,
     {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober", "November",
      "Dezember"},
     {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"}},
    {"Français", "French", DateOrder::Dmy,
     {"janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août", "septembre", "octobre", "novembre",
      "décembre"},
     {"janv", "févr", "mars", "avr", "mai", "juin", "juil", "août", "sept", "oct", "nov", "déc"}},
};

constexpr std::string_view kOrderNames[] = {"mdy", "dmy", "ymd", "ydm", "myd", "dym"};

constexpr std::array<const char*, 12> kMonthTitles = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool Valid(const DateTime& d) {
    return d.year >= 1753 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= DaysInMonth(d.year, d.month) && d.hour >= 0 && d.hour <= 23 && d.minute >= 0 &&
           d.minute <= 59 && d.second >= 0 && d.second <= 59 && d.millisecond >= 0 && d.millisecond <= 999;
}

std::string Upper(std::string_view s) {
    std::string out;
    for (char c : s) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

// 1 to 12 for a month's abbreviation or full name in the language, else 0.
int MonthOf(std::string_view word, const ServerLanguage& language) {
    for (size_t m = 0; m < language.months.size(); ++m) {
        if (CompareText(word, language.months[m], true) == 0 || CompareText(word, language.shortMonths[m], true) == 0) {
            return static_cast<int>(m) + 1;
        }
    }
    return 0;
}

// A two-digit year as the server reads it (cut-off 2049).
int FullYear(std::string_view digits) {
    int y = Number(digits);
    if (digits.size() <= 2) return y < 50 ? 2000 + y : 1900 + y;
    return y;
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
    return DaysFromCivil(d.year, d.month, d.day) * 86400 + d.hour * 3600 + d.minute * 60 + d.second;
}

// Milliseconds in the server's 300ths of a second; 1000 carries into the
// next second.
DateTime Rounded(DateTime d, int milliseconds) {
    const int ticks = (milliseconds * 3 + 5) / 10;
    const int rounded = (ticks * 10 + 1) / 3;
    if (rounded >= 1000) {
        DateTime next = CivilFromSeconds(SecondsOf(d) + 1);
        next.millisecond = 0;
        return next;
    }
    d.millisecond = rounded;
    return d;
}

std::optional<DateTime> FromTimePoint(TimePoint t, bool utc) {
    const auto since = t.time_since_epoch();
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    long long seconds = ms / 1000;
    int rest = static_cast<int>(ms % 1000);
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    std::time_t tt = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (utc) gmtime_r(&tt, &tm);
    else localtime_r(&tt, &tm);
    DateTime d;
    d.year = tm.tm_year + 1900;
    d.month = tm.tm_mon + 1;
    d.day = tm.tm_mday;
    d.hour = tm.tm_hour;
    d.minute = tm.tm_min;
    d.second = tm.tm_sec;
    return Rounded(d, rest);
}

// hh:mi[:ss[.fff | :fff]], the hour alone when am/pm follow; false for
// anything else.
bool ReadTime(std::string text, DateTime& d) {
    std::string upper = Upper(text);
    int half = 0;  // 1 am, 2 pm
    if (upper.size() >= 2 && (upper.ends_with("AM") || upper.ends_with("PM"))) {
        half = upper.ends_with("AM") ? 1 : 2;
        upper.resize(upper.size() - 2);
        while (!upper.empty() && upper.back() == ' ') upper.pop_back();
    }
    std::string fraction;
    bool fractionIsMs = false;
    if (auto dot = upper.find('.'); dot != std::string::npos) {
        fraction = upper.substr(dot + 1);
        upper.resize(dot);
        if (!AllDigits(fraction)) return false;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t colon = upper.find(':', start);
        parts.push_back(upper.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    if (parts.size() == 4 && fraction.empty()) {
        fraction = parts.back();
        fractionIsMs = true;
        parts.pop_back();
    }
    if (parts.size() > 3 || (parts.size() == 1 && half == 0)) return false;
    for (const auto& p : parts) {
        if (!AllDigits(p) || p.size() > 2) return false;
    }
    if (!fraction.empty() && (parts.size() != 3 || !AllDigits(fraction) || fraction.size() > 3)) return false;
    d.hour = Number(parts[0]);
    d.minute = parts.size() > 1 ? Number(parts[1]) : 0;
    d.second = parts.size() > 2 ? Number(parts[2]) : 0;
    int ms = 0;
    if (!fraction.empty()) {
        ms = Number(fraction);
        if (!fractionIsMs) {
            for (size_t k = fraction.size(); k < 3; ++k) ms *= 10;
        }
    }
    if (half != 0) {
        if (d.hour < 1 || d.hour > 12) return false;
        if (d.hour == 12) d.hour = 0;
        if (half == 2) d.hour += 12;
    }
    if (d.hour > 23 || d.minute > 59 || d.second > 59 || ms > 999) return false;
    d.millisecond = ms;
    return true;
}

// The date part alone; the year, month and day of d.
bool ReadDate(const std::vector<std::string>& words, DateTime& d, const DateSettings& settings) {
    if (words.empty()) {
        d.year = 1900;
        d.month = 1;
        d.day = 1;
        return true;
    }
    if (words.size() == 1) {
        const std::string& w = words[0];
        if (AllDigits(w)) {
            if (w.size() == 8) {
                d.year = Number(w.substr(0, 4));
                d.month = Number(w.substr(4, 2));
                d.day = Number(w.substr(6, 2));
                return true;
            }
            if (w.size() == 6) {
                d.year = FullYear(w.substr(0, 2));
                d.month = Number(w.substr(2, 2));
                d.day = Number(w.substr(4, 2));
                return true;
            }
            if (w.size() == 4) {
                d.year = Number(w);
                d.month = 1;
                d.day = 1;
                return true;
            }
            return false;
        }
        // Three parts apart by one of "/", "-" or ".".
        char sep = 0;
        for (char c : w) {
            if (c == '/' || c == '-' || c == '.') {
                sep = c;
                break;
            }
        }
        if (sep == 0) return false;
        std::vector<std::string> parts;
        size_t start = 0;
        for (;;) {
            size_t at = w.find(sep, start);
            parts.push_back(w.substr(start, at == std::string::npos ? std::string::npos : at - start));
            if (at == std::string::npos) break;
            start = at + 1;
        }
        if (parts.size() != 3) return false;
        if (AllDigits(parts[0]) && AllDigits(parts[1]) && AllDigits(parts[2])) {
            // The parts in the order of the date format; a four-digit year in
            // front keeps the format's order of month and day (under dmy
            // "2026-12-11" is the 12th of November).
            const std::string_view order = kOrderNames[static_cast<size_t>(settings.order)];
            size_t y = order.find('y'), m = order.find('m'), day = order.find('d');
            if (parts[0].size() == 4) {
                y = 0;
                m = order.find('m') < order.find('d') ? 1 : 2;
                day = 3 - m;
            }
            if (parts[m].size() > 2 || parts[day].size() > 2 || (parts[y].size() != 2 && parts[y].size() != 4)) {
                return false;
            }
            d.year = FullYear(parts[y]);
            d.month = Number(parts[m]);
            d.day = Number(parts[day]);
            return true;
        }
        // dd-Mon-yyyy
        const int month = MonthOf(parts[1], *settings.language);
        if (AllDigits(parts[0]) && parts[0].size() <= 2 && month && AllDigits(parts[2]) &&
            (parts[2].size() == 2 || parts[2].size() == 4)) {
            d.day = Number(parts[0]);
            d.month = month;
            d.year = FullYear(parts[2]);
            return true;
        }
        return false;
    }
    // Words with a month's name: "Mon dd yyyy", "dd Mon yyyy", "yyyy Mon dd",
    // "Mon yyyy".
    size_t monthAt = words.size();
    for (size_t k = 0; k < words.size(); ++k) {
        if (MonthOf(words[k], *settings.language)) {
            if (monthAt != words.size()) return false;
            monthAt = k;
        }
    }
    if (monthAt == words.size() || words.size() > 3) return false;
    std::vector<std::string> numbers;
    for (size_t k = 0; k < words.size(); ++k) {
        if (k == monthAt) continue;
        if (!AllDigits(words[k])) return false;
        numbers.push_back(words[k]);
    }
    d.month = MonthOf(words[monthAt], *settings.language);
    if (numbers.size() == 1) {
        if (numbers[0].size() != 4) return false;
        d.year = Number(numbers[0]);
        d.day = 1;
        return true;
    }
    if (numbers[0].size() == 4 && monthAt == 1) {
        d.year = Number(numbers[0]);
        if (numbers[1].size() > 2) return false;
        d.day = Number(numbers[1]);
        return true;
    }
    if (numbers[0].size() > 2 || (numbers[1].size() != 2 && numbers[1].size() != 4)) return false;
    d.day = Number(numbers[0]);
    d.year = FullYear(numbers[1]);
    return true;
}

bool IsTimeWord(const std::string& w) {
    const std::string u = Upper(w);
    if (w.find(':') != std::string::npos) return true;
    if (u == "AM" || u == "PM") return true;
    return u.size() > 2 && (u.ends_with("AM") || u.ends_with("PM")) && AllDigits(u.substr(0, u.size() - 2));
}

std::optional<DateTime> Parse(std::string_view input, bool emptyIsBase, DateSettings settings) {
    std::string text(input);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    text = text.substr(first);
    if (text.empty()) {
        if (!emptyIsBase) return std::nullopt;
        DateTime d;
        d.year = 1900;
        d.month = 1;
        d.day = 1;
        return d;
    }
    // yyyy-mm-ddThh:mi:ss[.mmm], the same in every language and date format
    if (text.size() > 10 && (text[10] == 'T' || text[10] == 't') && AllDigits(text.substr(0, 4)) && text[4] == '-' &&
        text[7] == '-') {
        text[10] = ' ';
        settings.order = DateOrder::Ymd;
    }
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    // The time is the words from the first one with a colon or am/pm on.
    size_t timeAt = words.size();
    for (size_t k = 0; k < words.size(); ++k) {
        if (IsTimeWord(words[k])) {
            timeAt = k;
            break;
        }
    }
    DateTime d;
    if (timeAt < words.size()) {
        std::string time;
        for (size_t k = timeAt; k < words.size(); ++k) time += words[k];
        if (!ReadTime(time, d)) return std::nullopt;
    }
    std::vector<std::string> dateWords(words.begin(), words.begin() + static_cast<long>(timeAt));
    if (!ReadDate(dateWords, d, settings)) return std::nullopt;
    const int ms = d.millisecond;
    d.millisecond = 0;
    if (!Valid(d)) return std::nullopt;
    d = Rounded(d, ms);
    if (!Valid(d)) return std::nullopt;
    return d;
}

}  // namespace

std::string FormatUtc(TimePoint t) { return FormatDateTime(*FromTimePoint(t, true)); }

std::string FormatLocal(TimePoint t) { return FormatDateTime(*FromTimePoint(t, false)); }

std::string FormatDateTime(const DateTime& d) {
    char buf[80];
    if (d.millisecond != 0) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day, d.hour,
                      d.minute, d.second, d.millisecond);
    } else {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                      d.minute, d.second);
    }
    return buf;
}

std::string FormatDefault(const DateTime& d) {
    const int hour12 = d.hour % 12 == 0 ? 12 : d.hour % 12;
    char buf[80];
    std::snprintf(buf, sizeof buf, "%s %2d %04d %2d:%02d%s", kMonthTitles[static_cast<size_t>(d.month - 1)], d.day,
                  d.year, hour12, d.minute, d.hour < 12 ? "AM" : "PM");
    return buf;
}

std::string ToClientText(const std::string& text) {
    // "YYYY-MM-DD HH:MM:SS.fff"
    if (text.size() == 23 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
        text[16] == ':' && text[19] == '.' && AllDigits(text.substr(20)) && AllDigits(text.substr(0, 4))) {
        return text.substr(0, 19);
    }
    return text;
}

DateSettings DefaultDateSettings() { return {&kLanguages[0], DateOrder::Mdy}; }

const ServerLanguage* FindServerLanguage(std::string_view nameOrAlias) {
    for (const auto& language : kLanguages) {
        if (CompareText(nameOrAlias, language.name, true) == 0 || CompareText(nameOrAlias, language.alias, true) == 0) {
            return &language;
        }
    }
    return nullptr;
}

std::optional<DateOrder> ReadDateOrder(std::string_view text) {
    for (size_t k = 0; k < std::size(kOrderNames); ++k) {
        if (EqualsNoCase(text, kOrderNames[k])) return static_cast<DateOrder>(k);
    }
    return std::nullopt;
}

std::optional<DateSettings> SessionDateSettings(std::string_view language, std::string_view dateFormat) {
    DateSettings settings = DefaultDateSettings();
    if (!language.empty()) {
        settings.language = FindServerLanguage(language);
        if (!settings.language) return std::nullopt;
        settings.order = settings.language->order;
    }
    if (!dateFormat.empty()) {
        auto order = ReadDateOrder(dateFormat);
        if (!order) return std::nullopt;
        settings.order = *order;
    }
    return settings;
}

std::optional<DateTime> ParseDateTime(std::string_view text) { return Parse(text, false, DefaultDateSettings()); }

std::optional<DateTime> ParseDateTime(std::string_view text, const DateSettings& settings) {
    return Parse(text, false, settings);
}

std::optional<DateTime> ConvertToDateTime(std::string_view text) { return Parse(text, true, DefaultDateSettings()); }

std::optional<DateTime> ConvertToDateTime(std::string_view text, const DateSettings& settings) {
    return Parse(text, true, settings);
}

std::optional<DateTime> DaysToDateTime(long long days) {
    DateTime base;
    base.year = 1900;
    base.month = 1;
    base.day = 1;
    return AddToDate(base, "day", days);
}

std::optional<DateTime> AddToDate(const DateTime& d, std::string_view part, long long amount) {
    std::string p;
    for (char c : part) p += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (p == "year" || p == "yy" || p == "yyyy" || p == "month" || p == "mm" || p == "m") {
        long long months = (p == "year" || p == "yy" || p == "yyyy") ? amount * 12 : amount;
        long long total = static_cast<long long>(d.year) * 12 + (d.month - 1) + months;
        if (total < 0 || total > 10000LL * 12) return std::nullopt;
        DateTime r = d;
        r.year = static_cast<int>(total / 12);
        r.month = static_cast<int>(total % 12) + 1;
        r.day = std::min(d.day, DaysInMonth(r.year, r.month));
        if (!Valid(r)) return std::nullopt;
        return r;
    }
    if (p == "millisecond" || p == "ms") {
        long long total = SecondsOf(d) * 1000 + d.millisecond + amount;
        long long seconds = total / 1000;
        long long ms = total % 1000;
        if (ms < 0) {
            ms += 1000;
            --seconds;
        }
        DateTime r = Rounded(CivilFromSeconds(seconds), static_cast<int>(ms));
        if (!Valid(r)) return std::nullopt;
        return r;
    }
    long long unit = 0;
    if (p == "day" || p == "dd" || p == "d") unit = 86400;
    else if (p == "hour" || p == "hh") unit = 3600;
    else if (p == "minute" || p == "mi" || p == "n") unit = 60;
    else if (p == "second" || p == "ss" || p == "s") unit = 1;
    else return std::nullopt;
    // Beyond any valid date; keeps the multiplication in range.
    if (amount > 4000000000LL || amount < -4000000000LL) return std::nullopt;
    DateTime r = CivilFromSeconds(SecondsOf(d) + unit * amount);
    r.millisecond = d.millisecond;
    if (!Valid(r)) return std::nullopt;
    return r;
}

}  // namespace dmsim
