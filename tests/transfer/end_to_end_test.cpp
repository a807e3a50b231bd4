// The demo site's queue archived by the archive run with the real transfer,
// in all three modes: every target document matches its source. A Move on a
// relocated copy of the site leaves the original's files alone.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>

#include "app/dorvane_form.h"
#include "dmsim/default_site.h"
#include "dmsim/document_maker.h"
#include "dmsim/library_db.h"
#include "dmsim/queue_table.h"
#include "dmsim/site_tool.h"
#include "forms/main_window.h"
#include "install/queue_table_statements.h"
#include "install/queue_trigger.h"
#include "test_support/program_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

// What a document is, as far as its copy must show it.
struct Snapshot {
    std::map<std::string, std::string> columns;
    std::vector<std::string> labels;
    std::vector<std::string> contents;
    bool operator==(const Snapshot&) const = default;
};

void PrintTo(const Snapshot& s, std::ostream* os) {
    for (auto& [k, v] : s.columns) *os << k << "=" << v << " ";
    for (auto& l : s.labels) *os << "[" << l << "]";
    *os << " " << s.contents.size() << " file(s)";
}

class EndToEndTest : public test_support::ProgramTest {
protected:
    app::DorvaneForm* form_ = nullptr;

    void SetUp() override {
        dmsim::CreateDefaultSite(dir_.path() / "site", true);
        StartProgram();
    }

    // The program with the archive run on the site in dir_/site.
    void StartProgram() {
        siteCreated_ = true;
        Open();
        dmsim::InstallQueueTable(Db("DOCS"));
        registry_->SaveSetting(core::kProductName, "General", "LogFile", LogPath());
        form_ = &app_->form;
        form_->Form_Load();
        auto& w = *window_;
        w.CheckActivityLog.SetValue(1);
        w.CheckFolders.SetValue(1);
        w.CheckLoop.SetValue(0);
        w.CheckAppendLibName.SetValue(0);
        w.CheckDisplayErrors.SetValue(0);
        w.TextBatchSize.SetText("0");
    }

    dmsim::LibraryDb& Db(const std::string& library) { return emulator_->Library(library); }

    std::vector<std::string> Column(const std::string& library, const std::string& sql) {
        std::vector<std::string> out;
        for (auto& r : Db(library).Query(sql).rows) out.push_back(dmsim::IsNull(r[0]) ? "" : dmsim::AsText(r[0]));
        return out;
    }

