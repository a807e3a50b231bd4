// The frame of a transfer: entry checks, skip rules, the earlier copy, the
// source profile, the result and the rollback.

#include <sqlite3.h>

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

class TransferDriverTest : public TransferTest {
protected:
    void SetEdited(const std::string& library, int32_t doc, const std::string& when) {
        Sql(library, "UPDATE DOCSADM.PROFILE SET LAST_EDIT_DATE = '" + when + "' WHERE DOCNUMBER = " + to_string(doc));
    }
    // A copy of the document made by the transfer itself.
    int32_t CopyOnce(int32_t source) {
        const int32_t copy = Transfer(source);
        EXPECT_GT(copy, 0) << LogText();
        ClearLog();
        return copy;
    }
};

TEST_F(TransferDriverTest, CopiesADocumentWithItsProfileVersionsAndFiles) {
    StartProgram();
    const int32_t source = MakeDocument();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_NE(copy, source);
    for (const char* column : {"DOCNAME", "STORAGETYPE", "DEFAULT_RIGHTS", "LAST_EDIT_DATE", "CREATION_DATE"}) {
        EXPECT_EQ(Column("ARCHIVE", copy, column), Column("DOCS", source, column)) << column;
    }
    auto user = [&](const std::string& library, int32_t doc, const char* column) {
        return Value(library, std::string("SELECT P.USER_ID FROM DOCSADM.PROFILE D JOIN DOCSADM.PEOPLE P ON "
                                          "P.SYSTEM_ID = D.") + column + " WHERE D.DOCNUMBER = " + to_string(doc));
    };
    EXPECT_EQ(user("ARCHIVE", copy, "AUTHOR"), "JSMITH");
    EXPECT_EQ(user("ARCHIVE", copy, "TYPIST"), "MJONES");
    EXPECT_EQ(Labels("ARCHIVE", copy), (std::vector<std::string>{"1", "1A", "2", "A"}));
    EXPECT_EQ(FileContents("ARCHIVE", copy), FileContents("DOCS", source));
    EXPECT_TRUE(LogHas("Finished processing document #" + to_string(source) + " on 2021-03-05 at 02:31:00 PM"));
    EXPECT_EQ(program_->ConnectedLibraryName(), "DOCS");
    EXPECT_EQ(Window().LabelStatus.Caption(), "");
}

TEST_F(TransferDriverTest, InvalidCallsAreRefusedBeforeAnythingIsTouched) {
    StartProgram();
    const int32_t source = MakeDocument();
    Window().LabelStatus.SetCaption("before");
    struct Case {
        std::string source, target;
        int32_t doc;
    };
    // Library names are the DM's and match in any case: a copy into the
    // source itself is refused.
    const Case cases[] = {{"", "ARCHIVE", source}, {"DOCS", "ARCHIVE", 0}, {"DOCS", "", source}, {"DOCS", "docs", source}};
    for (const auto& c : cases) {
        ClearLog();
        EXPECT_EQ(transfer_->TransferDocument(c.source, c.target, c.doc), 0);
        EXPECT_TRUE(LogHas("Error: Invalid data passed to TransferDocument function - cannot continue"))
            << c.source << "/" << c.target << "/" << c.doc;
    }
    EXPECT_EQ(Documents("DOCS"), 1);
    EXPECT_EQ(Documents("ARCHIVE"), 0);
    EXPECT_EQ(Window().LabelStatus.Caption(), "before");
}

TEST_F(TransferDriverTest, WithoutTheRightToSaveRemotelyNothingIsDone) {
    site_.Library("DOCS").Right("User.SaveToRemoteLibrary", false);
    StartProgram();
    const int32_t source = MakeDocument();
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: DMADMIN does not have rights to save documents to the (remote) library ARCHIVE from "
                       "library DOCS"));
    EXPECT_EQ(Documents("ARCHIVE"), 0);
}

