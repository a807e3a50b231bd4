#pragma once
// The program's objects, wired once: the context over the platform stand-ins
// and the DM client that the caller chose, the configuration, the main
// window's code, the subsystems it drives and the windows its menus show.
// main.cpp builds it over Qt and the emulator; the tests build it over the
// headless host and an emulated site.

#include <functional>
#include <memory>
#include <vector>

#include "app/dorvane_form.h"
#include "config/configuration.h"
#include "core/program.h"
#include "core/ui_dm_dialogs.h"
#include "folders/folders.h"
#include "install/installation_removal.h"
#include "forms/main_window.h"
#include "forms/splash_window.h"
#include "lookup/lookup_dialog.h"
#include "lookup/statement_builder.h"
#include "platform/no_display_host.h"
#include "queueadmin/queue_admin.h"
#include "removal/removal.h"
#include "transfer/transfer.h"

namespace app {

class Assembly {
public:
    // The program sees windowSystem through ui below.
    Assembly(platform::IRegistry& registry, platform::ISystem& system, platform::IClock& clock,
             platform::IUiHost& windowSystem, dm::IDmObjectFactory& dm);
    Assembly(const Assembly&) = delete;
    Assembly& operator=(const Assembly&) = delete;

    // Wires a window of a subsystem into the program and answers how to show
    // it. The assembly keeps the window's code, which owns its model
    // (Window()) and shows it modally (Show()); the window's view is
    // registered by the model's name (gui/view_registry.cpp). A new window is
    // one line in the constructor:
    //   form.windows.dmSettings = AddWindow(std::make_unique<queueadmin::KestOptionsForm>(program));
    template <class Form>
    std::function<void()> AddWindow(std::unique_ptr<Form> code) {
        Form& form = *code;
        modalWindows_.push_back(&form.Window());
        windowCode_.push_back(std::shared_ptr<Form>(std::move(code)));
        return [&form] { form.Show(); };
    }

    // Every window the program shows modally: each needs a view.
    const std::vector<forms::Window*>& ModalWindows() const { return modalWindows_; }

    // The window system as the program sees it: without a display nothing
    // waits for an answer, every box goes to the log.
    platform::NoDisplayHost ui;
    forms::Dorvane mainWindow;
    forms::KestSplash splash;
    core::Program program;
    // The DM client's own dialogs (library chooser, search), shown through ui.
    core::UiDmDialogs dmDialogs;
    config::Configuration configuration;
    folders::Folders folders;
    removal::Removal removal;
    transfer::DocumentTransfer transfer;
    // The statement builder and its cache, and the lookup dialog that the
    // setup window's criterion fields show.
    lookup::StatementBuilder statementBuilder;
    lookup::KestLookupForm lookupDialog;
    DorvaneForm form;
    install::InstallationRemoval installationRemoval;
    queueadmin::QueueAdmin queueAdmin;

private:
    std::vector<forms::Window*> modalWindows_;
    std::vector<std::shared_ptr<void>> windowCode_;
};

}  // namespace app
