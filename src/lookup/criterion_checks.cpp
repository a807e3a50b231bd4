#include "lookup/criterion_checks.h"

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "dmclient/dm_error.h"
#include "lookup/lookup_dialog.h"

namespace lookup {

namespace {

using core::Trim;
using core::Upper;

// The table and column piece of each field's count.
const char* TablePiece(CriterionField field) {
    switch (field) {
        case CriterionField::Groups:
            return "GROUPS WHERE UPPER(GROUP_ID) = '";
        case CriterionField::Typist:
        case CriterionField::Author:
            return "PEOPLE WHERE UPPER(USER_ID) = '";
        case CriterionField::DocTypes:
            return "DOCUMENTTYPES WHERE UPPER(TYPE_ID) = '";
        case CriterionField::Apps:
            break;
    }
    return "APPS WHERE UPPER(APPLICATION) = '";
}

bool NeedsCheck(const std::string& text, const std::string& undoText) {
    return !text.empty() && text != undoText && text.find(',') == std::string::npos;
}

// Whether the count comes back above 0; a count that cannot be read refuses.
bool CountsAny(core::Program& program, const std::string& statement) {
    try {
        program.RunSQL(statement);
        auto& sql = program.session.PcdSql;
        if (!sql) return false;
        double n = dm::LeadingNumber(sql->ColumnValue(1).ToText());
        sql->ReleaseResults();
        return n != 0;
    } catch (const dm::DmError& e) {
        program.ReportError(e);
        return false;
    }
}

// Shows the dialog; the chosen items, none when it was cancelled.
std::vector<std::string> Choose(KestLookupForm& dialog, const std::string& table, bool returnText) {
    dialog.LookupTable = table;
    dialog.LookupMultiSelect = true;
    dialog.LookupReturnText = returnText;
    dialog.LookupCondition.clear();
    dialog.Show();
    std::vector<std::string> items;
    const auto& results = dialog.LookupResults;
    for (int32_t i = 1; i <= dialog.LookupResultCount && i < static_cast<int32_t>(results.size()); ++i) {
        items.push_back(results[i]);
    }
    return items;
}

// A typed value is the literal text it is: its apostrophes are doubled.
std::string Literal(const std::string& value) { return core::DoubleApostrophes(value); }

}  // namespace

EntryCheck CheckCriterionEntry(core::Program& program, CriterionField field, const std::string& typed,
                               const std::string& undoText) {
    EntryCheck check{Trim(typed), EntryVerdict::NotChecked};
    if (!NeedsCheck(check.text, undoText)) return check;
    const std::string statement =
        std::string("SELECT COUNT(*) FROM [OWNER].") + TablePiece(field) + Literal(Upper(check.text)) + "'";
    check.verdict = CountsAny(program, statement) ? EntryVerdict::Accepted : EntryVerdict::Refused;
    return check;
}

EntryCheck CheckMatterEntry(core::Program& program, const std::string& typed, const std::string& undoText) {
    EntryCheck check{Trim(typed), EntryVerdict::NotChecked};
    if (!NeedsCheck(check.text, undoText)) return check;
    std::string statement;
    size_t colon = check.text.find(':');
    if (colon != std::string::npos) {
        const std::string client = Trim(Upper(check.text.substr(0, colon)));
        const std::string matter = Trim(Upper(check.text.substr(colon + 1)));
        statement = "SELECT COUNT(*) FROM [OWNER].MATTER WHERE UPPER(MATTER_ID) = '" + Literal(matter) + "' " +
                    "AND CLIENT_ID = (SELECT SYSTEM_ID FROM [OWNER].CLIENT WHERE UPPER(CLIENT_ID) = '" +
                    Literal(client) + "')";
    } else {
        statement = "SELECT COUNT(*) FROM [OWNER].MATTER WHERE UPPER(MATTER_ID) = '" + Literal(Trim(Upper(check.text))) +
                    "' ";
    }
    check.verdict = CountsAny(program, statement) ? EntryVerdict::Accepted : EntryVerdict::Refused;
    return check;
}

std::string JoinLookupResults(const std::vector<std::string>& results) {
    std::string text;
    for (const auto& item : results) {
        if (item.empty()) continue;
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

std::string MatterEntriesFromKeys(core::Program& program, const std::vector<std::string>& keys) {
    std::vector<std::string> entries;
    for (const auto& key : keys) {
        if (key.empty()) continue;
        size_t colon = key.find(':');
        if (colon == std::string::npos) continue;
        double number = dm::LeadingNumber(key.substr(colon + 1));
        if (static_cast<int64_t>(number) == 0) continue;
        try {
            program.RunSQL("SELECT C.CLIENT_ID, M.MATTER_ID FROM [OWNER].MATTER M LEFT OUTER JOIN [OWNER].CLIENT C "
                           "ON C.SYSTEM_ID = M.CLIENT_ID WHERE M.SYSTEM_ID = " +
                           dm::FormatWhole(number));
            auto& sql = program.session.PcdSql;
            if (!sql) continue;
            const std::string client = sql->ColumnValue(1).ToText();
            const std::string matter = sql->ColumnValue(2).ToText();
            sql->ReleaseResults();
            if (client.empty() || matter.empty()) continue;
            entries.push_back(client + ":" + matter);
        } catch (const dm::DmError& e) {
            program.ReportError(e);
        }
    }
    return JoinLookupResults(entries);
}

std::optional<std::string> ChooseCriterionEntries(KestLookupForm& dialog, const std::string& table) {
    auto items = Choose(dialog, table, true);
    if (items.empty()) return std::nullopt;
    return JoinLookupResults(items);
}

std::optional<std::string> ChooseMatterEntries(core::Program& program, KestLookupForm& dialog) {
    auto keys = Choose(dialog, "MATTER", false);
    if (keys.empty()) return std::nullopt;
    return MatterEntriesFromKeys(program, keys);
}

}  // namespace lookup
