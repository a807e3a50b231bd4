// Security, people and date columns, lookup entries and read-only marks of
// the new document and its source.

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

class SecurityFixupsTest : public TransferTest {
protected:
    // The target's SECURITY rows of a document as "id:rights", ids by
    // USER_ID or GROUP_ID, "0" for the no-trustees row.
    std::vector<std::string> Trustees(const std::string& library, int32_t doc) {
        auto rows = Db(library).Query(
            "SELECT COALESCE(P.USER_ID, G.GROUP_ID, CAST(S.PERSONORGROUP AS TEXT)), S.ACCESSRIGHTS FROM "
            "DOCSADM.SECURITY S JOIN DOCSADM.PROFILE R ON R.SYSTEM_ID = S.THING LEFT JOIN DOCSADM.PEOPLE P ON "
            "P.SYSTEM_ID = S.PERSONORGROUP LEFT JOIN DOCSADM.GROUPS G ON G.SYSTEM_ID = S.PERSONORGROUP WHERE "
            "R.DOCNUMBER = " + to_string(doc) + " ORDER BY 1");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::AsText(r[0]) + ":" + dmsim::AsText(r[1]));
        return out;
    }
    int32_t MakeSecured(std::vector<dmsim::TrusteeSpec> trustees, const std::string& name = "Secured") {
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.author = "JSMITH";
        spec.versions = {dmsim::Version("secret")};
        spec.trustees = std::move(trustees);
        return docs_->Create(spec);
    }
};

TEST_F(SecurityFixupsTest, TheSecurityTable) {
    StartProgram();
    site_.AddPerson("DOCS", "OUTSIDER", "Not in the archive", "DOCS_USERS");
    for (const char* library : {"DOCS", "ARCHIVE"}) site_.AddPerson(library, "O'BRIEN", "Pat O'Brien", "DOCS_USERS");
    const int32_t folder = docs_->CreateFolder("Board", 0, false);
    docs_->SetTrustees(folder, {dmsim::Group("ACCOUNTING", 63)});
    const int32_t linked = MakeSecured({}, "Linked");
    Sql("DOCS", "UPDATE DOCSADM.PROFILE SET DEFAULT_RIGHTS = 1, SECURITY_LINK = (SELECT SYSTEM_ID FROM "
                "DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(folder) + ") WHERE DOCNUMBER = " + to_string(linked));
    Sql("DOCS", "DELETE FROM DOCSADM.SECURITY WHERE THING = (SELECT SYSTEM_ID FROM DOCSADM.PROFILE WHERE DOCNUMBER = " +
                    to_string(linked) + ")");
    struct Case {
        const char* name;
        int32_t source;
        std::string defaultRights;
        std::vector<std::string> trustees;
    };
    const Case cases[] = {
        {"none", MakeSecured({}, "Open"), "0", {"0:255"}},
        {"user and group", MakeSecured({dmsim::User("JSMITH", 255), dmsim::Group("LEGAL", 45)}, "Two"), "1",
         {"JSMITH:255", "LEGAL:45"}},
        {"unknown user", MakeSecured({dmsim::User("OUTSIDER", 255), dmsim::User("MJONES", 7)}, "Unknown"), "1",
         {"MJONES:7"}},
        {"apostrophe", MakeSecured({dmsim::User("O'BRIEN", 63), dmsim::User("JSMITH", 255)}, "Quoted"), "1",
         {"JSMITH:255", "O'BRIEN:63"}},
        {"security link", linked, "1", {"ACCOUNTING:63"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLog();
        const int32_t copy = Transfer(c.source);
        ASSERT_GT(copy, 0) << LogText();
        EXPECT_EQ(Column("ARCHIVE", copy, "DEFAULT_RIGHTS"), c.defaultRights);
        EXPECT_EQ(Trustees("ARCHIVE", copy), c.trustees);
        if (c.defaultRights == "1") {
            EXPECT_EQ(Column("ARCHIVE", copy, "SECURITY_LINK"), Column("ARCHIVE", copy, "SYSTEM_ID"));
        }
        EXPECT_EQ(LogHas("Warning: User OUTSIDER is not known in library ARCHIVE"), c.trustees.size() == 1 &&
                                                                                      c.trustees[0] == "MJONES:7");
    }
}

// A secured document whose trustees cannot be read must not arrive open to
// everyone.
TEST_F(SecurityFixupsTest, UnreadableTrusteesOfASecuredSourceEndTheTransfer) {
    StartProgram();
    const int32_t source = MakeSecured({dmsim::User("JSMITH", 255)});
    Sql("DOCS", "DELETE FROM DOCSADM.SECURITY WHERE THING = (SELECT SYSTEM_ID FROM DOCSADM.PROFILE WHERE DOCNUMBER = " +
                    to_string(source) + ")");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: Unable to read the trustees of secured Document #" + to_string(source)));
    EXPECT_EQ(Documents("ARCHIVE"), 0);
}

// The target is marked by its option or a read-only source; the source of a
// Transfer is marked transferred, that of a Copy only when asked to or when
// it was read-only already.
TEST_F(SecurityFixupsTest, ReadOnlyMarksByModeAndOption) {
    StartProgram();
    struct Case {
        const char* name;
        bool transfer;
        bool targetOption;
        bool sourceOption;
        bool sourceReadOnly;
        bool targetMarked;
        std::string sourceStatus;
    };
    const Case cases[] = {
        {"copy", false, false, false, false, false, "0"},
        {"copy, target option", false, true, false, false, true, "0"},
        {"copy, source option", false, false, true, false, false, "19"},
        {"copy of a read-only source", false, false, false, true, true, "19"},
        {"transfer", true, false, false, false, false, "4"},
        {"transfer, target option", true, true, false, false, true, "4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t source = MakeDocument(c.name);
        if (c.sourceReadOnly) Sql("DOCS", "UPDATE DOCSADM.PROFILE SET READONLY = 'Y' WHERE DOCNUMBER = " + to_string(source));
        c.transfer ? Window().OptionTransfer.Select() : Window().OptionCopy.Select();
        Window().CheckMakeReadOnlyTarget.SetValue(c.targetOption ? 1 : 0);
        Window().CheckMakeReadOnlySource.SetValue(c.sourceOption ? 1 : 0);
        const int32_t copy = Transfer(source);
        ASSERT_GT(copy, 0) << LogText();
        EXPECT_EQ(Column("ARCHIVE", copy, "READONLY") == "Y", c.targetMarked);
        EXPECT_EQ(Column("ARCHIVE", copy, "STATUS"), c.targetMarked ? "19" : "0");
        EXPECT_EQ(Column("DOCS", source, "STATUS"), c.sourceStatus);
        EXPECT_EQ(Column("DOCS", source, "READONLY") == "Y", c.sourceStatus != "0" || c.sourceReadOnly);
    }
}

// A source that its Transfer cannot mark fails the document: it keeps its
// status, and the next try replaces the copy and marks it.
TEST_F(SecurityFixupsTest, ASourceThatCannotBeMarkedIsTriedAgain) {
    StartProgram();
    Window().OptionTransfer.Select();
    const int32_t source = MakeDocument();
    Faults().On(dmsim::op::kSqlExecute).ForLibrary("DOCS").ForStatement("SET READONLY = 'Y', STATUS = 4").Times(1)
        .FailStatement(1205, "Transaction was deadlocked.");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: Library DOCS refused the read-only mark of the source - document #" +
                       to_string(source) + " will be tried again"))
        << LogText();
    EXPECT_EQ(Column("DOCS", source, "STATUS"), "0");
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Column("DOCS", source, "STATUS"), "4");
    EXPECT_EQ(Documents("ARCHIVE"), 1);
    EXPECT_EQ(CopyOf(source), copy);
}

