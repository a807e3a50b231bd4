#include "install/queue_trigger.h"

#include <vector>

#include "core/sql_text.h"
#include "core/text.h"

namespace install {

namespace {

constexpr const char* kCrLf = "\r\n";
const std::string kTrigger = std::string("[OWNER].") + kTriggerName;

// The statuses a new profile is queued with (the Oracle form's only ones).
constexpr const char* kNewProfileStatuses = "0, 6, 18";

struct CriterionColumn {
    const char* variable;  // in the SQL Server form
    const char* column;    // of PROFILE
};

CriterionColumn ColumnOf(Criterion criterion) {
    switch (criterion) {
        case Criterion::DocumentTypes: return {"@DOCUMENTTYPE", "DOCUMENTTYPE"};
        case Criterion::Applications: return {"@APPLICATION", "APPLICATION"};
        case Criterion::Authors: return {"@AUTHOR", "AUTHOR"};
        case Criterion::Typists: return {"@TYPIST", "TYPIST"};
        case Criterion::Matters: return {"@MATTER", "MATTER"};
        case Criterion::Groups: break;
    }
    // A group selects the profiles whose typist belongs to it.
    return {"@GROUPS", "TYPIST"};
}

std::string IdList(const std::vector<int32_t>& ids) {
    std::string list;
    for (int32_t id : ids) list += (list.empty() ? "" : ", ") + std::to_string(id);
    return list;
}

std::string GroupMembers(const ResolvedCriterion& groups) {
    return "SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE PRIMARY_GROUP IN (" + IdList(groups.ids) + ")";
}

// The one rule of both forms: when a value meets a criterion. Written so
// that it is never unknown, so that the SQL Server form can skip on its
// negation.
std::string InListCondition(const std::string& value, const std::string& list, bool include) {
    if (include) return "(" + value + " IS NOT NULL AND " + value + " IN (" + list + "))";
    return "(" + value + " IS NULL OR " + value + " NOT IN (" + list + "))";
}

std::string StorageCondition(const std::string& value, const TriggerSelection& selection) {
    if (selection.storageCode.empty() && selection.includeStorageType) return "";
    const std::string literal = core::SqlLiteral(selection.storageCode.empty() ? "D" : selection.storageCode);
    if (selection.includeStorageType) return "(" + value + " IS NOT NULL AND " + value + " = " + literal + ")";
    return "(" + value + " IS NULL OR " + value + " <> " + literal + ")";
}

std::string TargetCondition(const TriggerSelection& selection) {
    if (selection.targetSystemId == 0) return " WHERE RL.SYSTEM_ID <> 0";
    return " WHERE RL.SYSTEM_ID = " + std::to_string(selection.targetSystemId);
}

// The trigger replaces only the rows of its own targets: a row queued by
// hand for any other library stays as it is.
std::string OwnTargets(const TriggerSelection& selection) {
    return "TARGET_LIBRARY IN (SELECT RL.LIBRARY_NAME FROM [OWNER].REMOTE_LIBRARIES RL" + TargetCondition(selection) +
           ")";
}

// No second pending row beside one that a run holds.
std::string NoPendingRow(const std::string& sid) {
    return " AND NOT EXISTS (SELECT * FROM [OWNER].NEEDS_ARCHIVING NA WHERE NA.SID = " + sid +
           " AND NA.TARGET_LIBRARY = RL.LIBRARY_NAME AND (NA.STATUS IS NULL OR NA.STATUS <> -1))";
}

const ResolvedCriterion* GroupsOf(const TriggerSelection& selection) {
    for (const auto& c : selection.criteria) {
        if (c.criterion == Criterion::Groups && !c.ids.empty()) return &c;
    }
    return nullptr;
}

// Oracle: a row trigger. Its WHEN holds only plain column tests (no
// subquery is allowed there); the lists and the group test are in the body.
std::string OracleText(const TriggerSelection& selection) {
    std::string when = "NEW.STATUS IN (" + std::string(kNewProfileStatuses) + ")";
    const std::string storage = StorageCondition("NEW.STORAGETYPE", selection);
    if (!storage.empty()) when += " AND " + storage;

    const ResolvedCriterion* groups = GroupsOf(selection);
    std::vector<std::string> tests;
    for (const auto& c : selection.criteria) {
        if (c.ids.empty()) continue;
        if (c.criterion == Criterion::Groups) {
            tests.push_back(c.include ? "GROUP_MEMBER > 0" : "GROUP_MEMBER = 0");
        } else {
            tests.push_back(InListCondition(std::string(":NEW.") + ColumnOf(c.criterion).column, IdList(c.ids),
                                            c.include));
        }
    }

    std::string text = "CREATE OR REPLACE TRIGGER " + kTrigger + " " + kCrLf;
    text += "AFTER INSERT OR UPDATE OF STATUS ON [OWNER].PROFILE ";
    text += "FOR EACH ROW ";
    text += "WHEN (" + when + ") ";
    if (groups) text += "DECLARE GROUP_MEMBER NUMBER := 0; ";
    text += "BEGIN ";
    if (groups) {
        text += "SELECT COUNT(*) INTO GROUP_MEMBER FROM [OWNER].PEOPLE WHERE SYSTEM_ID = :NEW.TYPIST "
                "AND PRIMARY_GROUP IN (" +
                IdList(groups->ids) + "); ";
    }
    if (!tests.empty()) {
        text += "IF ";
        for (size_t i = 0; i < tests.size(); ++i) text += (i ? " AND " : "") + tests[i];
        text += " THEN ";
    }
    text += "DELETE FROM [OWNER].NEEDS_ARCHIVING ";
    text += "WHERE SID = :NEW.DOCNUMBER AND TABLE_NAME = 'PROFILE' AND (STATUS IS NULL OR STATUS <> -1) AND " +
            OwnTargets(selection) + "; ";
    text += "INSERT INTO [OWNER].NEEDS_ARCHIVING ";
    text += "(SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, RETRY_COUNT, DOCSTATUS, LAST_UPDATE) ";
    text += "SELECT :NEW.DOCNUMBER, RL.LIBRARY_NAME, 'PROFILE', 0, NULL, 0, :NEW.STATUS, SYSDATE ";
    text += "FROM [OWNER].REMOTE_LIBRARIES RL ";
    text += TargetCondition(selection) + NoPendingRow(":NEW.DOCNUMBER") + "; ";
    if (!tests.empty()) text += "END IF; ";
    text += "END; ";
    return text;
}

// SQL Server and Sybase: a statement trigger that walks the changed rows,
// each inserted row beside its old values.
std::string TsqlText(const TriggerSelection& selection, const std::string& buildDate) {
    struct Test {
        std::string variable, type, column, condition;
    };
    std::vector<Test> tests;
    const std::string storage = StorageCondition("@STORAGETYPE", selection);
    if (!storage.empty()) tests.push_back({"@STORAGETYPE", "VARCHAR(1)", "I.STORAGETYPE", storage});
    for (const auto& c : selection.criteria) {
        if (c.ids.empty()) continue;
        const CriterionColumn column = ColumnOf(c.criterion);
        const std::string list = c.criterion == Criterion::Groups ? GroupMembers(c) : IdList(c.ids);
        tests.push_back({column.variable, "INT", std::string("I.") + column.column,
                         InListCondition(column.variable, list, c.include)});
    }
    std::string columns, variables;
    for (const auto& t : tests) {
        columns += ", " + t.column;
        variables += ", " + t.variable;
    }
    const std::string fetchInto =
        std::string("INTO @SID, @DOCSTATUS, @FULLTEXT_DATE, @OLD_SID, @OLD_DOCSTATUS, @OLD_FULLTEXT_DATE, "
                    "@PD_OBJ_TYPE, ") +
        kCrLf + "@NEW_LAST_EDIT_DATE, @OLD_LAST_EDIT_DATE, @NEW_PRF_EDIT_DATE, @OLD_PRF_EDIT_DATE" + variables;

    std::vector<std::string> lines;
    auto add = [&](std::string line) { lines.push_back(std::move(line)); };
    auto skipBlock = [&](const std::string& label) {
        add("BEGIN");
        add("GOTO " + label);
        add("END");
        add("");
    };

    add("CREATE TRIGGER " + kTrigger + " ON [OWNER].PROFILE ");
    add("FOR INSERT, UPDATE AS ");
    add("");
    if (!buildDate.empty()) {
        add("/* CREATED WITH VERSION DATED " + core::Upper(buildDate) + " */");
        add("");
    }
    add("/* Declare Variables */");
    for (const char* declaration :
         {"@SID INT", "@DOCSTATUS INT", "@PD_OBJ_TYPE VARCHAR(2)", "@FULLTEXT_DATE DATETIME", "@OLD_SID INT",
          "@OLD_DOCSTATUS INT", "@OLD_FULLTEXT_DATE DATETIME", "@TBNAME VARCHAR(32)", "@LASTNUMBER INT",
          "@OLD_LAST_EDIT_DATE DATETIME", "@NEW_LAST_EDIT_DATE DATETIME", "@OLD_PRF_EDIT_DATE DATETIME",
          "@NEW_PRF_EDIT_DATE DATETIME"}) {
        add(std::string("DECLARE ") + declaration);
    }
    for (const auto& t : tests) add("DECLARE " + t.variable + " " + t.type);
    add("");
    // The name the queue commands write too, so that a document and target
    // never get two pending rows.
    add("SET @TBNAME = 'PROFILE'");
    add("SET @LASTNUMBER = 0");
    add("");
    add("SET NOCOUNT ON");
    // No apostrophe in a comment: the SQL runner would take it for a literal.
    add("/* errors stay catchable, so that a failure to queue never undoes a profile change */");
    add("SET XACT_ABORT OFF");
    add("SET LOCK_TIMEOUT 1800");
    add("");
    add("DECLARE IC CURSOR LOCAL FORWARD_ONLY STATIC FOR ");
    add("SELECT I.DOCNUMBER, I.STATUS, I.FULLTEXT_DATE, D.DOCNUMBER, D.STATUS, D.FULLTEXT_DATE, I.PD_OBJ_TYPE,");
    add("I.LAST_EDIT_DATE, D.LAST_EDIT_DATE, I.LAST_PRF_EDIT_DATE, D.LAST_PRF_EDIT_DATE" + columns);
    add("FROM INSERTED I LEFT OUTER JOIN DELETED D ON D.DOCNUMBER = I.DOCNUMBER ");
    add("");
    add("BEGIN");
    add("");
    add("OPEN IC");
    add("FETCH NEXT FROM IC ");
    add(fetchInto);
    add("");
    add("WHILE @@FETCH_STATUS = 0");
    add("");
    add("BEGIN");
    add("");
    add("/* do not process if same as last docnumber */");
    add("IF @SID = @LASTNUMBER OR @SID IS NULL OR @SID = 0");
    skipBlock("SKIPLINE");
    add("/* a new profile, or one without edit dates, is not tested for unchanged dates */");
    add("IF @OLD_SID IS NULL OR @OLD_LAST_EDIT_DATE IS NULL OR @OLD_PRF_EDIT_DATE IS NULL");
    skipBlock("SKIPNEXT");
    add("/* do not process if the profile not changed due to edit or profile change*/");
    add("IF @NEW_LAST_EDIT_DATE = @OLD_LAST_EDIT_DATE AND ");
    add("@NEW_PRF_EDIT_DATE = @OLD_PRF_EDIT_DATE ");
    skipBlock("SKIPLINE");
    add("SKIPNEXT:");
    add("");
    add("SET @LASTNUMBER = @SID");
    add("");
    add("/* do not process if not a doc, record or file part */");
    add("IF TRY_CAST(@PD_OBJ_TYPE AS INT) NOT IN (0, 1, 4) ");
    skipBlock("SKIPLINE");
    add("/* a new profile is queued with the statuses of a new document only */");
    add(std::string("IF @OLD_SID IS NULL AND (@DOCSTATUS IS NULL OR @DOCSTATUS NOT IN (") + kNewProfileStatuses +
        "))");
    skipBlock("SKIPLINE");
    add("/* Check Document Status */");
    add("IF (@DOCSTATUS <> 0");
    add("AND (@DOCSTATUS <> @OLD_DOCSTATUS ");
    add("OR @OLD_DOCSTATUS IN (5, 16, 19))) ");
    skipBlock("SKIPLINE");
    if (!tests.empty()) add("/* Check the trigger definition */");
    for (const auto& t : tests) {
        add("IF NOT " + t.condition);
        skipBlock("SKIPLINE");
    }
    add("/* replace the pending rows of the document for the targets of this trigger as one unit; rows a run "
        "holds and rows of other targets stay as they are */");
    add("BEGIN TRY ");
    add("SAVE TRANSACTION NEEDS_ARCHIVING");
    add("DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE TABLE_NAME = @TBNAME AND SID = @SID ");
    add("AND (STATUS IS NULL OR STATUS <> -1)");
    add("AND " + OwnTargets(selection));
    add("INSERT INTO [OWNER].NEEDS_ARCHIVING");
    add("(SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, RETRY_COUNT, DOCSTATUS, LAST_UPDATE) ");
    add("SELECT @SID, RL.LIBRARY_NAME, @TBNAME, 0, '', 0, @DOCSTATUS, GETUTCDATE()");
    add("FROM [OWNER].REMOTE_LIBRARIES RL");
    add(TargetCondition(selection));
    add(NoPendingRow("@SID").substr(1));
    add("END TRY ");
    add("");
    add("BEGIN CATCH ");
    add("/* a failure to queue leaves the old rows and never aborts the profile change */");
    add("IF XACT_STATE() = 1 ");
    add("BEGIN");
    add("ROLLBACK TRANSACTION NEEDS_ARCHIVING");
    add("END");
    add("END CATCH ");
    add("");
    add("SKIPLINE:");
    add("");
    add("FETCH NEXT FROM IC  ");
    add(fetchInto);
    add("");
    add("END");
    add("");
    add("CLOSE IC");
    add("");
    add("END");
    add("");
    add("DEALLOCATE IC");

    std::string text;
    for (const auto& line : lines) text += line + kCrLf;
    return text;
}

}  // namespace

std::string TriggerDropStatement(int32_t engine) {
    // Qualified like the create statements, so that the drop names the same
    // trigger whatever the connection's default schema.
    if (core::IsOracle(engine) || engine == 6) return "drop trigger " + kTrigger;
    return std::string("if exists (select * from sysobjects ") + kCrLf + "where id = object_id('" + kTrigger +
           "') " + kCrLf + "and sysstat & 0xf = 8) " + kCrLf + "drop trigger " + kTrigger;
}

std::string QueueTriggerText(const TriggerSelection& selection, int32_t engine, const std::string& buildDate) {
    return core::IsOracle(engine) ? OracleText(selection) : TsqlText(selection, buildDate);
}

}  // namespace install
