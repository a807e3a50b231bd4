#pragma once
// The code of the library setup window "DorvaneLibSetup": its loading,
// activation, list checks and closing steps, the two build commands
// "&Build Library" and "&Make Triggers", and the trigger builder
// DorvaneCreateTriggers. The main window shows it modally from "&Setup a
// Library"; every showing loads it afresh.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/lib_setup_window.h"
#include "install/definition_store.h"
#include "install/trigger_definition.h"

namespace core {
class Program;
}

namespace install {

class LibrarySetup {
public:
    explicit LibrarySetup(core::Program& program);
    ~LibrarySetup();
    LibrarySetup(const LibrarySetup&) = delete;
    LibrarySetup& operator=(const LibrarySetup&) = delete;

    forms::DorvaneLibSetup& Window() { return w_; }
    // Loads the window and, when that went well, shows it modally; the
    // closing steps have run when it returns.
    void Show();

    // ---- The window ----------------------------------------------------------
    void Form_Load();
    void Form_Activate();
    void SourceLibraryCombo_LostFocus();
    void TargetLibraryCombo_LostFocus();
    void ButtonCancel_Click();
    void Form_Unload();

    // ---- Installation ----------------------------------------------------------
    void ButtonBuildLib_Click();
    void ButtonBuildTriggers_Click();
    // Drops and creates the queue trigger on PROFILE in the source library
    // from the definition the controls show; true when the trigger is in
    // place. A definition that cannot be kept or looked up is refused
    // before anything changes. The library connected before is connected
    // again.
    bool DorvaneCreateTriggers(const std::string& sourceLibrary);

    // ---- Criterion rows ----------------------------------------------------------
    // Rows count from 0 (Group) to 5 (Matter), top to bottom.
    void CriterionButton_Click(int row);
    void CriterionText_GotFocus(int row);
    void CriterionText_LostFocus(int row);

    // What the criterion rows ask of the lookup lists. The assembly sets it;
    // without it the ".." buttons are hidden and typed entries go unchecked.
    struct CriterionLookups {
        // Shows the lookup dialog on the row's table of the connected
        // library: the row's new text, nothing when no row was chosen.
        std::function<std::optional<std::string>(int row)> choose;
        struct Entry {
            std::string text;  // trimmed, as the box shows it afterwards
            bool refused = false;
        };
        // Checks the entry typed into the row against the connected library.
        std::function<Entry(int row, const std::string& typed, const std::string& undoText)> check;
    };
    CriterionLookups criterionLookups;

    // The text, trimmed, of the criterion box that last got the focus, as it
    // was then: put back when its new entry is refused.
    std::string UndoText;

    // Whether the closing saves the definition to the user's settings rather
    // than to the library's settings table.
    bool DefinitionUncommitted = false;

private:
    // What a command puts back on every way out.
    class CommandScope;
    // Result of looking up the definition's entries.
    enum class Lookup { Ready, Refused };
    Lookup ResolveTarget(TriggerSelection& selection);
    Lookup ResolveCriteria(const TriggerDefinition& definition, TriggerSelection& selection);
    // The definition the controls show, checked and looked up in the
    // connected source library, then kept in its settings table: the
    // selection, or nothing once a box has said why it is refused. Changes
    // nothing else in the library.
    std::optional<TriggerSelection> CheckDefinition();
    // After a trigger drop that was refused: the settings table gets back
    // the definition of the trigger that stays in force. What the box adds
    // when it cannot ("" otherwise).
    std::string RestoreReplacedDefinition();
    // After a refused definition: whether the previous trigger stands.
    void NoteStandingTrigger();
    // Creates the queue trigger of the connected library, after dropping
    // the previous one unless that is done; true when the catalogue lists
    // it. On false, triggerState_ says what the library is left with.
    bool InstallTrigger(const TriggerSelection& selection, bool dropFirst);
    // Drops the old table and makes the new one with its dictionary rows;
    // false, after its box, when the build must stop.
    bool CreateQueueTable();
    // Runs a step whose failure does not stop the build; it is named in
    // the build's last box.
    void Step(const std::string& statement, const std::string& name);
    // The box of a build stopped at a failed step.
    void SetupFailed(const std::string& library, const std::string& what);
    // The box of a trigger that was not made.
    void TriggerFailed(const std::string& library);
    void RefreshCachedFacts();
    void SetUniversalAccess();
    // Asks whether the archive follows the closing of items; on Yes says that
    // no trigger is made.
    bool ArchivesOnClose();
    // "&Make Triggers" for a library with the queue table, as the connected
    // library's catalogue lists it now; "&Build Library" for one without it,
    // and always on loading (a rebuild over the table stays one click away).
    void SetBuildButtons(bool loading);
    int Ask(const std::string& text);
    void Message(const std::string& text, int style);
    void ExitAfterFailure();

    core::Program& p_;
    forms::DorvaneLibSetup w_;
    // Kept by the loading for its exit after a failure.
    std::string loadStatus_;
    std::string loadLibrary_;
    // A failed loading stores nothing and changes no source library.
    bool loadFailed_ = false;
    bool unloaded_ = true;
    std::vector<int> connections_;
    // What the library is left with after a trigger was not made ("" when
    // unknown).
    std::string triggerState_;
    // The rows the command's definition replaced in the settings table.
    std::optional<StoredDefinition> replacedDefinition_;
    // The steps of a build that failed without stopping it.
    std::vector<std::string> failedSteps_;
};

}  // namespace install
