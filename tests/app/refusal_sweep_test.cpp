// Runs in which the library refuses one SQL statement, or the DM client
// raises an error at one call, each followed by a clean run, as a scheduler
// would start it again. A refusal either fails the run (an Error line, a
// status other than 0) or leaves the site as a clean run leaves it; and the
// clean run after it always ends with the site a clean run alone makes:
// every document once, with its versions, files, folders and filings,
// trustees, history and relations, the source's status and check-outs, the
// settings and the queue as a clean run leaves them.
//
// The site: documents with several versions and files, in nested folders
// and in a private folder with its own trustees, related to each other and
// to documents that stay, with trustees of their own, one checked out, the
// files copied (not metadata only), the source's dates all before the run.
//
// By default each statement shape (the statement with its numbers and texts
// taken out) is refused once over the three modes, and a DM error is raised
// at a spread of calls; DORVANE_SWEEP=all refuses every statement of each
// mode and raises at every tenth call; DORVANE_SWEEP_K=a-b refuses only the
// statements a to b, DORVANE_SWEEP_RAISE=k raises only at call k,
// DORVANE_SWEEP_MODE=Move tries that mode only, and DORVANE_SWEEP_KEEP=DIR
// keeps the logs of every run there.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "dmsim/library_db.h"
#include "dmsim/site_file.h"
#include "dmsim/site_folder.h"
#include "test_support/computers_site.h"
#include "test_support/process.h"
#include "test_support/site_snapshot.h"
#include "test_support/temp_dir.h"

namespace app_test {
namespace {

namespace fs = std::filesystem;
using test_support::ProcessOptions;
using test_support::RunDmsite;
using test_support::ProcessResult;
using test_support::RunProcess;
using test_support::SiteSnapshot;
using test_support::SnapshotTaker;
using test_support::Slurp;

// Related to documents that stay (6), checked out with trustees of its own
// (7), three folders deep with an attachment (12), an e-mail (13); a Move
// takes 18 too, related to 6. A Copy or a Transfer relates a copy to the
// copies made before it, so that the relations between two documents that
// both go follow the order they went in; a document tried again goes later
// than in a clean run.
constexpr int32_t kCheckedOut = 7;

struct Mode {
    const char* name;
    std::vector<std::string> switches;
    const char* setting;  // an option stored for the mode, "" for none
    std::vector<int32_t> queued;
};

const Mode kModes[] = {
    {"Move", {"/M", "/P", "/A", "/R"}, "", {6, 7, 12, 13, 18}},
    {"Copy", {"/P", "/A"}, "SourceMakeReadOnly", {6, 7, 12, 13}},
    {"Transfer", {"/F", "/P", "/A", "/E"}, "", {6, 7, 12, 13}},
};

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool LongForm() { return Env("DORVANE_SWEEP") == "all"; }

// The statement with its numbers and texts taken out.
std::string Shape(const std::string& statement) {
    static const std::regex text("'([^']|'')*'");
    static const std::regex number("\\b[0-9]+\\b");
    return std::regex_replace(std::regex_replace(statement, text, "?"), number, "N");
}

void Sql(const fs::path& site, const std::string& library, const std::string& script) {
    const auto spec = dmsim::ReadSiteFile(site / dmsim::kSiteFileName);
    dmsim::LibraryDb db(*spec.Find(library), site, nullptr);
    db.Connection().ExecScript(script);
}

struct RunResult {
    ProcessResult process;
    std::string log;
    std::string standardError;
};

// One site and the program run on it, as one computer.
class SweepSite {
public:
    SweepSite(const fs::path& from, const Mode& mode) : mode_(mode) {
        dmsim::CopySite(from, Site());
        fs::create_directories(dir_.path() / "home");
        fs::create_directories(Temp());
    }

