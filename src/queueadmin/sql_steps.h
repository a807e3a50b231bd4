#pragma once
// Statements of the queue administration, run through the SQL runner with
// their results read and released in one step.

#include <cstdint>
#include <string>

namespace core {
class Program;
}

namespace queueadmin {

// Whether the SQL object's last statement went through (its "no error"
// codes, as the SQL runner reads them).
bool LastStatementSucceeded(core::Program& p);

// Runs an INSERT, UPDATE or DELETE: the rows it changed, 0 when it failed
// (whatever the SQL object then reports).
int32_t RunChange(core::Program& p, const std::string& statement);

// Runs a query: column 1 of its first row as text ("" for none, NULL or a
// failed statement).
std::string RunScalar(core::Program& p, const std::string& statement);

}  // namespace queueadmin