TEST_F(TransferDriverTest, SkipRulesDecideByTheSourceRow) {
    StartProgram();
    const std::string folderApp = Value("DOCS", "SELECT SYSTEM_ID FROM DOCSADM.APPS WHERE APPLICATION = 'FOLDER'");
    struct Case {
        std::string set;  // PROFILE assignments
        int32_t result;
        std::string message;
    };
    const Case cases[] = {
        {"APPLICATION = " + folderApp, -1, " is a Folder - skipping"},
        {"STATUS = 16", 0, " is being archived - skipping"},
        {"STATUS = 4", -1, " was already transferred - skipping"},
        {"PD_OBJ_TYPE = '2'", -1, " is an unsupported object type (2) - skipping"},
        {"STATUS = 6", -1, " was already archived - skipping"},
        {"STATUS = 18", -1, " was marked for deletion - skipping"},
        {"STATUS = 7", 0, " is unavailable (7) - skipping"},
        {"STATUS = 19", 0, " is unavailable (19) - skipping"},
    };
    for (const auto& c : cases) {
        const int32_t source = MakeDocument("Doc " + c.set);
        Sql("DOCS", "UPDATE DOCSADM.PROFILE SET " + c.set + " WHERE DOCNUMBER = " + to_string(source));
        ClearLog();
        EXPECT_EQ(Transfer(source), c.result) << c.set;
        EXPECT_TRUE(LogHas("Document #" + to_string(source) + c.message)) << c.set << "\n" << LogText();
    }
    EXPECT_EQ(Documents("ARCHIVE"), 0);
}

TEST_F(TransferDriverTest, ArchivedDeletedOrMissingSourcesTakeTheirCopyAlongWhenAsked) {
    StartProgram();
    Window().CheckRemoveDeletedDocs.SetValue(1);
    struct Case {
        const char* change;
        int32_t result;
    };
    const Case cases[] = {{"UPDATE DOCSADM.PROFILE SET STATUS = 6", -1},
                          {"UPDATE DOCSADM.PROFILE SET STATUS = 18", -1},
                          {"DELETE FROM DOCSADM.PROFILE", -1}};
    for (const auto& c : cases) {
        const int32_t source = MakeDocument(std::string("Doc ") + c.change);
        const int32_t copy = CopyOnce(source);
        Sql("DOCS", std::string(c.change) + " WHERE DOCNUMBER = " + to_string(source));
        EXPECT_EQ(Transfer(source), c.result) << c.change;
        EXPECT_FALSE(Exists("ARCHIVE", copy)) << c.change;
        EXPECT_TRUE(LogHas("Document #" + to_string(source) + " copy will be removed from library ARCHIVE (if it exists)"));
    }
}

