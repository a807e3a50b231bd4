// The new profile in the target: its number, same-named documents, the form,
// the lookup entries it refers to and its e-mail columns.

#include <map>

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

class TargetProfileTest : public TransferTest {
protected:
    // An ARCHIVE document that the DM numbers so.
    int32_t MakeArchiveDocument(const std::string& name, int32_t number = 0) {
        const std::string last = Value("ARCHIVE", "SELECT LASTKEY FROM DOCSADM.SEQ_PROFILE");
        if (number > 0) Sql("ARCHIVE", "UPDATE DOCSADM.SEQ_PROFILE SET LASTKEY = " + to_string(number - 1));
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.versions = {dmsim::Version("archive content of " + name)};
        const int32_t doc = archive_->Create(spec);
        if (number > 0) Sql("ARCHIVE", "UPDATE DOCSADM.SEQ_PROFILE SET LASTKEY = " + last);
        return doc;
    }
    // A mail of MS OUTLOOK, on a form an archive may lack.
    int32_t MakeMail(const std::string& name, std::map<std::string, dm::Variant> columns = {}) {
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.application = "MS OUTLOOK";
        spec.author = "JSMITH";
        spec.columns = std::move(columns);
        spec.versions = {dmsim::Version("mail body")};
        return docs_->Create(spec);
    }
    int32_t NextArchiveNumber() {
        return static_cast<int32_t>(Count("ARCHIVE", "SELECT LASTKEY FROM DOCSADM.SEQ_PROFILE")) + 1;
    }
};

TEST_F(TargetProfileTest, TheNumberTable) {
    StartProgram();
    enum class Copy { None, Lower, Higher, Gone };
    struct Case {
        const char* name;
        bool retain;
        Copy copy;
        bool numberTaken;
    };
    const Case cases[] = {
        {"new number", false, Copy::None, false},
        {"retained", true, Copy::None, false},
        {"retained but taken", true, Copy::None, true},
        {"lower copy", false, Copy::Lower, false},
        {"lower copy retained", true, Copy::Lower, false},
        {"higher copy", false, Copy::Higher, false},
        {"copy gone", false, Copy::Gone, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window().CheckRetainNumber.SetValue(0);
        const int32_t source = MakeDocument(c.name);
        int32_t occupant = 0;
        if (c.numberTaken) occupant = MakeArchiveDocument("Occupant", source);
        int32_t earlier = 0;
        if (c.copy != Copy::None) {
            earlier = Transfer(source);
            ASSERT_GT(earlier, 0);
            if (c.copy == Copy::Gone) Sql("ARCHIVE", "DELETE FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(earlier));
            // The DM's next number below the copy's.
            if (c.copy == Copy::Higher) Sql("ARCHIVE", "UPDATE DOCSADM.SEQ_PROFILE SET LASTKEY = 1000");
        }
        Window().CheckRetainNumber.SetValue(c.retain ? 1 : 0);
        const int32_t assigned = NextArchiveNumber();
        ClearLog();
        const int32_t result = Transfer(source);
        ASSERT_GT(result, 0) << LogText();
        int32_t expected = assigned;
        if (c.copy == Copy::Lower || c.copy == Copy::Gone) expected = earlier;
        if (c.copy == Copy::None && c.retain && !c.numberTaken) expected = source;
        EXPECT_EQ(result, expected);
        EXPECT_EQ(Column("ARCHIVE", result, "DOCNAME"), c.name);
        EXPECT_EQ(Named("ARCHIVE", c.name), std::vector<int32_t>{result});
        if (occupant) {
            EXPECT_EQ(Column("ARCHIVE", occupant, "DOCNAME"), "Occupant");
        }
        EXPECT_EQ(LogHas("Note: The document number I attempted to assign (" + to_string(earlier) + ")"),
                  c.copy == Copy::Higher);
        if (c.copy == Copy::Higher) Sql("ARCHIVE", "UPDATE DOCSADM.SEQ_PROFILE SET LASTKEY = 60000");
    }
}

TEST_F(TargetProfileTest, SameNamedDocumentsThatAreNoCopiesStopTheTransfer) {
    site_.Library("ARCHIVE").Parameter("DOCSParms.UniqueDocNames", true);
    StartProgram();
    const int32_t source = MakeDocument("Lease");
    const int32_t first = MakeArchiveDocument("First");
    const int32_t second = MakeArchiveDocument("Second");
    Sql("ARCHIVE", "UPDATE DOCSADM.PROFILE SET DOCNAME = 'LEASE' WHERE DOCNUMBER = " + to_string(first));
    Sql("ARCHIVE", "UPDATE DOCSADM.PROFILE SET DOCNAME = 'lease' WHERE DOCNUMBER = " + to_string(second));
    // One of them is a copy of the source; the other is not.
    RecordEntry("ARCHIVE", "DOCS", second, source, transfer::kActivityCopy, "Copied from #" + to_string(source));
    ClearLog();
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: Document #" + to_string(first) + " in library ARCHIVE is already named Lease and is "
                       "not a copy of Document #" + to_string(source) + " in library DOCS - cannot continue"));
    EXPECT_EQ(Named("ARCHIVE", "lease"), (std::vector<int32_t>{first, second}));
    EXPECT_EQ(Documents("ARCHIVE"), 2);
}