    RunResult Run(const std::map<std::string, std::string>& extra = {}) {
        ProcessOptions options;
        options.env = {{"DMSIM_SITE", Site().string()},
                       {"DORVANE_HOME", (dir_.path() / "home").string()},
                       {"TEMP", Temp()},
                       {"TMPDIR", Temp()},
                       {"COMPUTERNAME", "SWEEPTEST"},
                       {"QT_QPA_PLATFORM", "offscreen"},
                       {"ASAN_OPTIONS", "detect_leaks=0"}};
        for (const auto& [k, v] : extra) options.env[k] = v;
        options.unset = {"DISPLAY", "WAYLAND_DISPLAY"};
        options.stderrFile = (dir_.path() / "stderr.txt").string();
        // DORVANE_SWEEP_PROGRAM: a copy of the program to try, so that a
        // long sweep goes on while the build changes.
        const std::string program = Env("DORVANE_SWEEP_PROGRAM").empty() ? DORVANE_PATH : Env("DORVANE_SWEEP_PROGRAM");
        std::vector<std::string> argv = {program, "/S=DOCS", "/T=ARCHIVE"};
        argv.insert(argv.end(), mode_.switches.begin(), mode_.switches.end());
        argv.push_back("/G");
        argv.push_back("/X");
        // Each run's log on its own.
        for (auto& e : fs::directory_iterator(Temp())) {
            if (e.path().extension() == ".LOG") fs::remove(e.path());
        }
        RunResult result;
        result.process = RunProcess(argv, options);
        for (auto& e : fs::directory_iterator(Temp())) {
            if (e.path().extension() == ".LOG") result.log += Slurp(e.path());
        }
        result.standardError = Slurp(dir_.path() / "stderr.txt");
        return result;
    }

    SiteSnapshot Snapshot(const std::map<std::string, SnapshotTaker::Names>& before, const std::string& recent) {
        SnapshotTaker taker(Site(), recent);
        return taker.Take(before, (dir_.path() / "home").string(), Temp());
    }

    fs::path Site() const { return dir_.path() / "site"; }
    std::string Scratch(const std::string& name) const { return (dir_.path() / name).string(); }

private:
    std::string Temp() const { return (dir_.path() / "temp").string(); }

    const Mode& mode_;
    test_support::TempDir dir_;
};

// What a clean run of a mode does: its statements, its DM calls and the
// site it leaves.
struct CleanRun {
    std::vector<std::string> statements;  // [k - 1]: "LIBRARY\tstatement"
    int64_t calls = 0;
    SiteSnapshot result;
};

// The site every trial starts from, one per mode, made once per process.
class Sites {
public:
    static Sites& Get() {
        static Sites sites;
        return sites;
    }

    const fs::path& Template(const Mode& mode) { return Ready(mode).site; }
    const std::map<std::string, SnapshotTaker::Names>& Before() { return before_; }
    const std::string& Recent() const { return recent_; }

    const CleanRun& Clean(const Mode& mode) {
        auto& prepared = Ready(mode);
        if (prepared.clean) return *prepared.clean;
        auto clean = std::make_unique<CleanRun>();
        SweepSite site(prepared.site, mode);
        const std::string calls = site.Scratch("calls"), statements = site.Scratch("statements");
        const RunResult run = site.Run({{"DMSIM_CALLS_FILE", calls}, {"DMSIM_SQL_LOG", statements}});
        EXPECT_EQ(run.process.exitCode, 0) << run.standardError;
        EXPECT_EQ(run.log.find("\nError"), std::string::npos) << "a clean run logged an error";
        std::ifstream(calls) >> clean->calls;
        std::ifstream in(statements);
        for (std::string line; std::getline(in, line);) {
            const size_t tab = line.find('\t');
            clean->statements.push_back(line.substr(tab + 1));
        }
        clean->result = site.Snapshot(before_, recent_);
        prepared.clean = std::move(clean);
        return *prepared.clean;
    }

private:
    struct ModeSite {
        fs::path site;
        std::unique_ptr<CleanRun> clean;
    };

    Sites() {
        // Dates the site holds are older than this; a run's are not.
        recent_ = "2025-01-01";
        const fs::path base = dir_.path() / "base";
        RunDmsite({"create", base.string(), "--demo"});
        const std::string n = std::to_string(kCheckedOut);
        Sql(base, "DOCS",
            // Dates long before any run, one of their own for each row.
            "UPDATE DOCSADM.PROFILE SET CREATION_DATE = datetime('2020-01-01 09:00:00', '+' || DOCNUMBER || ' days'), "
            "LAST_EDIT_DATE = datetime('2020-03-01 09:00:00', '+' || DOCNUMBER || ' days'), "
            "LAST_PRF_EDIT_DATE = datetime('2020-03-01 10:00:00', '+' || DOCNUMBER || ' days');"
            "UPDATE DOCSADM.VERSIONS SET LASTEDITDATE = datetime('2020-02-01 09:00:00', '+' || VERSION_ID || ' hours'), "
            "LASTEDITTIME = datetime('2020-02-01 09:00:00', '+' || VERSION_ID || ' hours');"
            "UPDATE DOCSADM.ACTIVITYLOG SET START_DATE = datetime('2020-04-01 09:00:00', '+' || SYSTEM_ID || ' hours'), "
            "START_TIME = datetime('2020-04-01 09:00:00', '+' || SYSTEM_ID || ' hours') WHERE START_DATE >= '2025';"
            // A user holds one of the documents checked out.
            "UPDATE DOCSADM.PROFILE SET STATUS = 3 WHERE DOCNUMBER = " + n + ";"
            "INSERT INTO DOCSADM.CHECKOUT (DOCNUMBER, VERSION_ID, TYPIST, LOCATION, CHECKOUT_DATE, DUE_DATE, COMMENTS) "
            "SELECT " + n + ", MIN(VERSION_ID), (SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = 'JSMITH'), "
            "'C:\\Users\\jsmith\\contract.doc', '2020-06-01 10:00:00', '2020-06-08 10:00:00', 'Being signed' "
            "FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n + ";"
            // The files are copied, and a failed document is tried again
            // without limit.
            "INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, INT_VAL) VALUES "
            "('Dorvane for DodiDida dIRAZ', 'General', 'TargetMetaData', 2, 0);");
        SnapshotTaker taker(base, recent_);
        before_ = taker.ReadNames();
        base_ = base;
    }