// A source gone because a Move or Transfer of it made the target's copy is
// no deleted document (a second run that read the row before the first one
// moved it finds it so): the copy stays and is the result. The copy of a
// Copy still goes with its deleted source.
TEST_F(TransferDriverTest, ACopyMadeByTheMoveOfItsSourceIsNoCopyOfADeletedDocument) {
    StartProgram();
    struct Case {
        const char* name;
        forms::OptionButton& mode;
        bool removeDeleted;
        bool deleteSource;  // the Move took it already
        bool kept;
    };
    const Case cases[] = {
        {"Move", Window().OptionMove, true, false, true},
        {"Move, copies of deleted documents kept", Window().OptionMove, false, false, true},
        {"Transfer, source deleted", Window().OptionTransfer, true, true, true},
        {"Copy, source deleted", Window().OptionCopy, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.mode.Select();
        Window().CheckRemoveDeletedDocs.SetValue(c.removeDeleted ? 1 : 0);
        const int32_t source = MakeDocument(c.name);
        const int32_t copy = CopyOnce(source);
        if (c.deleteSource) Sql("DOCS", "DELETE FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(source));
        ASSERT_FALSE(Exists("DOCS", source));
        EXPECT_EQ(Transfer(source), c.kept ? copy : -1) << LogText();
        EXPECT_EQ(Exists("ARCHIVE", copy), c.kept);
        EXPECT_EQ(LogHas("Document #" + to_string(source) + " of library DOCS went to document #" + to_string(copy) +
                         " in library ARCHIVE by a Move or Transfer - its copy stays"),
                  c.kept)
            << LogText();
        EXPECT_FALSE(LogHas("Error:")) << LogText();
        ClearLog();
    }
}

// Whether the Move made the copy could not be read: nothing is removed on a
// guess; the document fails and the next try finds the copy.
TEST_F(TransferDriverTest, AMovedCopyThatCouldNotBeLookedForStays) {
    StartProgram();
    Window().OptionMove.Select();
    Window().CheckRemoveDeletedDocs.SetValue(1);
    const int32_t source = MakeDocument();
    const int32_t copy = CopyOnce(source);
    Faults().On(dmsim::op::kSqlExecute).ForLibrary("ARCHIVE").ForStatement("SELECT COUNT(*), MAX(A.DOCNUMBER)")
        .FailStatement(1205, "deadlock victim");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(Exists("ARCHIVE", copy));
    EXPECT_TRUE(LogHas("Error: Unable to tell whether document #" + to_string(source) +
                       " of library DOCS went to library ARCHIVE by a Move or Transfer - it will be tried again later"))
        << LogText();
    Faults().Clear();
    EXPECT_EQ(Transfer(source), copy);
    EXPECT_TRUE(Exists("ARCHIVE", copy));
}

// The target's copy could not be looked for: the document failed, its copy
// stays, and the next try removes it.
TEST_F(TransferDriverTest, ACopyThatCouldNotBeLookedForIsNoCopyRemoved) {
    StartProgram();
    Window().CheckRemoveDeletedDocs.SetValue(1);
    for (const char* failing : {"SELECT P.STATUS, A.APPLICATION", "FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT"}) {
        SCOPED_TRACE(failing);
        const int32_t source = MakeDocument(std::string("Doc ") + failing);
        const int32_t copy = CopyOnce(source);
        Sql("DOCS", "UPDATE DOCSADM.PROFILE SET STATUS = 6 WHERE DOCNUMBER = " + to_string(source));
        Faults().On(dmsim::op::kSqlExecute).ForLibrary("ARCHIVE").ForStatement(failing).FailStatement(
            1205, "deadlock victim");
        EXPECT_EQ(Transfer(source), 0) << LogText();
        EXPECT_TRUE(Exists("ARCHIVE", copy));
        Faults().Clear();
        ClearLog();
        EXPECT_EQ(Transfer(source), -1) << LogText();
        EXPECT_FALSE(Exists("ARCHIVE", copy));
    }
}

// A read of the source that the library refused is no answer of "no row":
// the document fails, its archive copy stays and no second copy is made.
TEST_F(TransferDriverTest, ASourceReadThatWasRefusedNeitherRemovesNorDoublesTheCopy) {
    StartProgram();
    Window().CheckRemoveDeletedDocs.SetValue(1);
    for (const char* failing : {"SELECT P.LAST_EDIT_DATE, P.STATUS", "SELECT A.REF_DOCUMENT, A.ACTIVITY_TYPE"}) {
        SCOPED_TRACE(failing);
        const int32_t source = MakeDocument(std::string("Doc ") + failing);
        const int32_t copy = CopyOnce(source);
        const int64_t copies = Documents("ARCHIVE");
        Faults().On(dmsim::op::kSqlExecute).ForLibrary("DOCS").ForStatement(failing).FailStatement(
            824, "database disk image is malformed");
        ClearLog();
        EXPECT_EQ(Transfer(source), 0) << LogText();
        EXPECT_TRUE(LogHas("refused a read that the transfer of document #" + to_string(source) + " depends on"))
            << LogText();
        EXPECT_TRUE(Exists("ARCHIVE", copy));
        EXPECT_EQ(Documents("ARCHIVE"), copies);
        Faults().Clear();
        EXPECT_EQ(Transfer(source), copy) << LogText();
        EXPECT_EQ(Documents("ARCHIVE"), copies);
    }
}

TEST_F(TransferDriverTest, AMissingSourceIsAnErrorWhenCopiesAreNotToBeRemoved) {
    StartProgram();
    EXPECT_EQ(Transfer(4711), 0);
    EXPECT_TRUE(LogHas("Document #4711 not found in library DOCS"));
    EXPECT_TRUE(LogHas("Error: Unable to access source Document #4711"));
}

// The row is there but its profile cannot be had now: the document is not
// gone, so its archive copy stays and the queue row is tried again.
TEST_F(TransferDriverTest, AnUnreadableProfileOfAnExistingRowKeepsTheArchiveCopy) {
    StartProgram();
    Window().CheckRemoveDeletedDocs.SetValue(1);
    const int32_t source = MakeDocument();
    const int32_t copy = CopyOnce(source);
    Faults().On(dmsim::op::kLibraryGetProfile).ForLibrary("DOCS").ForDocument(source).AnswerNothing();
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(Exists("ARCHIVE", copy));
    EXPECT_FALSE(LogHas("copy will be removed"));
    EXPECT_TRUE(LogHas("Error: Unable to open the profile of document #" + to_string(source)));
}

TEST_F(TransferDriverTest, AnEarlierCopyEditedAMinuteBoundaryLaterStaysAndIsTheResult) {
    StartProgram();
    struct Case {
        const char* source;
        const char* copy;
        bool kept;
        bool transferred = false;  // the earlier copy is a Transfer's, its source made available again
    };
    const Case cases[] = {
        {"2021-03-01 10:00:00", "2021-03-01 10:00:59", false},
        {"2021-03-01 10:00:59", "2021-03-01 10:01:00", true},
        {"2021-03-01 10:05:00", "2021-03-01 10:01:00", false},
        {"2021-03-01 10:00:00", "2021-03-02 09:00:00", true},
        {"2021-03-01 10:00:00", "2021-03-01 10:00:30", false, true},
        {"2021-03-01 10:00:00", "2021-03-03 09:00:00", true, true},
    };
    for (const auto& c : cases) {
        const int32_t source = MakeDocument(std::string("Doc ") + c.copy);
        if (c.transferred) Window().OptionTransfer.Select();
        const int32_t copy = CopyOnce(source);
        if (c.transferred) {
            Window().OptionCopy.Select();
            Sql("DOCS", "UPDATE DOCSADM.PROFILE SET STATUS = 0, READONLY = 'N' WHERE DOCNUMBER = " + to_string(source));
        }
        SetEdited("DOCS", source, c.source);
        SetEdited("ARCHIVE", copy, c.copy);
        Sql("DOCS", "UPDATE DOCSADM.PROFILE SET DOCNAME = 'Renamed' WHERE DOCNUMBER = " + to_string(source));
        const int64_t before = Documents("ARCHIVE");
        // Either way the result is the copy's number: kept, or replaced and
        // its number taken over.
        EXPECT_EQ(Transfer(source), copy) << c.copy << "\n" << LogText();
        EXPECT_EQ(Column("ARCHIVE", copy, "DOCNAME"), c.kept ? std::string("Doc ") + c.copy : "Renamed") << c.copy;
        EXPECT_EQ(Documents("ARCHIVE"), before);
        EXPECT_EQ(LogHas("was edited more recently than document #" + to_string(source)), c.kept);
        ClearLog();
    }
}

// The source's log names a copy whose number the target has since given to
// another document: that document is no copy and is left alone.
TEST_F(TransferDriverTest, AReusedNumberIsNeitherKeptNorReplaced) {
    StartProgram();
    const int32_t source = MakeDocument();
    dmsim::DocumentSpec other;
    other.name = "Somebody else's";
    other.versions = {dmsim::Version("theirs")};
    const int32_t stranger = archive_->Create(other);
    RecordEntry("DOCS", "ARCHIVE", source, stranger, transfer::kActivityCopy, "Copied to #" + to_string(stranger));
    SetEdited("ARCHIVE", stranger, "2030-01-01 00:00:00");
    ClearLog();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_NE(copy, stranger);
    EXPECT_EQ(Column("ARCHIVE", stranger, "DOCNAME"), "Somebody else's");
    EXPECT_EQ(FileContents("ARCHIVE", stranger), std::vector<std::string>{"theirs"});
    EXPECT_EQ(Column("ARCHIVE", copy, "DOCNAME"), "Lease");
}

// A failure after the earlier copy was found removes only what this call
// made; the earlier copy stays whole.
TEST_F(TransferDriverTest, ARollbackNeverRemovesTheEarlierCopy) {
    StartProgram();
    const int32_t source = MakeDocument();
    const int32_t copy = CopyOnce(source);
    const auto files = FileContents("ARCHIVE", copy);
    const int64_t before = Documents("ARCHIVE");
    Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").Refuse(-2147217900, "Version refused");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: No versions or attachments were added for document #"));
    EXPECT_TRUE(LogHas("Error: Document transfer unsuccessful - rolling back"));
    EXPECT_TRUE(Exists("ARCHIVE", copy));
    EXPECT_EQ(FileContents("ARCHIVE", copy), files);
    EXPECT_EQ(Documents("ARCHIVE"), before);
}

