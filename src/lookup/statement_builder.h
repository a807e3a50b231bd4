#pragma once
// BuildSQLStmt: writes the SQL text of one statement kind on one table of the
// connected library from the library's data dictionary (DOCSCOLUMN), and
// keeps every statement it built for the life of the process.
//
// The builder only reads the dictionary. Where the dictionary's key codes do
// not say how a table is joined (SUBCATMAP, DTMAP, LAUNCH_METHODS, FORM_USER)
// the builder overrides them in its own column model: the dictionary is
// shared by every DM user and must never be left altered by a failed build.

#include <cstdint>
#include <string>
#include <vector>

#include "lookup/column_model.h"
#include "lookup/statement_kinds.h"

namespace core {
class Program;
}

namespace lookup {

struct CachedStatement {
    std::string key;      // table + ":" + kind
    std::string library;  // the connected library when it was built
    std::string statement;
};

class StatementBuilder {
public:
    explicit StatementBuilder(core::Program& program);

    // The statement, or "" when none can be built. Never throws.
    std::string BuildSQLStmt(const std::string& table, const std::string& kind);

    const std::vector<CachedStatement>& StatementCache() const { return cache_; }
    int32_t StatementCacheCount() const { return static_cast<int32_t>(cache_.size()); }

private:
    enum class Generic { Built, NoDictionary, RequiredListEmpty, UnknownKind };

    Generic GenericBuild(const std::string& table, const std::string& dictionary, const std::string& kind,
                         std::string& statement);
    bool ReadDictionary(const std::string& table, const std::string& dictionary, const std::string& kind,
                        ColumnModel& model, std::vector<size_t>& foreignTables, AliasCounter& alias);
    void ReadReferencedTables(ColumnModel& model, std::vector<size_t>& foreignTables, AliasCounter& alias);
    // The key code of a dictionary row as this build reads it.
    std::string EffectiveKey(const std::string& dictionary, const std::string& table, const std::string& column,
                             const std::string& cmsKey) const;
    void Store(const std::string& table, const std::string& kind, const std::string& statement);

    core::Program& program_;
    BuildLog log_;
    std::vector<CachedStatement> cache_;
    // Builds the dictionary makes impossible (keys that lead round in a
    // loop), with the reason in place of the statement: they are not tried
    // again while the program runs.
    std::vector<CachedStatement> failed_;
    // The table of the build in hand, upper case: its overrides apply.
    std::string overrideTable_;
};

}  // namespace lookup
