// Two unattended runs under one computer name on one site, as a scheduler
// makes them when it starts the next run while the last one still works:
// started together, or the second once the target holds some copies, in
// Copy, Transfer and Move. Afterwards every queued document stands exactly
// once in the target, none is lost and no queue row is left; a run that
// could not start names the process that works the queue.
//
// A short form by default; DORVANE_OVERLAP_FULL=1 queues more documents and
// runs more rounds.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "dmsim/library_db.h"
#include "dmsim/site_file.h"
#include "platform/process_lock.h"
#include "test_support/computers_site.h"
#include "test_support/process.h"
#include "test_support/temp_dir.h"

namespace app_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::Slurp;

constexpr const char* kComputer = "OVERLAP";

bool FullForm() {
    const char* full = std::getenv("DORVANE_OVERLAP_FULL");
    return full && std::string(full) == "1";
}

// A site whose DOCS queues its documents for ARCHIVE, and the program run
// on it under one computer name by two schedulers with settings and
// temporary folders of their own.
class Site : public test_support::ComputersSite {
public:
    explicit Site(int documents) {
        Tool({"create", Dir()});
        Tool({"add-docs", Dir(), "DOCS", std::to_string(documents), "1", "100"});
        Tool({"queue", Dir(), "DOCS", "ARCHIVE"});
        for (auto& row : Db("DOCS").Query("SELECT SID FROM DOCSADM.NEEDS_ARCHIVING").rows) {
            queued_.push_back(static_cast<int32_t>(dmsim::AsInt(row[0])));
        }
    }

    const std::vector<int32_t>& Queued() const { return queued_; }

    // Starts `dorvane /S=DOCS /T=ARCHIVE <mode> /G /X` as scheduler `who`.
    // A scheduler's `/G /X`, or a plain `/G`, which ends after its run as
    // well without a display.
    pid_t Start(int who, const std::vector<std::string>& mode, bool exitSwitch = true) {
        std::vector<std::string> switches = {"/S=DOCS", "/T=ARCHIVE"};
        switches.insert(switches.end(), mode.begin(), mode.end());
        switches.push_back("/G");
        if (exitSwitch) switches.push_back("/X");
        return ComputersSite::Start(Scheduler(who), kComputer, switches);
    }

    std::string StandardError(int who) const { return ComputersSite::StandardError(Scheduler(who)); }

private:
    static std::string Scheduler(int who) { return "scheduler" + std::to_string(who); }

    std::vector<int32_t> queued_;
};

