#pragma once
// The main window's code: start-up, the library lists and the options lock,
// the option controls' handlers, the keys and menus, and the archive run.
// Handlers carry the names the program has always given them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace core {
class Program;
}
namespace config {
class Configuration;
}
namespace forms {
class Dorvane;
class KestSplash;
class Window;
}  // namespace forms

namespace app {

class ArchiveRun;

// The windows of subsystems built elsewhere; the assembly wires what exists
// (app/assembly.h).
struct OtherWindows {
    // Shows a window modally; empty while the window is not built yet.
    std::function<void()> setupLibrary;     // DorvaneLibSetup
    std::function<void()> removeLibrary;    // MNRemove
    std::function<void()> dmSettings;       // KestOptions
    std::function<void()> addQueryDocs;
    std::function<void()> addAllDocs;
    std::function<void()> addClosedDocMatters;
    std::function<void()> checkLastKeys;
    std::function<void()> enableMetadata;
    std::function<void()> displayRows;
};

class DorvaneForm {
public:
    DorvaneForm(core::Program& program, config::Configuration& configuration, forms::KestSplash& splash);
    ~DorvaneForm();
    DorvaneForm(const DorvaneForm&) = delete;
    DorvaneForm& operator=(const DorvaneForm&) = delete;

    OtherWindows windows;

    // ---- Start-up ----------------------------------------------------------------
    void Form_Load();
    // In place of Form_Load when the DM client could not open its site: the
    // error goes to the log, to standard error and (unless silenced) to a
    // box, and the program ends with status 2.
    void DmSiteUnavailable(const std::string& text);
    void PlaceLibraries();
    void CheckLock();

    // ---- Option controls ---------------------------------------------------------
    void TabStrip_Click();
    void OptionCopy_Click();
    void OptionMove_Click();
    void OptionTransfer_Click();
    void TextLoopDelay_LostFocus();
    void TextRetryCount_LostFocus();
    void TextPauseStart_LostFocus();
    void TextPauseEnd_LostFocus();
    void Form_Activate();

    // ---- Keys, menus, commands ---------------------------------------------------
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyPress(int charCode);
    void Form_Unload();
    // The end of the program asked for from outside (SIGTERM, SIGINT): as
    // a close of the window, but the program ends even after a run, with
    // that status.
    void EndRequested(const std::string& reason, int exitStatus);
    void ButtonLock_Click();
    void ButtonLogDir_Click();
    void LibBox_ColumnClick(int column);
    void ListResults_ColumnClick(int column);
    void MNViewLog_Click();
    void MNPurgeLog_Click();
    void MNFileSaveConfig_Click();
    void MNFileRestoreConfig_Click();
    void MNTimeStampLogFile_Click();
    void MNExit_Click();
    void MNSetup_Click();
    void MNKestOptions_Click();
    void MNHelp_Click();

    // ---- The archive run ---------------------------------------------------------
    void Button_Go_Click();
    void Button_Exit_Click();
    bool CheckForPause();
    ArchiveRun& Run() { return *run_; }

    // The version text of the splash and About windows.
    std::string VersionText() const;

    // Fields of the window.
    std::string SourceLibraryName() const;

private:
    void Connect();
    // Menu items that use the DM session stay away while a run is active.
    void SetSessionMenusEnabled(bool enabled);
    void NotAvailableYet();
    void RunSubsystemWindow(const std::function<void()>& show);
    void SetStartupBoxText(const std::string& text, int icon);
    // The command line and where and how the log is written.
    void ReadLogSettings();

    core::Program& p_;
    config::Configuration& config_;
    forms::Dorvane& w_;
    forms::KestSplash& splash_;
    std::unique_ptr<ArchiveRun> run_;

    int libBoxSortOrder_ = -1;  // empty until the first column click
    std::string resultsSortColumn_;
    int resultsSortOrder_ = 0;
    std::vector<int> connections_;

    friend class ArchiveRun;
};

}  // namespace app
