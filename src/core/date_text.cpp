#include "core/date_text.h"

#include <cstdio>

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

long DayCount(int year, int month, int day) { return DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30); }

}  // namespace core
