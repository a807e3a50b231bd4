// Runs killed at spread-out moments of a Copy, a Transfer and a Move, each
// followed by a clean run, as a scheduler would start it again. Afterwards
// every queued document stands exactly once and complete in the target, a
// moved source is gone only with its complete copy, no component row names
// a missing file, no file is left that no row names, and no check-out
// folder is left behind.
//
// The kill comes at the k-th DM call of the run (the emulator ends the
// process there as a kill would), spread evenly over a whole run, and at
// named calls inside the narrow windows: between the save of a new profile
// and the numbering of its mark, and at each step of the creation of a
// folder. Every folder then stands once, where its source stands.
//
// A folder is made by one computer at a time: a run killed while it made a
// subfolder leaves its claim on it, and another computer that needs that
// folder meanwhile waits for it, or, once the claim is older than the
// stale-lock age, takes the creation over. That computer is killed at the
// steps of its waiting and of its taking over.
//
// By default a few spread trials per mode run, and each named point in one
// mode; DORVANE_CRASH_TRIALS=N runs N spread trials in all and every named
// point in every mode, and DORVANE_CRASH_KILL=1 kills the spread trials with
// SIGKILL after a random time instead.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "dmsim/library_db.h"
#include "dmsim/site_file.h"
#include "test_support/process.h"
#include "test_support/temp_dir.h"

namespace app_test {
namespace {

namespace fs = std::filesystem;
using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::Slurp;
using test_support::RunProcess;

// Documents of the demo site with one to four versions, in folders, with
// trustees and related items.
const std::vector<int32_t> kQueued = {5, 6, 8, 12, 14, 16};

struct Mode {
    const char* name;
    std::vector<std::string> switches;
    bool move;
    bool metadataOnly;  // the copy names the source's files instead of copies of them
};
void PrintTo(const Mode& c, std::ostream* os) { *os << c.name; }

const Mode kModes[] = {
    {"Copy", {"/R", "/P", "/A"}, false, false},
    {"TransferCheckingOut", {"/F", "/R", "/P", "/A", "/E"}, false, false},
    {"Move", {"/M", "/P", "/A"}, true, false},
    {"MoveMetadataOnly", {"/M", "/R", "/P", "/A"}, true, true},
};

// Named kill points: the emulator ends the run before the k-th call of an
// operation (with a part of its statement). The first document of the
// queue lives three folders deep (Clients, public; Acme Corporation; Acme
// v. Globex), so the first folders of a run are made for it.
struct KillPoint {
    const char* where;
    const char* call;
};

const KillPoint kKillPoints[] = {
    {"the ticket of a new root folder's claim", "Sql.Execute|SET KEYSTROKES|1"},
    {"the read of the claims beside a new subfolder's", "Sql.Execute|AND A.KEYSTROKES <> 0|2"},
    {"the numbering of the new document's mark", "Sql.Execute|UPDATE DOCSADM.ACTIVITYLOG SET DOCNUMBER|1"},
    {"the numbering of a new root folder's mark", "Sql.Execute|UPDATE DOCSADM.ACTIVITYLOG SET DOCNUMBER|2"},
    {"the public flag of a new root folder", "Folder.Save|"},
    {"the numbering of a new subfolder's mark", "Sql.Execute|UPDATE DOCSADM.ACTIVITYLOG SET DOCNUMBER|3"},
    {"the values fixed by SQL of a new subfolder", "Sql.Execute|UPDATE DOCSADM.FOLDER SET PATH|2"},
    {"the check that a new subfolder's claim is still its own", "Sql.Execute|SELECT ACTIVITY_DESC FROM|2"},
    {"the filing of a new subfolder", "Folder.AddFolder"},
    {"the end of a new subfolder, filed", "Folder.Save||3"},
};

// Named kill points of another computer that needs the subfolder a killed
// run left half-made: while the killed run's claim is fresh it waits, once
// the claim is older than the stale-lock age it takes the creation over.
struct RaceKillPoint {
    const char* where;
    const char* call;
    bool stale;          // the killed run's claim is older than the stale-lock age
    const char* logged;  // what the computer's log shows before the kill
};

const RaceKillPoint kRaceKillPoints[] = {
    {"the withdrawal of its claim, to wait", "Sql.Execute|DELETE FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID|1", false,
     "'Folder from #2 by OTHERPC'"},
    {"its first look while it waits", "Sql.Execute|AND A.SYSTEM_ID IN (|1", false,
     "by computer CRASHTEST - waiting for it"},
    {"the signing of the creation it takes over", "Sql.Execute|SET ACTIVITY_DESC|1", true,
     "SET ACTIVITY_DESC = 'Folder from #2 by OTHERPC'"},
    {"the filing of the folder it took over", "Folder.AddFolder", true,
     "whose creation an interrupted run left unfinished - completing it"},
    {"the end of the creation it took over", "Sql.Execute|DELETE FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID|1", true,
     "whose creation an interrupted run left unfinished - completing it"},
};

bool FullForm() {
    const char* all = std::getenv("DORVANE_CRASH_TRIALS");
    return all && *all;
}

int TrialsPerMode() {
    const char* all = std::getenv("DORVANE_CRASH_TRIALS");
    const int n = all && *all ? std::atoi(all) : 12;
    return std::max(1, (n + 3) / 4);
}

bool KillMode() {
    const char* kill = std::getenv("DORVANE_CRASH_KILL");
    return kill && std::string(kill) == "1";
}

// One site with its queue, and the program run on it.
class Trial {
public:
    explicit Trial(const Mode& mode) : mode_(mode) {
        fs::create_directories(dir_.path() / "home");
        fs::create_directories(Temp());
        Tool({"create", Site(), "--demo"});
        // The options live in the primary library's settings table.
        Tool({"sql", Site(), "DOCS",
              "INSERT INTO [OWNER].KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, INT_VAL) VALUES "
              "('Dorvane for DodiDida dIRAZ', 'General', 'TargetMetaData', 2, " +
                  std::string(mode.metadataOnly ? "1" : "0") + ")"});
        std::vector<std::string> queue = {"queue", Site(), "DOCS", "ARCHIVE"};
        for (int32_t doc : kQueued) queue.push_back(std::to_string(doc));
        Tool(queue);
        for (int32_t doc : kQueued) sources_[doc] = Versions("DOCS", doc);
    }

