#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "removal_fixture.h"
#include "test_support/query_plan.h"

namespace {

using removal_test::RemovalTest;
namespace fs = std::filesystem;

class FirstVersionTest : public RemovalTest {
protected:
    struct Item {
        std::string label;
        std::string file;
        bool operator==(const Item&) const = default;
    };

    // The document's versions as (label, component file name), in VERSION_ID order.
    std::vector<Item> Items(int32_t doc) {
        auto rows = Db("DOCS").Query("SELECT V.VERSION_LABEL, C.PATH FROM DOCSADM.VERSIONS V JOIN DOCSADM.COMPONENTS C "
                                     "ON C.VERSION_ID = V.VERSION_ID WHERE V.DOCNUMBER = " +
                                     std::to_string(doc) + " ORDER BY V.VERSION_ID");
        std::vector<Item> out;
        for (auto& r : rows.rows) out.push_back({dmsim::AsText(r[0]), dmsim::AsText(r[1])});
        return out;
    }

    std::string Directory(int32_t doc) {
        return Value("DOCS", "SELECT DOCSERVER_LOC || PATH FROM DOCSADM.PROFILE WHERE DOCNUMBER = " +
                                 std::to_string(doc));
    }

    // The document's code in its file names (A4F in A4F01!.DOC).
    std::string Code(int32_t doc) { return Items(doc).front().file.substr(0, 3); }

    static std::string Content(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Gives the component of the version labelled label another file name,
    // on disk and in its row.
    void RenameComponent(int32_t doc, const std::string& label, const std::string& name) {
        for (const auto& item : Items(doc)) {
            if (item.label != label) continue;
            fs::rename(Directory(doc) + item.file, Directory(doc) + name);
            Db("DOCS").Exec("UPDATE DOCSADM.COMPONENTS SET PATH = ? WHERE DOCNUMBER = ? AND PATH = ?",
                            {name, int64_t{doc}, item.file});
        }
    }

    int64_t Activities(int32_t doc, const std::string& label) {
        return Count("DOCS", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + std::to_string(doc) +
                                 " AND VERSION_LABEL = '" + label + "'");
    }
};

// A new document as the transfer leaves it for the fix-up: the DM's
// placeholder version '1' and what was copied so far.
struct FixUpCase {
    const char* name;
    std::vector<dmsim::VersionSpec> versions;
    const char* label;
    // (label, file name with the document's code left out, content)
    std::vector<std::tuple<std::string, std::string, std::string>> after;
};

void PrintTo(const FixUpCase& c, std::ostream* os) { *os << c.name; }

class FixUpTableTest : public FirstVersionTest, public ::testing::WithParamInterface<FixUpCase> {};

TEST_P(FixUpTableTest, LeavesTheFirstVersionInPlaceOfThePlaceholder) {
    StartProgram();
    const auto& c = GetParam();
    const int32_t doc = Document(*docs_, "Lease", c.versions);
    const std::string code = Code(doc);
    const std::string directory = Directory(doc);

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, c.label));

    std::vector<Item> expected;
    for (const auto& [label, file, content] : c.after) {
        expected.push_back({label, code + file});
        EXPECT_EQ(Content(directory + code + file), content) << file;
    }
    EXPECT_EQ(Items(doc), expected) << LogText();
    // Nothing is left on disk that no row names.
    size_t files = 0;
    for (auto& e : fs::directory_iterator(directory)) files += e.path().filename().string().rfind(code, 0) == 0;
    EXPECT_EQ(files, expected.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixUpTableTest,
    ::testing::Values(
        FixUpCase{"PlaceholderOnly", {dmsim::Version("empty")}, "", {{"1", "01!.DOC", "empty"}}},
        FixUpCase{"OneCopiedVersion",
                  {dmsim::Version("empty"), dmsim::Version("copied")},
                  "",
                  {{"1", "01!.DOC", "copied"}}},
        FixUpCase{"CopiedVersionNamed",
                  {dmsim::Version("empty"), dmsim::Version("copied")},
                  "2",
                  {{"1", "01!.DOC", "copied"}}},
        // A subversion hangs off version 1, so the placeholder stays.
        FixUpCase{"Subversion",
                  {dmsim::Version("empty"), dmsim::Subversion(1, "sub")},
                  "1",
                  {{"1", "01!.DOC", "empty"}, {"1A", "01A.DOC", "sub"}}},
        FixUpCase{"Attachment",
                  {dmsim::Version("empty"), dmsim::Attachment("A", "scan")},
                  "A",
                  {{"1", "01!.DOC", "scan"}}},
        FixUpCase{"LabelNotFound",
                  {dmsim::Version("empty"), dmsim::Version("copied")},
                  "7",
                  {{"1", "01!.DOC", "empty"}, {"2", "02!.DOC", "copied"}}}),
    [](const ::testing::TestParamInfo<FixUpCase>& info) { return std::string(info.param.name); });

TEST_F(FirstVersionTest, MovesThePromotedVersionsActivityRowsToLabelOne) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    ASSERT_GT(Activities(doc, "1"), 0);
    ASSERT_GT(Activities(doc, "2"), 0);
    const int64_t promoted = Activities(doc, "2");

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));

    EXPECT_EQ(Activities(doc, "1"), promoted);
    EXPECT_EQ(Activities(doc, "2"), 0);
    EXPECT_EQ(CountLines("Special Processing for first version with label '2'"), 1u) << LogText();
    EXPECT_EQ(CountLines("Processing Component Path change for document #" + std::to_string(doc) +
                         " version/subversion '2' component row"),
              1u);
}