    Snapshot Take(const std::string& library, int32_t doc) {
        const std::string n = to_string(doc);
        Snapshot s;
        auto row = Db(library).Query(
            "SELECT P.DOCNAME, AU.USER_ID, TY.USER_ID, AP.APPLICATION, DT.TYPE_ID, M.MATTER_ID, P.STORAGETYPE, "
            "P.DEFAULT_RIGHTS, P.CREATION_DATE, P.LAST_EDIT_DATE, P.PD_ORIGINATOR, P.PD_ADDRESSEE FROM "
            "DOCSADM.PROFILE P LEFT JOIN DOCSADM.PEOPLE AU ON AU.SYSTEM_ID = P.AUTHOR LEFT JOIN DOCSADM.PEOPLE TY "
            "ON TY.SYSTEM_ID = P.TYPIST LEFT JOIN DOCSADM.APPS AP ON AP.SYSTEM_ID = P.APPLICATION LEFT JOIN "
            "DOCSADM.DOCUMENTTYPES DT ON DT.SYSTEM_ID = P.DOCUMENTTYPE LEFT JOIN DOCSADM.MATTER M ON M.SYSTEM_ID = "
            "P.MATTER WHERE P.DOCNUMBER = " + n);
        const char* names[] = {"DOCNAME", "AUTHOR", "TYPIST", "APPLICATION", "TYPE", "MATTER", "STORAGETYPE",
                               "DEFAULT_RIGHTS", "CREATION_DATE", "LAST_EDIT_DATE", "ORIGINATOR", "ADDRESSEE"};
        if (!row.rows.empty()) {
            for (size_t i = 0; i < std::size(names); ++i) {
                const auto& v = row.rows[0][i];
                // Dates as the DM client hands them over: to the second.
                s.columns[names[i]] = dmsim::IsNull(v) ? "" : dmsim::ToClientText(dmsim::AsText(v));
            }
        }
        s.labels = Column(library, "SELECT VERSION_LABEL FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n +
                                       " ORDER BY VERSION, SUBVERSION");
        for (auto& path : Column(library, "SELECT P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.VERSIONS V JOIN "
                                          "DOCSADM.COMPONENTS C ON C.VERSION_ID = V.VERSION_ID JOIN DOCSADM.PROFILE P "
                                          "ON P.DOCNUMBER = V.DOCNUMBER WHERE V.DOCNUMBER = " + n +
                                          " ORDER BY V.VERSION, V.SUBVERSION")) {
            std::ifstream in(path, std::ios::binary);
            s.contents.push_back(in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>");
        }
        return s;
    }

    std::vector<int32_t> SourceDocuments() {
        std::vector<int32_t> out;
        for (auto& v : Column("DOCS", "SELECT P.DOCNUMBER FROM DOCSADM.PROFILE P JOIN DOCSADM.APPS A ON A.SYSTEM_ID = "
                                      "P.APPLICATION WHERE A.APPLICATION <> 'FOLDER' ORDER BY P.DOCNUMBER")) {
            out.push_back(std::stoi(v));
        }
        return out;
    }

    // The copy of a source document in a target, by the target's own log.
    int32_t CopyOf(const std::string& target, int32_t source) {
        auto found = Column(target, "SELECT A.DOCNUMBER FROM DOCSADM.ACTIVITYLOG A JOIN DOCSADM.REMOTE_LIBRARIES RL "
                                    "ON RL.SYSTEM_ID = A.REF_LIBRARY WHERE RL.LIBRARY_NAME = 'DOCS' AND "
                                    "A.ACTIVITY_TYPE IN (0, 24) AND A.REF_DOCUMENT = " + to_string(source));
        return found.size() == 1 ? std::stoi(found[0]) : 0;
    }

    void RunTo(const std::string& target, forms::OptionButton& mode, const std::vector<int32_t>& documents) {
        dmsim::QueueDocuments(Db("DOCS"), target, documents);
        auto& box = window_->LibBox;
        for (int i = 0; i < box.Count(); ++i) box.SetChecked(i, box.Item(i).text == target);
        mode.Select();
        form_->Button_Go_Click();
    }
};

TEST_F(EndToEndTest, TheDemoQueueArrivesInEveryModeAsItsSourcesAre) {
    auto& w = *window_;
    const auto documents = SourceDocuments();
    ASSERT_GE(documents.size(), 30u);
    std::map<int32_t, Snapshot> before;
    for (int32_t doc : documents) before[doc] = Take("DOCS", doc);

    RunTo("ARCHIVE", w.OptionCopy, documents);
    for (int32_t doc : documents) {
        SCOPED_TRACE("copy of #" + to_string(doc));
        const int32_t copy = CopyOf("ARCHIVE", doc);
        ASSERT_GT(copy, 0);
        EXPECT_EQ(Take("ARCHIVE", copy), before[doc]);
        EXPECT_EQ(Take("DOCS", doc), before[doc]);
    }
    EXPECT_EQ(Column("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING")[0], "0");

    std::vector<int32_t> transferred, moved;
    for (size_t i = 0; i < documents.size(); ++i) (i % 2 ? moved : transferred).push_back(documents[i]);
    RunTo("ARCHIVE2", w.OptionTransfer, transferred);
    RunTo("ARCHIVE2", w.OptionMove, moved);
    for (int32_t doc : transferred) {
        SCOPED_TRACE("transfer of #" + to_string(doc));
        const int32_t copy = CopyOf("ARCHIVE2", doc);
        ASSERT_GT(copy, 0);
        EXPECT_EQ(Take("ARCHIVE2", copy), before[doc]);
        EXPECT_EQ(Column("DOCS", "SELECT STATUS FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(doc)),
                  std::vector<std::string>{"4"});
    }
    for (int32_t doc : moved) {
        SCOPED_TRACE("move of #" + to_string(doc));
        const int32_t copy = CopyOf("ARCHIVE2", doc);
        ASSERT_GT(copy, 0);
        EXPECT_EQ(Take("ARCHIVE2", copy), before[doc]);
        EXPECT_TRUE(Take("DOCS", doc).columns.empty());
    }
    EXPECT_EQ(Column("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING")[0], "0");
    EXPECT_EQ(CountLines("Error: Document transfer unsuccessful"), 0u);
}

// A library installed with the program's own statements queues a document
// by itself when the DM saves its profile, and the run archives it.
TEST_F(EndToEndTest, AnInstalledLibraryQueuesSavedProfilesForTheRun) {
    auto& p = *program_;
    ASSERT_TRUE(p.ConnectLibrary("DOCS"));
    const int32_t engine = p.facts.DatabaseEngine;
    for (const auto& statement : install::QueueTableStatements(engine)) p.RunSQL(statement);
    p.RunSQL(install::TriggerDropStatement(engine));
    install::TriggerSelection selection;
    selection.targetSystemId = std::stoi(
        Column("DOCS", "SELECT SYSTEM_ID FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE'")[0]);
    p.RunSQL(install::QueueTriggerText(selection, engine, "Sep 1, 2022"));
    ASSERT_EQ(Column("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING")[0], "0");

    dmsim::DocumentSpec spec;
    spec.name = "Saved after the installation";
    spec.versions = {dmsim::Version("first"), dmsim::Version("second")};
    const int32_t doc = dmsim::DocumentMaker(*emulator_, "DOCS").Create(spec);
    EXPECT_EQ(Column("DOCS", "SELECT TARGET_LIBRARY || ' ' || STATUS FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = " +
                                 to_string(doc)),
              std::vector<std::string>{"ARCHIVE 0"});

    auto& box = window_->LibBox;
    for (int i = 0; i < box.Count(); ++i) box.SetChecked(i, box.Item(i).text == "ARCHIVE");
    window_->OptionCopy.Select();
    form_->Button_Go_Click();
    const int32_t copy = CopyOf("ARCHIVE", doc);
    ASSERT_GT(copy, 0);
    EXPECT_EQ(Take("ARCHIVE", copy), Take("DOCS", doc));
    EXPECT_EQ(Column("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING")[0], "0");
}

// A demo site copied as a backup (cp -a) before trying a Move.
class CopiedSiteTest : public EndToEndTest {
protected:
    void SetUp() override {
        dmsim::CreateDefaultSite(original_, true);
        std::filesystem::copy(original_, dir_.path() / "site", std::filesystem::copy_options::recursive);
    }

    // A digest of every file below a folder, by relative path.
    static std::map<std::string, uint64_t> Digests(const std::filesystem::path& dir) {
        std::map<std::string, uint64_t> digests;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path(), std::ios::binary);
            uint64_t hash = 14695981039346656037ull;  // FNV-1a
            for (std::istreambuf_iterator<char> c(in), end; c != end; ++c) {
                hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
            }
            digests[e.path().lexically_relative(dir).string()] = hash;
        }
        return digests;
    }

