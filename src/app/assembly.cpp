#include "app/assembly.h"

#include "app/archive_run.h"

namespace app {

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
      form(program, configuration, splash) {
    ui.SetLog([this](const std::string& line) { program.WriteLog(line); });
    program.saveConfiguration = [this] { configuration.SaveConfiguration(); };
    form.Run().SetTransfer(&transfer);

    // The About window; the windows of the subsystems join here as they are
    // built, each with AddWindow.
    modalWindows_.push_back(&splash);
    modalWindows_.push_back(&lookupDialog.Window());
}

}  // namespace app
