// Three computers working one queue start together, each taking one
// document (batch size 1) of a folder that the target does not hold yet, so
// that all three look for that folder, and its parents, at the same moment.
// Meanwhile someone files a document of the target into that folder as soon
// as it appears. Afterwards the target holds each folder once, in its
// source's place, every copy is filed in the folders its source is filed
// in, and the document filed during the race is still there: whatever one
// computer made, the others waited for and used.
//
// A few rounds by default; DORVANE_FOLDER_RACE_ROUNDS=N runs N rounds of
// each case.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "dmsim/document_maker.h"
#include "dmsim/emulator.h"
#include "dmsim/library_db.h"
#include "dmsim/site_file.h"
#include "test_support/computers_site.h"
#include "test_support/process.h"
#include "test_support/temp_dir.h"

namespace app_test {
namespace {

namespace fs = std::filesystem;
using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::Slurp;

constexpr int kComputers = 3;

int Rounds() {
    const char* rounds = std::getenv("DORVANE_FOLDER_RACE_ROUNDS");
    return rounds && *rounds ? std::max(1, std::atoi(rounds)) : 2;
}

// The demo site with the documents queued for ARCHIVE, each computer taking
// one document per run.
class Site : public test_support::ComputersSite {
public:
    explicit Site(const std::vector<int32_t>& queued) {
        Tool({"create", Dir(), "--demo"});
        Tool({"sql", Dir(), "DOCS",
              "INSERT INTO [OWNER].KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, INT_VAL) VALUES "
              "('Dorvane for DodiDida dIRAZ', 'General', 'BatchSize', 2, 1)"});
        std::vector<std::string> queue = {"queue", Dir(), "DOCS", "ARCHIVE"};
        for (int32_t doc : queued) queue.push_back(std::to_string(doc));
        Tool(queue);
    }

    // Starts `dorvane /S=DOCS /T=ARCHIVE /G /X` as computer `who`.
    pid_t Start(int who) {
        return ComputersSite::Start(Own(who), "RACE" + std::to_string(who), {"/S=DOCS", "/T=ARCHIVE", "/G", "/X"});
    }

    // A document of the target, to be filed while the computers race.
    int32_t TargetDocument() {
        dmsim::Emulator emulator(Dir());
        dmsim::DocumentSpec spec;
        spec.name = "Filed during the race";
        return dmsim::DocumentMaker(emulator, "ARCHIVE").Create(spec);
    }

    std::string StandardError(int who) const { return ComputersSite::StandardError(Own(who)); }
    std::string Log(int who) const { return ComputersSite::Log(Own(who)); }