    const std::filesystem::path original_ = dir_.path() / "original";
};

TEST_F(CopiedSiteTest, AMoveOnTheRelocatedCopyLeavesTheOriginalUntouched) {
    const std::string copy = (dir_.path() / "site").string();
    try {
        dmsim::Emulator refused(copy);
        FAIL() << "a copied site opened";
    } catch (const dmsim::SiteError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(original_.string()), std::string::npos) << text;
        EXPECT_NE(text.find("dmsite relocate " + copy), std::string::npos) << text;
    }

    std::ostringstream out, err;
    ASSERT_EQ(dmsim::RunSiteTool({"relocate", copy}, out, err), 0) << err.str();
    const auto before = Digests(original_);
    ASSERT_GT(before.size(), 60u);
    StartProgram();
    dmsim::InstallQueueTable(Db("DOCS"));
    const auto documents = SourceDocuments();
    window_->CheckMetaData.SetValue(0);  // a Move with the files: the source's go
    RunTo("ARCHIVE2", window_->OptionMove, documents);

    for (int32_t doc : documents) {
        SCOPED_TRACE("move of #" + to_string(doc));
        const int32_t moved = CopyOf("ARCHIVE2", doc);
        ASSERT_GT(moved, 0);
        for (const auto& content : Take("ARCHIVE2", moved).contents) EXPECT_NE(content, "<missing>");
        EXPECT_TRUE(Take("DOCS", doc).columns.empty());
    }
    EXPECT_EQ(CountLines("Error: Document transfer unsuccessful"), 0u);
    EXPECT_LT(Digests(dir_.path() / "site" / "docserver" / "DOCS").size(),
              Digests(original_ / "docserver" / "DOCS").size())
        << "the copy's own files went";
    EXPECT_EQ(Digests(original_), before);
}

}  // namespace
}  // namespace transfer_test
