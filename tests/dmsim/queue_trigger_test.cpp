// The queue table and queue trigger as the installation writes them, run by
// the emulator: which profile changes queue which rows, whatever writes the
// profile, what a failure undoes, and what a trigger body may hold.

#include <gtest/gtest.h>

#include <sstream>

#include "core/sql_text.h"
#include "dmsim/site_tool.h"
#include "document_fixture.h"
#include "install/queue_table_statements.h"
#include "install/queue_trigger.h"

namespace dmsim::fixture {
namespace {

using install::Criterion;
using install::TriggerSelection;

const std::string kOld = "2021-03-01 09:00:00";
const std::string kNew = "2021-03-06 10:00:00";

class QueueTriggerTest : public DocumentTest {
protected:
    void SetUp() override {
        site_.Library("DOCS");
        site_.Library("ARCHIVE").LastDocNumber(500);
        site_.Library("ARCHIVE2").LastDocNumber(900);
        OpenSite();
        sql_ = Sql("DOCS");
        memo_ = Count("SELECT SYSTEM_ID FROM DOCSADM.DOCUMENTTYPES WHERE TYPE_ID = 'MEMO'");
        legal_ = Count("SELECT SYSTEM_ID FROM DOCSADM.GROUPS WHERE GROUP_ID = 'LEGAL'");
        jsmith_ = Count("SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = 'JSMITH'");
        mjones_ = Count("SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = 'MJONES'");
        archive2_ = Count("SELECT SYSTEM_ID FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE2'");
        // The installation's queue table and dictionary rows.
        for (const auto& statement : install::QueueTableStatements(1)) Ok(statement);
        Ok(install::DictionaryTableDeleteStatement());
        Ok(install::DictionaryTableInsertStatement(sql_->GetNextKey("SYSTEMKEY"), "DORVANE created 03-05-2021"));
        Ok(install::DictionaryColumnsDeleteStatement());
        for (int row = 0; row < install::kDictionaryColumnRows; ++row) {
            Ok(install::DictionaryColumnInsertStatement(row, sql_->GetNextKey("SYSTEMKEY")));
        }
    }

    // A statement as the program's SQL runner sends it to a SQL Server 2016
    // library.
    int32_t Run(const std::string& text) {
        return sql_->Execute(core::RewriteStatement(text, "DOCSADM", "10", 1, "13.0.5026.0", false));
    }
    void Ok(const std::string& text) { EXPECT_EQ(Run(text), 0) << text << "\n" << sql_->ErrorText(); }

    void InstallTrigger(const TriggerSelection& selection) {
        Ok(install::TriggerDropStatement(1));
        Ok(install::QueueTriggerText(selection, 1, "Sep 1, 2022"));
    }

    // Profiles 101 to 106, written while no trigger is installed, and an
    // empty queue.
    void BaseProfiles() {
        Ok(install::TriggerDropStatement(1));
        Db().Exec("DELETE FROM DOCSADM.PROFILE WHERE DOCNUMBER > 100");
        Db().Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
        struct Base {
            int64_t doc, status;
            const char* objectType;
            SqlValue documentType;
            std::string edited;
        };
        const Base rows[] = {
            {101, 0, "0", SqlValue(), kOld},  {102, 3, "0", SqlValue(), kOld},  // checked out
            {103, 16, "0", SqlValue(), kOld},                                    // being archived
            {104, 0, "9", SqlValue(), kOld},  {105, 0, "0", int64_t{memo_}, kOld},
            {106, 0, "0", SqlValue(), kNew},
        };
        for (const auto& r : rows) {
            Db().Exec("INSERT INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME, STATUS, PD_OBJ_TYPE, STORAGETYPE, "
                      "DOCUMENTTYPE, LAST_EDIT_DATE, LAST_PRF_EDIT_DATE) VALUES (?, ?, 'Base', ?, ?, 'A', ?, ?, ?)",
                      {r.doc + 9000, r.doc, r.status, std::string(r.objectType), r.documentType, r.edited, kOld});
        }
    }

