#include "install/install_steps.h"

#include "core/program.h"
#include "core/queue_rows.h"
#include "core/sql_text.h"

namespace install {

namespace {

const std::string kCrLf = "\r\n";

// The tables a queue trigger may sit on; the installation makes only the
// one on PROFILE.
constexpr const char* kTriggerTables[] = {"PROFILE", "PROJECT", "PROJECT_COMPONENTS", "FOLDER_ITEM"};

std::string TriggerNameOf(const std::string& table) { return table.substr(0, 14) + "_NEEDS_ARCHIVING"; }

// Qualified by the owner, as the installation drops and creates it, so that
// the drop finds the trigger whatever the login's default schema.
std::string TriggerDrop(int32_t engine, const std::string& name) {
    const std::string qualified = "[OWNER]." + name;
    if (core::IsOracle(engine) || engine == 6) return "drop trigger " + qualified;
    return "if exists (select * from sysobjects " + kCrLf + "where id = object_id('" + qualified + "') " + kCrLf +
           "and sysstat & 0xf = 8) " + kCrLf + "drop trigger " + qualified;
}

// Column 1 of a count; nothing when the database refused the statement.
std::optional<double> CountOf(core::Program& p, const std::string& statement) {
    auto& sql = p.session.PcdSql;
    const bool accepted = p.RunSQLAccepted(statement);
    if (!sql) return std::nullopt;
    const double count = dm::LeadingNumber(sql->ColumnValue(1).ToText());
    sql->ReleaseResults();
    if (!accepted) return std::nullopt;
    return count;
}

}  // namespace

bool RunStep(core::Program& p, const std::string& statement) {
    const bool accepted = p.RunSQLAccepted(statement);
    if (auto& sql = p.session.PcdSql) sql->ReleaseResults();
    return accepted;
}

std::optional<bool> TriggerListed(core::Program& p, const std::string& triggerName) {
    std::string statement;
    if (core::IsOracle(p.facts.DatabaseEngine)) {
        statement = "SELECT COUNT(*) FROM ALL_TRIGGERS WHERE OWNER = '[OWNER]' AND TRIGGER_NAME = '" + triggerName + "'";
    } else {
        statement = "select count(*) from sysobjects where id = object_id('[OWNER]." + triggerName +
                    "') and sysstat & 0xf = 8";
    }
    const std::optional<double> count = CountOf(p, statement);
    if (!count) return std::nullopt;
    return *count > 0;
}

std::optional<int32_t> QueueRowCount(core::Program& p) {
    const std::optional<double> count = CountOf(p, core::queue_sql::CountAll());
    if (!count) return std::nullopt;
    return static_cast<int32_t>(*count);
}

std::string DropQueueTriggers(core::Program& p) {
    for (const char* table : kTriggerTables) {
        const std::string name = TriggerNameOf(table);
        p.ShowStatus(std::string("Dropping existing trigger for ") + table);
        p.Separator();
        if (RunStep(p, TriggerDrop(p.facts.DatabaseEngine, name))) continue;
        // Oracle and Sybase refuse to drop a trigger that is not there.
        const std::optional<bool> listed = TriggerListed(p, name);
        if (!listed || *listed) return name;
    }
    return "";
}

}  // namespace install
