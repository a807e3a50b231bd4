#include <gtest/gtest.h>

#include <fstream>

#include "config/configuration.h"
#include "forms/splash_window.h"
#include "test_support/program_fixture.h"

namespace {

class IniFileTest : public test_support::ProgramTest {
protected:
    config::Configuration* config_ = nullptr;
    forms::KestSplash splash_;

    void SetUp() override {
        Open("/G");
        Start();
        program_->run.CommandLine = "/G";
        for (const char* lib : {"DOCS", "Archive", "ARCHIVE2"}) {
            window_->SourceLibraryCombo.AddItem(lib);
            window_->LibBox.AddItem(lib);
        }
        window_->LibBox.SetChecked(0, true);
        config_ = &app_->configuration;
    }

    void WriteIni(const std::string& text) {
        std::ofstream(dir_.path() / "prog" / "Dorvane.INI") << text;
    }
};

TEST_F(IniFileTest, WithoutTheFileNothingChanges) {
    config_->ReadIni(&splash_);
    EXPECT_TRUE(window_->LibBox.Item(0).checked);
    EXPECT_EQ(program_->run.IniFilePath, (dir_.path() / "prog" / "Dorvane.INI").string());
}

TEST_F(IniFileTest, SwitchesKeysAndComments) {
    window_->CheckActivityLog.SetValue(1);
    WriteIni("   /ax   ' activity off\r\n"
             "; a comment\n"
             "/Loop\n"
             "/Move /data/M\n"
             "LOOPDELAY = 30 ; seconds\n"
             "retrycount=\n"
             "BatchSize = 013\n"
             "SOURCELIB = archive\n"
             "TARGETLIB = ARCHIVE2\n"
             "TARGETLIB = ARCHIVE2\n"
             "/S=DOCS\n"
             "/G/X\n"
             "/F /c\n");
    config_->ReadIni(&splash_);
    auto& w = *window_;
    EXPECT_EQ(w.CheckActivityLog.Value(), 0);
    // Switches are whole words: none of these is /L or /M.
    EXPECT_EQ(w.CheckLoop.Value(), 0);
    EXPECT_FALSE(w.OptionMove.Value());
    EXPECT_EQ(w.TextLoopDelay.Text(), "30");
    EXPECT_EQ(w.TextRetryCount.Text(), "0");
    EXPECT_EQ(w.TextBatchSize.Text(), "13");
    EXPECT_EQ(w.SourceLibraryCombo.Text(), "Archive");
    EXPECT_FALSE(w.LibBox.Item(0).checked);
    EXPECT_TRUE(w.LibBox.Item(2).checked);
    EXPECT_EQ(program_->run.CommandLine, "/G /X");
    EXPECT_TRUE(w.OptionTransfer.Value());
    EXPECT_EQ(w.CheckForMissingColumns.Value(), 1);
    EXPECT_EQ(splash_.LabelStatus.Caption(),
              "Retrieving Session information from " + (dir_.path() / "prog" / "Dorvane.INI").string());
    const auto path = (dir_.path() / "prog" / "Dorvane.INI").string();
    const std::vector<std::string> warnings = {
        "Warning: " + path + " line 3: unknown switch '/Loop' - ignored",
        "Warning: " + path + " line 4: unknown switch '/Move' - ignored",
        "Warning: " + path + " line 4: unknown switch '/data/M' - ignored",
        "Warning: " + path + " line 11: unknown switch '/S=DOCS' - ignored",
    };
    EXPECT_EQ(CountLines("Warning:"), warnings.size()) << LogText();
    for (const auto& warning : warnings) EXPECT_EQ(CountLines(warning), 1u) << warning;
    EXPECT_EQ(system_->standardError, warnings);
}

// A file saved with CRLF line ends reads as one saved with LF.
TEST_F(IniFileTest, CrlfLinesChooseTheSourceAndCheckTheTarget) {
    WriteIni("SOURCELIB = archive\r\n"
             "TARGETLIB = ARCHIVE2\r\n");
    config_->ReadIni(&splash_);
    EXPECT_EQ(window_->SourceLibraryCombo.Text(), "Archive");
    EXPECT_FALSE(window_->LibBox.Item(0).checked);
    EXPECT_TRUE(window_->LibBox.Item(2).checked);
    EXPECT_EQ(CountLines("Warning:"), 0u) << LogText();
}

TEST_F(IniFileTest, BadLinesAreWarnedWithTheirNumberAndSkipped) {
    window_->TextBatchSize.SetText("5");
    WriteIni("BATCHSIZE = lots\n"
             "COLOUR = blue\n"
             "TARGETLIB = NOWHERE\n"
             "just words\n"
             "BATCHSIZE = 7\n");
    config_->ReadIni(&splash_);
    EXPECT_EQ(window_->TextBatchSize.Text(), "7");
    auto path = (dir_.path() / "prog" / "Dorvane.INI").string();
    EXPECT_EQ(CountLines("Warning: " + path + " line 1: BATCHSIZE needs a number"), 1u) << LogText();
    EXPECT_EQ(CountLines("line 2: unknown key 'COLOUR'"), 1u);
    EXPECT_EQ(CountLines("line 3: unknown target library 'NOWHERE'"), 1u);
    EXPECT_EQ(CountLines("line 4: neither a switch nor a key"), 1u);
}

// A number key takes a whole number a count can hold, or nothing: "1E3" is
// not 1, "10ABC" not 10. Anything else is named and leaves the box as it was.
TEST_F(IniFileTest, NumberKeysTakeWholeNumbersInRangeOnly) {
    struct Case {
        const char* line;
        const char* loopDelay;
        const char* retryCount;
        const char* batchSize;
        bool warned;
    };
    const Case cases[] = {
        {"BATCHSIZE = 1e3", "4", "3", "5", true},
        {"BATCHSIZE = 10abc", "4", "3", "5", true},
        {"BATCHSIZE = 3000000000", "4", "3", "5", true},
        {"BATCHSIZE = 99999999999999999999", "4", "3", "5", true},
        {"BATCHSIZE = 12.6", "4", "3", "5", true},
        {"BATCHSIZE = -2", "4", "3", "5", true},
        {"BATCHSIZE = 2147483647", "4", "3", "2147483647", false},
        {"BATCHSIZE = 0", "4", "3", "0", false},
        {"LOOPDELAY = 1e3", "4", "3", "5", true},
        {"LOOPDELAY = 60 seconds", "4", "3", "5", true},
        {"LOOPDELAY = 60", "60", "3", "5", false},
        {"RETRYCOUNT = 0x10", "4", "3", "5", true},
        {"RETRYCOUNT = 7", "4", "7", "5", false},
        {"RETRYCOUNT =", "4", "0", "5", false},  // a blank value is the default
    };
    const auto path = (dir_.path() / "prog" / "Dorvane.INI").string();
    for (const auto& c : cases) {
        window_->TextLoopDelay.SetText("4");
        window_->TextRetryCount.SetText("3");
        window_->TextBatchSize.SetText("5");
        system_->standardError.clear();
        WriteIni(std::string("TARGETLIB = ARCHIVE2\n") + c.line + "\n");
        config_->ReadIni(&splash_);
        EXPECT_EQ(window_->TextLoopDelay.Text(), c.loopDelay) << c.line;
        EXPECT_EQ(window_->TextRetryCount.Text(), c.retryCount) << c.line;
        EXPECT_EQ(window_->TextBatchSize.Text(), c.batchSize) << c.line;
        if (!c.warned) {
            EXPECT_TRUE(system_->standardError.empty()) << c.line;
            continue;
        }
        const std::string key(c.line, std::string(c.line).find(' '));
        ASSERT_EQ(system_->standardError.size(), 1u) << c.line;
        EXPECT_EQ(system_->standardError[0].rfind("Warning: " + path + " line 2: " + key +
                                                      " needs a number (whole, from 0 to 2147483647), not '",
                                                  0),
                  0u)
            << system_->standardError[0];
        EXPECT_EQ(CountLines(system_->standardError[0].substr(9)), 1u) << LogText();
    }
}

// A file saved with a byte-order mark, or with CR alone ending its lines,
// reads as the lines it shows.
TEST_F(IniFileTest, AByteOrderMarkAndCrLineEndsReadAsTheirLines) {
    for (const char* text : {"\xEF\xBB\xBF/X\nTARGETLIB = ARCHIVE2\nBATCHSIZE = 7\n",
                             "/X\rTARGETLIB = ARCHIVE2\rBATCHSIZE = 7\r",
                             "\xEF\xBB\xBF/X\r\nTARGETLIB = ARCHIVE2\rBATCHSIZE = 7"}) {
        program_->run.CommandLine = "/G";
        window_->TextBatchSize.SetText("0");
        WriteIni(text);
        config_->ReadIni(&splash_);
        EXPECT_EQ(program_->run.CommandLine, "/G /X") << text;
        EXPECT_FALSE(window_->LibBox.Item(0).checked) << text;
        EXPECT_TRUE(window_->LibBox.Item(2).checked) << text;
        EXPECT_EQ(window_->TextBatchSize.Text(), "7") << text;
    }
    EXPECT_EQ(CountLines("Warning:"), 0u) << LogText();
    EXPECT_TRUE(system_->standardError.empty());
}

// A line of any length is named by its start.
TEST_F(IniFileTest, AnOversizedLineIsShortenedInItsWarning) {
    const std::string huge(1000000, 'Z');
    WriteIni(huge + "\n/" + huge + "\nTARGETLIB = " + huge + "\n" + huge + " = 1\nBATCHSIZE = " + huge + "\n");
    config_->ReadIni(&splash_);
    ASSERT_EQ(system_->standardError.size(), 5u);
    for (const auto& warning : system_->standardError) {
        EXPECT_LT(warning.size(), 300u) << warning.substr(0, 300);
        EXPECT_NE(warning.find("ZZZ...' (100000"), std::string::npos) << warning.substr(0, 300);
    }
}

TEST_F(IniFileTest, TurningMoveOrTransferOffLeavesCopy) {
    window_->OptionMove.Select();
    WriteIni("/MX\n");
    config_->ReadIni(&splash_);
    EXPECT_TRUE(window_->OptionCopy.Value());
}

TEST_F(IniFileTest, EmptyFileUnchecksEveryTarget) {
    WriteIni("");
    config_->ReadIni(&splash_);
    for (auto& item : window_->LibBox.Items()) EXPECT_FALSE(item.checked);
}

}  // namespace
