// Folders and related items: the chain of folders carried into the target,
// the source taken out of its folders, relations carried both ways.

#include <functional>
#include <map>
#include <set>

#include "dmsim/demo_documents.h"
#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

class FoldersRelatedTest : public TransferTest {
protected:
    // "Parent>Item" for every filing of a library, by names.
    std::set<std::string> Filings(const std::string& library) {
        auto rows = Db(library).Query(
            "SELECT P.DOCNAME, I.DOCNAME FROM DOCSADM.FOLDER_ITEM F JOIN DOCSADM.PROFILE P ON P.DOCNUMBER = F.PARENT "
            "JOIN DOCSADM.PROFILE I ON I.DOCNUMBER = F.DOCNUMBER");
        std::set<std::string> out;
        for (auto& r : rows.rows) out.insert(dmsim::AsText(r[0]) + ">" + dmsim::AsText(r[1]));
        return out;
    }
    int32_t Folder(const std::string& name, int32_t parent = 0, bool isPublic = false) {
        return docs_->CreateFolder(name, parent, isPublic);
    }
    std::vector<std::string> Related(const std::string& library, int32_t item) {
        auto rows = Db(library).Query("SELECT ITEM1, ITEM2, COALESCE(REMOTE_LIBRARY, -99) FROM DOCSADM.RELATED WHERE "
                                      "ITEM1 = " + to_string(item) + " OR ITEM2 = " + to_string(item) +
                                      " ORDER BY ITEM1, ITEM2");
        std::vector<std::string> out;
        for (auto& r : rows.rows) {
            out.push_back(dmsim::AsText(r[0]) + "-" + dmsim::AsText(r[1]) + "@" + dmsim::AsText(r[2]));
        }
        return out;
    }
    std::string RemoteId(const std::string& library, const std::string& name) {
        return Value(library, "SELECT SYSTEM_ID FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = '" + name + "'");
    }
};

