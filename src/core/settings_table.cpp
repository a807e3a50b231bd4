#include "core/dm_calls.h"
#include "core/held_check.h"
#include "core/program.h"
#include "core/sql_transaction.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace core {

namespace {

// Keys and values of the settings rows keep their text exactly; only
// their apostrophes are doubled.

std::string KeyCondition(const std::string& master, const std::string& section, const std::string& sub) {
    std::string condition;
    auto add = [&](const std::string& part) {
        if (!condition.empty()) condition += " AND ";
        condition += part;
    };
    if (!master.empty()) add(" MASTER_KEY = '" + DoubleApostrophes(master) + "'");
    if (!section.empty()) add("SECTION_KEY = '" + DoubleApostrophes(section) + "'");
    if (!sub.empty()) add("SUB_KEY = '" + DoubleApostrophes(sub) + "'");
    return condition.empty() ? "" : " WHERE " + condition;
}

}  // namespace

// Verbose logging off for a stretch of work whose SQL stays out of the log.
class Program::QuietLog : public HeldCheck {
public:
    explicit QuietLog(Program& p) : HeldCheck(p, p.MainWindow.CheckLogMethod, 0) {}
};

bool Program::TableExists(const std::string& tableName) { return TableListed(tableName).value_or(false); }

std::optional<bool> Program::TableListed(const std::string& tableName) {
    QuietLog quiet(*this);
    try {
        std::string statement;
        if (IsOracle(facts.DatabaseEngine)) {
            statement = "SELECT COUNT(*) FROM ALL_TABLES WHERE TABLE_NAME = '" + tableName + "'";
        } else if (facts.DatabaseEngine == 0) {
            statement = "SELECT COUNT(*) FROM [OWNER].DOCSTABLE WHERE UPPER(TABLE_NAME) = '" + Upper(tableName) + "'";
        } else {
            statement = "select count(*) from sysobjects \r\nwhere id = object_id('[OWNER]." + tableName + "') ";
            if (facts.DatabaseEngine != 6) statement += "\r\nand sysstat & 0xf = 3 ";
        }
        const bool accepted = RunSQLAccepted(statement);
        auto& sql = session.PcdSql;
        if (!sql) return std::nullopt;
        double n = dm::LeadingNumber(sql->ColumnValue(1).ToText());
        sql->ReleaseResults();
        if (!accepted) return std::nullopt;
        return n > 0;
    } catch (const dm::DmError& e) {
        ReportError(e);
        return std::nullopt;
    }
}

bool Program::SetKestSetting(const std::string& masterKey, const std::string& sectionKey,
                             const std::string& subKey, int32_t keyType, const dm::Variant& value) {
    QuietLog quiet(*this);
    if (!facts.SettingsTableExists) return false;
    std::string column;
    std::string literal;
    if (keyType == 1) {
        column = "CHAR_VAL";
        literal = SqlLiteral(value.ToText());
    } else if (keyType == 2) {
        column = "INT_VAL";
        literal = dm::FormatWhole(dm::LeadingNumber(value.ToText()));
    } else {
        return false;
    }
    // Delete and insert as one unit: a failed insert must not lose the
    // value that was stored, nor a refused delete leave it twice.
    SqlTransaction unit(*this);
    bool written = false;
    const bool ran = GoOn(*this, "SetKestSetting", [&] {
        auto& sql = session.PcdSql;
        if (!unit.Run("DELETE FROM [OWNER].KEST_SETTINGS" + KeyCondition(masterKey, sectionKey, subKey))) return;
        written = RunSQLAccepted("INSERT INTO [OWNER].KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, " +
                                 column + ") VALUES('" + DoubleApostrophes(masterKey) + "','" +
                                 DoubleApostrophes(sectionKey) + "','" + DoubleApostrophes(subKey) + "'," +
                                 std::to_string(keyType) + ", " + literal + ")") &&
                  sql && sql->RowsAffected() != 0;
        if (sql) sql->ReleaseResults();
    });
    // RunSQL logs a statement that fails.
    bool stored = false;
    PassOver([&] {
        if (ran && written) {
            stored = unit.Commit();
        } else {
            unit.Rollback();
        }
    });
    return stored;
}

dm::Variant Program::GetKestSetting(const std::string& masterKey, const std::string& sectionKey,
                                    const std::string& subKey, int32_t keyType, const dm::Variant& defaultValue) {
    return ReadKestSetting(masterKey, sectionKey, subKey, keyType, defaultValue).value_or(defaultValue);
}

std::optional<dm::Variant> Program::ReadKestSetting(const std::string& masterKey, const std::string& sectionKey,
                                                    const std::string& subKey, int32_t keyType,
                                                    const dm::Variant& defaultValue) {
    QuietLog quiet(*this);
    if (!facts.SettingsTableExists) return defaultValue;
    const char* column = keyType == 1 ? "CHAR_VAL" : keyType == 2 ? "INT_VAL" : nullptr;
    if (!column) return defaultValue;
    dm::Variant result = defaultValue;
    bool read = false;
    GoOn(*this, "GetKestSetting", [&] {
        read = RunSQLAccepted(std::string("SELECT ") + column + " FROM [OWNER].KEST_SETTINGS" +
                              KeyCondition(masterKey, sectionKey, subKey));
        auto& sql = session.PcdSql;
        if (sql) {
            if (read && sql->RowCount() != 0) result = sql->ColumnValue(1);
            sql->ReleaseResults();
        }
    });
    if (!read) return std::nullopt;
    return result;
}

}  // namespace core