    std::vector<std::string> QueueRows() {
        std::vector<std::string> out;
        auto rows = Db().Query("SELECT SID, TARGET_LIBRARY, STATUS, LOCKED_BY, RETRY_COUNT, TABLE_NAME, DOCSTATUS "
                               "FROM DOCSADM.NEEDS_ARCHIVING ORDER BY SID, TARGET_LIBRARY, STATUS");
        for (const auto& r : rows.rows) {
            std::string line;
            for (size_t c = 0; c < r.size(); ++c) line += (c ? "|" : "") + AsText(r[c]);
            out.push_back(line);
        }
        return out;
    }

    std::shared_ptr<dm::IDmSql> sql_;
    int64_t memo_ = 0, legal_ = 0, jsmith_ = 0, mjones_ = 0, archive2_ = 0;
};

struct ChangeCase {
    const char* name;
    bool oneTarget;  // ARCHIVE2 only
    bool memoOnly;   // document types: MEMO, Include checked
    const char* before;
    const char* change;
    std::vector<std::string> rows;
};

const ChangeCase kChanges[] = {
    {"a new profile with status 0", false, false, "",
     "INSERT INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, PD_OBJ_TYPE, LAST_EDIT_DATE, LAST_PRF_EDIT_DATE) "
     "VALUES (9301, 301, 0, '0', '2021-03-05 14:30:00', '2021-03-05 14:30:00')",
     {"301|ARCHIVE|0||0|PROFILE|0", "301|ARCHIVE2|0||0|PROFILE|0"}},
    {"a new profile checked out at once", false, false, "",
     "INSERT INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, PD_OBJ_TYPE) VALUES (9302, 302, 3, '0')",
     {}},
    {"an edit, every target", false, false, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 101",
     {"101|ARCHIVE|0||0|PROFILE|0", "101|ARCHIVE2|0||0|PROFILE|0"}},
    {"an edit, one target", true, false, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 101",
     {"101|ARCHIVE2|0||0|PROFILE|0"}},
    {"a pure status change to 19", false, false, "", "UPDATE DOCSADM.PROFILE SET STATUS = 19 WHERE DOCNUMBER = 101",
     {}},
    {"an edit of a checked-out document", false, false, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 102",
     {"102|ARCHIVE|0||0|PROFILE|3", "102|ARCHIVE2|0||0|PROFILE|3"}},
    {"an edit while the status is 16", false, false, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 103", {}},
    {"an edit of object type 9", false, false, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 104", {}},
    {"a document type outside the Include list", false, true, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 101", {}},
    {"a document type inside the Include list", false, true, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 105",
     {"105|ARCHIVE|0||0|PROFILE|0", "105|ARCHIVE2|0||0|PROFILE|0"}},
    {"two rows updated, one of them changed", false, false, "",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER IN (101, 106)",
     {"101|ARCHIVE|0||0|PROFILE|0", "101|ARCHIVE2|0||0|PROFILE|0"}},
    {"a row held by a run, then an edit", false, false,
     "INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, RETRY_COUNT, "
     "DOCSTATUS) SELECT 101, 'ARCHIVE', 'PROFILE', -1, 'PC1', 0, 0 UNION ALL "
     "SELECT 101, 'ARCHIVE2', 'PROFILE', 0, '', 2, 0",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 101",
     {"101|ARCHIVE|-1|PC1|0|PROFILE|0", "101|ARCHIVE|0||0|PROFILE|0", "101|ARCHIVE2|0||0|PROFILE|0"}},
    {"a row queued by hand, then an edit", false, false,
     "INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME) "
     "VALUES (101, 0, '', 0, 'ARCHIVE', 'PROFILE')",
     "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 101",
     {"101|ARCHIVE|0||0|PROFILE|0", "101|ARCHIVE2|0||0|PROFILE|0"}},
};

TEST_F(QueueTriggerTest, ProfileChangesQueueRowsByTheInstalledTrigger) {
    for (const auto& c : kChanges) {
        SCOPED_TRACE(c.name);
        BaseProfiles();
        TriggerSelection selection;
        if (c.oneTarget) selection.targetSystemId = static_cast<int32_t>(archive2_);
        if (c.memoOnly) selection.criteria = {{Criterion::DocumentTypes, {static_cast<int32_t>(memo_)}, true}};
        InstallTrigger(selection);
        if (*c.before) Ok(c.before);
        Ok(c.change);
        EXPECT_EQ(QueueRows(), c.rows);
    }
    EXPECT_EQ(Text("SELECT MAX(LAST_UPDATE) FROM DOCSADM.NEEDS_ARCHIVING"), "2021-03-05 14:30:00")
        << "the time the trigger fired, in UTC";
}

// The DM's own writes go through the library like the program's SQL.
TEST_F(QueueTriggerTest, DmSavesAndCheckInsFireTheTrigger) {
    InstallTrigger(TriggerSelection{});
    auto profile = Lib()->NewProfile("DEFPROF");
    ASSERT_EQ(profile->OpenForEdit(18), 1);
    Column(*profile, "DOCNAME")->SetValue("Lease");
    Column(*profile, "APP_ID")->SetValue("MS WORD");
    ASSERT_TRUE(profile->Save(2).IsBooleanTrue()) << profile->ErrorNumber();
    const std::string doc = std::to_string(profile->DocNumber());
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{doc + "|ARCHIVE|0||0|PROFILE|0", doc + "|ARCHIVE2|0||0|PROFILE|0"}))
        << "a new profile";

    Db().Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
    now_ += std::chrono::hours(1);
    ASSERT_EQ(profile->OpenForEdit(34), 1);
    ASSERT_NE(profile->AddVersion(2, SourceFile("v2.doc", "two"), "JSMITH", "JSMITH", std::nullopt, ""), nullptr);
    EXPECT_EQ(QueueRows().size(), 2u) << "a check-in stamps the edit date";

    Db().Exec("DELETE FROM DOCSADM.NEEDS_ARCHIVING");
    now_ += std::chrono::hours(1);
    auto again = Lib()->GetProfile(profile->DocNumber());
    ASSERT_EQ(again->OpenForEdit(18), 1);
    Column(*again, "DOCNAME")->SetValue("Lease, signed");
    ASSERT_TRUE(again->Save(2).IsBooleanTrue());
    EXPECT_EQ(QueueRows().size(), 2u) << "a profile edit stamps the profile-edit date";
}

// The trigger text catches its own failure: the user's change stands and the
// document's old rows stay as they were.
TEST_F(QueueTriggerTest, AFailureToQueueNeverUndoesTheChange) {
    BaseProfiles();
    // Two targets cannot both get a pending row now: the insert fails.
    Ok("CREATE UNIQUE INDEX ONE_PENDING_ROW ON DOCSADM.NEEDS_ARCHIVING (SID, STATUS)");
    InstallTrigger(TriggerSelection{});
    Ok("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, TABLE_NAME, "
       "DOCSTATUS) VALUES (101, 0, '', 2, 'ARCHIVE', 'PROFILE', 0)");
    const std::vector<std::string> before = QueueRows();

    Ok("UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 101");
    EXPECT_EQ(Text("SELECT LAST_EDIT_DATE FROM DOCSADM.PROFILE WHERE DOCNUMBER = 101"), kNew);
    EXPECT_EQ(QueueRows(), before) << "deleted and inserted as one unit";

    auto profile = Lib()->GetProfile(101);
    ASSERT_EQ(profile->OpenForEdit(18), 1);
    Column(*profile, "DOCNAME")->SetValue("Renamed");
    EXPECT_TRUE(profile->Save(2).IsBooleanTrue()) << "a DM save is not refused";
    EXPECT_EQ(Text("SELECT DOCNAME FROM DOCSADM.PROFILE WHERE DOCNUMBER = 101"), "Renamed");
    EXPECT_EQ(QueueRows(), before);
}

// A trigger error undoes the change that fired it, as on SQL Server: through
// the SQL object (with the program's open transaction) and a DM save alike.
TEST_F(QueueTriggerTest, ATriggerErrorUndoesTheChange) {
    BaseProfiles();
    const std::string insert =
        "INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, TABLE_NAME) SELECT DOCNUMBER, "
        "'A TABLE NAME FAR LONGER THAN THIRTY-TWO CHARACTERS' FROM INSERTED";
    const std::string triggers[] = {
        "CREATE TRIGGER DOCSADM.FAILS ON DOCSADM.PROFILE FOR UPDATE AS " + insert,
        // The way the first trigger text caught errors: XACT_ABORT on and an
        // empty CATCH still lose the user's change.
        "CREATE TRIGGER DOCSADM.FAILS ON DOCSADM.PROFILE FOR UPDATE AS SET XACT_ABORT ON BEGIN TRY " + insert +
            " END TRY BEGIN CATCH END CATCH",
    };
    const int32_t codes[] = {8152, 3609};
    for (size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(triggers[k]);
        Ok("if exists (select * from sysobjects where id = object_id('FAILS') and sysstat & 0xf = 8) drop trigger "
           "FAILS");
        Ok(triggers[k]);
        Ok("BEGIN TRANSACTION");
        Ok("UPDATE DOCSADM.PEOPLE SET FULL_NAME = 'Changed' WHERE USER_ID = 'MJONES'");
        EXPECT_NE(Run("UPDATE DOCSADM.PROFILE SET DOCNAME = 'Changed' WHERE DOCNUMBER = 101"), 0);
        EXPECT_EQ(sql_->ErrorCode(), codes[k]) << sql_->ErrorText();
        EXPECT_NE(Run("COMMIT TRANSACTION"), 0) << "the transaction ended with the trigger";
        EXPECT_EQ(Text("SELECT DOCNAME FROM DOCSADM.PROFILE WHERE DOCNUMBER = 101"), "Base");
        EXPECT_EQ(Text("SELECT FULL_NAME FROM DOCSADM.PEOPLE WHERE USER_ID = 'MJONES'"), "Mark Jones");

        auto profile = Lib()->GetProfile(101);
        ASSERT_EQ(profile->OpenForEdit(18), 1);
        Column(*profile, "DOCNAME")->SetValue("Renamed");
        EXPECT_TRUE(profile->Save(2).IsBooleanFalse());
        EXPECT_NE(profile->ErrorNumber(), 0);
        EXPECT_EQ(Text("SELECT DOCNAME FROM DOCSADM.PROFILE WHERE DOCNUMBER = 101"), "Base");
        EXPECT_TRUE(QueueRows().empty());
    }
}

// The trigger as first written: the delete and the insert each in a
// transaction of its own, the insert's inside BEGIN TRY, XACT_ABORT on. It
// installs and queues; a failed insert dooms the change (error 3609).
TEST_F(QueueTriggerTest, TheFirstFormWithTransactionsOfItsOwnRuns) {
    const std::vector<std::string> lines = {
        "CREATE TRIGGER [OWNER].PROFILE_NEEDS_ARCHIVING ON [OWNER].PROFILE ",
        "FOR INSERT, UPDATE AS ",
        "",
        "DECLARE @SID INT",
        "DECLARE @DOCSTATUS INT",
        "DECLARE @OLD_SID INT",
        "DECLARE @TBNAME VARCHAR(32)",
        "DECLARE @LASTNUMBER INT",
        "SET @TBNAME = '[OWNER].PROFILE'",
        "SET @LASTNUMBER = 0",
        "SET NOCOUNT ON",
        "SET XACT_ABORT ON",
        "SET LOCK_TIMEOUT 1800",
        "DECLARE IC CURSOR LOCAL FORWARD_ONLY STATIC FOR ",
        "SELECT I.DOCNUMBER, I.STATUS, D.DOCNUMBER",
        "FROM INSERTED I, DELETED D ",
        "BEGIN",
        "OPEN IC",
        "FETCH NEXT FROM IC ",
        "INTO @SID, @DOCSTATUS, @OLD_SID",
        "WHILE @@FETCH_STATUS = 0",
        "BEGIN",
        "IF @SID = @LASTNUMBER OR @SID IS NULL OR @SID = 0",
        "BEGIN",
        "GOTO SKIPLINE",
        "END",
        "SET @LASTNUMBER = @SID",
        "/* delete any existing NEEDS_ARCHIVING Rows */",
        "BEGIN TRANSACTION ",
        "DELETE FROM [OWNER].NEEDS_ARCHIVING WHERE TABLE_NAME = @TBNAME AND SID = @SID",
        "COMMIT TRANSACTION ",
        "",
        "STARTLINE:",
        "",
        "BEGIN TRY ",
        "/* insert rows into NEEDS_ARCHIVING */",
        "BEGIN TRANSACTION ",
        "INSERT INTO [OWNER].NEEDS_ARCHIVING",
        "(SID, TARGET_LIBRARY, TABLE_NAME, STATUS, LOCKED_BY, RETRY_COUNT, DOCSTATUS, LAST_UPDATE) ",
        "SELECT @SID, RL.LIBRARY_NAME, @TBNAME, 0, '', 0, @DOCSTATUS, GETUTCDATE()",
        "FROM [OWNER].REMOTE_LIBRARIES RL",
        " WHERE RL.SYSTEM_ID <> 0",
        "COMMIT TRANSACTION ",
        "END TRY ",
        "BEGIN CATCH ",
        "END CATCH ",
        "",
        "SKIPLINE:",
        "FETCH NEXT FROM IC  ",
        "INTO @SID, @DOCSTATUS, @OLD_SID",
        "END",
        "CLOSE IC",
        "END",
        "DEALLOCATE IC",
    };
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    const std::string edit = "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00' WHERE DOCNUMBER = 101";

    BaseProfiles();
    Ok(text);
    Ok(edit);
    EXPECT_EQ(QueueRows(), (std::vector<std::string>{"101|ARCHIVE|0||0|DOCSADM.PROFILE|0",
                                                     "101|ARCHIVE2|0||0|DOCSADM.PROFILE|0"}));

    BaseProfiles();
    Ok("CREATE UNIQUE INDEX ONE_PENDING_ROW ON DOCSADM.NEEDS_ARCHIVING (SID, STATUS)");
    Ok(text);
    EXPECT_NE(Run(edit), 0);
    EXPECT_EQ(sql_->ErrorCode(), 3609) << sql_->ErrorText();
    EXPECT_EQ(Text("SELECT LAST_EDIT_DATE FROM DOCSADM.PROFILE WHERE DOCNUMBER = 101"), kOld);
    EXPECT_TRUE(QueueRows().empty());
}

TEST_F(QueueTriggerTest, DdlRoundTrip) {
    auto count = [&](const std::string& statement) {
        EXPECT_EQ(sql_->Execute(statement), 0) << sql_->ErrorText();
        return sql_->ColumnValue(1).ToLong();
    };
    const std::string table = "select count(*) from sysobjects where id = object_id('DOCSADM.NEEDS_ARCHIVING') "
                              "and sysstat & 0xf = 3";
    const std::string trigger = "select count(*) from sysobjects where id = "
                                "object_id('DOCSADM.PROFILE_NEEDS_ARCHIVING') and sysstat & 0xf = 8";
    auto listed = [&] {
        std::ostringstream out, err;
        EXPECT_EQ(RunSiteTool({"triggers", dir_.path().string(), "docs"}, out, err), 0) << err.str();
        return out.str();
    };

    EXPECT_EQ(count(table), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.sqlite_master WHERE type = 'index' AND tbl_name = "
                    "'NEEDS_ARCHIVING'"),
              4);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING' AND CREATOR = "
                    "'DOCSADM'"),
              9);
    EXPECT_EQ(count(trigger), 0);
    InstallTrigger(TriggerSelection{});
    EXPECT_EQ(count(trigger), 1);
    EXPECT_EQ(count("select count(*) from sysobjects where sysstat & 0xf = 8"), 1) << "one trigger, as written";
    EXPECT_EQ(listed(), "TRIGGER\tTABLE\nPROFILE_NEEDS_ARCHIVING\tPROFILE\n");
    EXPECT_NE(Run(install::QueueTriggerText(TriggerSelection{}, 1, "")), 0);
    EXPECT_EQ(sql_->ErrorCode(), 2714) << "created twice";

