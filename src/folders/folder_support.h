#pragma once
// Small helpers the folder procedures share: the run-time error they catch,
// the release of the scratch objects, the quoted folder name of their
// messages, the DM's "empty" value and two forms of running a statement.

#include <cstdint>
#include <exception>
#include <string>

#include "core/dm_calls.h"
#include "core/program.h"
#include "dmclient/dm_error.h"
#include "dmclient/variant.h"

namespace folders {

// The run-time error that ended a step: number, source and description.
struct CaughtError {
    int32_t number = 0;
    std::string source;
    std::string description;
};

// Call inside a catch block for std::exception: what the error says.
inline CaughtError CurrentError() {
    try {
        throw;
    } catch (const dm::DmError& e) {
        return {e.Number(), e.Source(), e.Description()};
    } catch (const std::exception& e) {
        return {5, "Dorvane", e.what()};
    }
}

// Closes and releases the scratch profile, and releases the scratch folder.
inline void ReleaseScratch(core::Session& s) {
    s.CurrentFolder.reset();
    if (s.CurrentProfile) {
        core::PassOver([&] { s.CurrentProfile->Close(); });
        s.CurrentProfile.reset();
    }
}

// The folder name between double quotation marks, as the messages show it.
inline std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// A column value is empty when it holds nothing or an empty text; Null is a
// value of its own.
inline bool IsEmptyValue(const dm::Variant& v) {
    return v.IsEmpty() || (v.kind() == dm::Variant::Kind::Text && v.ToText().empty());
}

// Runs a statement whose results nobody reads.
inline void RunAndRelease(core::Program& p, const std::string& statement) {
    p.RunSQL(statement);
    if (p.session.PcdSql) p.session.PcdSql->ReleaseResults();
}

// The number a SELECT COUNT(*) statement answers; 0 when it answers nothing.
// A count the library refused raises the DM's error: it is no 0, on which a
// mark would be dropped or a folder taken for gone.
inline int64_t Count(core::Program& p, const std::string& statement) {
    p.RunRead(statement, "a folder's creation");
    auto& sql = core::Require(p.session.PcdSql);
    const int64_t n = sql->RowCount() > 0 ? static_cast<int64_t>(dm::LeadingNumber(sql->ColumnValue(1).ToText())) : 0;
    sql->ReleaseResults();
    return n;
}

}  // namespace folders
