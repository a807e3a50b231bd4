#pragma once
// The DM SQL object ("PCDClient.PCDSQL"): runs one statement at a time in
// the library it is bound to and holds the whole result. Libraries on SQL
// Server or Sybase run the statement through the dialect translation on
// their database; Oracle libraries record it (oracle_recorder.h).

#include <memory>
#include <string>

#include "dmclient/dm_interfaces.h"
#include "dmsim/fault_injector.h"
#include "dmsim/sql_result.h"

namespace dmsim {

class Session;
struct LibrarySpec;

class SqlObject : public dm::IDmSql {
public:
    explicit SqlObject(std::shared_ptr<Session> session);

    void SetSecurityToken(const std::string& token) override;
    void SetLibrary(const std::string& libraryName) override;
    int32_t DatabaseVendor() override;
    int32_t Execute(const std::string& statement) override;
    // Statements executed in this process so far, over every SQL object.
    static int64_t StatementsSoFar();
    // Refuses the k-th statement of this process (0: none) with SQL error
    // 50000; with a text, the k-th of those that contain it (any case).
    static void RefuseStatement(int64_t k, const std::string& containing = "");
    // Appends every statement of this process to the file, one line each:
    // its number (as RefuseStatement counts), the library, the statement.
    static void LogStatementsTo(const std::string& file);
    int32_t RowsAffected() override;
    int32_t RowCount() override;
    int32_t ColumnCount() override;
    std::string ColumnName(int32_t column) override;
    dm::Variant ColumnValue(int32_t column) override;
    dm::Variant ColumnInfo(int32_t column) override;
    bool NextRow() override;
    void ReleaseResults() override;
    int32_t GetNextKey(const std::string& keyName) override;
    int32_t ErrorCode() override;
    std::string ErrorText() override;

    // The name of the bound library as the site spells it; "" when unbound.
    std::string BoundLibrary() const;
    const std::string& Token() const { return token_; }

private:
    FaultContext Context(std::string_view statement = {}, std::string_view name = {}) const;
    SqlResult Run(const std::string& statement);

    std::shared_ptr<Session> session_;
    const LibrarySpec* bound_ = nullptr;
    std::string token_;
    SqlResult result_;
    std::string statement_;  // the statement whose result is held
    size_t row_ = 0;
    int32_t errorCode_ = 0;
    std::string errorText_;
};

}  // namespace dmsim