TEST_F(FoldersRelatedTest, TheFolderChainTable) {
    StartProgram();
    struct Case {
        const char* name;
        std::function<std::vector<int32_t>()> folders;  // the document's folders
        std::set<std::string> filings;
    };
    const Case cases[] = {
        {"none", [] { return std::vector<int32_t>{}; }, {}},
        {"nested",
         [&] { return std::vector<int32_t>{Folder("N-B", Folder("N-A", 0, true))}; },
         {"N-A>N-B", "N-B>nested"}},
        {"two folders of one parent",
         [&] {
             const int32_t a = Folder("S-A", 0, true);
             return std::vector<int32_t>{Folder("S-B1", a), Folder("S-B2", a)};
         },
         {"S-A>S-B1", "S-A>S-B2", "S-B1>two folders of one parent", "S-B2>two folders of one parent"}},
        // A folder that is its own ancestor: the walk ends all the same.
        {"cycle",
         [&] {
             const int32_t a = Folder("C-A", 0, true);
             const int32_t b = Folder("C-B", a);
             docs_->File(a, b);
             return std::vector<int32_t>{a};
         },
         {"C-A>C-B", "C-B>C-A", "C-A>cycle"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t source = MakeDocument(c.name, c.folders());
        const auto before = Filings("ARCHIVE");
        ClearLog();
        const int32_t copy = Transfer(source);
        ASSERT_GT(copy, 0) << LogText();
        std::set<std::string> added;
        for (auto& f : Filings("ARCHIVE")) {
            if (!before.count(f)) added.insert(f);
        }
        EXPECT_EQ(added, c.filings);
        for (auto& f : c.filings) {
            const std::string folder = f.substr(0, f.find('>'));
            EXPECT_EQ(Named("ARCHIVE", folder).size(), 1u) << folder;
        }
    }
}

TEST_F(FoldersRelatedTest, AFolderInTwoRootFoldersIsFiledUnderOneAndBothExist) {
    StartProgram();
    const int32_t b = Folder("B", Folder("A1", 0, true));
    docs_->File(b, Folder("A2", 0, true));
    const int32_t source = MakeDocument("Filed", {b});
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    const auto filings = Filings("ARCHIVE");
    EXPECT_EQ(Named("ARCHIVE", "A1").size(), 1u);
    EXPECT_EQ(Named("ARCHIVE", "A2").size(), 1u);
    EXPECT_EQ(filings.count("A1>B") + filings.count("A2>B"), 1u);
    EXPECT_EQ(filings.count("B>Filed"), 1u);
}

TEST_F(FoldersRelatedTest, ACopyStaysInItsFoldersATransferLeavesThem) {
    StartProgram();
    const int32_t folder = Folder("Contracts", 0, true);
    for (bool transfer : {false, true}) {
        SCOPED_TRACE(transfer ? "transfer" : "copy");
        transfer ? Window().OptionTransfer.Select() : Window().OptionCopy.Select();
        const std::string name = transfer ? "Transferred" : "Copied";
        const int32_t source = MakeDocument(name, {folder});
        ASSERT_GT(Transfer(source), 0) << LogText();
        EXPECT_EQ(Filings("DOCS").count("Contracts>" + name), transfer ? 0u : 1u);
        EXPECT_EQ(Filings("ARCHIVE").count("Contracts>" + name), 1u);
    }
}

// The source's folders that cannot be read would leave the copy outside
// them for good: the document fails, the log says why, and the next try
// files the copy.
TEST_F(FoldersRelatedTest, RefusedParentFoldersFailTheDocumentUntilTheyAreRead) {
    StartProgram();
    const int32_t folder = Folder("Contracts", 0, true);
    const int32_t source = MakeDocument("Filed", {folder});
    Faults().On(dmsim::op::kProfileParentFolders).ForLibrary("DOCS").ForDocument(source).Raise(
        -2147217902, "DOCSObjects", "Folders unreadable");
    EXPECT_EQ(Transfer(source), 0) << LogText();
    EXPECT_TRUE(LogHasReport("CollectFolderChain", -2147217902, "DOCSObjects", "Folders unreadable"))
        << LogText();
    EXPECT_EQ(Documents("ARCHIVE"), 0);
    Faults().Clear();
    ASSERT_GT(Transfer(source), 0) << LogText();
    EXPECT_EQ(Filings("ARCHIVE").count("Contracts>Filed"), 1u);
}

// A folder the target cannot make, or a folder that refuses the copy,
// leaves the copy standing outside it: each such folder is counted and
// named in an error, and a subfolder whose parent could not be made is not
// made at the root instead.
TEST_F(FoldersRelatedTest, FoldersTheCopyCouldNotBeFiledIntoAreCounted) {
    struct Case {
        const char* name;
        void (*arm)(dmsim::FaultInjector&);
        int32_t notFiled;
        std::set<std::string> filings;  // of the copy's chain, in ARCHIVE
    };
    const Case cases[] = {
        {"filed", [](dmsim::FaultInjector&) {}, 0, {"Top>Sub", "Sub>Doc"}},
        {"the top folder cannot be made",
         [](dmsim::FaultInjector& f) { f.On(dmsim::op::kLibraryNewFolder).ForLibrary("ARCHIVE").Times(1).AnswerNothing(); },
         2, {}},
        {"the folder refuses the copy",
         [](dmsim::FaultInjector& f) {
             f.On(dmsim::op::kFolderAddDocument).ForLibrary("ARCHIVE").Refuse(-2147220004, "No filing");
         },
         1, {"Top>Sub"}},
    };
    StartProgram();
    const int32_t sub = Folder("Sub", Folder("Top", 0, true));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"Top", "Sub"}) {
            for (int32_t folder : Named("ARCHIVE", name)) ASSERT_TRUE(removal_->RemoveDocument("ARCHIVE", folder, ""));
        }
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
        const int32_t source = MakeDocument("Doc", {sub});
        c.arm(Faults());
        ClearLog();

        const int32_t copy = Transfer(source);

        ASSERT_GT(copy, 0) << LogText();
        EXPECT_EQ(transfer_->FilingFailures(), c.notFiled);
        EXPECT_EQ(CountLines("could not be made or filed into in library ARCHIVE - document #" + to_string(copy) +
                             " is not filed under it"),
                  static_cast<size_t>(c.notFiled))
            << LogText();
        std::set<std::string> filings;
        for (auto& f : Filings("ARCHIVE")) {
            if (f == "Top>Sub" || f == "Sub>Doc") filings.insert(f);
        }
        EXPECT_EQ(filings, c.filings);
        // Never a folder of the chain out of its place.
        for (int32_t folder : Named("ARCHIVE", "Sub")) {
            EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + to_string(folder)),
                      1);
        }
        Faults().Clear();
        ASSERT_TRUE(removal_->RemoveDocument("ARCHIVE", copy, ""));
    }
}

// Relations come over both ways; a related document copied earlier is
// related to its copy; the source's relations follow the document to its
// copy once the copy stands.
TEST_F(FoldersRelatedTest, RelatedItemsBothWays) {
    StartProgram();
    const int32_t source = MakeDocument("Main");
    const int32_t earlier = MakeDocument("Moved before");
    const int32_t stays = MakeDocument("Stays");
    const int32_t pointing = MakeDocument("Points at main");
    docs_->Relate(source, earlier);
    docs_->Relate(source, stays);
    docs_->Relate(pointing, source);
    Window().OptionTransfer.Select();
    const int32_t earlierCopy = Transfer(earlier);
    ASSERT_GT(earlierCopy, 0) << LogText();
    Window().OptionCopy.Select();
    ClearLog();
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    const std::string docs = RemoteId("ARCHIVE", "DOCS");
    const std::string m = to_string(copy);
    EXPECT_EQ(Related("ARCHIVE", copy), (std::vector<std::string>{m + "-" + to_string(stays) + "@" + docs,
                                                                  m + "-" + to_string(pointing) + "@" + docs,
                                                                  m + "-" + to_string(earlierCopy) + "@0"}));
    EXPECT_EQ(Column("ARCHIVE", copy, "RELATED"), "Y");
    EXPECT_EQ(Related("DOCS", pointing),
              std::vector<std::string>{to_string(pointing) + "-" + m + "@" + RemoteId("DOCS", "ARCHIVE")});
}

