#include "platform/clock.h"

#include <ctime>
#include <thread>

namespace platform {

TimePoint SystemClock::Now() { return std::chrono::system_clock::now(); }

void SystemClock::Sleep(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

LocalTime ToLocal(TimePoint t) {
    auto secs = std::chrono::time_point_cast<std::chrono::seconds>(t);
    if (secs > t) secs -= std::chrono::seconds(1);
    std::time_t tt = std::chrono::system_clock::to_time_t(secs);
    std::tm tm{};
    localtime_r(&tt, &tm);
    auto hundredths =
        std::chrono::duration_cast<std::chrono::milliseconds>(t - secs).count() / 10;
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,       tm.tm_hour,
                     tm.tm_min,         tm.tm_sec,     static_cast<int>(hundredths), tm.tm_wday};
}

TimePoint FromLocal(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

}  // namespace platform
