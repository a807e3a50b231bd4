// The dorvane program itself, as a scheduler runs it: on a small emulated
// site made with the dmsite tool, without a display, with its exit status,
// its standard error and its end by a signal.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support/damaged_library.h"
#include "test_support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Outcome {
    int status = -1;  // 128 + n for a process ended by signal n
    bool timedOut = false;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
}

class ProcessTest : public ::testing::Test {
protected:
    test_support::TempDir dir_;
    // Set for the programs a test runs, over the environment below.
    std::map<std::string, std::string> env_;

    fs::path Site() const { return dir_.path() / "site"; }

    // Runs a program with the test's environment; whileRunning is called
    // every 50 ms with its process id until it ends; it is killed after the
    // limit (a hang is a failure, not a wait for ctest's timeout).
    Outcome Run(const fs::path& program, const std::vector<std::string>& args,
                std::function<void(pid_t)> whileRunning = {}, std::chrono::seconds limit = 120s) {
        const fs::path out = dir_.path() / "stdout.txt";
        const fs::path err = dir_.path() / "stderr.txt";
        std::vector<std::string> argv{program.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        pid_t pid = fork();
        if (pid == 0) {
            int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int in = ::open("/dev/null", O_RDONLY);
            dup2(o, 1);
            dup2(e, 2);
            dup2(in, 0);
            setenv("DORVANE_HOME", (dir_.path() / "home").c_str(), 1);
            setenv("DMSIM_SITE", Site().c_str(), 1);
            setenv("TEMP", (dir_.path() / "log").c_str(), 1);
            setenv("COMPUTERNAME", "SCHEDULER", 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            // Qt warns about a missing runtime folder: that note must stay
            // off standard error too.
            unsetenv("XDG_RUNTIME_DIR");
            // A sanitizer build reports Qt's and fontconfig's own leaks; the
            // program's standard error is what these tests read.
            setenv("LSAN_OPTIONS", "suppressions=" DORVANE_LSAN_SUPPRESSIONS ":print_suppressions=0", 1);
            for (const auto& [name, value] : env_) setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> raw;
            for (auto& a : argv) raw.push_back(a.data());
            raw.push_back(nullptr);
            execv(raw[0], raw.data());
            _exit(127);
        }
        Outcome outcome;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int raw = 0;
        while (true) {
            pid_t done = waitpid(pid, &raw, WNOHANG);
            if (done == pid) break;
            if (std::chrono::steady_clock::now() > deadline) {
                outcome.timedOut = true;
                kill(pid, SIGKILL);
                waitpid(pid, &raw, 0);
                break;
            }
            if (whileRunning) whileRunning(pid);
            std::this_thread::sleep_for(50ms);
        }
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        outcome.out = Slurp(out);
        outcome.err = Slurp(err);
        return outcome;
    }

    void Dmsite(const std::vector<std::string>& args) {
        Outcome o = Run(DMSITE_PATH, args);
        ASSERT_EQ(o.status, 0) << o.err;
    }

    // A small site: three documents of one version in DOCS, queued for
    // ARCHIVE, which knows their application (it holds one of its own).
    void MakeSite() {
        fs::create_directories(dir_.path() / "home");
        fs::create_directories(dir_.path() / "log");
        Dmsite({"create", Site().string()});
        Dmsite({"add-docs", Site().string(), "DOCS", "3", "1", "100"});
        Dmsite({"add-docs", Site().string(), "ARCHIVE", "1", "1", "100"});
        Dmsite({"queue", Site().string(), "DOCS", "ARCHIVE"});
    }

    // The value of one statement's first cell, through the dmsite tool.
    std::string Sql(const std::string& library, const std::string& statement) {
        Outcome o = Run(DMSITE_PATH, {"sql", Site().string(), library, statement});
        EXPECT_EQ(o.status, 0) << o.err;
        auto lines = Lines(o.out);
        return lines.size() > 1 ? lines[1] : "";
    }

    // The database files the program left open: SQLite's WAL and shared
    // memory files stay only while a database is open.
    std::vector<std::string> LeftOpen() const {
        std::vector<std::string> files;
        for (auto& e : fs::directory_iterator(Site())) {
            const std::string name = e.path().filename().string();
            if (name.ends_with("-wal") || name.ends_with("-shm")) files.push_back(name);
        }
        return files;
    }

    std::string Log() const {
        std::string all;
        for (auto& e : fs::directory_iterator(dir_.path() / "log")) all += Slurp(e.path());
        return all;
    }

    // Sets a right of a library in the site file.
    void SetRight(const std::string& library, const std::string& right, const std::string& value) {
        const fs::path file = Site() / "site.ini";
        std::string text = Slurp(file);
        const std::string section = "[properties " + library + "]";
        size_t at = text.find(section);
        ASSERT_NE(at, std::string::npos);
        at = text.find(right + " = ", at);
        ASSERT_NE(at, std::string::npos);
        size_t end = text.find('\n', at);
        text.replace(at, end - at, right + " = " + value);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }
};

const char* const kNoDisplayNoRun =
    "Error: No display and no /G switch - without a display only an unattended run can start (dorvane /G /X) - I "
    "will end the program now";

struct StatusCase {
    const char* name;
    const char* commandLine;
    int status;
    // Lines standard error must hold; none: standard error stays empty.
    std::vector<std::string> err;
    // Queues the documents for ARCHIVE2 too, where the program lacks a right.
    bool targetWithoutRight = false;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.commandLine; }

class ExitStatus : public ProcessTest, public testing::WithParamInterface<StatusCase> {};

TEST_P(ExitStatus, OfAnUnattendedRun) {
    const auto& c = GetParam();
    MakeSite();
    if (c.targetWithoutRight) {
        Dmsite({"queue", Site().string(), "DOCS", "ARCHIVE2"});
        SetRight("ARCHIVE2", "User.CreateDocument", "false");
    }
    std::vector<std::string> args;
    std::stringstream words(c.commandLine);
    for (std::string w; words >> w;) args.push_back(w);
    Outcome o = Run(DORVANE_PATH, args);
    ASSERT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, c.status) << o.err;
    const auto err = Lines(o.err);
    if (c.err.empty()) {
        EXPECT_EQ(o.err, "");
    }
    for (const auto& line : c.err) {
        EXPECT_NE(std::find(err.begin(), err.end(), line), err.end()) << line << "\nin:\n" << o.err;
    }
    EXPECT_EQ(LeftOpen(), std::vector<std::string>{});
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING WHERE STATUS = -1"), "0");
    // Nothing here is a Move: the sources stay.
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].PROFILE"), "3");
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ExitStatus,
    testing::Values(
        StatusCase{"AllArchived", "/G /X", 0, {}},
        StatusCase{"NothingQueued", "/G /X /T=ARCHIVE2", 0, {}},
        StatusCase{"UnknownSwitches", "/G /X /MODE=COPY /home/user/M /T=ARCHIVE",
                   0,
                   {"Warning: Unknown command-line switch '/MODE=COPY' ignored",
                    "Warning: Unknown command-line switch '/HOME/USER/M' ignored"}},
        StatusCase{"TargetWithoutRight",
                   "/G /X /T=ARCHIVE2",
                   1,
                   {"Error: one of the necessary system parameters are not set to allow you to proceed in library "
                    "ARCHIVE2:"},
                   true},
        StatusCase{"MoveToSeveralTargets",
                   "/G /X /M /T=ARCHIVE /T=ARCHIVE2",
                   2,
                   {"Error: A Move can go to one target library only - check a single target library or choose "
                    "Copy"}},
        StatusCase{"TransferToSeveralTargets",
                   "/G /X /F /T=ARCHIVE /T=ARCHIVE2",
                   2,
                   {"Error: A Transfer can go to one target library only - check a single target library or choose "
                    "Copy"}},
        StatusCase{"NoQueueTable", "/G /X /S=ARCHIVE /T=DOCS", 2,
                   {"Error: Could not locate Needs_Archiving table in library ARCHIVE"}},
        StatusCase{"NoTarget", "/G /X /T=NOWHERE", 4,
                   {"Warning: Unknown library 'NOWHERE' named by /T= ignored",
                    "Error: No target libraries selected - cannot continue"}},
        StatusCase{"SourceAsOnlyTarget", "/G /X /S=DOCS /T=DOCS", 4,
                   {"Warning: The source library DOCS is checked as a target - a library is no target of its own",
                    "Error: No target libraries selected - cannot continue"}},
        // Without a display (these tests have none) nothing but a run can
        // start, and a run ends the program as /X does.
        StatusCase{"NoDisplayNoRun", "", 2, {kNoDisplayNoRun}},
        StatusCase{"NoDisplayExitOnly", "/X", 2, {kNoDisplayNoRun}},
        StatusCase{"NoDisplayDashes", "-G -X", 2,
                   {"Warning: Unknown command-line switch '-G' ignored",
                    "Warning: Unknown command-line switch '-X' ignored", kNoDisplayNoRun}},
        StatusCase{"NoDisplayRunWithoutExit", "/G", 0, {}}),
    [](const testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

TEST_F(ProcessTest, AnIniFileWithGAndXRunsWithoutADisplayAndWithoutWaiting) {
    MakeSite();
    // The INI file lives next to the program: a link of the binary in a
    // folder of the test's own.
    const fs::path prog = dir_.path() / "prog";
    fs::create_directories(prog);
    std::error_code ec;
    fs::create_hard_link(DORVANE_PATH, prog / "dorvane", ec);
    if (ec) fs::copy_file(DORVANE_PATH, prog / "dorvane");
    std::ofstream(prog / "Dorvane.INI") << "/G\n/X\nTARGETLIB = ARCHIVE\n";
    Outcome o = Run(prog / "dorvane", {});
    ASSERT_FALSE(o.timedOut) << "the run waited for an answer";
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING"), "0");
    EXPECT_NE(Log().find("No display - message box answered OK: With this update"), std::string::npos) << Log();
    EXPECT_EQ(LeftOpen(), std::vector<std::string>{});
}

// Qt cannot make its runtime folder under a TMPDIR that is no folder, and
// says so as an error of its own: not the program's, so not on standard error.
TEST_F(ProcessTest, AnUnwritableTmpdirLeavesStandardErrorToTheProgram) {
    MakeSite();
    std::ofstream(dir_.path() / "not-a-folder") << "a file";
    env_["TMPDIR"] = (dir_.path() / "not-a-folder").string();
    Outcome o = Run(DORVANE_PATH, {"/G", "/X"});
    ASSERT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING"), "0");
}

// The computer's name goes into the queue's LOCKED_BY column. A name longer
// than the library's dictionary says the column holds is refused at the
// start; a lock the database refuses all the same (the dictionary says more
// than the column holds) fails the run, with the reason on standard error.
// Either way no row is taken or left locked.
TEST_F(ProcessTest, AComputerNameTheQueueCannotHoldArchivesNothingAndSaysSo) {
    MakeSite();
    const std::string name = "ARCHIVE-SCHEDULER-HOST-0042.EXAMPLE.LOCAL";
    env_["COMPUTERNAME"] = name;
    Outcome o = Run(DORVANE_PATH, {"/G", "/X"});
    ASSERT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_EQ(o.err, "Error: The computer name " + name +
                         " is longer than the 32 characters that the queue's LOCKED_BY column holds in library DOCS - "
                         "set COMPUTERNAME to a shorter name - cannot continue\n");
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING WHERE STATUS = 0 AND LOCKED_BY = ''"), "3");

    Sql("DOCS", "UPDATE [OWNER].DOCSCOLUMN SET COL_LENGTH = 64 WHERE TBNAME = 'NEEDS_ARCHIVING' AND COLNAME = "
                "'LOCKED_BY'");
    o = Run(DORVANE_PATH, {"/G", "/X"});
    ASSERT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, 1) << o.err;
    const auto err = Lines(o.err);
    const std::string refused = "Error: Unable to lock the queue rows for library ARCHIVE in library DOCS - SQL Error "
                                "#8152 (String or binary data would be truncated.)";
    EXPECT_NE(std::find(err.begin(), err.end(), refused), err.end()) << o.err;
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING WHERE STATUS = 0 AND LOCKED_BY = ''"), "3");
    EXPECT_EQ(LeftOpen(), std::vector<std::string>{});
}

TEST_F(ProcessTest, SigtermEndsALoopingRunReleasingItsRows) {
    MakeSite();
    bool sent = false;
    // A looping run never ends by itself; the signal goes once it works.
    Outcome o = Run(DORVANE_PATH, {"/G", "/L"}, [&](pid_t pid) {
        if (!sent && Log().find("Processing Document #") != std::string::npos) {
            kill(pid, SIGTERM);
            sent = true;
        }
    });
    ASSERT_TRUE(sent) << o.err;
    ASSERT_FALSE(o.timedOut) << "the program did not end after SIGTERM";
    EXPECT_EQ(o.status, 128 + SIGTERM) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_NE(Log().find("SIGTERM received - ending the program"), std::string::npos);
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING WHERE STATUS = -1"), "0");
    EXPECT_EQ(LeftOpen(), std::vector<std::string>{});
}

// A source library damaged on disk: the file opens and the queue can be
// read and written, but a read of the library's security fails inside the
// DM. The source's facts cannot be read, so the run does not start (status
// 2) and says why; the documents stay queued and no row stays locked.
TEST_F(ProcessTest, ADamagedSourceLibraryEndsTheRunNotTheProgram) {
    MakeSite();
    ASSERT_FALSE(test_support::DamageTables(Site() / "DOCS.db", {"SECURITY"}).empty());
    Outcome o = Run(DORVANE_PATH, {"/G", "/X"});
    ASSERT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, 2) << o.err;
    const std::string report =
        "Error: Library DOCS refused to tell the rights of its default trustee - SQL Error #50001 (database disk "
        "image is malformed)";
    const std::string log = Log();
    EXPECT_NE(log.find(report.substr(7)), std::string::npos) << log;
    EXPECT_NE(o.err.find(report), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("terminate"), std::string::npos) << o.err;
    EXPECT_NE(log.find(") Ended on "), std::string::npos) << "the log runs to the program's end";
    EXPECT_EQ(LeftOpen(), std::vector<std::string>{});
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING WHERE STATUS = -1"), "0");
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING"), "3") << "no document leaves the queue";
}