    Ok(install::TriggerDropStatement(1));
    Ok(install::QueueTableDropStatement(1));
    EXPECT_EQ(count(trigger), 0);
    EXPECT_EQ(count(table), 0);
    EXPECT_EQ(listed(), "TRIGGER\tTABLE\n");
    Ok(install::TriggerDropStatement(1));
    Ok(install::QueueTableDropStatement(1));
    EXPECT_NE(Run(install::TriggerDropStatement(6)), 0);
    EXPECT_EQ(sql_->ErrorCode(), 3701) << "the plain drop of a missing trigger";
    Ok("UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2021-03-06 10:00:00'");
}

// What the interpreter does not run is refused when the trigger is created.
TEST_F(QueueTriggerTest, BodiesWithOtherConstructsAreRefused) {
    struct Refused {
        const char* text;
        int32_t code;
    };
    const std::string head = "CREATE TRIGGER DOCSADM.T ON DOCSADM.PROFILE FOR INSERT, UPDATE AS ";
    const Refused cases[] = {
        {"UPDATE DOCSADM.PROFILE SET STATUS = 0", 50000},
        {"SELECT DOCNUMBER FROM INSERTED", 50000},
        {"DECLARE @X INT SELECT @X = DOCNUMBER, STATUS FROM INSERTED", 141},
        {"SELECT @X = 1", 137},
        {"IF UPDATE(NO_SUCH_COLUMN) DELETE FROM DOCSADM.NEEDS_ARCHIVING", 207},
        {"SET ANSI_NULLS OFF", 50000},
        {"DECLARE @X INT DECLARE C CURSOR SCROLL FOR SELECT 1", 50000},
        {"SET @X = 1", 137},
        {"GOTO NOWHERE", 133},
        {"DECLARE @X NVARCHAR(MAX)", 50000},
    };
    for (const auto& c : cases) {
        EXPECT_NE(Run(head + c.text), 0) << c.text;
        EXPECT_EQ(sql_->ErrorCode(), c.code) << c.text << ": " << sql_->ErrorText();
    }
    EXPECT_NE(Run("CREATE TRIGGER DOCSADM.T ON DOCSADM.PROFILE FOR DELETE AS DELETE FROM DOCSADM.NEEDS_ARCHIVING"), 0);
    EXPECT_EQ(sql_->ErrorCode(), 50000);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.sqlite_master WHERE type = 'trigger'"), 0);
}

