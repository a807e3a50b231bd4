#pragma once
// The main window "Dorvane": every control the program reads or writes, with
// its caption and tool tip, the tabs, the frames and the menus. The program's
// handlers connect to the signals; nothing here acts on its own.

#include <vector>

#include "forms/button.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/menu_item.h"
#include "forms/option_button.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "forms/tree_view.h"
#include "forms/window.h"

namespace forms {

class Dorvane : public Window {
public:
    // Tabs of TabStrip.
    static constexpr int TabGeneral = 1;
    static constexpr int TabOptions = 2;
    static constexpr int TabTargets = 3;
    static constexpr int TabPause = 4;

    Dorvane();

    // The menu bar, in order; each menu lists its items.
    std::vector<MenuItem*> Menus() { return {&MNFileMenu, &MNSetupMenu, &MNHelpMenu}; }

    // ---- Always visible -----------------------------------------------------
    Frame FrameInfo{"FrameInfo"};
    Label LabelLibraryName{"LabelLibraryName"};
    Label LabelPrimaryGroup{"LabelPrimaryGroup"};
    Label LabelUserName{"LabelUserName"};

    Frame FrameStatus{"FrameStatus", "Status:"};
    Label LabelStatus{"LabelStatus"};

    Frame FrameButtons{"FrameButtons"};
    Button ButtonLock{"ButtonLock", "Lock", "Lock the tabs and options so you cannot change them"};
    Button Button_Go{"Button_Go", "&Go!", "Start archiving"};
    Button Button_Exit{"Button_Exit", "E&xit", "Exit and Close this form"};
    Label LabelLocked{"LabelLocked", "Locked"};

    Frame FrameCounters{"FrameCounters"};
    Label LabelCountText{"LabelCountText", "Remaining:"};
    Label LabelTotal{"LabelTotal"};
    Label LabelErrorText{"LabelErrorText", "Errors"};
    Label LabelErrors{"LabelErrors"};

    forms::TabStrip TabStrip{"TabStrip"};

    // ---- Tab "General" ------------------------------------------------------
    Frame FrameSourceLibrary{"FrameSourceLibrary"};
    Label SourceLibraryLabel{"SourceLibraryLabel", "&Source library:"};
    ComboBox SourceLibraryCombo{
        "SourceLibraryCombo",
        "Select the library which will be your validation data source (the other libraries "
        "will be the targets)"};

    Frame FrameOptions{"FrameOptions"};
    CheckBox CheckLockComputer{"CheckLockComputer", "Lock on Go!"};
    CheckBox CheckProcessOrder{
        "CheckProcessOrder", "Process Descending",
        "Process documents in descending order (otherwise, will process in ascending order)"};
    Label LabelBatchSize{"LabelBatchSize", "&Batch Size:",
                         "Enter the size of each batch of archiving rows to process"};
    TextBox TextBatchSize{"TextBatchSize", {},
                          "Enter the size of each batch of archiving rows to process"};
    CheckBox CheckDisplayErrors{"CheckDisplayErrors", "&Display Errors",
                                "Display errors (will requires intervention to continue)"};
    Label LabelRetryCount{"LabelRetryCount", "&Retry Count:",
                          "Number of times to retry a document if it encounters an error."};
    TextBox TextRetryCount{"TextRetryCount", {}, "Enter the number of times to retry an operation"};
    CheckBox CheckLogMethod{"CheckLogMethod", "&Verbose Logging", "To log everything"};
    CheckBox CheckLoop{"CheckLoop", "&Loop Continuously", "To loop continuously"};
    Label LabelLoopDelay{"LabelLoopDelay", "&Delay Time (in seconds):",
                         "Enter the amount of time to wait before looping"};
    TextBox TextLoopDelay{"TextLoopDelay", {}, "Enter the amount of time to wait before looping"};
    // Its tool tip shows the log file's path.
    Button ButtonLogDir{"ButtonLogDir", ".."};

    Frame FrameListResults{"FrameListResults"};
    // One entry per document: the document number, then the target library,
    // the date and time and the state as sub-items.
    ListView ListResults{"ListResults"};

    // ---- Tab "Options" ------------------------------------------------------
    Frame FrameCustomOptions{"FrameCustomOptions"};

    Frame FrameDoWhat{"FrameDoWhat", "Action"};
    OptionButton OptionTransfer{"OptionTransfer", "&Transfer", "Transfer documents"};
    OptionButton OptionCopy{"OptionCopy", "&Copy", "Copy documents"};
    OptionButton OptionMove{"OptionMove", "&Move", "Move documents"};
    OptionGroup DoWhatOptions;