    // The run, ended at the k-th DM call (0: not at all), or killed after
    // killAfter; callsFile receives the number of calls of a whole run.
    ProcessResult Run(int64_t crashAt, std::chrono::milliseconds killAfter = {}, const std::string& callsFile = "",
                      const std::string& crashOn = "", const std::string& computer = "CRASHTEST") {
        ProcessOptions options;
        options.env = {{"DMSIM_SITE", Site()},
                       {"DORVANE_HOME", (dir_.path() / "home").string()},
                       {"TEMP", Temp()},
                       {"TMPDIR", Temp()},
                       {"COMPUTERNAME", computer},
                       {"QT_QPA_PLATFORM", "offscreen"},
                       {"ASAN_OPTIONS", "detect_leaks=0"}};
        if (crashAt > 0) options.env["DMSIM_CRASH_AT"] = std::to_string(crashAt);
        if (!crashOn.empty()) options.env["DMSIM_CRASH_ON"] = crashOn;
        if (!callsFile.empty()) options.env["DMSIM_CALLS_FILE"] = callsFile;
        options.unset = {"DISPLAY", "WAYLAND_DISPLAY"};
        options.killAfter = killAfter;
        options.stderrFile = (dir_.path() / "stderr.txt").string();
        std::vector<std::string> argv = {DORVANE_PATH, "/S=DOCS", "/T=ARCHIVE"};
        argv.insert(argv.end(), mode_.switches.begin(), mode_.switches.end());
        argv.push_back("/G");
        argv.push_back("/X");
        return RunProcess(argv, options);
    }

    // The marks of the folders under way count as written long ago.
    void AgeFolderMarks() {
        Tool({"sql", Site(), "ARCHIVE",
              "UPDATE [OWNER].ACTIVITYLOG SET START_DATE = '2001-01-01 00:00:00' WHERE ACTIVITY_DESC LIKE "
              "'Folder from #%'"});
    }

    // Each run takes this many documents (0: all).
    void SetBatchSize(int n) {
        Tool({"sql", Site(), "DOCS",
              "DELETE FROM [OWNER].KEST_SETTINGS WHERE SUB_KEY = 'BatchSize'; INSERT INTO [OWNER].KEST_SETTINGS "
              "(MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, INT_VAL) VALUES ('Dorvane for DodiDida dIRAZ', "
              "'General', 'BatchSize', 2, " + std::to_string(n) + ")"});
    }