// A people column is written only with a user the target knows; a user it
// does not know leaves the column's value as it is.
TEST_F(SecurityFixupsTest, PeopleColumnsKeepTheirValueForUnknownUsers) {
    StartProgram();
    site_.AddPerson("DOCS", "OUTSIDER", "Not in the archive", "DOCS_USERS");
    const std::string admin = Value("ARCHIVE", "SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = 'DMADMIN'");
    for (const char* library : {"DOCS", "ARCHIVE"}) {
        Sql(library, std::string("ALTER TABLE DOCSADM.PROFILE ADD COLUMN REVIEWER INT") +
                         (std::string(library) == "ARCHIVE" ? " DEFAULT " + admin : ""));
        Sql(library, "INSERT INTO DOCSADM.DOCSCOLUMN (SYSTEM_ID, TBNAME, COLNAME, FTBNAME, FCOLNAME, CMSTYPE) "
                     "VALUES (990001, 'PROFILE', 'REVIEWER', 'PEOPLE', 'SYSTEM_ID', 4)");
    }
    const int32_t source = MakeDocument();
    Sql("DOCS", "UPDATE DOCSADM.PROFILE SET REVIEWER = (SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = "
                "'OUTSIDER') WHERE DOCNUMBER = " + to_string(source));
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Column("ARCHIVE", copy, "REVIEWER"), admin);
    EXPECT_TRUE(LogHas("Warning: OUTSIDER is not a user of library ARCHIVE - REVIEWER of document #" + to_string(copy) +
                       " keeps its value"));
    EXPECT_EQ(Value("ARCHIVE", "SELECT P.USER_ID FROM DOCSADM.PROFILE D JOIN DOCSADM.PEOPLE P ON P.SYSTEM_ID = "
                               "D.TYPIST WHERE D.DOCNUMBER = " + to_string(copy)),
              "MJONES");
}

TEST_F(SecurityFixupsTest, DateColumnsComeOverAsTheSourceHasThem) {
    StartProgram();
    const int32_t source = MakeDocument();
    Sql("DOCS", "UPDATE DOCSADM.PROFILE SET CREATION_DATE = '2001-02-03 04:05:06', LAST_EDIT_DATE = "
                "'2002-03-04 05:06:07' WHERE DOCNUMBER = " + to_string(source));
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Column("ARCHIVE", copy, "CREATION_DATE"), "2001-02-03 04:05:06");
    EXPECT_EQ(Column("ARCHIVE", copy, "LAST_EDIT_DATE"), "2002-03-04 05:06:07");
}

}  // namespace
}  // namespace transfer_test
