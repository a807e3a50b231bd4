#pragma once
// Statements of the queue administration, run through the SQL runner with
// their results read and released in one step.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace core {
class Program;
}
namespace dm {
class IDmSql;
}

namespace queueadmin {

// Whether the SQL object's last statement went through (its "no error"
// codes, as the SQL runner reads them).
bool LastStatementSucceeded(core::Program& p);
// What failed in the last statement ("SQL Error #241: ..."); "" when it
// went through.
std::string LastStatementFailure(core::Program& p);

// Runs an INSERT, UPDATE or DELETE: the rows it changed, 0 when it failed
// (whatever the SQL object then reports).
int32_t RunChange(core::Program& p, const std::string& statement);

// Runs a query: column 1 of its first row as text ("" for none, NULL or a
// failed statement).
std::string RunScalar(core::Program& p, const std::string& statement);

// The same for a caller that tells a failure from "nothing": `failure`
// receives what went wrong ("SQL Error #241: ..."), "" when the statement
// went through. The failure itself is in the log already.
int32_t RunChange(core::Program& p, const std::string& statement, std::string& failure);
std::string RunScalar(core::Program& p, const std::string& statement, std::string& failure);
// Runs a query and hands each of its rows to `row`; what failed, "" when it
// went through.
std::string RunRows(core::Program& p, const std::string& statement, const std::function<void(dm::IDmSql&)>& row);

// A command's closing text: each step that failed on a line of its own
// ("Error: ..."), then the text, so that a failed command's box opens with
// the failure and never reads as "nothing to do".
std::string OutcomeText(const std::string& text, const std::vector<std::string>& failures);
// Shows that text; an error box when anything failed.
void ShowOutcome(core::Program& p, const std::string& text, const std::vector<std::string>& failures);

}  // namespace queueadmin
