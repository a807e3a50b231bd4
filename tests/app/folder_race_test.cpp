// Three computers working one queue start together, each taking one
// document (batch size 1) of a folder that the target does not hold yet, so
// that all three look for that folder, and its parents, at the same moment.
// Afterwards the target holds each folder once, in its source's place, and
// every copy is filed in the folders its source is filed in: whatever one
// computer made, the others used, and a folder made twice in the race was
// merged into the first by the computer that made it.
//
// A few rounds by default; DORVANE_FOLDER_RACE_ROUNDS=N runs N rounds of
// each case.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>

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

// Every breach of "each folder once, each copy filed as its source" in
// what a round left.
std::vector<std::string> Breaches(Site& site, const std::vector<int32_t>& queued) {
    std::vector<std::string> breaches;
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
    const int64_t marks = site.Value("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0");
    if (marks != 0) breaches.push_back(std::to_string(marks) + " mark(s) left");
    return breaches;
}

struct Case {
    const char* name;
    std::vector<int32_t> queued;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class FolderRaceTest : public ::testing::TestWithParam<Case> {};

TEST_P(FolderRaceTest, EachFolderOnceEveryCopyFiled) {
    const Case& c = GetParam();
    const int rounds = Rounds();
    int spoiled = 0;
    int merged = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Site site(c.queued);
        pid_t pids[kComputers];
        for (int who = 0; who < kComputers; ++who) {
            pids[who] = site.Start(who);
            ASSERT_GT(pids[who], 0);
        }
        for (int who = 0; who < kComputers; ++who) {
            const ProcessResult result = test_support::WaitProcess(pids[who]);
            EXPECT_EQ(result.exitCode, 0) << "computer " << who << " (signal " << result.signal << ")\n"
                                          << site.Log(who);
            EXPECT_EQ(site.StandardError(who), "") << "computer " << who;
            const std::string log = site.Log(who);
            for (size_t at = 0; (at = log.find(", made at the same moment, goes into it", at)) != std::string::npos;
                 ++at) {
                ++merged;
            }
        }
        const auto breaches = Breaches(site, c.queued);
        if (!breaches.empty()) ++spoiled;
        for (const auto& breach : breaches) ADD_FAILURE() << breach;
    }
    std::cout << c.name << ": " << spoiled << " of " << rounds << " round(s) spoiled; " << merged
              << " folder(s) made twice and merged\n";
}

// Documents 16, 28 and 40 are filed in the private root folder "Jane's
// Drafts"; 5, 17 and 29 in "Acme v. Globex", three folders deep under the
// public root folder "Clients".
INSTANTIATE_TEST_SUITE_P(Races, FolderRaceTest,
                         ::testing::Values(Case{"RootFolder", {16, 28, 40}}, Case{"Subfolders", {5, 17, 29}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace app_test