    ModeSite& Ready(const Mode& mode) {
        auto& p = modes_[mode.name];
        if (!p.site.empty()) return p;
        p.site = dir_.path() / mode.name;
        dmsim::CopySite(base_, p.site);
        std::vector<std::string> queue = {"queue", p.site.string(), "DOCS", "ARCHIVE"};
        for (int32_t doc : mode.queued) queue.push_back(std::to_string(doc));
        RunDmsite(queue);
        if (*mode.setting) {
            Sql(p.site, "DOCS",
                std::string("INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, INT_VAL) "
                            "VALUES ('Dorvane for DodiDida dIRAZ', 'General', '") +
                    mode.setting + "', 2, 1);");
        }
        return p;
    }

    test_support::TempDir dir_;
    fs::path base_;
    std::string recent_;
    std::map<std::string, SnapshotTaker::Names> before_;
    std::map<std::string, ModeSite> modes_;
};

bool LoggedAnError(const std::string& log) {
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Error ", 0) == 0 || line.rfind("Error:", 0) == 0) return true;
    }
    return false;
}

// A refusal the program excuses (its next run repairs what it leaves) says so.
bool Excused(const std::string& log) { return log.find("the next run repairs") != std::string::npos; }

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += "\n  " + l;
    return text;
}

// One trial: the faulty run, then a clean one. Empty when all held.
std::vector<std::string> Trial(const Mode& mode, const std::string& fault, const std::string& what) {
    auto& sites = Sites::Get();
    const CleanRun& clean = sites.Clean(mode);
    std::vector<std::string> breaches;
    SweepSite site(sites.Template(mode), mode);
    const std::string name = fault.substr(0, fault.find('='));
    const RunResult first = site.Run({{name, fault.substr(name.size() + 1)}});
    // DORVANE_SWEEP_KEEP=DIR keeps each run's log there, to look into a breach.
    const std::string keep = Env("DORVANE_SWEEP_KEEP");
    if (!keep.empty()) std::ofstream(fs::path(keep) / (std::string(mode.name) + "-" + fault + "-1.log")) << first.log;
    const std::string context = std::string(mode.name) + ", " + what + ": ";
    if (first.process.signal != 0 || first.process.timedOut) {
        breaches.push_back(context + "the run ended by signal " + std::to_string(first.process.signal));
        return breaches;
    }
    if (first.process.exitCode == 0 && !LoggedAnError(first.log) && !Excused(first.log)) {
        const SiteSnapshot after = site.Snapshot(sites.Before(), sites.Recent());
        if (!(after == clean.result)) {
            breaches.push_back(context + "ended 0 without an Error line, and left the site unlike a clean run:" +
                               Join(after.Differences(clean.result)));
        }
    }
    const RunResult second = site.Run();
    if (!keep.empty()) std::ofstream(fs::path(keep) / (std::string(mode.name) + "-" + fault + "-2.log")) << second.log;
    if (second.process.exitCode != 0) {
        breaches.push_back(context + "the clean run after it ended " + std::to_string(second.process.exitCode) + ": " +
                           second.standardError.substr(0, 600));
    }
    const SiteSnapshot repaired = site.Snapshot(sites.Before(), sites.Recent());
    if (!(repaired == clean.result)) {
        breaches.push_back(context + "after the clean run the site differs from a clean run's:" +
                           Join(repaired.Differences(clean.result)));
    }
    return breaches;
}

