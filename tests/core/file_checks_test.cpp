#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <fstream>

#include "test_support/program_fixture.h"

namespace fs = std::filesystem;

namespace {

class FileChecksTest : public test_support::ProgramTest {
protected:
    std::string Make(const std::string& name, const std::string& content = "x") {
        auto path = dir_.path() / "files" / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << content;
        return path.string();
    }
};

TEST_F(FileChecksTest, GetFileFNModes) {
    Open();
    auto& p = *program_;
    std::string file = Make("a.doc");
    std::string empty = Make("empty.doc", "");
    std::string hidden = Make(".hidden.doc");
    EXPECT_EQ(p.GetFileFN(file, 0), 1);
    EXPECT_EQ(p.GetFileFN(hidden, 0), -2);
    EXPECT_EQ(p.GetFileFN((dir_.path() / "files").string(), 0), -1);
    EXPECT_EQ(p.GetFileFN(file + ".missing", 0), -1);
    EXPECT_EQ(p.GetFileFN(empty, 2), -1);
    EXPECT_EQ(p.GetFileFN(file + ".missing", 2), 1);
    EXPECT_EQ(p.GetFileFN((dir_.path() / "files" / "nope" / "x.doc").string(), 1), 1);
    EXPECT_EQ(p.GetFileFN("nothing-here", 1), 0);
    // Paths written with backslashes work too.
    std::string back = file;
    std::replace(back.begin(), back.end(), '/', '\\');
    EXPECT_EQ(p.GetFileFN(back, 0), 1);
    ClearLog();
    EXPECT_EQ(p.GetFileFN("", 0), 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Error: 2021-03-05 14:30:00.00  Document Path not specified - unable to continue",
                                                    std::string(70, '-'),
                                                    "Error: 2021-03-05 14:30:00.00  Unable to access file",
                                                    std::string(70, '-')}));
}

TEST_F(FileChecksTest, RemoveFileTellsWhetherTheFileIsGone) {
    Open();
    auto& p = *program_;
    EXPECT_TRUE(p.RemoveFile("", false));
    EXPECT_TRUE(p.RemoveFile(Make("x") + ".missing", false));

    std::string readOnly = Make("ro.doc");
    fs::permissions(readOnly, fs::perms::owner_read);
    EXPECT_TRUE(p.RemoveFile(readOnly, false));
    EXPECT_FALSE(fs::exists(readOnly));

    std::string hidden = Make(".hidden.doc");
    EXPECT_TRUE(p.RemoveFile(hidden, false));
    EXPECT_FALSE(fs::exists(hidden));

    std::string busy = Make("busy.doc");
    int fd = ::open(busy.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(p.RemoveFile(busy, false));
    EXPECT_TRUE(fs::exists(busy));
    EXPECT_EQ(CountLines(busy + " is locked - cannot remove"), 1u);
    ::close(fd);

    ui_.AnswerMessages({platform::mb::AnswerNo});
    EXPECT_TRUE(p.RemoveFile(busy, true));
    EXPECT_TRUE(fs::exists(busy));
}

// View Log (menu or F2) with no viewer to start says so, naming the log
// file, rather than doing nothing visible.
TEST_F(FileChecksTest, ViewLogSaysWhenNoViewerCanBeStarted) {
    Open();
    program_->WriteLog("started");
    window_->LabelStatus.SetCaption("Ready");
    window_->MNViewLog.Click();
    const std::string log = program_->log.CurrentLogFile;
    EXPECT_EQ(system_->openedInEditor, std::vector<std::string>{log});
    EXPECT_TRUE(ui_.Messages().empty());

    system_->editorStarts = false;
    window_->MNViewLog.Click();
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].prompt, "No viewer could be started for log file " + log +
                                            " - set VISUAL or EDITOR to a text editor, or install xdg-open");
    EXPECT_EQ(ui_.Messages()[0].buttons, platform::mb::Exclamation);
    EXPECT_EQ(window_->LabelStatus.Caption(), "Ready");
}

}  // namespace
