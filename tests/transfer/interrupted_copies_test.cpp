// What a run killed in the middle of a transfer leaves in the target, and
// how the next transfer of the document puts it right before it builds
// anything: one copy, no row naming a missing file, no file nobody names.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "removal/first_version_name.h"
#include "transfer/arrival_mark.h"
#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;
namespace fs = std::filesystem;

class InterruptedCopiesTest : public TransferTest {
protected:
    // A partial copy of the source in ARCHIVE, as a killed run leaves it:
    // the profile and its first version only.
    int32_t MakePartialCopy(const std::string& name = "Lease") {
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.versions = {dmsim::Version("first draft")};
        return archive_->Create(spec);
    }

    // A mark in ARCHIVE for the source, numbered when docNumber is not 0.
    int32_t Mark(int32_t source, int32_t docNumber) {
        EXPECT_TRUE(program_->ConnectLibrary("ARCHIVE"));
        const int32_t id = transfer::WriteArrivalMark(*program_, "DOCS", source);
        EXPECT_NE(id, 0);
        if (docNumber != 0) {
            EXPECT_TRUE(transfer::NumberArrivalMark(*program_, id, docNumber));
        }
        EXPECT_TRUE(program_->ConnectLibrary("DOCS"));
        return id;
    }

    int64_t Marks() {
        return Count("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0");
    }

    // The files of ARCHIVE's storage that no component row names, and the
    // component rows that name no file.
    std::pair<std::set<std::string>, std::set<std::string>> StrayFilesAndRows() {
        std::set<std::string> named;
        auto rows = Db("ARCHIVE").Query(
            "SELECT P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.COMPONENTS C JOIN DOCSADM.PROFILE P ON "
            "P.DOCNUMBER = C.DOCNUMBER");
        std::set<std::string> missing;
        for (auto& r : rows.rows) {
            const std::string path = dmsim::AsText(r[0]);
            named.insert(fs::path(path).lexically_normal().string());
            if (!fs::exists(path)) missing.insert(path);
        }
        std::set<std::string> stray;
        for (auto& e : fs::recursive_directory_iterator(Db("ARCHIVE").DocServerLoc())) {
            if (!e.is_regular_file()) continue;
            const std::string path = e.path().lexically_normal().string();
            if (!named.count(path)) stray.insert(path);
        }
        return {stray, missing};
    }
};

// One copy in the end, whatever the killed run got as far as.
TEST_F(InterruptedCopiesTest, TheNextTransferLeavesOneCopy) {
    struct Case {
        const char* name;
        // Makes the leftovers for the source; answers the documents of
        // ARCHIVE that must survive.
        std::function<std::set<int32_t>(int32_t)> leave;
        const char* logged;
        bool metadataOnly = false;
    };
    const Case cases[] = {
        {"half-built copy",
         [this](int32_t source) {
             Mark(source, MakePartialCopy());
             return std::set<int32_t>{};
         },
         "left by an interrupted run - removing it"},
        {"half-built copy of a metadata-only run, with the file the DM made for it",
         [this](int32_t source) {
             Mark(source, MakePartialCopy());
             return std::set<int32_t>{};
         },
         "left by an interrupted run - removing it", true},
        {"killed between the save and the numbering",
         [this](int32_t source) {
             // Someone's document of the same name made before the run is
             // no leftover of i
             const int32_t older = MakePartialCopy();
             Mark(source, 0);
             MakePartialCopy();
             return std::set<int32_t>{older};
         },
         "left by an interrupted run - removing it"},
        {"complete copy whose mark stayed",
         [this](int32_t source) {
             const int32_t copy = Transfer(source);
             EXPECT_GT(copy, 0);
             Mark(source, copy);
             return std::set<int32_t>{};
         },
         "finishing what an earlier run left of its transfer"},
        {"first version renamed, its row not yet",
         [this](int32_t source) {
             // The placeholder is gone, the second version's file carries
             // the first version's name, its row the old one.
             dmsim::DocumentSpec spec;
             spec.name = "Lease";
             spec.versions = {dmsim::Version("placeholder"), dmsim::Version("first draft")};
             const int32_t partial = archive_->Create(spec);
             const auto files = FilePaths("ARCHIVE", partial);
             const std::string n = to_string(partial);
             Sql("ARCHIVE", "DELETE FROM DOCSADM.COMPONENTS WHERE DOCNUMBER = " + n +
                                " AND VERSION_ID = (SELECT MIN(VERSION_ID) FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " +
                                n + ")");
             Sql("ARCHIVE", "DELETE FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION = 1");
             fs::remove(files[0]);
             const std::string name = fs::path(files[1]).filename().string();
             auto renamed = removal::FirstVersionFileName(name);
             EXPECT_TRUE(renamed && *renamed != name);
             fs::rename(files[1], fs::path(files[1]).parent_path() / *renamed);
             Mark(source, partial);
             return std::set<int32_t>{};
         },
         "left by an interrupted run - removing it"},
    };
    StartProgram();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int32_t doc : Named("ARCHIVE", "Lease")) ASSERT_TRUE(removal_->RemoveDocument("ARCHIVE", doc, "ARCHIVE"));
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
        Window().CheckMetaData.SetValue(c.metadataOnly ? 1 : 0);
        const int32_t source = MakeDocument();
        const auto kept = c.leave(source);
        ClearLog();
        const int32_t copy = Transfer(source);
        ASSERT_GT(copy, 0) << LogText();
        EXPECT_TRUE(LogHas(c.logged)) << LogText();
        std::set<int32_t> expected = kept;
        expected.insert(copy);
        const auto named = Named("ARCHIVE", "Lease");
        EXPECT_EQ(std::set<int32_t>(named.begin(), named.end()), expected);
        EXPECT_EQ(Labels("ARCHIVE", copy), Labels("DOCS", source));
        EXPECT_EQ(Marks(), 0);
        const auto [stray, missing] = StrayFilesAndRows();
        EXPECT_TRUE(stray.empty()) << *stray.begin();
        EXPECT_TRUE(missing.empty()) << *missing.begin();
    }
}