    std::string Log() const {
        std::string text;
        for (auto& e : fs::directory_iterator(Temp())) {
            if (e.path().extension() == ".LOG") text += Slurp(e.path());
        }
        return text;
    }

    // Everything that must hold once a clean run has ended; one message per
    // breach.
    std::vector<std::string> Breaches() {
        std::vector<std::string> breaches;
        auto breach = [&](const std::string& text) { breaches.push_back(text); };
        auto& docs = Db("DOCS");
        auto& archive = Db("ARCHIVE");
        const auto queued = dmsim::AsInt(docs.QueryValue("SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING"));
        if (queued != 0) breach(std::to_string(queued) + " queue row(s) left");

        int64_t copies = 0;
        for (const auto& [doc, versions] : sources_) {
            const std::string n = std::to_string(doc);
            auto found = archive.Query(
                "SELECT DISTINCT A.DOCNUMBER FROM DOCSADM.ACTIVITYLOG A JOIN DOCSADM.PROFILE P ON P.DOCNUMBER = "
                "A.DOCNUMBER WHERE A.REF_DOCUMENT = " + n +
                " AND (A.ACTIVITY_TYPE = 24 OR (A.ACTIVITY_TYPE = 0 AND A.ACTIVITY_DESC LIKE 'Copied from%'))");
            if (found.rows.size() != 1) {
                breach("document #" + n + " has " + std::to_string(found.rows.size()) + " recorded copies");
                continue;
            }
            ++copies;
            const auto copy = static_cast<int32_t>(dmsim::AsInt(found.rows[0][0]));
            if (Versions("ARCHIVE", copy) != versions) breach("copy #" + std::to_string(copy) + " of #" + n + " differs");
            const auto ownFiles = dmsim::AsInt(archive.QueryValue(
                "SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(copy) +
                " AND DOCSERVER_LOC = '" + archive.DocServerLoc() + "'"));
            if ((ownFiles == 1) == mode_.metadataOnly) breach("copy #" + std::to_string(copy) + " has the wrong storage");
            const bool sourceStays = dmsim::AsInt(docs.QueryValue(
                                         "SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + n)) > 0;
            if (sourceStays == mode_.move) breach("source #" + n + (mode_.move ? " was not moved" : " is gone"));
        }
        const auto documents = dmsim::AsInt(archive.QueryValue(
            "SELECT COUNT(*) FROM DOCSADM.PROFILE P LEFT JOIN DOCSADM.APPS A ON A.SYSTEM_ID = P.APPLICATION WHERE "
            "A.APPLICATION IS NULL OR A.APPLICATION <> 'FOLDER'"));
        if (documents != copies) breach(std::to_string(documents) + " documents in ARCHIVE for " + std::to_string(copies) + " copies");
        const auto marks =
            dmsim::AsInt(archive.QueryValue("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE REF_DOCUMENT < 0"));
        if (marks != 0) breach(std::to_string(marks) + " arrival mark(s) left");

        // A metadata-only copy names the source's files: a file is named
        // when a row of any library names it.
        std::set<std::string> named;
        for (const char* library : {"DOCS", "ARCHIVE"}) {
            auto& db = Db(library);
            auto rows = db.Query("SELECT P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.COMPONENTS C JOIN "
                                 "DOCSADM.PROFILE P ON P.DOCNUMBER = C.DOCNUMBER");
            for (auto& r : rows.rows) {
                const fs::path path = fs::path(dmsim::AsText(r[0])).lexically_normal();
                named.insert(path.string());
                if (!fs::exists(path)) breach(std::string(library) + " row names a missing file " + path.string());
            }
            const auto orphans = dmsim::AsInt(db.QueryValue(
                "SELECT COUNT(*) FROM DOCSADM.COMPONENTS C WHERE NOT EXISTS (SELECT 1 FROM DOCSADM.PROFILE P WHERE "
                "P.DOCNUMBER = C.DOCNUMBER)"));
            if (orphans != 0) {
                breach(std::string(library) + " has " + std::to_string(orphans) + " component row(s) without a profile");
            }
        }
        for (const char* library : {"DOCS", "ARCHIVE"}) {
            for (auto& e : fs::recursive_directory_iterator(Db(library).DocServerDir())) {
                if (!e.is_regular_file()) continue;
                const std::string path = e.path().lexically_normal().string();
                if (!named.count(path)) breach(std::string(library) + " file no row names: " + path);
            }
        }
        for (auto& e : fs::directory_iterator(Temp())) {
            const std::string name = e.path().filename().string();
            if (name.rfind("Dorvane_", 0) == 0 && e.path().extension() != ".LOG") breach("temporary entry left: " + name);
        }

        // Each folder of the target once, in the place (parent, or the root
        // as public or private folder) of the source's folder of its name.
        const auto sourceFolders = FolderPlaces("DOCS");
        std::map<std::string, int> seen;
        for (const auto& [name, place] : FolderPlaces("ARCHIVE")) {
            if (++seen[name] == 2) breach("folder " + name + " stands twice in ARCHIVE");
            auto source = sourceFolders.find(name);
            if (source == sourceFolders.end()) {
                breach("folder " + name + " of ARCHIVE has no source");
            } else if (place != source->second) {
                breach("folder " + name + " of ARCHIVE is " + place + ", its source " + source->second);
            }
        }
        return breaches;
    }

    std::string Site() const { return (dir_.path() / "site").string(); }

private:
    std::string Temp() const { return (dir_.path() / "temp").string(); }

    // Each folder's name with where it is filed: "in <parent's name>",
    // "a public root folder" or "filed nowhere" (a private root folder).
    std::multimap<std::string, std::string> FolderPlaces(const std::string& library) {
        auto rows = Db(library).Query(
            "SELECT P.DOCNAME, (SELECT GROUP_CONCAT(PP.DOCNAME, ', ') FROM DOCSADM.FOLDER_ITEM FI JOIN "
            "DOCSADM.PROFILE PP ON PP.DOCNUMBER = FI.PARENT WHERE FI.DOCNUMBER = P.DOCNUMBER AND FI.NODE_TYPE = 'F'), "
            "(SELECT COUNT(*) FROM DOCSADM.ROOT_OBJECT R WHERE R.DOCNUMBER = P.DOCNUMBER) FROM DOCSADM.PROFILE P JOIN "
            "DOCSADM.FOLDER F ON F.DOCNUMBER = P.DOCNUMBER");
        std::multimap<std::string, std::string> places;
        for (auto& r : rows.rows) {
            std::string place = !dmsim::IsNull(r[1]) ? "in " + dmsim::AsText(r[1])
                                : dmsim::AsInt(r[2]) > 0 ? "a public root folder"
                                                         : "filed nowhere";
            places.emplace(dmsim::IsNull(r[0]) ? "" : dmsim::AsText(r[0]), place);
        }
        return places;
    }

    static void Tool(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {DMSITE_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessOptions options;
        options.env = {{"ASAN_OPTIONS", "detect_leaks=0"}};
        ASSERT_EQ(RunProcess(argv, options).exitCode, 0) << args.front();
    }

    dmsim::LibraryDb& Db(const std::string& library) {
        auto& db = dbs_[library];
        if (!db) {
            const auto site = dmsim::ReadSiteFile(fs::path(Site()) / dmsim::kSiteFileName);
            const dmsim::LibrarySpec* spec = site.Find(library);
            db = std::make_unique<dmsim::LibraryDb>(*spec, fs::path(Site()), nullptr);
        }
        return *db;
    }

    // A document's versions as "label=contents" in version order.
    std::vector<std::string> Versions(const std::string& library, int32_t doc) {
        auto rows = Db(library).Query(
            "SELECT V.VERSION_LABEL, P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.VERSIONS V JOIN "
            "DOCSADM.COMPONENTS C ON C.VERSION_ID = V.VERSION_ID JOIN DOCSADM.PROFILE P ON P.DOCNUMBER = "
            "V.DOCNUMBER WHERE V.DOCNUMBER = " + std::to_string(doc) + " ORDER BY V.VERSION, V.SUBVERSION");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::AsText(r[0]) + "=" + Slurp(dmsim::AsText(r[1])));
        return out;
    }

    const Mode& mode_;
    test_support::TempDir dir_;
    std::map<int32_t, std::vector<std::string>> sources_;
    std::map<std::string, std::unique_ptr<dmsim::LibraryDb>> dbs_;
};

class CrashRecoveryTest : public ::testing::TestWithParam<Mode> {};

TEST_P(CrashRecoveryTest, AKilledRunIsRepairedByTheNext) {
    const Mode& mode = GetParam();
    // A whole run, to spread the kills over.
    int64_t calls = 0;
    std::chrono::milliseconds duration{};
    {
        Trial whole(mode);
        test_support::TempDir scratch;
        const std::string callsFile = (scratch.path() / "calls").string();
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(whole.Run(0, {}, callsFile).exitCode, 0) << whole.Log();
        duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::ifstream(callsFile) >> calls;
        ASSERT_GT(calls, 0);
        const auto breaches = whole.Breaches();
        ASSERT_TRUE(breaches.empty()) << breaches.front();
    }

    const int trials = TrialsPerMode();
    std::mt19937 random(static_cast<unsigned>(trials * 7919 + calls));
    int crashed = 0;
    for (int i = 0; i < trials; ++i) {
        Trial trial(mode);
        ProcessResult first;
        std::string where;
        if (KillMode()) {
            const auto after = std::chrono::milliseconds(1 + random() % std::max<int64_t>(1, duration.count()));
            first = trial.Run(0, after);
            where = "killed after " + std::to_string(after.count()) + " ms";
        } else {
            // Evenly over the run, each trial somewhere in its own stretch.
            const double stretch = static_cast<double>(calls) / trials;
            const auto at = static_cast<int64_t>(stretch * i + 1 + random() % std::max<int64_t>(1, static_cast<int64_t>(stretch)));
            first = trial.Run(at);
            where = "ended at DM call " + std::to_string(at) + " of " + std::to_string(calls);
        }
        SCOPED_TRACE(std::string(mode.name) + " run " + where);
        const bool killed = first.signal == SIGKILL || first.exitCode == 137;
        if (killed) ++crashed;
        const ProcessResult second = trial.Run(0);
        EXPECT_EQ(second.exitCode, 0) << trial.Log();
        for (const auto& breach : trial.Breaches()) ADD_FAILURE() << breach;
    }
    std::cout << mode.name << ": " << crashed << " of " << trials << " runs killed before they ended\n";

    size_t modeIndex = 0;
    while (std::string(kModes[modeIndex].name) != mode.name) ++modeIndex;
    for (size_t k = 0; k < std::size(kKillPoints); ++k) {
        if (!FullForm() && k % std::size(kModes) != modeIndex) continue;
        const KillPoint& point = kKillPoints[k];
        SCOPED_TRACE(std::string(mode.name) + " run killed at " + point.where);
        Trial trial(mode);
        const ProcessResult first = trial.Run(0, {}, "", point.call);
        EXPECT_TRUE(first.signal == SIGKILL || first.exitCode == 137) << "not reached: " << point.call;
        const ProcessResult second = trial.Run(0);
        EXPECT_EQ(second.exitCode, 0) << trial.Log();
        for (const auto& breach : trial.Breaches()) ADD_FAILURE() << breach;
    }

    for (size_t k = 0; k < std::size(kRaceKillPoints); ++k) {
        if (!FullForm() && k % std::size(kModes) != modeIndex) continue;
        const RaceKillPoint& point = kRaceKillPoints[k];
        SCOPED_TRACE(std::string(mode.name) + " other computer killed at " + point.where);
        Trial trial(mode);
        trial.SetBatchSize(1);
        // Killed at the filing of its first new subfolder; the other
        // computer takes the next document, which needs that folder too.
        const ProcessResult first = trial.Run(0, {}, "", "Folder.AddFolder");
        EXPECT_TRUE(first.signal == SIGKILL || first.exitCode == 137) << "not reached: Folder.AddFolder";
        if (point.stale) trial.AgeFolderMarks();
        const ProcessResult other = trial.Run(0, {}, "", point.call, "OTHERPC");
        EXPECT_TRUE(other.signal == SIGKILL || other.exitCode == 137) << "not reached: " << point.call << "\n"
                                                                      << trial.Log();
        EXPECT_NE(trial.Log().find(point.logged), std::string::npos) << trial.Log();
        // Each computer started again, as a scheduler would.
        trial.SetBatchSize(0);
        EXPECT_EQ(trial.Run(0).exitCode, 0) << trial.Log();
        EXPECT_EQ(trial.Run(0, {}, "", "", "OTHERPC").exitCode, 0) << trial.Log();
        for (const auto& breach : trial.Breaches()) ADD_FAILURE() << breach;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CrashRecoveryTest, ::testing::ValuesIn(kModes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace app_test
