#pragma once
// The program's context: one object owning what the program keeps for the
// whole process (the DM session, the connected library's facts, the library
// cache, the log state, the run state) and the core services that every
// subsystem calls. A test builds a fresh Program over a fresh emulated site;
// two Programs side by side act as two computers.
//
// Its services live in files by concern, named at each section below; the
// queue table's rows are core/queue_rows.h, the run options
// core/run_options.h.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/library_cache.h"
#include "core/log_file.h"
#include "core/run_options.h"
#include "dmclient/dm_factory.h"
#include "dmclient/dm_interfaces.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/ui_host.h"

namespace forms {
class Dorvane;
class Label;
class Window;
}  // namespace forms

namespace core {

// The product name as it stands in messages, the registry and the settings
// table; the window titles carry a trademark sign after the first word.
inline constexpr const char* kProductName = "Dorvane for DodiDida dIRAZ";
std::string AppTitle();

struct PlatformServices {
    platform::IRegistry& registry;
    platform::ISystem& system;
    platform::IClock& clock;
    platform::IUiHost& ui;
    dm::IDmObjectFactory& dm;
};

// The DM session objects, one each per process.
struct Session {
    dm::ClientPtr DmClient;
    dm::ApplicationPtr DmApplication;
    dm::LibrariesPtr DmLibraries;
    dm::LibraryPtr ConnectedLibrary;
    dm::SqlPtr PcdSql;
    std::string SecurityToken;
    // Scratch objects of the document procedures.
    dm::ProfilePtr CurrentProfile;
    dm::FolderPtr CurrentFolder;
    dm::VersionPtr CurrentVersion;
    dm::FoldersPtr CurrentParentFolders;
};

// Facts of the connected library.
struct ConnectionFacts {
    int32_t DatabaseEngine = 0;
    std::string DatabaseEngineName;
    std::string SqlOwner = "DOCSADM";
    std::string DatabaseVersion;
    std::string NextColumnName = "NEXT";
    std::string OuterJoinOperator;
    bool SettingsTableExists = false;
    bool QueueTableExists = false;
    bool HasSecurityLink = false;
    bool HasActivityStartTime = false;
    bool HasVersionEditTime = false;
    bool HasEncryptionKeyId = false;
};

struct LogState {
    std::string LogFilePath;
    std::string CurrentLogFile;
    std::string LastLogLine;
    double HeartbeatState = 0;
    // The log file whose failed write was reported on standard error.
    std::string UnwritableLogFile;
    // Error and Warning lines given to the log so far, repeats included: a
    // run tells by it whether it met any.
    int64_t ErrorsAndWarnings = 0;
    LogFile File;
};

struct BuildInfo {
    std::string BuildNumber;
    std::string BuildDate;
    std::string DmVersion;
    std::string DmPatchLevel;
    std::string ProductShortName = "Dorvane";
};

// State of the main window's run that other subsystems read.
struct RunState {
    std::string CommandLine;
    bool RunActiveFlag = false;
    bool CancelRequestedFlag = false;
    bool OptionsLockFlag = false;
    bool PausingFlag = false;
    std::string LockOwnerName;
    int32_t DmSaveFlags = 3;
    std::string SourceLibraryName;
    std::string IniFilePath;
    // Whether the configuration was restored in this process; the program
    // end saves only then.
    bool ConfigurationRestored = false;
    // Rows another computer locked longer ago than this are released: it
    // died holding them.
    int32_t StaleLockMinutes = 240;
    // Not 0 once the end of the program was asked for from outside (a
    // signal): the status it ends with after the run in hand.
    int EndStatus = 0;
    // Statements on the queue table that failed, each an Error line in the
    // log (core/queue_rows.h); a run counts them from its start and fails
    // with any.
    int32_t QueueFailures = 0;
    // The stored options the restore could not read (their keys, "" when
    // all were read): no run starts on guessed options, and the save keeps
    // their stored values unless they were changed.
    std::string OptionsUnread;
    // "/T=" or the INI file's TARGETLIB lines named no library that can be a
    // target (unknown names, the source): while no target is checked, the
    // end saves nothing over the stored targets, so a typo does not stay.
    bool TargetsNamedNone = false;
};

class Program {
public:
    Program(PlatformServices services, forms::Dorvane& mainWindow);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // ---- SQL execution (run_sql.cpp) ---------------------------------------------
    bool RunSQL(const std::string& statement);
    // RunSQL for a caller that must know the database took the statement:
    // RunSQL goes on past one it refused (and logs it), the SQL object still
    // holds its code. Its results stay there to read and release.
    bool RunSQLAccepted(const std::string& statement);
    // RunSQL for a read whose answer decides what is built or removed next:
    // one the library refused raises dm::DmError, as a refused DM call does,
    // so that its empty answer never passes for "no such row". `dependent`
    // names what depends on it ("the transfer of document #12").
    void RunRead(const std::string& statement, const std::string& dependent);
    // What the SQL object says of the statement the database refused last:
    // "SQL Error #N (text)", or that it could not be run at all.
    std::string SqlErrorReport();
    // The connected library's database clock as text ("" when it cannot be
    // read), for deleting the DM's own rows written from then on.
    std::string DatabaseTime();
    // A time DatabaseTime answered, as the connected library's statements
    // compare dates with it.
    std::string DatabaseTimeValue(const std::string& time);

