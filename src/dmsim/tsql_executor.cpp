#include "dmsim/tsql_executor.h"

#include <sqlite3.h>

#include "dmsim/date_text.h"
#include "dmsim/library_db.h"
#include "dmsim/tsql_trigger_program.h"

namespace dmsim {

namespace {

// Translations kept per library; the program repeats its statements.
constexpr size_t kTranslationCacheSize = 512;

SqlResult Failure(const SqlFailure& f, bool fromTranslation) {
    return SqlResult::Failure(f.code, fromTranslation ? TranslatorErrorText(f) : SqliteErrorText(f));
}

}  // namespace

dm::Variant ToVariant(const SqlValue& value) {
    if (auto i = std::get_if<int64_t>(&value)) {
        if (*i >= INT32_MIN && *i <= INT32_MAX) return static_cast<int32_t>(*i);
        return static_cast<double>(*i);
    }
    if (auto d = std::get_if<double>(&value)) return *d;
    if (auto s = std::get_if<std::string>(&value)) return ToClientText(*s);
    return dm::Variant();
}

TsqlExecutor::TsqlExecutor(LibraryDb& db) : db_(db), triggers_(db) {
    options_.owner = db.Owner();
    options_.caseInsensitive = !db.CaseSensitive();
}

void TsqlExecutor::RefreshCatalog() {
    SqliteConnection& c = db_.Connection();
    const std::string owner = QuoteName(db_.Owner());
    const int64_t version = AsInt(c.QueryValue("PRAGMA " + owner + ".schema_version"));
    if (version == schemaVersion_) return;
    auto catalog = std::make_shared<SchemaCatalog>();
    auto tables = c.Query("SELECT name FROM " + owner + ".sqlite_master WHERE type = 'table'");
    for (const auto& table : tables.rows) {
        const std::string name = AsText(table[0]);
        auto columns = c.Query("PRAGMA " + owner + ".table_info(" + QuoteName(name) + ")");
        for (const auto& column : columns.rows) catalog->Add(name, AsText(column[1]), AsText(column[2]));
    }
    options_.catalog = std::move(catalog);
    schemaVersion_ = version;
    cache_.clear();
}

const DialectOptions& TsqlExecutor::Options() {
    RefreshCatalog();
    return options_;
}

std::shared_ptr<const TranslateResult> TsqlExecutor::Translate(const std::string& statement) {
    RefreshCatalog();
    auto found = cache_.find(statement);
    if (found != cache_.end()) return found->second;
    if (cache_.size() >= kTranslationCacheSize) cache_.clear();
    auto result = std::make_shared<const TranslateResult>(TranslateStatement(statement, options_));
    cache_.emplace(statement, result);
    return result;
}

SqlResult TsqlExecutor::Execute(const std::string& statement) {
    auto translated = Translate(statement);
    if (auto failure = std::get_if<SqlFailure>(translated.get())) return Failure(*failure, true);
    LibraryDb::FrozenClock frozen(db_);
    return Run(std::get<Translation>(*translated));
}

std::vector<std::string> TsqlExecutor::QueryPlan(const std::string& statement) {
    std::vector<std::string> plan;
    auto translated = Translate(statement);
    auto tr = std::get_if<Translation>(translated.get());
    if (!tr || (tr->kind != Translation::Kind::Query && tr->kind != Translation::Kind::Command)) return plan;
    // The last column of each row is the step's text.
    for (const auto& row : db_.Connection().Query("EXPLAIN QUERY PLAN " + tr->sql).rows) {
        plan.push_back(AsText(row.back()));
    }
    return plan;
}

SqlResult TsqlExecutor::RunTransaction(const Translation& tr) {
    SqliteConnection& connection = db_.Connection();
    switch (tr.transaction) {
        case Translation::TransactionOp::Begin:
            // The write lock at once, so that two processes never deadlock
            // on upgrading their locks.
            if (transactions_ == 0) connection.ExecScript("BEGIN IMMEDIATE");
            ++transactions_;
            break;
        case Translation::TransactionOp::Commit:
            if (transactions_ == 0) {
                return Failure({sqlerr::kCommitWithoutBegin, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."},
                               false);
            }
            if (--transactions_ == 0) {
                connection.ExecScript("COMMIT");
                db_.TransactionEnded(true);
            }
            break;
        case Translation::TransactionOp::Rollback:
            if (transactions_ == 0) {
                return Failure({sqlerr::kRollbackWithoutBegin, "The ROLLBACK TRANSACTION request has no corresponding BEGIN "
                                      "TRANSACTION."},
                               false);
            }
            transactions_ = 0;
            connection.ExecScript("ROLLBACK");
            db_.TransactionEnded(false);
            break;
    }
    return SqlResult{};
}

// SET LANGUAGE also sets the language's date format; SET DATEFORMAT keeps
// the language.
SqlResult TsqlExecutor::ChangeSetting(const Translation& tr) {
    DateSettings settings = db_.DateReading();
    if (tr.setting == "LANGUAGE") {
        const ServerLanguage* language = FindServerLanguage(tr.settingValue);
        if (!language) {
            return Failure({sqlerr::kUnknownLanguage, "SET LANGUAGE failed because '" + tr.settingValue +
                                                          "' is not an official language name or a language alias "
                                                          "on this SQL Server."},
                           false);
        }
        settings = {language, language->order};
    } else {
        auto order = ReadDateOrder(tr.settingValue);
        if (!order) {
            return Failure(
                {sqlerr::kUnknownDateFormat, "SET DATEFORMAT date order '" + tr.settingValue + "' is invalid."}, false);
        }
        settings.order = *order;
    }
    db_.SetDateReading(settings);
    return SqlResult{};
}

SqlResult TsqlExecutor::Run(const Translation& tr) {
    SqlResult result;
    // SQLite ends a transaction by itself after some failures.
    if (transactions_ > 0 && sqlite3_get_autocommit(db_.Connection().Handle())) transactions_ = 0;
    try {
        switch (tr.kind) {
            case Translation::Kind::Empty:
                return result;
            case Translation::Kind::Transaction:
                return RunTransaction(tr);
            case Translation::Kind::Grant: {
                auto id = db_.QueryValue("SELECT dm_object_id(?)", {tr.grantObject});
                if (IsNull(id)) {
                    return Failure({sqlerr::kGrantNoObject,
                                    "Cannot find the object '" + tr.grantObject +
                                        "', because it does not exist or you do not have "
                                        "permission."},
                                   false);
                }
                return result;
            }
            case Translation::Kind::Conditional: {
                auto yes = db_.QueryValue(tr.condition);
                if (AsInt(yes) != 0 && tr.body) return Run(*tr.body);
                return result;
            }
            case Translation::Kind::CreateTrigger:
                if (auto failure = triggers_.Create(tr)) return Failure(*failure, false);
                return result;
            case Translation::Kind::Setting:
                return ChangeSetting(tr);
            case Translation::Kind::Query:
            case Translation::Kind::Command:
                break;
        }
        if (tr.kind == Translation::Kind::Command) {
            // A change and the triggers it fires are one unit.
            try {
                triggers_.Guard(
                    [&] {
                        result = Step(tr);
                        if (tr.dropKind == "trigger") triggers_.Dropped(tr.dropName);
                    },
                    &tr.write, transactions_);
            } catch (const TriggerFailure& failure) {
                // As on SQL Server, a trigger's error ends the transaction
                // (and one that a trigger ended itself is over already).
                if (transactions_ > 0) {
                    transactions_ = 0;
                    if (!sqlite3_get_autocommit(db_.Connection().Handle())) db_.Connection().ExecScript("ROLLBACK");
                }
                return Failure(failure.Failure(), false);
            }
        } else {
            result = Step(tr);
        }
    } catch (const SqliteError& error) {
        return Failure(FailureFromSqlite(error, tr.dropKind, tr.dropName), false);
    }
    return result;
}

SqlResult TsqlExecutor::Step(const Translation& tr) {
    SqlResult result;
    {
        SqliteConnection& connection = db_.Connection();
        SqliteStatement& stmt = connection.Cached(tr.sql);
        int columns = stmt.ColumnCount();
        if (tr.kind == Translation::Kind::Query) {
            // Names from the select list; a "*" takes SQLite's names for the
            // columns it stands for.
            const auto& names = tr.columnNames;
            size_t stars = 0;
            for (const auto& n : names) stars += n ? 0 : 1;
            bool mapped = stars <= 1 && (stars == 1 ? names.size() - 1 <= static_cast<size_t>(columns)
                                                    : names.size() == static_cast<size_t>(columns));
            size_t starWidth = stars == 1 ? static_cast<size_t>(columns) - (names.size() - 1) : 0;
            size_t item = 0, inItem = 0;
            for (int c = 0; c < columns; ++c) {
                std::string name = sqlite3_column_name(stmt.Get(), c);
                if (mapped) {
                    if (names[item]) {
                        name = *names[item];
                        ++item;
                    } else if (++inItem >= starWidth) {
                        ++item;
                        inItem = 0;
                    }
                }
                result.columnNames.push_back(name);
                const char* type = sqlite3_column_decltype(stmt.Get(), c);
                result.columnTypes.push_back(type ? type : "");
            }
        }
        while (stmt.Step()) {
            std::vector<dm::Variant> row;
            row.reserve(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) row.push_back(ToVariant(stmt.Column(c)));
            result.rows.push_back(std::move(row));
        }
        stmt.Reset();
        if (tr.changesRows) {
            result.rowsAffected = static_cast<int32_t>(sqlite3_changes64(connection.Handle()));
        }
        if (tr.kind == Translation::Kind::Command) result.rows.clear();
    }
    return result;
}

}  // namespace dmsim