TEST_F(TargetProfileTest, ASameNamedCopyOfTheSourceMakesWayOnceTheNewDocumentStands) {
    site_.Library("ARCHIVE").Parameter("DOCSParms.UniqueDocNames", true);
    StartProgram();
    const int32_t source = MakeDocument("Lease");
    const int32_t old = MakeArchiveDocument("Lease");
    RecordEntry("ARCHIVE", "DOCS", old, source, transfer::kActivityCopy, "Copied from #" + to_string(source));
    ClearLog();
    const int32_t result = Transfer(source);
    ASSERT_GT(result, old) << LogText();
    EXPECT_EQ(Named("ARCHIVE", "Lease"), std::vector<int32_t>{result});
    EXPECT_FALSE(Exists("ARCHIVE", old));
    EXPECT_EQ(FileContents("ARCHIVE", result), FileContents("DOCS", source));
}

// Under unique names an earlier copy gives up its name while the new
// document is built, and gets it back when the build fails.
TEST_F(TargetProfileTest, AnEarlierCopyUnderUniqueNamesIsReplacedOrKeptWhole) {
    site_.Library("ARCHIVE").Parameter("DOCSParms.UniqueDocNames", true);
    StartProgram();
    const int32_t source = MakeDocument("Lease");
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    const auto files = FileContents("ARCHIVE", copy);

    Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").Refuse(-1, "refused");
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET STATUS = 4 WHERE VERSION_LABEL <> '1' AND DOCNUMBER = " + to_string(source));
    // Only version 1 is left to add, and the DM refuses it.
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_EQ(Named("ARCHIVE", "Lease"), std::vector<int32_t>{copy});
    EXPECT_EQ(FileContents("ARCHIVE", copy), files);

    Faults().Clear();
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET STATUS = 0 WHERE DOCNUMBER = " + to_string(source));
    ClearLog();
    EXPECT_EQ(Transfer(source), copy) << LogText();
    EXPECT_EQ(Named("ARCHIVE", "Lease"), std::vector<int32_t>{copy});
    EXPECT_EQ(Documents("ARCHIVE"), 1);
}

// A name with an apostrophe is parked and replaced like any other.
TEST_F(TargetProfileTest, AnEarlierCopyNamedWithAnApostropheMakesWayUnderUniqueNames) {
    site_.Library("ARCHIVE").Parameter("DOCSParms.UniqueDocNames", true);
    StartProgram();
    const int32_t source = MakeDocument("O'Brien lease");
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    Sql("DOCS", "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '2030-01-01 00:00:00' WHERE DOCNUMBER = " +
                    to_string(source));
    ClearLog();
    EXPECT_EQ(Transfer(source), copy) << LogText();
    EXPECT_EQ(Named("ARCHIVE", "O''Brien lease"), std::vector<int32_t>{copy});
    EXPECT_EQ(Documents("ARCHIVE"), 1);
    EXPECT_FALSE(LogHas("SQL Error"));
}

// Lookup entries the new profile needs are enabled for the save and
// disabled again, also when the transfer fails.
TEST_F(TargetProfileTest, DisabledLookupEntriesAreDisabledAgainOnEveryWayOut) {
    StartProgram();
    Sql("DOCS", "UPDATE DOCSADM.PEOPLE SET DISABLED = '' WHERE USER_ID = 'FORMER'");
    dmsim::DocumentSpec spec;
    spec.name = "By a former employee";
    spec.author = "FORMER";
    spec.typist = "FORMER";
    spec.client = "C001";
    spec.matter = "M001";
    spec.versions = {dmsim::Version("old work")};
    const int32_t source = docs_->Create(spec);
    Sql("ARCHIVE", "UPDATE DOCSADM.MATTER SET DISABLED = 'Y' WHERE MATTER_ID = 'M001'");
    for (bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "failed" : "done");
        Faults().Clear();
        if (fail) Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").Refuse(-1, "refused");
        const int32_t result = Transfer(source);
        EXPECT_EQ(result > 0, !fail) << LogText();
        EXPECT_EQ(Value("ARCHIVE", "SELECT DISABLED FROM DOCSADM.PEOPLE WHERE USER_ID = 'FORMER'"), "1");
        EXPECT_EQ(Value("ARCHIVE", "SELECT DISABLED FROM DOCSADM.MATTER WHERE MATTER_ID = 'M001'"), "1");
        if (!fail) {
            EXPECT_EQ(Value("ARCHIVE", "SELECT P.USER_ID FROM DOCSADM.PROFILE D JOIN DOCSADM.PEOPLE P ON P.SYSTEM_ID "
                                       "= D.AUTHOR WHERE D.DOCNUMBER = " + to_string(result)),
                      "FORMER");
        }
        ClearLog();
    }
}