    // ---- Library connection (library_connection.cpp) -------------------------------
    bool ConnectLibrary(const std::string& libraryName);
    bool CheckSQLSettings(const std::string& libraryName);

    // ---- Table probe and settings table (settings_table.cpp) ---------------------
    bool TableExists(const std::string& tableName);
    // Whether the connected library's catalogue lists the table; nothing
    // when the catalogue could not be read, which is no "not there".
    std::optional<bool> TableListed(const std::string& tableName);
    bool SetKestSetting(const std::string& masterKey, const std::string& sectionKey,
                        const std::string& subKey, int32_t keyType, const dm::Variant& value);
    dm::Variant GetKestSetting(const std::string& masterKey, const std::string& sectionKey,
                               const std::string& subKey, int32_t keyType,
                               const dm::Variant& defaultValue);
    // GetKestSetting, with nothing when the library refused the read: a
    // refused read is no stored default.
    std::optional<dm::Variant> ReadKestSetting(const std::string& masterKey, const std::string& sectionKey,
                                               const std::string& subKey, int32_t keyType,
                                               const dm::Variant& defaultValue);

    // ---- Log, status line, error report, heartbeat (log.cpp) ----------------------
    void WriteLog(const std::string& text);
    void Separator();
    void ReportError(int32_t number, const std::string& source, const std::string& description);
    void ReportError(const dm::DmError& error);
    void ShowStatus(const std::string& text);
    void MonitorHeartbeat();
    // A line for the log that an operator must see even without the log
    // file: it goes to standard error as well.
    void WriteLogAndStandardError(const std::string& text);
    // Nobody watches the run: it ends by itself (/X) or there is no display.
    // Its Error lines go to standard error as well.
    bool Unattended();

    // ---- Session (session.cpp) ---------------------------------------------------
    bool StartFusion();
    // Ends the program when the session cannot be used; true otherwise.
    bool CheckFusion(const std::string& callerName);
    // Ends the process; returns only when the end is already under way.
    void EndProgram(int exitCode = 0);

    // ---- Chooser, message box, machine name, registry path (chooser_message.cpp) --
    bool SelectLibrary();
    int ShowMessage(const std::string& prompt, int buttons, const std::string& title);
    std::string GetMachineName();
    std::string ReadRegistryPath(const std::string& path);

    // ---- File checks and removal (file_checks.cpp) -------------------------------
    int16_t GetFileFN(const std::string& path, int16_t mode);
    bool RemoveFile(const std::string& path, bool interactive);
    bool IsFileLocked(const std::string& path, bool forAppending);
    void ViewLogFile(const std::string& path);

    // ---- Helpers shared by the subsystems (program.cpp) ---------------------------
    // The error box of the core services: logged, then shown only while
    // "&Display Errors" is checked.
    void ErrorBox(const std::string& text);
    // Whether a right is held: the property's value is the Boolean True.
    static bool HasRight(const dm::LibraryPtr& library, const std::string& rightName);
    // The library of that name in DmLibraries (case-insensitive), or nothing.
    dm::LibraryPtr FindLibrary(const std::string& name);
    // The connected library's name, "" when none.
    std::string ConnectedLibraryName();
    // The run options, read from the main window at the moment of use.
    RunOptions Options() const { return RunOptions(MainWindow); }
    bool VerboseLogging() const { return Options().VerboseLogging(); }
    bool DisplayErrors() const { return Options().DisplayErrors(); }

    // The window whose LabelStatus shows the status texts; the main window
    // when unset.
    void SetStatusForm(forms::Window* window) { statusForm_ = window; }
    forms::Window* StatusForm() const { return statusForm_; }
    // The status line of StatusForm; nothing when that window has none.
    forms::Label* StatusLabel();

    // Supplied by the configuration: saves every option. The program end calls
    // it only when the configuration was restored in this process.
    std::function<void()> saveConfiguration;
    // Supplied by a run: puts back the options it set for itself, so that an
    // end in the middle of a run saves the user's values.
    std::function<void()> putBackRunOverrides;
    // Supplied by main: hands on at once the signals that came after the
    // last pump of events, so that a signal to the very end names the
    // status the program ends with.
    std::function<void()> takePendingSignals;

    PlatformServices platform;
    forms::Dorvane& MainWindow;
    Session session;
    ConnectionFacts facts;
    LibraryCache LibraryArray;
    LogState log;
    BuildInfo build;
    RunState run;

private:
    friend class CheckedWork;

    // Switches the verbose-logging check box off for a quiet stretch and puts
    // it back on every way out (settings_table.cpp).
    class QuietLog;

    // run_sql.cpp: runs one statement as RunSQL describes, raising nothing;
    // and whether the database took it.
    bool ExecuteSQL(const std::string& statement);
    bool Accepted(bool ran);
    // Counts a refusal of checked work; false outside it.
    bool CountFailure();

    // library_connection.cpp
    bool ConnectLibraryFailure(const std::string& name, const std::string& savedOwner);
    bool BindConnectedLibrary(int row, bool logSteps);
    // False when the library refused a read of them.
    bool ReadLibraryFacts(int row);

    forms::Window* statusForm_ = nullptr;
    bool ending_ = false;
    // Checked work (core/checked_work.h): how deep, and the refusals and
    // reported DM errors met in it.
    int checkedDepth_ = 0;
    int64_t workFailures_ = 0;
};

}  // namespace core
