#include "app/assembly.h"

#include <iterator>

#include "app/archive_run.h"
#include "install/library_setup.h"
#include "lookup/criterion_checks.h"
#include "queueadmin/kest_options.h"
#include "queueadmin/next_key.h"
#include "queueadmin/summary.h"

namespace app {

namespace {

// The setup window's criterion rows, top to bottom, as the lookup lists know
// them; the Matter row is the last.
struct CriterionRow {
    const char* table;
    lookup::CriterionField field;
};
constexpr CriterionRow kCriterionRows[] = {{"GROUPS", lookup::CriterionField::Groups},
                                           {"PEOPLE", lookup::CriterionField::Typist},
                                           {"PEOPLE", lookup::CriterionField::Author},
                                           {"DOCUMENTTYPES", lookup::CriterionField::DocTypes},
                                           {"APPS", lookup::CriterionField::Apps}};
constexpr int kMatterRow = 5;
static_assert(std::size(kCriterionRows) == kMatterRow);

}  // namespace

Assembly::Assembly(platform::IRegistry& registry, platform::ISystem& system, platform::IClock& clock,
                   platform::IUiHost& windowSystem, dm::IDmObjectFactory& dm)
    : ui(windowSystem),
      program({registry, system, clock, ui, dm}, mainWindow),
      dmDialogs(ui),
      configuration(program),
      folders(program),
      removal(program, folders),
      transfer(program, removal, folders),
      statementBuilder(program),
      lookupDialog(program, statementBuilder),
      form(program, configuration, splash),
      installationRemoval(program),
      queueAdmin(program) {
    ui.SetLog([this](const std::string& line) { program.WriteLog(line); });
    program.saveConfiguration = [this] { configuration.SaveConfiguration(); };
    form.Run().SetTransfer(&transfer);

    // The About window; the windows of the subsystems join here as they are
    // built, each with AddWindow.
    modalWindows_.push_back(&splash);
    modalWindows_.push_back(&lookupDialog.Window());
    auto setup = std::make_unique<install::LibrarySetup>(program);
    setup->criterionLookups.choose = [this](int row) -> std::optional<std::string> {
        if (row == kMatterRow) return lookup::ChooseMatterEntries(program, lookupDialog);
        return lookup::ChooseCriterionEntries(lookupDialog, kCriterionRows[row].table);
    };
    setup->criterionLookups.check = [this](int row, const std::string& typed, const std::string& undoText) {
        const lookup::EntryCheck check =
            row == kMatterRow ? lookup::CheckMatterEntry(program, typed, undoText)
                              : lookup::CheckCriterionEntry(program, kCriterionRows[row].field, typed, undoText);
        return install::LibrarySetup::CriterionLookups::Entry{check.text,
                                                              check.verdict == lookup::EntryVerdict::Refused};
    };
    form.windows.setupLibrary = AddWindow(std::move(setup));
    form.windows.removeLibrary = [this] { installationRemoval.MNRemove_Click(); };
    form.windows.dmSettings = AddWindow(std::make_unique<queueadmin::KestOptionsForm>(program));
    queueAdmin.showPendingRows = AddWindow(std::make_unique<queueadmin::SummaryForm>(program));
    queueAdmin.showLastKeys = AddWindow(std::make_unique<queueadmin::NextKeyForm>(program));
    form.windows.addAllDocs = [this] { queueAdmin.MNDorvaneAddAllDocs_Click(); };
    form.windows.addClosedDocMatters = [this] { queueAdmin.MNDorvaneAddClosedDocMatters_Click(); };
    form.windows.addQueryDocs = [this] { queueAdmin.MNDorvaneAddQueryDocs_Click(); };
    form.windows.enableMetadata = [this] { queueAdmin.MNDorvaneEnableMetadata_Click(); };
    form.windows.displayRows = [this] { queueAdmin.MNDorvaneDisplayRows_Click(); };
    form.windows.checkLastKeys = [this] { queueAdmin.MNDorvaneCheckLastKeys_Click(); };
}

}  // namespace app