    Frame FrameDoHow{"FrameDoHow", "Documents"};
    CheckBox CheckMetaData{"CheckMetaData", "Process metadata only",
                           "Check this option if you only want to replicate the metadata and "
                           "point to source file(s)"};
    CheckBox CheckEncryption{"CheckEncryption", "Use Checkout Method",
                             "Checked = Checkout; Unchecked = FileCopy"};
    CheckBox CheckOverwriteReadOnly{"CheckOverwriteReadOnly", "Overwrite read-only documents",
                                    "Overwrite target documents that are marked read-only"};
    CheckBox CheckAppendLibName{"CheckAppendLibName", "Append library name to document name",
                                "Check this option if you want to append the target library "
                                "name to the target document's name"};
    CheckBox CheckMakeReadOnlySource{"CheckMakeReadOnlySource", "Make source document read-only",
                                     "Make the original document read-only"};
    CheckBox CheckMakeReadOnlyTarget{"CheckMakeReadOnlyTarget", "Make target document read-only",
                                     "Make the target document read-only"};
    CheckBox CheckForMissingColumns{
        "CheckForMissingColumns", "Check for missing validation rows in target library",
        "To check for missing validation values; otherwise a row with a missing column will "
        "fail."};
    CheckBox CheckRemoveDeletedDocs{
        "CheckRemoveDeletedDocs", "Remove archived/deleted items from target library",
        "To remove archived or deleted documents from the target library"};
    CheckBox CheckFolders{"CheckFolders", "Process &Folders / Projects",
                          "To process a document's folders (or DOCSOpen projects)"};
    CheckBox CheckRetainNumber{"CheckRetainNumber", "Retain Document #",
                               "To attempt to keep the original document # if possible"};
    CheckBox CheckUseAlternateDateFormat{
        "CheckUseAlternateDateFormat", "Use alternate date format",
        "Check this option if want the date format to be DD.MM.RR instead of DD-MON-RRRR"};

    Frame FrameDoSize{"FrameDoSize", "Activity log"};
    CheckBox CheckActivityLog{"CheckActivityLog", "Process &Activitylog", "To process Activitylog rows"};
    CheckBox CheckAllAudits{
        "CheckAllAudits", "Keep history of all copies/transfers",
        "Keep all ActivityLog entries including all Dorvane transfers and copies"};
    Label LabelMaxActLogRows{"LabelMaxActLogRows", "Max Actlog Rows"};
    TextBox TextMaxActLogRows{"TextMaxActLogRows"};

    // ---- Tab "Targets" ------------------------------------------------------
    Frame FrameLibBox{"FrameLibBox"};
    // One checked entry per target library of the run.
    ListView LibBox{"LibBox", {}, "Select your target libraries"};

    // ---- Tab "Pause" --------------------------------------------------------
    Frame FramePause{"FramePause"};
    Frame FramePauseTime{"FramePauseTime"};
    CheckBox CheckPauseTime{"CheckPauseTime", "Enable Pause Timer",
                            "Check this box to enable the pause timer (set the start/end time)"};
    TextBox TextPauseStart{"TextPauseStart", {}, "Enter the pause Start time (24 hour clock)"};
    Label LabelPause{"LabelPause", "to"};
    TextBox TextPauseEnd{"TextPauseEnd", {}, "Enter the pause End time (24 hour clock)"};
    // The weekdays, "Sunday" to "Saturday", added at start-up.
    TreeView TVPause{"TVPause"};

    // ---- Menus --------------------------------------------------------------
    MenuItem MNFileMenu{"MNFileMenu", "&File"};
    MenuItem MNViewLog{"MNViewLog", "&View Log", "F2"};
    MenuItem MNPurgeLog{"MNPurgeLog", "&Purge Log", "Shift+Del"};
    MenuItem MNFileSep1{"MNFileSep1", "-"};
    MenuItem MNFileSaveConfig{"MNFileSaveConfig", "Save Configuration"};
    MenuItem MNFileRestoreConfig{"MNFileRestoreConfig", "Restore Configuration", "Ctrl+A"};
    MenuItem MNFileSep2{"MNFileSep2", "-"};
    MenuItem MNTimeStampLogFile{"MNTimeStampLogFile", "Timesstamp LogFile"};
    MenuItem MNShowTimer{"MNShowTimer", "Show &Timer"};
    MenuItem MNFileSep3{"MNFileSep3", "-"};
    MenuItem MNExit{"MNExit", "E&xit", "Ctrl+X"};

    MenuItem MNSetupMenu{"MNSetupMenu", "&Setup"};
    MenuItem MNInitialSetup{"MNInitialSetup", "Initial &Setup"};
    MenuItem MNSetup{"MNSetup", "&Setup a Library"};
    MenuItem MNRemove{"MNRemove", "&Remove a Library"};
    MenuItem MNSetupSep1{"MNSetupSep1", "-"};
    MenuItem MNDorvaneAddQueryDocs{"MNDorvaneAddQueryDocs", "Add &Query Documents To Queue"};
    MenuItem MNDorvaneAddAllDocs{"MNDorvaneAddAllDocs", "Add A&ll Documents To Queue"};
    MenuItem MNDorvaneAddClosedDocMatters{"MNDorvaneAddClosedDocMatters",
                                          "Add documents for closed matters"};
    MenuItem MNSetupSep2{"MNSetupSep2", "-"};
    MenuItem MNDorvaneCheckLastKeys{"MNDorvaneCheckLastKeys", "Check Profile Lastkeys"};
    MenuItem MNDorvaneEnableMetadata{"MNDorvaneEnableMetadata", "Enable Disabled Metadata"};
    MenuItem MNSetupSep3{"MNSetupSep3", "-"};
    MenuItem MNDorvaneDisplayRows{"MNDorvaneDisplayRows", "&Display Pending Rows", "F7"};

    MenuItem MNHelpMenu{"MNHelpMenu", "&Help"};
    MenuItem MNKestOptions{"MNKestOptions", "Display Current DM Settings"};
    MenuItem MNHelpSep1{"MNHelpSep1", "-"};
    MenuItem MNHelp{"MNHelp", "&About", "F1"};
};

}  // namespace forms
