#pragma once
// The removal goes on past refused DM calls: a step that fails is abandoned,
// its error is logged under the procedure's name, and the next step runs.
// Whatever the failed step would have set keeps its previous value.

#include <memory>

#include "core/program.h"
#include "dmclient/dm_error.h"

namespace removal {

// An object the DM answered with nothing, used as if it were there: the
// run-time error of the step that needs it.
template <class T>
const std::shared_ptr<T>& Must(const std::shared_ptr<T>& object) {
    if (!object) throw dm::DmError(91, "Dorvane", "Object variable or With block variable not set");
    return object;
}

template <class Step>
void ResumeStep(core::Program& p, Step&& step) {
    try {
        step();
    } catch (const dm::DmError& e) {
        p.WriteLog("RemoveDocument:");
        p.ReportError(e);
    }
}

}  // namespace removal
