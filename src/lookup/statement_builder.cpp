#include "lookup/statement_builder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "dmclient/dm_error.h"
#include "lookup/statement_templates.h"

namespace lookup {

namespace {

using core::Trim;
using core::Upper;

// The link columns of these two tables are keys that refer to other tables,
// and DTMAP_ID identifies nothing a user picks, whatever the dictionary
// says.
constexpr std::array<std::array<const char*, 4>, 6> kKeyOverrides = {{
    {"SUBCATMAP", "DOCTYPELINK", "F", "X"},
    {"SUBCATMAP", "SUBCATLINK", "F", "X"},
    {"SUBCATMAP", "MATLINK", "F", "X"},
    {"DTMAP", "DOCTYPELINK", "F", "X"},
    {"DTMAP", "MATTEMPLINK", "F", "X"},
    {"DTMAP", "DTMAP_ID", "C", ""},
}};

// Key codes forced on the main table's rows, whatever the dictionary says.
struct ForcedKey {
    const char* table;
    const char* column;
    const char* cmsKey;
};
constexpr std::array<ForcedKey, 4> kForcedKeys = {{
    {"LAUNCH_METHODS", "DESCRIPTION", "C"},
    {"LAUNCH_METHODS", "APP_ID", "X"},
    {"FORM_USER", "FORM", "X"},
    {"FORM_USER", "APP", "X"},
}};

const char* const kColumns = "SELECT COLNAME, TBNAME, CMSKEY, CMSTYPE, FCOLNAME, FTBNAME FROM [OWNER].";

std::string Owned(const std::string& name) { return name.empty() ? name : "[OWNER]." + name; }

// Keys that lead back to a table their chain has joined already: following
// them would go round until the aliases run out.
class KeyLoop : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace

StatementBuilder::StatementBuilder(core::Program& program)
    : program_(program), log_{[&program](const std::string& line) { program.WriteLog(line); }} {}

std::string StatementBuilder::EffectiveKey(const std::string& dictionary, const std::string& table,
                                           const std::string& column, const std::string& cmsKey) const {
    if (overrideTable_.empty() || dictionary != "DOCSCOLUMN" || Upper(Trim(table)) != overrideTable_) return cmsKey;
    std::string upperColumn = Upper(Trim(column));
    std::string upperKey = Upper(Trim(cmsKey));
    for (const auto& o : kKeyOverrides) {
        if (overrideTable_ == o[0] && upperColumn == o[1] && upperKey == o[2]) return o[3];
    }
    return cmsKey;
}

std::string StatementBuilder::BuildSQLStmt(const std::string& tableArgument, const std::string& kind) {
    std::string statement;
    std::string table = tableArgument;
    try {
        const std::string ownerPrefix = program_.facts.SqlOwner + ".";
        if (table.rfind(ownerPrefix, 0) == 0) table = table.substr(ownerPrefix.size());
        const std::string dictionary = ColumnDictionary(table);
        const std::string upperTable = Upper(table);
        overrideTable_ = upperTable == "SUBCATMAP" || upperTable == "DTMAP" ? upperTable : "";
        const std::string library = program_.ConnectedLibraryName();

        const CachedStatement* hit = nullptr;
        for (const auto& row : cache_) {
            if (row.key == table + ":" + kind && row.library == library) {
                hit = &row;
                break;
            }
        }
        const CachedStatement* failed = nullptr;
        for (const auto& row : failed_) {
            if (row.key == table + ":" + Upper(kind) && row.library == library) {
                failed = &row;
                break;
            }
        }
        if (kind == "SELECT" && table == "FOLDER") {
            statement = FolderStatement();
        } else if (hit) {
            statement = hit->statement;
        } else if (failed) {
            // The dictionary said so once: it is not read again.
            log_("Error: Unable to create SQL Statement " + Upper(kind) + " for table " + table + ": " +
                 failed->statement);
        } else {
            std::string usedKind = kind;
            bool reported = false;
            if (table == "CO_MATTERS" || table == "CO_FOLDERS") {
                log_("Getting BuildSQLStmt " + kind + " for " + table);
                log_.Separator();
                statement = table == "CO_MATTERS" ? CoMattersTemplate(kind) : CoFoldersTemplate(kind);
                log_("SQL Statement is " + statement);
                log_.Separator();
            } else {
                usedKind = Upper(kind);
                if (GenericBuild(table, dictionary, kind, statement) == Generic::RequiredListEmpty) {
                    // Nothing to say beyond the model's own lines.
                    program_.ReportError(0, "", "");
                    reported = true;
                }
            }
            if (!reported) {
                if (!statement.empty()) {
                    log_("SQL Statement will be:\r\n" + statement);
                    log_.Separator();
                    Store(table, usedKind, statement);
                } else {
                    log_("Error: Unable to create SQL Statement " + usedKind + " for table " + table);
                }
            }
        }
    } catch (const dm::DmError& e) {
        program_.ReportError(e);
    } catch (const KeyLoop& e) {
        program_.ReportError(5, "BuildSQLStmt", e.what());
        failed_.push_back({table + ":" + Upper(kind), program_.ConnectedLibraryName(), e.what()});
    } catch (const std::exception& e) {
        program_.ReportError(5, "BuildSQLStmt", e.what());
    }
    overrideTable_.clear();
    log_.Separator();
    return statement;
}

void StatementBuilder::Store(const std::string& table, const std::string& kind, const std::string& statement) {
    cache_.push_back({table + ":" + kind, program_.ConnectedLibraryName(), statement});
}

namespace {

// Runs a statement of the builder; a statement the program could not run at
// all is a failure of the build.
dm::IDmSql& Query(core::Program& program, const std::string& statement) {
    if (!program.RunSQL(statement) || !program.session.PcdSql) {
        throw dm::DmError(91, "BuildSQLStmt", "Unable to execute SQL Instruction");
    }
    return *program.session.PcdSql;
}

std::string Text(dm::IDmSql& sql, int column) { return sql.ColumnValue(column).ToText(); }

}  // namespace

StatementBuilder::Generic StatementBuilder::GenericBuild(const std::string& table, const std::string& dictionary,
                                                         const std::string& kind, std::string& statement) {
    log_("Building " + kind + " SQL Statement for table " + table + " in library " + program_.ConnectedLibraryName());
    log_.Separator();
    const std::string upperKind = Upper(kind);
    ColumnModel model;
    if (upperKind != "DELETE") {
        std::vector<size_t> foreignTables;
        AliasCounter alias;
        if (!ReadDictionary(table, dictionary, upperKind, model, foreignTables, alias)) return Generic::NoDictionary;
        ReadReferencedTables(model, foreignTables, alias);
    }
    AssembledStatement made = AssembleStatement(model, table, upperKind, program_.facts.DatabaseEngine, log_);
    statement = made.statement;
    switch (made.outcome) {
        case AssemblyOutcome::Statement:
            return Generic::Built;
        case AssemblyOutcome::RequiredListEmpty:
            return Generic::RequiredListEmpty;
        case AssemblyOutcome::UnknownKind:
            break;
    }
    return Generic::UnknownKind;
}

bool StatementBuilder::ReadDictionary(const std::string& table, const std::string& dictionary,
                                      const std::string& kind, ColumnModel& model, std::vector<size_t>& foreignTables,
                                      AliasCounter& alias) {
    const std::string literal = core::DoubleApostrophes(table);
    std::string filter;
    if (kind == "INSERT" || kind == "UPDATE" || kind == "UPDATEFROMKEY") {
        if (program_.TableExists("ORLET_EXCLUSION")) {
            filter += "AND COLNAME NOT IN (SELECT DISTINCT COLNAME FROM [OWNER].ORLET_EXCLUSION WHERE TBNAME = '" +
                      literal + "') ";
        }
        if (table == "PEOPLE") filter += "AND COLNAME NOT IN ('LAST_LOGIN_DATE', 'LAST_LOGIN_TIME') ";
        filter += "AND COLNAME <> 'LAST_UPDATE' ";
    }
    log_("Retrieving list of columns in " + table);
    log_.Separator();
    dm::IDmSql& sql = Query(program_, kColumns + dictionary + " WHERE TBNAME = '" + literal + "' " + filter +
                                          "ORDER BY SYSTEM_ID");
    if (sql.RowCount() == 0 || sql.ColumnCount() == 0) {
        sql.ReleaseResults();
        return false;
    }
    log_("Retrieving " + std::to_string(sql.ColumnCount()) + " column(s) from " + std::to_string(sql.RowCount()) +
         " row(s) from " + table);
    log_.Separator();

    const std::string upperTable = Upper(table);
    int64_t rowCounter = 0;
    int64_t referenceCounter = 1000;
    do {
        std::string column = Text(sql, 1);
        if (column.empty()) continue;
        ColumnModelRow r;
        r.OrderNumber = ++rowCounter;
        r.SourceTable = table;
        r.COLNAME = Trim(column);
        r.TBNAME = Owned(Trim(Text(sql, 2)));
        const std::string cmsKey = Trim(EffectiveKey(dictionary, Text(sql, 2), column, Text(sql, 3)));
        r.CMSKEY = cmsKey;
        r.CMSTYPE = Trim(Text(sql, 4));
        r.FCOLNAME = Trim(Text(sql, 5));
        r.FTBNAME = Owned(Trim(Text(sql, 6)));
        r.JoinOperator = program_.facts.OuterJoinOperator;

        const std::string upperColumn = Upper(column);
        for (const auto& forced : kForcedKeys) {
            if (upperTable == forced.table && upperColumn == forced.column) {
                r.CMSKEY = forced.cmsKey;
                r.IsKey = "Y";
                log_("Special Handling for " + table + " " + column);
            }
        }
        // The dictionary's own code decides what the row is; a forced code
        // makes a key, not a reference.
        if (cmsKey.empty()) log_("Adding column " + r.COLNAME);
        if (cmsKey == "C" || cmsKey == "X") {
            log_(r.COLNAME + " is part of the key in " + table + " (" + cmsKey + ")");
            r.IsKey = "Y";
        }
        if (cmsKey == "F" || cmsKey == "X" || (upperTable == "LAUNCH_METHODS" && upperColumn == "APP_ID")) {
            r.Alias = alias.Current();
            log_("Foreign column: " + r.COLNAME + " (" + cmsKey + ") Alias:" + r.Alias);
            alias.Advance();
            foreignTables.push_back(model.size());
            referenceCounter += 100;
            r.OrderNumber = referenceCounter;
        }
        model.push_back(std::move(r));
    } while (sql.NextRow());
    sql.ReleaseResults();
    log_.Separator();
    if (!foreignTables.empty()) {
        log_(std::to_string(foreignTables.size()) + " foreign table(s) found for " + table);
    } else {
        log_("No foreign table(s) found for " + table);
    }
    log_.Separator();
    return true;
}

void StatementBuilder::ReadReferencedTables(ColumnModel& model, std::vector<size_t>& foreignTables,
                                            AliasCounter& alias) {
    auto tableName = [](const std::string& referenced) {
        const size_t dot = referenced.find('.');
        return Trim(dot == std::string::npos ? referenced : referenced.substr(dot + 1));
    };
    // Per entry, the tables its chain of keys joined before it.
    std::vector<std::vector<std::string>> joined(foreignTables.size());
    // The list grows while it is walked: chained keys join it at its end.
    for (size_t entry = 0; entry < foreignTables.size(); ++entry) {
        const size_t ri = foreignTables[entry];
        int64_t perTable = model[ri].OrderNumber + 10;
        const std::string referenced = model[ri].FTBNAME;
        if (referenced.empty()) continue;
        const std::string name = tableName(referenced);
        std::vector<std::string> chain = joined[entry];
        chain.push_back(Upper(name));
        const std::string literal = core::DoubleApostrophes(name);
        log_("Preparing to fetch Key Information for table " + name);
        log_.Separator();
        const std::string dictionary = ColumnDictionary(name);

        dm::IDmSql& pkSql = Query(program_, "SELECT COLNAME FROM [OWNER]." + dictionary + " WHERE TBNAME = '" +
                                                literal + "' AND CMSKEY = 'P'");
        const std::string primaryKey = Trim(Text(pkSql, 1));
        pkSql.ReleaseResults();

        log_("Fetching Key Information for table " + name + " (Source is " + model[ri].TBNAME + ")");
        log_.Separator();
        // A table whose codes this build overrides is read with its
        // references too; the override decides which of them are keys.
        const bool overridden = dictionary == "DOCSCOLUMN" && Upper(name) == overrideTable_;
        dm::IDmSql& sql = Query(program_, kColumns + dictionary + " WHERE CMSKEY IN ('C', 'X'" +
                                              (overridden ? ", 'F'" : "") + ") AND TBNAME = '" + literal +
                                              "' ORDER BY SYSTEM_ID");
        bool anyKey = false;
        do {
            std::string column = Text(sql, 1);
            if (column.empty()) continue;
            const std::string cmsKey = Trim(EffectiveKey(dictionary, Text(sql, 2), column, Text(sql, 3)));
            if (cmsKey != "C" && cmsKey != "X") continue;
            anyKey = true;
            ColumnModelRow m;
            m.COLNAME = Trim(column);
            m.TBNAME = Owned(Trim(Text(sql, 2)));
            m.CMSKEY = cmsKey;
            m.CMSTYPE = Trim(Text(sql, 4));
            m.FCOLNAME = Trim(Text(sql, 5));
            m.FTBNAME = Owned(Trim(Text(sql, 6)));
            log_("Table: " + name + " Key: " + m.COLNAME + " (" + m.CMSKEY + ")");
            log_.Separator();
            m.OrderNumber = ++perTable;
            m.ForeignPrimaryKey = primaryKey;
            m.SourceTable = model[ri].TBNAME;
            m.CandidateKey = model[ri].COLNAME;
            m.Alias = model[ri].Alias;
            m.JoinOperator = program_.facts.OuterJoinOperator;
            if (m.FTBNAME.empty()) model[ri].CandidateKey = m.COLNAME;
            bool chained = m.CMSKEY == "X";
            if (chained) {
                model[ri].JoinOperator = " = ";
                if (model[ri].IsKey == "Y") m.IsKey = "Y";
                m.TBNAME = model[ri].Alias;
                m.Alias = alias.Current();
                log_("Foreign column: " + m.COLNAME + " (" + m.CMSKEY + ") Table: " + m.FTBNAME + " Alias:" + m.Alias);
                log_.Separator();
                alias.Advance();
            }
            if (chained && !m.FTBNAME.empty()) {
                const std::string next = tableName(m.FTBNAME);
                if (std::find(chain.begin(), chain.end(), Upper(next)) != chain.end()) {
                    throw KeyLoop("the key " + m.COLNAME + " of table " + name + " refers back to table " + next +
                                  ", which its keys have joined already");
                }
            }
            model.push_back(std::move(m));
            if (chained) {
                foreignTables.push_back(model.size() - 1);
                joined.push_back(chain);
            }
        } while (sql.NextRow());
        sql.ReleaseResults();
        if (!anyKey) {
            // Nothing identifies a row of the referenced table: the column is
            // read as a plain one.
            auto& r = model[ri];
            r.CMSKEY.clear();
            r.FCOLNAME.clear();
            r.FTBNAME.clear();
            r.CandidateKey.clear();
            r.Alias.clear();
            r.JoinOperator.clear();
            r.IsKey.clear();
        }
    }
}

}  // namespace lookup