    // The names of the folders document doc is filed in, sorted.
    std::multiset<std::string> FolderNames(const std::string& library, int64_t doc) {
        std::multiset<std::string> names;
        for (auto& r : Db(library)
                           .Query("SELECT P.DOCNAME FROM DOCSADM.FOLDER_ITEM FI JOIN DOCSADM.PROFILE P ON "
                                  "P.DOCNUMBER = FI.PARENT WHERE FI.DOCNUMBER = " + std::to_string(doc))
                           .rows) {
            names.insert(dmsim::AsText(r[0]));
        }
        return names;
    }

private:
    static std::string Own(int who) { return "computer" + std::to_string(who); }
};

// Watches the target while the computers race, on a thread of its own:
// every folder that stands at some moment, and a document of the target
// filed into the folder of a name as soon as there is one.
class RaceWatch {
public:
    RaceWatch(const std::string& site, int32_t doc, std::string folder)
        : thread_([this, site, doc, folder = std::move(folder)] { Watch(site, doc, folder); }) {}
    ~RaceWatch() { Stop(); }

    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    bool Filed() const { return filed_; }
    // The numbers each folder name stood under.
    const std::map<std::string, std::set<int64_t>>& Seen() const { return seen_; }

private:
    void Watch(const std::string& site, int32_t doc, const std::string& folder) {
        dmsim::Emulator emulator(site);
        dmsim::DocumentMaker maker(emulator, "ARCHIVE");
        auto& db = emulator.Library("ARCHIVE");
        // Once more after the stop, for what the last moments made.
        for (bool last = false; !last;) {
            last = stop_;
            for (auto& r : db.Query("SELECT P.DOCNAME, F.DOCNUMBER FROM DOCSADM.FOLDER F JOIN DOCSADM.PROFILE P ON "
                                    "P.DOCNUMBER = F.DOCNUMBER")
                               .rows) {
                const std::string name = dmsim::IsNull(r[0]) ? "" : dmsim::AsText(r[0]);
                seen_[name].insert(dmsim::AsInt(r[1]));
                if (!filed_ && name == folder) {
                    maker.File(doc, static_cast<int32_t>(dmsim::AsInt(r[1])));
                    filed_ = true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::atomic<bool> stop_{false};
    bool filed_ = false;
    std::map<std::string, std::set<int64_t>> seen_;
    std::thread thread_;
};

// Every breach of "each folder once, each copy filed as its source, the
// document filed during the race still there" in what a round left.
std::vector<std::string> Breaches(Site& site, const std::vector<int32_t>& queued, int32_t filed,
                                  const std::string& folder, const RaceWatch& watch) {
    std::vector<std::string> breaches;
    for (const auto& [name, numbers] : watch.Seen()) {
        if (numbers.size() > 1) {
            breaches.push_back("folder " + name + " was made " + std::to_string(numbers.size()) + " times");
        }
    }
    for (auto& r : site.Db("ARCHIVE")
                       .Query("SELECT P.DOCNAME, COUNT(*) FROM DOCSADM.PROFILE P JOIN DOCSADM.FOLDER F ON "
                              "F.DOCNUMBER = P.DOCNUMBER GROUP BY P.DOCNAME HAVING COUNT(*) > 1")
                       .rows) {
        breaches.push_back("folder " + dmsim::AsText(r[0]) + " stands " + std::to_string(dmsim::AsInt(r[1])) +
                           " times");
    }
    // Filed twice under one parent shows as the parent's name twice.
    for (auto& r : site.Db("ARCHIVE")
                       .Query("SELECT P.DOCNAME FROM DOCSADM.FOLDER_ITEM FI JOIN DOCSADM.PROFILE P ON P.DOCNUMBER = "
                              "FI.DOCNUMBER WHERE FI.NODE_TYPE = 'F' GROUP BY FI.PARENT, FI.DOCNUMBER, P.DOCNAME "
                              "HAVING COUNT(*) > 1")
                       .rows) {
        breaches.push_back("folder " + dmsim::AsText(r[0]) + " is filed twice in its parent");
    }
    for (int32_t doc : queued) {
        const std::string n = std::to_string(doc);
        const int64_t copy = site.Value(
            "ARCHIVE", "SELECT MAX(DOCNUMBER) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT = " + n +
                           " AND (ACTIVITY_TYPE = 24 OR (ACTIVITY_TYPE = 0 AND ACTIVITY_DESC LIKE 'Copied from%'))");
        if (copy == 0) {
            breaches.push_back("document #" + n + " has no copy");
        } else if (site.FolderNames("ARCHIVE", copy) != site.FolderNames("DOCS", doc)) {
            breaches.push_back("the copy of document #" + n + " is not filed as its source");
        }
    }
    if (site.FolderNames("ARCHIVE", filed) != std::multiset<std::string>{folder}) {
        breaches.push_back("the document filed during the race is not in folder " + folder);
    }
    const int64_t marks = site.Value("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0");
    if (marks != 0) breaches.push_back(std::to_string(marks) + " mark(s) left");
    return breaches;
}

struct Case {
    const char* name;
    std::vector<int32_t> queued;
    const char* folder;  // the folder of the queued documents
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class FolderRaceTest : public ::testing::TestWithParam<Case> {};

TEST_P(FolderRaceTest, EachFolderOnceEveryCopyFiled) {
    const Case& c = GetParam();
    const int rounds = Rounds();
    int spoiled = 0;
    int waits = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Site site(c.queued);
        const int32_t filed = site.TargetDocument();
        pid_t pids[kComputers];
        for (int who = 0; who < kComputers; ++who) {
            pids[who] = site.Start(who);
            ASSERT_GT(pids[who], 0);
        }
        // Started once the computers are: a fork beside a running thread
        // may copy a lock that thread holds.
        RaceWatch watch(site.Dir(), filed, c.folder);
        for (int who = 0; who < kComputers; ++who) {
            const ProcessResult result = test_support::WaitProcess(pids[who]);
            EXPECT_EQ(result.exitCode, 0) << "computer " << who << " (signal " << result.signal << ")\n"
                                          << site.Log(who);
            EXPECT_EQ(site.StandardError(who), "") << "computer " << who;
            const std::string log = site.Log(who);
            for (size_t at = 0; (at = log.find(" - waiting for it", at)) != std::string::npos; ++at) ++waits;
        }
        watch.Stop();
        EXPECT_TRUE(watch.Filed()) << "no folder " << c.folder;
        const auto breaches = Breaches(site, c.queued, filed, c.folder, watch);
        if (!breaches.empty()) ++spoiled;
        for (const auto& breach : breaches) ADD_FAILURE() << breach;
    }
    std::cout << c.name << ": " << spoiled << " of " << rounds << " round(s) spoiled; " << waits
              << " wait(s) for a folder another computer was making\n";
}

// Documents 16, 28 and 40 are filed in the private root folder "Jane's
// Drafts"; 5, 17 and 29 in "Acme v. Globex", three folders deep under the
// public root folder "Clients".
INSTANTIATE_TEST_SUITE_P(Races, FolderRaceTest,
                         ::testing::Values(Case{"RootFolder", {16, 28, 40}, "Jane's Drafts"},
                                           Case{"Subfolders", {5, 17, 29}, "Acme v. Globex"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace app_test