TEST_F(FirstVersionTest, AnAttachmentTakesItsOwnActivityRowsAlong) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Attachment("A", "scan")});
    const int64_t attachment = Activities(doc, "A");
    ASSERT_GT(attachment, 0);

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, "A"));

    EXPECT_EQ(Activities(doc, "A"), 0);
    EXPECT_EQ(Activities(doc, "1"), attachment);
    EXPECT_EQ(CountLines("Special Processing for an attachment with version label 'A'"), 1u) << LogText();
}

TEST_F(FirstVersionTest, TheLowestVersionByNumberIsPromoted) {
    StartProgram();
    std::vector<dmsim::VersionSpec> versions = {dmsim::Version("empty")};
    for (int v = 2; v <= 10; ++v) versions.push_back(dmsim::Version("v" + std::to_string(v)));
    const int32_t doc = Document(*docs_, "Lease", versions);

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));

    const auto items = Items(doc);
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items.front().label, "1");
    EXPECT_EQ(Content(Directory(doc) + items.front().file), "v2");
    EXPECT_EQ(items.back().label, "10");
}

struct RenameCase {
    const char* name;
    const char* file;
    const char* renamed;
};

void PrintTo(const RenameCase& c, std::ostream* os) { *os << c.name; }

class FileNameRuleTest : public FirstVersionTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(FileNameRuleTest, TheFileAndItsRowTakeTheVersionOneName) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    RenameComponent(doc, "2", GetParam().file);

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));

    EXPECT_EQ(Items(doc), (std::vector<Item>{{"1", GetParam().renamed}})) << LogText();
    EXPECT_EQ(Content(Directory(doc) + GetParam().renamed), "copied");
    EXPECT_FALSE(fs::exists(Directory(doc) + GetParam().file));
}

INSTANTIATE_TEST_SUITE_P(Names, FileNameRuleTest,
                         ::testing::Values(RenameCase{"ExtensionTwo", "REPORT.02", "REPORT.01"},
                                           RenameCase{"Apostrophe", "O'K02!.DOC", "O'K01!.DOC"}),
                         [](const ::testing::TestParamInfo<RenameCase>& info) { return std::string(info.param.name); });

TEST_F(FirstVersionTest, AMissingVersionFileFails) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    const std::string copied = Directory(doc) + Items(doc).back().file;
    fs::remove(copied);

    EXPECT_FALSE(removal_->ChangeFirstVersion(doc, ""));

    EXPECT_EQ(CountLines("Error: Unable to locate the version file " + copied + " - cannot continue special processing"),
              1u)
        << LogText();
}

TEST_F(FirstVersionTest, WithMetadataOnlyAMissingFileFailsAtTheRename) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    fs::remove(Directory(doc) + Items(doc).back().file);
    window_->CheckMetaData.SetValue(1);

    EXPECT_FALSE(removal_->ChangeFirstVersion(doc, ""));

    EXPECT_EQ(CountLines("Unable to locate the version file"), 0u) << LogText();
    EXPECT_EQ(CountLines("ChangeFirstVersion:"), 1u);
    EXPECT_EQ(CountLines("Error: #53 was generated by Dorvane"), 1u);
}

TEST_F(FirstVersionTest, ARenameThatLeavesNoFileKeepsTheRowOnWhatExists) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    const std::string directory = Directory(doc);
    const std::string copied = Items(doc).back().file;
    // Under the component's name stands something that is not a plain file.
    fs::remove(directory + copied);
    fs::create_directory(directory + copied);
    window_->CheckMetaData.SetValue(1);

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));

    EXPECT_EQ(CountLines("Error: Unable to process Component Path Change"), 1u) << LogText();
    for (const auto& item : Items(doc)) EXPECT_TRUE(fs::exists(directory + item.file)) << item.file;
}

TEST_F(FirstVersionTest, AShortBaseNameFailsAfterThePlaceholderIsGone) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    RenameComponent(doc, "2", "K2.DOC");

    EXPECT_FALSE(removal_->ChangeFirstVersion(doc, ""));

    EXPECT_EQ(Items(doc), (std::vector<Item>{{"1", "K2.DOC"}}));
    EXPECT_EQ(CountLines("ChangeFirstVersion:"), 1u) << LogText();
    EXPECT_EQ(CountLines("Error: #5 was generated by Dorvane"), 1u);
}

