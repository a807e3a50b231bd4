#include "dmsim/sql_object.h"

#include <fstream>

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/session.h"
#include "dmsim/sql_errors.h"
#include "dmsim/text.h"
#include "dmsim/tsql_executor.h"

namespace dmsim {

SqlObject::SqlObject(std::shared_ptr<Session> session) : session_(std::move(session)) {}

FaultContext SqlObject::Context(std::string_view statement, std::string_view name) const {
    FaultContext c;
    c.library = bound_ ? std::string_view(bound_->name) : std::string_view();
    c.statement = statement;
    c.name = name;
    return c;
}

std::string SqlObject::BoundLibrary() const { return bound_ ? bound_->name : std::string(); }

void SqlObject::SetSecurityToken(const std::string& token) {
    session_->Faults().Hit(op::kSqlSetSecurityToken, Context());
    session_->Calls().Record(op::kSqlSetSecurityToken, BoundLibrary(), 0, {token});
    token_ = token;
}

void SqlObject::SetLibrary(const std::string& libraryName) {
    FaultContext c;
    c.library = libraryName;
    session_->Faults().Hit(op::kSqlSetLibrary, c);
    session_->Calls().Record(op::kSqlSetLibrary, libraryName, 0, {libraryName});
    const LibrarySpec* spec = session_->FindLibrary(libraryName);
    if (!spec) {
        throw dm::DmError(kErrUnknownLibrary, kSqlSource,
                          "The library '" + libraryName + "' is not known.");
    }
    try {
        session_->Db(spec->name);
    } catch (const std::exception& e) {
        throw dm::DmError(kErrLibraryUnavailable, kSqlSource,
                          "The library '" + spec->name + "' cannot be opened: " + e.what());
    }
    ReleaseResults();
    bound_ = spec;
}

int32_t SqlObject::DatabaseVendor() {
    if (auto f = session_->Faults().Hit(op::kSqlDatabaseVendor, Context())) return f->Number();
    return bound_ ? bound_->engine : 0;
}

SqlResult SqlObject::Run(const std::string& statement) {
    if (!bound_) {
        return SqlResult::Failure(sqlerr::kNoDatabase,
                                  "[dmsim][SQL object]No library is bound to the SQL object.");
    }
    if (bound_->IsOracle()) return session_->Recorder(bound_->name).Run(statement);
    try {
        return session_->Db(bound_->name).Tsql().Execute(statement);
    } catch (const std::exception& e) {
        return SqlResult::Failure(sqlerr::kDatabaseError, std::string("[dmsim][SQLite]") + e.what());
    }
}

namespace {
int64_t statementsSoFar = 0;

struct StatementRefusal {
    int64_t at = 0;
    std::string containing;  // upper case
    int64_t seen = 0;
} refusal;

std::string statementLog;

void LogStatement(const std::string& library, const std::string& statement) {
    if (statementLog.empty()) return;
    std::string line = std::to_string(statementsSoFar) + "\t" + library + "\t" + statement;
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    std::ofstream(statementLog, std::ios::app) << line << "\n";
}

// Whether this statement is the one to refuse; counts it.
bool Refuses(const std::string& statement) {
    if (refusal.at <= 0) return false;
    if (refusal.containing.empty()) return statementsSoFar == refusal.at;
    if (ToUpper(statement).find(refusal.containing) == std::string::npos) return false;
    return ++refusal.seen == refusal.at;
}
}  // namespace

int64_t SqlObject::StatementsSoFar() { return statementsSoFar; }

void SqlObject::RefuseStatement(int64_t k, const std::string& containing) {
    refusal = StatementRefusal{k, ToUpper(containing), 0};
}

void SqlObject::LogStatementsTo(const std::string& file) { statementLog = file; }

int32_t SqlObject::Execute(const std::string& statement) {
    ++statementsSoFar;
    LogStatement(BoundLibrary(), statement);
    session_->Calls().Record(op::kSqlExecute, BoundLibrary(), 0, {statement});
    auto fault = session_->Faults().Hit(op::kSqlExecute, Context(statement));
    if (!fault && Refuses(statement)) {
        FaultAction refused;
        refused.kind = FaultAction::Kind::SqlFailure;
        refused.status = refused.code = sqlerr::kRefusedOnDemand;
        refused.text = "[dmsim][SQL Server]The statement was refused on demand (DMSIM_REFUSE).";
        fault = refused;
    }
    result_ = SqlResult{};
    statement_ = statement;
    row_ = 0;
    if (fault && fault->kind == FaultAction::Kind::SqlFailure) {
        result_ = SqlResult::Failure(fault->code, fault->text);
        result_.status = fault->status;
    } else if (fault) {
        result_.status = fault->Number();
    } else {
        result_ = Run(statement);
    }
    errorCode_ = result_.errorCode;
    errorText_ = result_.errorText;
    if (result_.status != 0 && result_.errorCode != 0) {
        // A failed statement leaves nothing to read.
        int32_t status = result_.status;
        result_ = SqlResult{};
        result_.status = status;
    }
    return result_.status;
}

int32_t SqlObject::RowsAffected() { return result_.rowsAffected; }

int32_t SqlObject::RowCount() { return static_cast<int32_t>(result_.rows.size()); }

int32_t SqlObject::ColumnCount() { return static_cast<int32_t>(result_.columnNames.size()); }

std::string SqlObject::ColumnName(int32_t column) {
    if (column < 1 || static_cast<size_t>(column) > result_.columnNames.size()) return "";
    return result_.columnNames[static_cast<size_t>(column) - 1];
}

dm::Variant SqlObject::ColumnValue(int32_t column) {
    if (auto f = session_->Faults().Hit(op::kSqlColumnValue, Context(statement_))) return f->Value();
    if (row_ >= result_.rows.size()) return dm::Variant();
    const auto& row = result_.rows[row_];
    if (column < 1 || static_cast<size_t>(column) > row.size()) return dm::Variant();
    return row[static_cast<size_t>(column) - 1];
}

dm::Variant SqlObject::ColumnInfo(int32_t column) {
    if (auto f = session_->Faults().Hit(op::kSqlColumnInfo, Context(statement_))) return f->Value();
    if (column < 1 || static_cast<size_t>(column) > result_.columnTypes.size()) return dm::Variant();
    return result_.columnTypes[static_cast<size_t>(column) - 1];
}

bool SqlObject::NextRow() {
    if (auto f = session_->Faults().Hit(op::kSqlNextRow, Context(statement_))) return f->value.ToBool();
    if (row_ < result_.rows.size()) ++row_;
    return row_ < result_.rows.size();
}

void SqlObject::ReleaseResults() {
    session_->Faults().Hit(op::kSqlReleaseResults, Context());
    int32_t status = result_.status;
    result_ = SqlResult{};
    result_.status = status;
    statement_.clear();
    row_ = 0;
}

int32_t SqlObject::GetNextKey(const std::string& keyName) {
    if (auto f = session_->Faults().Hit(op::kSqlGetNextKey, Context({}, keyName))) return f->Number();
    session_->Calls().Record(op::kSqlGetNextKey, BoundLibrary(), 0, {keyName});
    if (!bound_) return 0;
    try {
        LibraryDb& db = session_->Db(bound_->name);
        if (EqualsNoCase(keyName, kSystemKeyCounter)) return db.NextSystemKey();
        if (EqualsNoCase(keyName, kVersionsCounter) ||
            EqualsNoCase(keyName, bound_->owner + "." + kVersionsCounter)) {
            return db.NextVersionId();
        }
    } catch (const std::exception&) {
        // A key that cannot be had is 0, the client's failure value.
    }
    return 0;
}

int32_t SqlObject::ErrorCode() { return errorCode_; }

std::string SqlObject::ErrorText() { return errorText_; }

}  // namespace dmsim