// The statements a mode refuses: every one in the long form; otherwise the
// first of each shape that no mode before it refused.
std::vector<int64_t> Refusals(const Mode& mode) {
    auto& sites = Sites::Get();
    const CleanRun& clean = sites.Clean(mode);
    std::vector<int64_t> ks;
    int64_t from = 1, to = static_cast<int64_t>(clean.statements.size());
    if (!Env("DORVANE_SWEEP_RAISE").empty()) return ks;
    if (const std::string range = Env("DORVANE_SWEEP_K"); !range.empty()) {
        from = std::max<int64_t>(1, std::atoll(range.c_str()));
        const size_t dash = range.find('-');
        to = std::min(to, dash == std::string::npos ? from : static_cast<int64_t>(std::atoll(range.c_str() + dash + 1)));
        for (int64_t k = from; k <= to; ++k) ks.push_back(k);
        return ks;
    }
    if (LongForm()) {
        for (int64_t k = from; k <= to; ++k) ks.push_back(k);
        return ks;
    }
    std::set<std::string> seen;
    for (const Mode& other : kModes) {
        const bool own = std::string(other.name) == mode.name;
        const CleanRun& run = sites.Clean(other);
        for (size_t i = 0; i < run.statements.size(); ++i) {
            if (seen.insert(Shape(run.statements[i])).second && own) ks.push_back(static_cast<int64_t>(i) + 1);
        }
        if (own) break;
    }
    return ks;
}

// The DM calls at which an error is raised: spread over the run.
std::vector<int64_t> Raises(const Mode& mode) {
    const CleanRun& clean = Sites::Get().Clean(mode);
    if (const std::string only = Env("DORVANE_SWEEP_RAISE"); !only.empty()) return {std::atoll(only.c_str())};
    if (!Env("DORVANE_SWEEP_K").empty()) return {};
    const int64_t step = LongForm() ? 10 : std::max<int64_t>(1, clean.calls / 16);
    std::vector<int64_t> at;
    for (int64_t k = 1 + step / 2; k <= clean.calls; k += step) at.push_back(k);
    return at;
}

constexpr int kShards = 6;

struct Shard {
    const Mode* mode;
    int index;
};
void PrintTo(const Shard& s, std::ostream* os) { *os << s.mode->name << s.index; }

std::vector<Shard> AllShards() {
    std::vector<Shard> shards;
    for (const Mode& m : kModes) {
        for (int i = 0; i < kShards; ++i) shards.push_back({&m, i});
    }
    return shards;
}

class RefusalSweep : public ::testing::TestWithParam<Shard> {};

TEST_P(RefusalSweep, ARefusalFailsTheRunOrChangesNothingAndTheNextRunRepairsIt) {
    const Shard& shard = GetParam();
    const Mode& mode = *shard.mode;
    if (const std::string only = Env("DORVANE_SWEEP_MODE"); !only.empty() && only != mode.name) GTEST_SKIP();
    const CleanRun& clean = Sites::Get().Clean(mode);
    ASSERT_GT(clean.statements.size(), 0u);

    int tried = 0, failures = 0;
    const auto refusals = Refusals(mode);
    for (size_t i = static_cast<size_t>(shard.index); i < refusals.size(); i += kShards) {
        const int64_t k = refusals[i];
        const std::string statement = clean.statements[static_cast<size_t>(k - 1)];
        for (const auto& breach :
             Trial(mode, "DMSIM_REFUSE=" + std::to_string(k), "statement " + std::to_string(k) + " refused (" +
                                                                   statement.substr(0, 300) + ")")) {
            ADD_FAILURE() << breach;
            ++failures;
        }
        ++tried;
    }
    const auto raises = Raises(mode);
    for (size_t i = static_cast<size_t>(shard.index); i < raises.size(); i += kShards) {
        const int64_t k = raises[i];
        for (const auto& breach : Trial(mode, "DMSIM_RAISE_AT=" + std::to_string(k),
                                        "DM call " + std::to_string(k) + " of " + std::to_string(clean.calls) +
                                            " raised an error")) {
            ADD_FAILURE() << breach;
            ++failures;
        }
        ++tried;
    }
    std::cout << mode.name << " shard " << shard.index << ": " << tried << " trials of "
              << clean.statements.size() << " statements and " << clean.calls << " DM calls, " << failures
              << " breach(es)\n";
}

INSTANTIATE_TEST_SUITE_P(Modes, RefusalSweep, ::testing::ValuesIn(AllShards()), [](const auto& info) {
    return std::string(info.param.mode->name) + std::to_string(info.param.index);
});

}  // namespace
}  // namespace app_test