TEST_F(FirstVersionTest, APlaceholderFileAnotherDocumentNamesIsKept) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    const int32_t other = Document(*docs_, "Other", {dmsim::Version("own")});
    const std::string directory = Directory(doc);
    const std::string placeholder = Items(doc).front().file;
    fs::remove(directory + Items(other).front().file);
    Db("DOCS").Exec("UPDATE DOCSADM.COMPONENTS SET PATH = ? WHERE DOCNUMBER = ?", {placeholder, int64_t{other}});

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));

    EXPECT_EQ(Content(directory + placeholder), "empty");
    EXPECT_EQ(CountLines("Error: Unable to remove " + directory + placeholder), 1u) << LogText();
    // Not renamed: the promoted version still names its own file.
    const auto items = Items(doc);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(Content(directory + items.front().file), "copied");
}

// Another document's row names the placeholder's file: in any letter case
// it is the same file, kept whether the library compares texts regardless
// of case or not; in another folder it is another file.
struct SharedFileCase {
    const char* name;
    bool caseSensitive;
    bool lowerCase;    // the other row's spelling of the name
    bool sameFolder;   // the other document's folder
    bool kept;
};

void PrintTo(const SharedFileCase& c, std::ostream* os) { *os << c.name; }

class SharedFileTest : public FirstVersionTest, public ::testing::WithParamInterface<SharedFileCase> {};

TEST_P(SharedFileTest, APlaceholderFileIsSharedByItsNameInAnyLetterCase) {
    const SharedFileCase& c = GetParam();
    site_.Library("DOCS").SettingsTable(true).CaseSensitive(c.caseSensitive);
    site_.Library("ARCHIVE");
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    const int32_t other = Document(*docs_, "Other", {dmsim::Version("own")});
    const std::string directory = Directory(doc);
    const std::string placeholder = Items(doc).front().file;
    fs::remove(directory + Items(other).front().file);
    std::string spelling = placeholder;
    if (c.lowerCase) std::transform(spelling.begin(), spelling.end(), spelling.begin(), ::tolower);
    Db("DOCS").Exec("UPDATE DOCSADM.COMPONENTS SET PATH = ? WHERE DOCNUMBER = ?", {spelling, int64_t{other}});
    if (!c.sameFolder) {
        Db("DOCS").Exec("UPDATE DOCSADM.PROFILE SET PATH = 'ELSEWHERE/' WHERE DOCNUMBER = ?", {int64_t{other}});
    }

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));

    // A kept placeholder stays, and the promoted version keeps its own name.
    EXPECT_EQ(Content(directory + placeholder), c.kept ? "empty" : "copied") << LogText();
    EXPECT_EQ(CountLines(" is also a component of document #" + std::to_string(other)), c.kept ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SharedFileTest,
    ::testing::Values(SharedFileCase{"SameSpelling", false, false, true, true},
                      SharedFileCase{"LowerCase", false, true, true, true},
                      SharedFileCase{"LowerCaseInACaseSensitiveLibrary", true, true, true, true},
                      SharedFileCase{"SameSpellingInACaseSensitiveLibrary", true, false, true, true},
                      SharedFileCase{"AnotherFolder", false, false, false, false},
                      SharedFileCase{"AnotherFolderInACaseSensitiveLibrary", true, true, false, false}),
    [](const ::testing::TestParamInfo<SharedFileCase>& info) { return std::string(info.param.name); });

// However many documents the library holds, the fix-up finds the other
// documents that name the placeholder's file through an index on the file
// name, not by reading every component row.
TEST_F(FirstVersionTest, TheOtherUsersOfAFileAreLookedUpThroughAnIndex) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease", {dmsim::Version("empty"), dmsim::Version("copied")});
    Document(*docs_, "Other", {dmsim::Version("own")});

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));

    int lookups = 0;
    for (const auto& call : emulator_->Calls().Of(dmsim::op::kSqlExecute)) {
        const std::string statement = call.args.at(0).ToText();
        if (statement.find("P.DOCNUMBER <> " + std::to_string(doc)) == std::string::npos) continue;
        ++lookups;
        const std::string plan = test_support::QueryPlan(Db("DOCS"), statement);
        EXPECT_FALSE(test_support::ReadsWholeTable(plan, "C")) << statement << "\n" << plan;
        EXPECT_FALSE(test_support::ReadsWholeTable(plan, "P")) << statement << "\n" << plan;
    }
    EXPECT_EQ(lookups, 1);
}

TEST_F(FirstVersionTest, DocumentWithoutVersionsOrNumber) {
    StartProgram();
    const int32_t doc = Document(*docs_, "Lease");
    Db("DOCS").Exec("DELETE FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + std::to_string(doc));

    EXPECT_TRUE(removal_->ChangeFirstVersion(doc, ""));
    EXPECT_EQ(CountLines("No versions found for document #" + std::to_string(doc)), 1u) << LogText();

    ClearLog();
    EXPECT_FALSE(removal_->ChangeFirstVersion(0, ""));
    EXPECT_TRUE(LogLines().empty());
}

}  // namespace