TEST_F(TargetProfileTest, WithoutTheSourceFormTheApplicationsDefaultFormIsUsed) {
    site_.Library("ARCHIVE").Forms({"DEFPROF"});
    StartProgram();
    const int32_t source = MakeMail("Mail from O'Brien", {{"PD_ORIGINATOR", dm::Variant("O'Brien")},
                                                          {"PD_ADDRESSEE", dm::Variant("Jane Smith")},
                                                          {"PD_EMAIL_CC", dm::Variant("#PD_ORIGINATOR#")}});
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_TRUE(LogHas("Default Form is DEFPROF"));
    // The form lacks them; the e-mail columns come over by SQL, quotes and
    // all, into the target's own table.
    EXPECT_EQ(Column("ARCHIVE", copy, "PD_ORIGINATOR"), "O'Brien");
    EXPECT_EQ(Column("ARCHIVE", copy, "PD_ADDRESSEE"), "Jane Smith");
    EXPECT_EQ(Column("ARCHIVE", copy, "PD_EMAIL_CC"), "#PD_ORIGINATOR#");
    EXPECT_EQ(Column("ARCHIVE", copy, "PD_EMAIL_BCC"), "");
    EXPECT_EQ(Column("ARCHIVE", copy, "DOCNAME"), "Mail from O'Brien");
    EXPECT_TRUE(LogHas("UPDATE DOCSADM.PROFILE SET EMAIL_RECEIVED = NULL"));
}

// A SQL Server takes the e-mail dates in the one form it reads alike under
// every language and date format; Oracle takes them as they were read. The
// other columns keep their text, apostrophes doubled.
TEST(EmailColumnsStatementTest, DatesGoInTheFormTheServerReadsAlikeInEveryLanguage) {
    const std::vector<transfer::EmailColumn> columns = {{"", ""},
                                                        {"EMAIL_RECEIVED", "2019-12-31 10:11:12"},
                                                        {"EMAIL_SENT", " "},
                                                        {"PD_ADDRESSEE", "O'Brien"},
                                                        {"PD_EMAIL_DATE", "2020-02-01 09:00:00"},
                                                        {"PD_ORIGINATOR", "2020-02-01 09:00:00"}};
    EXPECT_EQ(transfer::EmailColumnsStatement(false, columns, 12),
              "UPDATE [OWNER].PROFILE SET EMAIL_RECEIVED = '20191231 10:11:12.000', EMAIL_SENT = NULL, PD_ADDRESSEE = "
              "'O''Brien', PD_EMAIL_DATE = '20200201 09:00:00.000', PD_ORIGINATOR = '2020-02-01 09:00:00' WHERE "
              "DOCNUMBER = 12");
    EXPECT_EQ(transfer::EmailColumnsStatement(true, columns, 12),
              "UPDATE [OWNER].PROFILE SET EMAIL_RECEIVED = '2019-12-31 10:11:12', EMAIL_SENT = NULL, PD_ADDRESSEE = "
              "'O''Brien', PD_EMAIL_DATE = '2020-02-01 09:00:00', PD_ORIGINATOR = '2020-02-01 09:00:00' WHERE "
              "DOCNUMBER = 12");
    EXPECT_EQ(transfer::EmailColumnsStatement(false, {{"", ""}}, 12), "");
}

TEST_F(TargetProfileTest, NeitherFormNorApplicationFormEndsTheTransfer) {
    site_.Library("ARCHIVE").Forms({"EMAILPROF"});
    StartProgram();
    const int32_t source = MakeDocument();
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: Unable to locate either the Profile Form DEFPROF or the MS WORD default application "
                       "form - cannot continue"));
    EXPECT_EQ(Documents("ARCHIVE"), 0);
}

// The DM client's refusals while the new profile is made, opened and saved
// are passed over, and the checks after them end the transfer as before;
// each leaves the step's name and the DM's report in the log.
TEST_F(TargetProfileTest, RefusalsWhileTheProfileIsMadeAreLoggedAndTheChecksDecide) {
    struct Case {
        std::string_view op;
        const char* check;
    };
    const Case cases[] = {
        {dmsim::op::kLibraryNewProfile, "Error: Unable to process new Document in Library ARCHIVE"},
        {dmsim::op::kProfileOpenForEdit, "Error: Unable to lock the profile object for editing"},
        {dmsim::op::kProfileSave, "Error: Unable to save the profile object for document #"},
    };
    StartProgram();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        const int32_t source = MakeDocument("Lease " + std::string(c.op));
        ClearLog();
        Faults().On(c.op).ForLibrary("ARCHIVE").Times(1).Raise(-2147221400, "DOCSObjects", "Refused by the server");
        EXPECT_EQ(Transfer(source), 0);
        EXPECT_TRUE(LogHasReport("CreateTargetProfile", -2147221400, "DOCSObjects", "Refused by the server"))
            << LogText();
        EXPECT_TRUE(LogHas(c.check));
        EXPECT_EQ(Documents("ARCHIVE"), 0);
        Faults().Clear();
    }
}