// A failed connect ends the transfer instead of running the target's
// statements in whatever library the session fell back to.
TEST_F(TransferDriverTest, AFailedTargetConnectEndsTheTransfer) {
    StartProgram();
    const int32_t source = MakeDocument();
    const int32_t copy = CopyOnce(source);
    Faults().On(dmsim::op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-2147221504, "DOCSObjects", "No server");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: Unable to connect to library ARCHIVE"));
    EXPECT_FALSE(LogHas("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(copy)));
    EXPECT_EQ(Documents("DOCS"), 1);
    Faults().Clear();
    EXPECT_EQ(Documents("ARCHIVE"), 1);
}

// A checked-out source is made available for the copy and gets its status
// and check-out rows back on every way out; only a deliberate mark (a
// Transfer's) replaces the status. A failure never marks it read-only.
TEST_F(TransferDriverTest, ACheckedOutSourceGetsItsStateBackOnEveryWayOut) {
    StartProgram();
    struct Case {
        const char* name;
        bool transfer;
        bool fail;
        bool targetReadOnly;
        int32_t status;
    };
    const Case cases[] = {
        {"copy", false, false, false, 3},
        {"failed copy", false, true, false, 3},
        {"failed copy marking the target", false, true, true, 3},
        {"transfer", true, false, false, 4},
    };
    for (const auto& c : cases) {
        const int32_t source = MakeDocument(c.name);
        const std::string n = to_string(source);
        Sql("DOCS", "UPDATE DOCSADM.PROFILE SET STATUS = 3 WHERE DOCNUMBER = " + n);
        Sql("DOCS", "INSERT INTO DOCSADM.CHECKOUT (DOCNUMBER, VERSION_ID, LOCATION, COMMENTS) VALUES (" + n +
                        ", 0, 'C:/work', 'mine')");
        c.transfer ? Window().OptionTransfer.Select() : Window().OptionCopy.Select();
        Window().CheckMakeReadOnlyTarget.SetValue(c.targetReadOnly ? 1 : 0);
        Faults().Clear();
        if (c.fail) Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").Refuse(-1, "refused");
        const int32_t result = Transfer(source);
        EXPECT_EQ(result > 0, !c.fail) << c.name;
        EXPECT_EQ(Column("DOCS", source, "STATUS"), to_string(c.status)) << c.name;
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.CHECKOUT WHERE DOCNUMBER = " + n), 1) << c.name;
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.CHECKOUT WHERE DOCNUMBER = -" + n), 0) << c.name;
        EXPECT_EQ(Column("DOCS", source, "READONLY") == "Y", c.transfer) << c.name;
    }
}

// A statement of the new document that the target refuses fails the
// document: the half-built copy goes, the log says what was refused, and the
// next try makes the copy.
TEST_F(TransferDriverTest, ARefusedStatementOfTheCopyFailsTheDocument) {
    StartProgram();
    struct Case {
        const char* statement;  // a part of the refused statement
        std::string refused;
        const char* application = "MS WORD";
        bool secured = false;
        bool metadataOnly = false;
        bool targetReadOnly = false;
    };
    const Case cases[] = {
        {"SET EMAIL_RECEIVED", "the e-mail columns of the copy", "MS OUTLOOK"},
        {"UPDATE DOCSADM.VERSIONS SET FORCE_VERSION_RO", "the values of version 1 of the copy"},
        {"SELECT 0, 255, SYSTEM_ID", "the security of the copy"},
        {"PE.USER_ID = 'JSMITH'", "the access of user JSMITH to the copy", "MS WORD", true},
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, VERSION_LABEL", "an Activitylog entry of the copy"},
        {"SET AUTHOR = (SELECT", "the people columns of the copy"},
        {"LAST_EDIT_DATE = TRY_CAST", "the dates of the copy"},
        {"SET READONLY = 'Y', STATUS = 19", "the read-only mark of the copy", "MS WORD", false, false, true},
        {"DELETE FROM DOCSADM.VERSIONS", "the removal of the copy's placeholder version", "MS WORD", false, true},
        {"SET DOCSERVER_LOC", "the file location of the copy", "MS WORD", false, true},
        {"INSERT INTO DOCSADM.COMPONENTS", "the file row of version 1 of the copy", "MS WORD", false, true},
    };
    int64_t copies = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        dmsim::DocumentSpec spec;
        spec.name = c.statement;
        spec.application = c.application;
        spec.author = "JSMITH";
        spec.versions = {dmsim::Version("first"), dmsim::Version("second")};
        if (c.secured) spec.trustees = {dmsim::User("JSMITH", 255)};
        const int32_t source = docs_->Create(spec);
        Sql("DOCS", "INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC, AUTHOR, "
                    "TYPIST, REF_LIBRARY, START_DATE) SELECT " + to_string(990000 + source) + ", " + to_string(source) +
                        ", 5, 'Edited', SYSTEM_ID, SYSTEM_ID, 0, '2020-01-07 16:45:00' FROM DOCSADM.PEOPLE WHERE "
                        "USER_ID = 'JSMITH'");
        Window().CheckMetaData.SetValue(c.metadataOnly ? 1 : 0);
        Window().CheckMakeReadOnlyTarget.SetValue(c.targetReadOnly ? 1 : 0);
        ClearLog();
        Faults().Clear();
        Faults().On(dmsim::op::kSqlExecute).ForLibrary("ARCHIVE").ForStatement(c.statement).Times(1).FailStatement(
            547, "The statement conflicted with a constraint.");
        EXPECT_EQ(Transfer(source), 0);
        EXPECT_TRUE(LogHas("Error: Library ARCHIVE refused " + c.refused + " - document #" + to_string(source) +
                           " will be tried again"))
            << LogText();
        EXPECT_EQ(Documents("ARCHIVE"), copies);
        EXPECT_EQ(CopyOf(source), 0);
        Faults().Clear();
        EXPECT_GT(Transfer(source), 0);
        EXPECT_EQ(Documents("ARCHIVE"), ++copies);
    }
}

TEST_F(TransferDriverTest, ACancelDuringTheSourceReadingEndsWithNothingInTheTarget) {
    StartProgram();
    const int32_t source = MakeDocument();
    program_->run.CancelRequestedFlag = true;
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Job canceled by DMADMIN at "));
    EXPECT_EQ(Documents("ARCHIVE"), 0);
}

// Whatever fails while a checked-out source's state is put back, the other
// parts still run, and the document fails; the next try ends with the source
// checked out as it was and one copy. What a run that ended in the middle
// left (the rows under the negated number and the status 0, or the
// program's own check-outs of the files) is put back before the document is
// taken again.
TEST_F(TransferDriverTest, ACheckedOutSourceIsPutBackWhateverTheRestoreMeets) {
    StartProgram();
    struct Case {
        const char* name;
        const char* refused;  // a part of a statement the restore runs
        const char* left;     // what an earlier run left: "aside", "own" or ""
    };
    const Case cases[] = {
        {"status read refused", "SELECT STATUS FROM DOCSADM.PROFILE WHERE DOCNUMBER", ""},
        {"status write refused", "UPDATE DOCSADM.PROFILE SET STATUS = 3 WHERE DOCNUMBER", ""},
        {"rows put back refused", "SET DOCNUMBER = DOCNUMBER * -1 WHERE DOCNUMBER = -", ""},
        {"rows left aside", "", "aside"},
        {"own check-outs left", "", "own"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t source = MakeDocument(c.name);
        const std::string n = to_string(source);
        const bool aside = std::string(c.left) == "aside";
        Sql("DOCS", "UPDATE DOCSADM.PROFILE SET STATUS = " + std::string(aside ? "0" : "3") + " WHERE DOCNUMBER = " + n);
        Sql("DOCS", "INSERT INTO DOCSADM.CHECKOUT (DOCNUMBER, VERSION_ID, LOCATION, COMMENTS) VALUES (" +
                        (aside ? "-" + n : n) + ", 0, 'C:/work', 'mine')");
        if (std::string(c.left) == "own") {
            Sql("DOCS", "INSERT INTO DOCSADM.CHECKOUT (DOCNUMBER, VERSION_ID, LOCATION, COMMENTS) VALUES (" + n +
                            ", 1, '/tmp/Dorvane_" + n + "_1/', 'Checked out by DMADMIN')");
        }
        Faults().Clear();
        if (*c.refused) Faults().On(dmsim::op::kSqlExecute).ForStatement(c.refused).Times(1).FailStatement(50000, "no");
        const int32_t first = Transfer(source);
        if (*c.refused) {
            EXPECT_EQ(first, 0) << LogText();
            EXPECT_TRUE(LogHas("could not be put back")) << LogText();
            Faults().Clear();
            EXPECT_GT(Transfer(source), 0) << LogText();
        } else {
            EXPECT_GT(first, 0) << LogText();
        }
        EXPECT_EQ(Column("DOCS", source, "STATUS"), "3");
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.CHECKOUT WHERE DOCNUMBER = " + n + " AND COMMENTS = 'mine'"),
                  1);
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.CHECKOUT WHERE DOCNUMBER IN (" + n + ", -" + n + ")"), 1);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_TYPE = 0 AND "
                                   "REF_DOCUMENT = " + n),
                  1);
    }
}