// One rule for both forms: the SQL Server form runs here; the Oracle form's
// conditions are evaluated on the same row values.
struct RuleCase {
    const char* storageCode;  // "" for every storage type
    bool includeStorage;
    int list;  // 0 none, 1 document types (MEMO), 2 groups (LEGAL)
    bool includeList;
    const char* storageType;  // of the profile; nullptr: NULL
    bool memo;                // document type MEMO, else NULL
    int typist;               // 0 NULL, 1 JSMITH (LEGAL), 2 MJONES
    bool queued;
};

const RuleCase kRules[] = {
    {"A", true, 0, true, "A", false, 0, true},    {"A", true, 0, true, "P", false, 0, false},
    {"A", true, 0, true, nullptr, false, 0, false}, {"A", false, 0, true, "A", false, 0, false},
    {"A", false, 0, true, "P", false, 0, true},   {"A", false, 0, true, nullptr, false, 0, true},
    {"", true, 0, true, "D", false, 0, true},     {"", true, 0, true, nullptr, false, 0, true},
    {"", false, 0, true, "D", false, 0, false},   {"", false, 0, true, "A", false, 0, true},
    {"", false, 0, true, nullptr, false, 0, true}, {"", true, 1, true, "A", true, 0, true},
    {"", true, 1, true, "A", false, 0, false},    {"", true, 1, false, "A", true, 0, false},
    {"", true, 1, false, "A", false, 0, true},    {"", true, 2, true, "A", false, 1, true},
    {"", true, 2, true, "A", false, 2, false},    {"", true, 2, true, "A", false, 0, false},
    {"", true, 2, false, "A", false, 1, false},   {"", true, 2, false, "A", false, 0, true},
};

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    size_t b = text.find(from);
    if (b == std::string::npos) return "";
    b += from.size();
    return text.substr(b, text.find(to, b) - b);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST_F(QueueTriggerTest, BothFormsQueueByOneRule) {
    int64_t doc = 400;
    for (const auto& r : kRules) {
        std::ostringstream name;
        name << "storage '" << r.storageCode << "' " << r.includeStorage << ", list " << r.list << " "
             << r.includeList << ", profile " << (r.storageType ? r.storageType : "NULL") << " " << r.memo << " "
             << r.typist;
        SCOPED_TRACE(name.str());
        TriggerSelection s;
        s.storageCode = r.storageCode;
        s.includeStorageType = r.includeStorage;
        if (r.list == 1) s.criteria = {{Criterion::DocumentTypes, {static_cast<int32_t>(memo_)}, r.includeList}};
        if (r.list == 2) s.criteria = {{Criterion::Groups, {static_cast<int32_t>(legal_)}, r.includeList}};
        const SqlValue storage = r.storageType ? SqlValue(std::string(r.storageType)) : SqlValue();
        const SqlValue type = r.memo ? SqlValue(memo_) : SqlValue();
        const SqlValue typist = r.typist == 1 ? SqlValue(jsmith_) : r.typist == 2 ? SqlValue(mjones_) : SqlValue();

        InstallTrigger(s);
        ++doc;
        Db().Exec("INSERT INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, PD_OBJ_TYPE, STORAGETYPE, DOCUMENTTYPE, "
                  "TYPIST) VALUES (?, ?, 0, '0', ?, ?, ?)",
                  {doc + 9000, doc, storage, type, typist});
        EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = ?", {doc}) > 0, r.queued)
            << "SQL Server form";

        const std::string oracle = install::QueueTriggerText(s, 2, "");
        const bool declares = oracle.find(") DECLARE ") != std::string::npos;
        std::string when = Between(oracle, "FOR EACH ROW WHEN (", declares ? ") DECLARE " : ") BEGIN ");
        std::string body = Between(oracle, " IF ", " THEN ");
        const std::string members = Between(oracle, "SELECT COUNT(*) INTO GROUP_MEMBER FROM ", "; ");
        if (!members.empty()) body = Replace(body, "GROUP_MEMBER", "(SELECT COUNT(*) FROM " + members + ")");
        const std::string condition = Replace(Replace("(" + when + ") AND (" + (body.empty() ? "1 = 1" : body) + ")",
                                                      ":NEW.", "NEW."),
                                              "[OWNER]", "DOCSADM");
        EXPECT_EQ(Count("SELECT CASE WHEN " + condition + " THEN 1 ELSE 0 END FROM (SELECT 0 AS STATUS, ? AS "
                        "STORAGETYPE, ? AS DOCUMENTTYPE, ? AS TYPIST) AS NEW",
                        {storage, type, typist}) == 1,
                  r.queued)
            << "Oracle form: " << condition;
    }
}

TEST(QueueTriggerOracle, TheOracleFormIsOnlyRecorded) {
    test_support::TempDir dir;
    SiteBuilder site(dir.path());
    site.Library("ORA").Engine(2);
    site.Library("ARCHIVE");
    site.Create();
    Emulator emulator(dir.path());
    auto sql = emulator.Factory()->CreateSql(dm::kSqlProgId);
    sql->SetLibrary("ORA");
    const std::string text = core::RewriteStatement(install::QueueTriggerText(TriggerSelection{}, 2, ""), "DOCSADM",
                                                    "10", 2, "", false);
    EXPECT_EQ(sql->Execute(text), 0);
    ASSERT_FALSE(emulator.Oracle("ORA").Statements().empty());
    EXPECT_EQ(emulator.Oracle("ORA").Statements().back(), text);
}

}  // namespace
}  // namespace dmsim::fixture
