#pragma once
// Going on past a refused DM call. A call the DM client refuses throws
// DmError; a procedure either lets it end the procedure (its own handler at
// its edge logs it), or goes on in one of the forms below:
//   GoOn      the failure matters: it is logged, and the procedure goes on;
//   PassOver  the failure changes nothing (a close before the object is let
//             go, a name for a log line), or the caller's own check speaks
//             for it: nothing is logged, the value is there or not;
//   Require   an object the DM answered with nothing is used as if it were
//             there: the refused call of the step that needs it.

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/program.h"
#include "dmclient/dm_error.h"

namespace core {

// Runs a step; a refused DM call in it is logged as the procedure's error
// handler logs one ("Name:" and the error report), and the procedure goes on.
// True when the step ran through.
template <class Step>
bool GoOn(Program& p, std::string_view procedure, Step&& step) {
    try {
        step();
        return true;
    } catch (const dm::DmError& e) {
        if (!procedure.empty()) p.WriteLog(std::string(procedure) + ":");
        p.ReportError(e);
        return false;
    }
}

// The same, where the procedure's log names no procedure: the error report
// alone.
template <class Step>
bool GoOn(Program& p, Step&& step) {
    return GoOn(p, std::string_view(), std::forward<Step>(step));
}

// Runs a DM call whose failure is passed over without a word: its value, or
// nothing when refused (a call without a value: whether it went through).
template <class Call>
auto PassOver(Call&& call) {
    using Result = std::invoke_result_t<Call&>;
    if constexpr (std::is_void_v<Result>) {
        try {
            call();
            return true;
        } catch (const dm::DmError&) {
            return false;
        }
    } else {
        try {
            return std::optional<Result>(call());
        } catch (const dm::DmError&) {
            return std::optional<Result>();
        }
    }
}

// An object the DM client did not supply fails at its first use, as an unset
// object variable does.
template <class Ptr>
const Ptr& Require(const Ptr& object) {
    if (!object) throw dm::DmError(91, "Dorvane", "Object variable or With block variable not set");
    return object;
}

}  // namespace core