// A signal while the program ends after its run still gives the signal's
// status, whether the program hears it (and logs it) or it comes after the
// program's last look and ends the process by itself. The program cannot be
// gone before the signal: at its very end it writes the emulator's count of
// calls into a named pipe that nobody reads until the signal is sent.
struct LateSignal {
    const char* name;
    const char* after;  // the log line the signal waits for
    int signal;
};

void PrintTo(const LateSignal& c, std::ostream* os) { *os << c.name; }

class SignalAtTheEnd : public ProcessTest, public testing::WithParamInterface<LateSignal> {};

TEST_P(SignalAtTheEnd, GivesTheSignalsStatus) {
    const auto& c = GetParam();
    MakeSite();
    const fs::path calls = dir_.path() / "calls.fifo";
    ASSERT_EQ(mkfifo(calls.c_str(), 0600), 0);
    env_["DMSIM_CALLS_FILE"] = calls.string();
    int reader = -1;
    Outcome o = Run(DORVANE_PATH, {"/G", "/X"}, [&](pid_t pid) {
        if (reader < 0 && Log().find(c.after) != std::string::npos) {
            kill(pid, c.signal);
            reader = ::open(calls.c_str(), O_RDONLY | O_NONBLOCK);
        }
    });
    if (reader >= 0) ::close(reader);
    env_.erase("DMSIM_CALLS_FILE");
    ASSERT_GE(reader, 0) << o.err;
    ASSERT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, 128 + c.signal) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(Sql("DOCS", "SELECT COUNT(*) FROM [OWNER].NEEDS_ARCHIVING"), "0");
    EXPECT_EQ(Sql("ARCHIVE", "SELECT COUNT(*) FROM [OWNER].PROFILE"), "4");
}