bool Ended(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

struct Figures {
    int64_t lost = 0;     // queued documents without a copy
    int64_t doubled = 0;  // copies beyond the first, and documents that record no source
    int64_t rowsLeft = 0;
    int64_t sourcesLeft = 0;  // Move: sources still there; Transfer: not marked transferred
};

struct Mode {
    const char* name;
    std::vector<std::string> switches;
    bool transfer;
    bool move;
};
const Mode kModes[] = {{"Copy", {}, false, false}, {"Transfer", {"/F"}, true, false}, {"Move", {"/M"}, false, true}};

// What a round left in the site.
Figures Count(Site& site, const Mode& mode) {
    Figures f;
    f.rowsLeft = site.Value("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING");
    // Each document of the target by the source document it records it
    // arrived from (0: none).
    auto rows = site.Db("ARCHIVE").Query(
        "SELECT P.DOCNUMBER, (SELECT MAX(A.REF_DOCUMENT) FROM DOCSADM.ACTIVITYLOG A WHERE A.DOCNUMBER = P.DOCNUMBER "
        "AND (A.ACTIVITY_TYPE = 24 OR (A.ACTIVITY_TYPE = 0 AND A.ACTIVITY_DESC LIKE 'Copied from%'))) FROM "
        "DOCSADM.PROFILE P LEFT JOIN DOCSADM.APPS X ON X.SYSTEM_ID = P.APPLICATION WHERE X.APPLICATION IS NULL OR "
        "X.APPLICATION <> 'FOLDER'");
    std::map<int64_t, int64_t> copies;
    for (auto& row : rows.rows) ++copies[dmsim::IsNull(row[1]) ? 0 : dmsim::AsInt(row[1])];
    f.doubled = copies[0];
    for (int32_t doc : site.Queued()) {
        const int64_t n = copies[doc];
        if (n == 0) ++f.lost;
        if (n > 1) f.doubled += n - 1;
        const std::string where = " FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(doc);
        if (mode.move) {
            f.sourcesLeft += site.Value("DOCS", "SELECT COUNT(*)" + where);
        } else if (mode.transfer) {
            f.sourcesLeft += site.Value("DOCS", "SELECT COUNT(*)" + where + " AND STATUS <> 4");
        }
    }
    return f;
}

struct Case {
    Mode mode;
    bool staggered;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.mode.name << (c.staggered ? " staggered" : " together"); }

class OverlapTest : public ::testing::TestWithParam<Case> {};

TEST_P(OverlapTest, EveryDocumentOnceNoneLostNoRowLeft) {
    const Case& c = GetParam();
    const int documents = FullForm() ? 120 : 24;
    const int rounds = FullForm() ? 5 : 1;
    Figures total;
    int refused = 0;
    for (int round = 0; round < rounds; ++round) {
        // The second run starts once the target holds this many copies.
        const int64_t after = c.staggered ? 1 + round * documents / rounds : 0;
        SCOPED_TRACE("round " + std::to_string(round) + ", second run after " + std::to_string(after) + " copies");
        Site site(documents);
        pid_t pids[2];
        pids[0] = site.Start(0, c.mode.switches);
        ASSERT_GT(pids[0], 0);
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (after > 0 && !Ended(pids[0]) && std::chrono::steady_clock::now() < deadline &&
               site.Value("ARCHIVE", "SELECT COUNT(*) FROM DOCSADM.PROFILE") < after) {
            std::this_thread::sleep_for(5ms);
        }
        pids[1] = site.Start(1, c.mode.switches);
        ASSERT_GT(pids[1], 0);
        ProcessResult results[2];
        for (int who : {0, 1}) results[who] = test_support::WaitProcess(pids[who]);
        for (int who : {0, 1}) {
            const std::string err = site.StandardError(who);
            if (results[who].exitCode == 5) {
                ++refused;
                EXPECT_EQ(err, "Error: Another run under computer name " + std::string(kComputer) +
                                   " works the queue of this site (process " + std::to_string(pids[1 - who]) +
                                   ") - cannot continue\n");
            } else {
                EXPECT_EQ(results[who].exitCode, 0) << "run " << who << " ended by signal " << results[who].signal;
                EXPECT_EQ(err, "") << "run " << who;
            }
        }
        EXPECT_NE(results[0].exitCode + results[1].exitCode, 10) << "neither run worked the queue";
        const Figures f = Count(site, c.mode);
        total.lost += f.lost;
        total.doubled += f.doubled;
        total.rowsLeft += f.rowsLeft;
        total.sourcesLeft += f.sourcesLeft;
    }
    std::cout << c.mode.name << (c.staggered ? " staggered" : " together") << ": " << rounds << " round(s) of "
              << documents << " documents: " << total.lost << " lost, " << total.doubled << " doubled, "
              << total.rowsLeft << " row(s) left, " << total.sourcesLeft << " source(s) not done; " << refused
              << " second run(s) refused\n";
    EXPECT_EQ(total.lost, 0);
    EXPECT_EQ(total.doubled, 0);
    EXPECT_EQ(total.rowsLeft, 0);
    EXPECT_EQ(total.sourcesLeft, 0);
}

INSTANTIATE_TEST_SUITE_P(Runs, OverlapTest,
                         ::testing::Values(Case{kModes[0], false}, Case{kModes[0], true}, Case{kModes[1], false},
                                           Case{kModes[1], true}, Case{kModes[2], false}, Case{kModes[2], true}),
                         [](const auto& info) {
                             return std::string(info.param.mode.name) + (info.param.staggered ? "Staggered" : "Together");
                         });

// The guard is the site's, whatever the settings and temporary folders:
// while another process holds it for this computer name, a run leaves the queue as it is and says who holds it; once it is
// free, the run works the queue.
TEST(RunGuard, ARunRefusesWhileAnotherProcessHoldsTheQueue) {
    Site site(2);
    {
        platform::FileProcessLock held(fs::path(site.Dir()) / "locks", "run-" + std::string(kComputer));
        ASSERT_EQ(held.TryTake().outcome, platform::IProcessLock::Outcome::Taken);
        for (const bool exitSwitch : {true, false}) {
            SCOPED_TRACE(exitSwitch ? "/G /X" : "/G without a display");
            test_support::ProcessOptions wait;
            wait.timeout = std::chrono::seconds(30);
            const ProcessResult refused = test_support::WaitProcess(site.Start(0, {}, exitSwitch), wait);
            EXPECT_FALSE(refused.timedOut);
            EXPECT_EQ(refused.exitCode, 5);
            EXPECT_EQ(site.StandardError(0), "Error: Another run under computer name " + std::string(kComputer) +
                                                 " works the queue of this site (process " +
                                                 std::to_string(::getpid()) + ") - cannot continue\n");
        }
        EXPECT_EQ(site.Value("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE STATUS = 0"), 2);
    }
    EXPECT_EQ(test_support::WaitProcess(site.Start(1, {})).exitCode, 0) << site.StandardError(1);
    EXPECT_EQ(site.Value("DOCS", "SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"), 0);
}

}  // namespace
}  // namespace app_test
