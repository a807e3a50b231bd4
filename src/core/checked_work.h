#pragma once
// Work whose every statement must stand: a document's transfer, a run's
// start. While a CheckedWork stands, a statement the library refuses never
// passes for an empty answer or a done write:
//   - RunSQL raises it as a DM error (RefusedStatement), so that no step
//     goes on with what it did not get;
//   - every refusal (RunSQL, RunSQLAccepted, RunRead) and every DM error
//     raised is counted, so that one a step caught and went past still
//     fails the work at its next check (Failed);
//   - only a statement whose refusal the next run provably repairs may
//     pass, and it is listed with its reason in core/excused.h.
// Checked work nests; the counts are the program's, each CheckedWork sees
// those since it began.

#include <cstdint>

#include "dmclient/dm_error.h"

namespace core {

class Program;

// A statement refused inside checked work, raised as the DM's error is.
class RefusedStatement : public dm::DmError {
public:
    using dm::DmError::DmError;
};

class CheckedWork {
public:
    explicit CheckedWork(Program& program);
    ~CheckedWork();
    CheckedWork(const CheckedWork&) = delete;
    CheckedWork& operator=(const CheckedWork&) = delete;

    // Whether a statement was refused or a DM error raised since it began.
    bool Failed() const;

private:
    Program& p_;
    int64_t failuresAtStart_;
    int64_t raisedAtStart_;
};

}  // namespace core