INSTANTIATE_TEST_SUITE_P(Ends, SignalAtTheEnd,
                         testing::Values(LateSignal{"SigtermAfterTheRun", "Transfer complete", SIGTERM},
                                         LateSignal{"SigintAfterTheRun", "Transfer complete", SIGINT},
                                         LateSignal{"SigtermAfterTheLastLogLine", ") Ended on ", SIGTERM},
                                         LateSignal{"SigintAfterTheLastLogLine", ") Ended on ", SIGINT}),
                         [](const testing::TestParamInfo<LateSignal>& info) { return std::string(info.param.name); });

// A site the program cannot open is a start that failed: the reason goes to
// the log as well as to standard error.
TEST_F(ProcessTest, ASiteThatCannotBeOpenedIsNamedInTheLog) {
    fs::create_directories(dir_.path() / "home");
    fs::create_directories(dir_.path() / "log");
    env_["DMSIM_SITE"] = (dir_.path() / "no-site").string();
    Outcome o = Run(DORVANE_PATH, {"/G", "/X"});
    ASSERT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, 2) << o.err;
    const auto err = Lines(o.err);
    ASSERT_EQ(err.size(), 1u) << o.err;
    EXPECT_EQ(err[0].rfind("Error: Unable to open the DM site " + (dir_.path() / "no-site").string() + ": ", 0), 0u);
    // The log's error lines carry their time after "Error: ".
    EXPECT_NE(Log().find(err[0].substr(7)), std::string::npos) << Log();
}

}  // namespace
