#include "core/checked_work.h"

#include "core/program.h"

namespace core {

CheckedWork::CheckedWork(Program& program)
    : p_(program), failuresAtStart_(program.workFailures_), raisedAtStart_(dm::DmError::Raised()) {
    ++p_.checkedDepth_;
}

CheckedWork::~CheckedWork() { --p_.checkedDepth_; }

bool CheckedWork::Failed() const {
    return p_.workFailures_ > failuresAtStart_ || dm::DmError::Raised() > raisedAtStart_;
}

}  // namespace core