// A copy that stands complete and recorded while the source's part of the
// transfer failed is finished by the next try, not built again: one copy,
// one entry in the source's history, the source marked.
TEST_F(TransferDriverTest, ARetryFinishesWhatTheSourcesPartLeftAndBuildsNothingTwice) {
    StartProgram();
    struct Case {
        const char* name;
        bool transfer;
        const char* refused;  // a part of the statement the library refuses
        const char* library;
    };
    const Case cases[] = {
        {"transfer, source mark", true, "SET READONLY = 'Y', STATUS = 4", "DOCS"},
        {"transfer, source entry", true, "Transferred to ARCHIVE", "DOCS"},
        {"copy, commit of the source entry", false, "COMMIT TRANSACTION", "DOCS"},
        {"copy, drop of the mark", false, "DELETE FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID", "ARCHIVE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t source = MakeDocument(c.name);
        c.transfer ? Window().OptionTransfer.Select() : Window().OptionCopy.Select();
        Faults().Clear();
        Faults().On(dmsim::op::kSqlExecute).ForLibrary(c.library).ForStatement(c.refused).Times(1).FailStatement(
            50000, "no");
        EXPECT_EQ(Transfer(source), 0) << LogText();
        const int32_t copy = CopyOf(source);
        ASSERT_GT(copy, 0) << LogText();
        EXPECT_NE(sqlite3_get_autocommit(Db("DOCS").Connection().Handle()), 0) << "a transaction stays open";
        Faults().Clear();
        EXPECT_EQ(Transfer(source), copy) << LogText();
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNAME LIKE '" + std::string(c.name) +
                                       "%'"),
                  1);
        EXPECT_EQ(Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + to_string(source) +
                                    " AND ACTIVITY_TYPE IN (0, 25)"),
                  1);
        EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0"), 0);
        EXPECT_EQ(Column("DOCS", source, "STATUS"), c.transfer ? "4" : "0");
    }
}

}  // namespace
}  // namespace transfer_test
