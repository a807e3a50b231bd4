#pragma once
// Time as the program sees it: the wall clock and sleeping. Tests replace it
// with a manual clock that advances only when slept on or told to.

#include <chrono>

namespace platform {

using TimePoint = std::chrono::system_clock::time_point;

class IClock {
public:
    virtual ~IClock() = default;
    virtual TimePoint Now() = 0;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

class SystemClock : public IClock {
public:
    TimePoint Now() override;
    void Sleep(std::chrono::milliseconds duration) override;
};

class ManualClock : public IClock {
public:
    explicit ManualClock(TimePoint start) : now_(start) {}
    TimePoint Now() override { return now_; }
    void Sleep(std::chrono::milliseconds duration) override { now_ += duration; }
    void Advance(std::chrono::milliseconds duration) { now_ += duration; }
    void Set(TimePoint t) { now_ = t; }

private:
    TimePoint now_;
};

// Broken-down local time of a time point.
struct LocalTime {
    int year, month, day, hour, minute, second, hundredths;
    int weekday;  // 0 Sunday .. 6 Saturday
};
LocalTime ToLocal(TimePoint t);
// A local date and time back to a time point (seconds precision).
TimePoint FromLocal(int year, int month, int day, int hour, int minute, int second);

}  // namespace platform