// Without a REMOTE_LIBRARIES row naming the target, the source's relations
// could not name the copy: they stay as they are.
TEST_F(FoldersRelatedTest, RelationsStayWhenTheSourceCannotNameTheTarget) {
    StartProgram();
    const int32_t source = MakeDocument("Main");
    const int32_t pointing = MakeDocument("Points at main");
    docs_->Relate(pointing, source);
    Sql("DOCS", "DELETE FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE'");
    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Related("DOCS", pointing), std::vector<std::string>{to_string(pointing) + "-" + to_string(source) + "@0"});
    EXPECT_TRUE(LogHas("Warning: Library ARCHIVE is not listed in REMOTE_LIBRARIES of library DOCS"));
}

// A target that refuses to point its relation at the copy keeps the source
// of the Move in place; the next try finishes the Move and the relation.
TEST_F(FoldersRelatedTest, ARefusedRelationKeepsTheMovedSourceUntilTheRetry) {
    StartProgram();
    const int32_t first = MakeDocument("Relates");
    const int32_t second = MakeDocument("Related");
    docs_->Relate(first, second);
    Window().OptionMove.Select();
    const int32_t firstCopy = Transfer(first);
    ASSERT_GT(firstCopy, 0) << LogText();
    Faults().On(dmsim::op::kSqlExecute).ForLibrary("ARCHIVE").ForStatement("UPDATE DOCSADM.RELATED SET ITEM2")
        .FailStatement(1205, "Transaction was deadlocked");
    ClearLog();
    EXPECT_EQ(Transfer(second), 0);
    EXPECT_TRUE(Exists("DOCS", second));
    EXPECT_TRUE(LogHas("Error: Library ARCHIVE refused a relation to document #")) << LogText();
    Faults().Clear();
    const int32_t secondCopy = Transfer(second);
    ASSERT_GT(secondCopy, 0) << LogText();
    EXPECT_FALSE(Exists("DOCS", second));
    EXPECT_EQ(Related("ARCHIVE", secondCopy),
              std::vector<std::string>{to_string(firstCopy) + "-" + to_string(secondCopy) + "@0"});
}

// Documents 6 and 18 of the demo are related. Moved both, in either order,
// the archive relates their copies once, and no relation there names a
// document that DOCS no longer holds.
class MovedRelatedTest : public FoldersRelatedTest, public ::testing::WithParamInterface<std::vector<int32_t>> {};

TEST_P(MovedRelatedTest, TheArchiveRelatesTheCopiesOfBoth) {
    StartProgram();
    dmsim::AddDemoDocuments(*emulator_);
    ASSERT_EQ(Column("DOCS", 6, "DOCNAME"), "Settlement memo 2019");
    ASSERT_EQ(Related("DOCS", 6), std::vector<std::string>{"18-6@0"});
    Window().OptionMove.Select();
    std::map<int32_t, int32_t> copies;
    for (int32_t doc : GetParam()) {
        copies[doc] = Transfer(doc);
        ASSERT_GT(copies[doc], 0) << LogText();
        ASSERT_FALSE(Exists("DOCS", doc));
    }
    const std::string m6 = to_string(copies[6]);
    const std::string m18 = to_string(copies[18]);
    EXPECT_EQ(Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.RELATED WHERE ((ITEM1 = " + m6 + " AND ITEM2 = " + m18 +
                                   ") OR (ITEM1 = " + m18 + " AND ITEM2 = " + m6 + ")) AND REMOTE_LIBRARY IN (0, -1)"),
              1)
        << LogText();
    auto toDocs = Db("ARCHIVE").Query("SELECT R.ITEM1, R.ITEM2 FROM DOCSADM.RELATED R JOIN DOCSADM.REMOTE_LIBRARIES RL "
                                      "ON RL.SYSTEM_ID = R.REMOTE_LIBRARY WHERE RL.LIBRARY_NAME = 'DOCS'");
    for (auto& r : toDocs.rows) {
        EXPECT_TRUE(Exists("DOCS", static_cast<int32_t>(dmsim::AsInt(r[1]))))
            << "document #" << dmsim::AsText(r[0]) << " of ARCHIVE is related to document #" << dmsim::AsText(r[1])
            << " of DOCS";
    }
}

INSTANTIATE_TEST_SUITE_P(EitherOrder, MovedRelatedTest,
                         ::testing::Values(std::vector<int32_t>{6, 18}, std::vector<int32_t>{18, 6}),
                         [](const auto& info) { return "Move" + to_string(info.param[0]) + "First"; });

}  // namespace
}  // namespace transfer_test
