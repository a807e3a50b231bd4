#include "forms/main_window.h"

#include <initializer_list>

namespace forms {

Dorvane::Dorvane() : Window("Dorvane", "Dorvane") {
    Register({&FrameInfo, &LabelLibraryName, &LabelPrimaryGroup, &LabelUserName,
              &FrameStatus, &LabelStatus,
              &FrameButtons, &ButtonLock, &Button_Go, &Button_Exit, &LabelLocked,
              &FrameCounters, &LabelCountText, &LabelTotal, &LabelErrorText, &LabelErrors,
              &TabStrip,
              &FrameSourceLibrary, &SourceLibraryLabel, &SourceLibraryCombo,
              &FrameOptions, &CheckLockComputer, &CheckProcessOrder, &LabelBatchSize,
              &TextBatchSize, &CheckDisplayErrors, &LabelRetryCount, &TextRetryCount,
              &CheckLogMethod, &CheckLoop, &LabelLoopDelay, &TextLoopDelay, &ButtonLogDir,
              &FrameListResults, &ListResults,
              &FrameCustomOptions, &FrameDoWhat, &OptionTransfer, &OptionCopy, &OptionMove,
              &FrameDoHow, &CheckMetaData, &CheckEncryption, &CheckOverwriteReadOnly,
              &CheckAppendLibName, &CheckMakeReadOnlySource, &CheckMakeReadOnlyTarget,
              &CheckForMissingColumns, &CheckRemoveDeletedDocs, &CheckFolders,
              &CheckRetainNumber, &CheckUseAlternateDateFormat,
              &FrameDoSize, &CheckActivityLog, &CheckAllAudits, &LabelMaxActLogRows,
              &TextMaxActLogRows,
              &FrameLibBox, &LibBox,
              &FramePause, &FramePauseTime, &CheckPauseTime, &TextPauseStart, &LabelPause,
              &TextPauseEnd, &TVPause});

    // Menus, in the order the menu bar shows them.
    for (MenuItem* item : {&MNViewLog, &MNPurgeLog, &MNFileSep1, &MNFileSaveConfig,
                           &MNFileRestoreConfig, &MNFileSep2, &MNTimeStampLogFile, &MNShowTimer,
                           &MNFileSep3, &MNExit}) {
        MNFileMenu.Add(*item);
    }
    MNSetupMenu.Add(MNInitialSetup);
    for (MenuItem* item : {&MNSetup, &MNRemove, &MNSetupSep1, &MNDorvaneAddQueryDocs,
                           &MNDorvaneAddAllDocs, &MNDorvaneAddClosedDocMatters, &MNSetupSep2,
                           &MNDorvaneCheckLastKeys, &MNDorvaneEnableMetadata, &MNSetupSep3,
                           &MNDorvaneDisplayRows}) {
        MNInitialSetup.Add(*item);
    }
    MNHelpMenu.Add(MNKestOptions);
    MNHelpMenu.Add(MNHelpSep1);
    MNHelpMenu.Add(MNHelp);
    for (MenuItem* menu : Menus()) {
        Register(*menu);
        for (MenuItem* item : menu->Items()) {
            Register(*item);
            for (MenuItem* sub : item->Items()) Register(*sub);
        }
    }
    // Kept only for the stored configuration.
    MNShowTimer.SetVisible(false);
    MNShowTimer.SetChecked(true);

    TabStrip.AddTab("General", "General Options");
    TabStrip.AddTab("Options", "Application-Specific Options");
    TabStrip.AddTab("Targets", "Target Libraries");
    TabStrip.AddTab("Pause", "Pause options");

    DoWhatOptions.Add(OptionTransfer);
    DoWhatOptions.Add(OptionCopy);
    DoWhatOptions.Add(OptionMove);
    OptionCopy.SetValue(true);

    // Design geometry in twips: the tab handler stacks the frames of a tab
    // below the tab strip by these tops and heights.
    Resize(8700, 10800);
    FrameInfo.SetTop(0);
    FrameInfo.SetHeight(600);
    TabStrip.SetTop(600);
    TabStrip.SetHeight(6600);
    const int frameWidth = 8520;
    for (Control* frame : std::initializer_list<Control*>{
             &FrameSourceLibrary, &FrameOptions, &FrameListResults, &FrameCustomOptions,
             &FrameLibBox, &FramePause}) {
        frame->SetLeft(30);
        frame->SetTop(960);
        frame->SetWidth(frameWidth);
    }
    FrameSourceLibrary.SetHeight(735);
    FrameOptions.SetTop(1575);
    FrameOptions.SetHeight(2175);
    FrameListResults.SetTop(3630);
    FrameListResults.SetHeight(3255);
    FrameCustomOptions.SetHeight(6000);
    FrameLibBox.SetHeight(6000);
    FramePause.SetHeight(6000);

    ListResults.SetWidth(frameWidth - 240);
    ListResults.AddColumn("Document", 1200);
    ListResults.AddColumn("Target Library", 2000);
    ListResults.AddColumn("Date/Time", 2300);
    ListResults.AddColumn("State", 1400);

    LibBox.SetWidth(frameWidth - 240);
    LibBox.SetCheckBoxes(true);
    LibBox.AddColumn("Target libraries", LibBox.Width() * 93 / 100);

    TVPause.SetCheckBoxes(true);

    // The status line is dark blue while no run is active.
    LabelStatus.SetForeColor(0xC00000);
    // Shown while the options are locked, and the counters while a run works.
    LabelLocked.SetVisible(false);
    for (Label* label : {&LabelCountText, &LabelTotal, &LabelErrorText, &LabelErrors}) {
        label->SetVisible(false);
    }
}

}  // namespace forms