// Where the source's form is missing, a refused list of applications ends
// the transfer that their default form would have carried: the DM's refusal
// stands in the log before the missing form.
TEST_F(TargetProfileTest, ARefusedApplicationListIsLoggedBeforeTheTransferEnds) {
    site_.Library("ARCHIVE").Forms({"DEFPROF"});
    StartProgram();
    const int32_t source = MakeMail("Mail");
    Faults().On(dmsim::op::kLibraryDocApplications).ForLibrary("ARCHIVE").Raise(-2147221401, "DOCSObjects", "No list");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHasReport("ChooseProfileForm", -2147221401, "DOCSObjects", "No list")) << LogText();
    EXPECT_TRUE(LogHas("default application form - cannot continue"));
}

// The copy always carries a name. One too long for the target's name column
// with the library's name appended is shortened so that the suffix stays,
// with a warning naming the document and the new name; where not even the
// suffix fits, or the DM refuses the name, the document fails and no copy
// is made.
TEST_F(TargetProfileTest, ACopyIsNeverMadeWithoutItsName) {
    const std::string longName = "Budget 2019 " + std::string(238, 'x');   // 250 bytes
    std::string letters;
    for (int i = 0; i < 123; ++i) letters += "\u00e9";
    const std::string accentedName = "Dossier " + letters;  // 254 bytes, two per letter
    struct Case {
        const char* name;
        std::string source;
        bool append;
        int width;     // of ARCHIVE's name column, by its dictionary
        bool refused;  // the DM refuses the name
        std::string copyName;  // "": no copy
        const char* logged;
    };
    const Case cases[] = {
        {"fits", "Budget 2019", true, 255, false, "Budget 2019 - ARCHIVE", nullptr},
        {"shortened for the suffix", longName, true, 255, false, longName.substr(0, 245) + " - ARCHIVE",
         "is too long for the name column of library ARCHIVE - its copy is named "},
        {"shortened between two letters", accentedName, true, 255, false,
         accentedName.substr(0, 244) + " - ARCHIVE", "is too long for the name column of library ARCHIVE"},
        {"shortened without a suffix", longName, false, 200, false, longName.substr(0, 200),
         "is too long for the name column of library ARCHIVE"},
        {"no room for the suffix", "Budget 2019", true, 9, false, "",
         "cannot be given to its copy: the name column of library ARCHIVE cannot hold \"Budget 2019 - ARCHIVE\""},
        {"refused by the DM", "Budget 2019", true, 255, true, "",
         "Error: Library ARCHIVE did not take the name \"Budget 2019 - ARCHIVE\" for the copy of document #"},
    };
    StartProgram();
    auto width = [&](int w) {
        Sql("ARCHIVE", "UPDATE DOCSADM.DOCSCOLUMN SET COL_LENGTH = " + to_string(w) +
                           " WHERE TBNAME = 'PROFILE' AND COLNAME = 'DOCNAME'");
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window().CheckAppendLibName.SetValue(c.append ? 1 : 0);
        width(c.width);
        if (c.refused) {
            Faults().On(dmsim::op::kColumnSetValue).ForLibrary("ARCHIVE").ForName("DOCNAME").Raise(
                -2147217910, "DOCSObjects", "Column refused");
        }
        const int32_t source = MakeDocument(c.source);
        const int64_t before = Documents("ARCHIVE");
        ClearLog();

        const int32_t copy = Transfer(source);

        if (c.copyName.empty()) {
            EXPECT_EQ(copy, 0);
            EXPECT_EQ(Documents("ARCHIVE"), before);
        } else {
            ASSERT_GT(copy, 0) << LogText();
            EXPECT_EQ(Column("ARCHIVE", copy, "DOCNAME"), c.copyName);
        }
        if (c.logged) {
            EXPECT_EQ(CountLines(c.logged), 1u) << LogText();
            if (!c.copyName.empty()) {
                EXPECT_TRUE(LogHas("document #" + to_string(source) + " is too long"));
            }
        } else {
            EXPECT_EQ(CountLines("too long"), 0u);
        }
        Faults().Clear();
        width(255);
    }
}

}  // namespace
}  // namespace transfer_test
