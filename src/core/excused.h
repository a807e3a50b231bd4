#pragma once
// The statements of a run whose refusal passes: each is one whose refusal
// leaves the site as the next run would have left it anyway, and is told in
// a warning with its reason. Every other statement of a transfer and of a
// run's start is checked (core/checked_work.h). A new entry needs its
// reason, and the proof that a run after the refusal ends with the same
// site.

#include <string_view>

namespace core {

enum class Excused {
    // The end-of-run save of the options: every run saves them all again
    // at its end.
    kSettingsSave,
};

// The reason, for the log line that tells of the refusal.
constexpr std::string_view ExcuseReason(Excused excused) {
    switch (excused) {
        case Excused::kSettingsSave: return "every run saves its options again at its end";
    }
    return "";
}

}  // namespace core