// Killed between the save and the numbering of the mark, a run leaves a
// copy named as the transfer names it: with the library's name appended,
// shortened to fit, or as it was under the option the killed run had.
TEST_F(InterruptedCopiesTest, AHalfBuiltCopyIsFoundUnderEveryNameTheTransferGivesIt) {
    const std::string longName = "Budget 2019 " + std::string(238, 'x');
    struct Case {
        const char* name;
        std::string source;
        bool append;           // now
        std::string leftName;  // of the copy the killed run left
    };
    const Case cases[] = {
        {"with the library's name", "Budget 2019", true, "Budget 2019 - ARCHIVE"},
        {"shortened for the library's name", longName, true, longName.substr(0, 245) + " - ARCHIVE"},
        {"with the library's name, the option cleared since", "Budget 2019", false, "Budget 2019 - ARCHIVE"},
        {"without it, the option set since", "Budget 2019", true, "Budget 2019"},
    };
    StartProgram();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window().CheckAppendLibName.SetValue(c.append ? 1 : 0);
        const int32_t source = MakeDocument(c.source);
        const int64_t before = Documents("ARCHIVE");
        Mark(source, 0);
        const int32_t left = MakePartialCopy(c.leftName);
        ClearLog();

        const int32_t copy = Transfer(source);

        ASSERT_GT(copy, 0) << LogText();
        EXPECT_FALSE(Exists("ARCHIVE", left));
        EXPECT_EQ(Documents("ARCHIVE"), before + 1);
        EXPECT_EQ(Marks(), 0);
    }
}

// A half-built copy that cannot be removed stops the transfer: nothing new
// is built beside it, and its mark stays for the next try.
TEST_F(InterruptedCopiesTest, AnUnremovableHalfBuiltCopyStopsTheTransfer) {
    StartProgram();
    const int32_t source = MakeDocument();
    const int32_t partial = MakePartialCopy();
    Mark(source, partial);
    Faults()
        .On(dmsim::op::kSqlExecute)
        .ForLibrary("ARCHIVE")
        .ForStatement("DELETE FROM DOCSADM.PROFILE WHERE DOCNUMBER")
        .Times(1)
        .FailStatement(547, "The DELETE statement conflicted with a REFERENCE constrain");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_TRUE(LogHas("Error: The incomplete copy #" + to_string(partial) + " of document #" + to_string(source) +
                       " in library ARCHIVE could not be removed"));
    EXPECT_EQ(Documents("ARCHIVE"), 1);
    EXPECT_EQ(Marks(), 1);

    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(Documents("ARCHIVE"), 1);
    EXPECT_EQ(Marks(), 0);
}

// A failed transfer takes its mark with it; a finished one leaves none.
TEST_F(InterruptedCopiesTest, MarksLastOnlyWhileACopyIsUnderConstruction) {
    StartProgram();
    const int32_t source = MakeDocument();
    Faults().On(dmsim::op::kProfileAddVersion).ForLibrary("ARCHIVE").Refuse(-2147217900, "Version refused");
    EXPECT_EQ(Transfer(source), 0);
    EXPECT_EQ(Documents("ARCHIVE"), 0);
    EXPECT_EQ(Marks(), 0);
    Faults().Clear();
    EXPECT_GT(Transfer(source), 0);
    EXPECT_EQ(Marks(), 0);
}

// Check-out folders whose transfer died with its process go; one whose
// owner still holds its lock stays.
TEST_F(InterruptedCopiesTest, CheckOutFoldersOfADeadRunAreRemoved) {
    StartProgram();
    Window().CheckEncryption.SetValue(1);
    const fs::path root = TempRoot();
    fs::create_directories(root / "Dorvane_7_1");
    std::ofstream(root / "Dorvane_7_1" / "ABC01!.DOC") << "left behind";
    std::ofstream(root / "Dorvane_7_1.lock");
    fs::create_directories(root / "Dorvane_8_1");
    const int held = ::open((root / "Dorvane_8_1.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);

    EXPECT_GT(Transfer(MakeDocument()), 0) << LogText();
    EXPECT_TRUE(LogHas("Removed 1 temporary folder(s) left by an earlier run"));
    EXPECT_FALSE(fs::exists(root / "Dorvane_7_1"));
    EXPECT_FALSE(fs::exists(root / "Dorvane_7_1.lock"));
    EXPECT_TRUE(fs::exists(root / "Dorvane_8_1"));
    ::close(held);
}

}  // namespace
}  // namespace transfer_test
