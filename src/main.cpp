// The program: wires the Qt host, the platform stand-ins and the DM client
// implementation together, then runs the start-up and the window's events.

#include <unistd.h>

#include <QApplication>
#include <csignal>
#include <filesystem>
#include <memory>

#include "app/archive_run.h"
#include "app/dorvane_form.h"
#include "config/configuration.h"
#include "core/command_switches.h"
#include "core/program.h"
#include "core/ui_dm_dialogs.h"
#include "dmsim/emulator.h"
#include "dmsim/site_file.h"
#include "folders/folders.h"
#include "forms/main_window.h"
#include "forms/splash_window.h"
#include "gui/main_window_view.h"
#include "gui/qt_app.h"
#include "gui/qt_host.h"
#include "gui/signal_watch.h"
#include "gui/splash_view.h"
#include "gui/view_registry.h"
#include "platform/clock.h"
#include "platform/no_display_host.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "removal/removal.h"
#include "transfer/transfer.h"

namespace {

std::string ProgramFolder(const char* argv0) {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv0, ec);
    return exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    auto qapp = gui::CreateApplication(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    platform::PosixSystem system(args, ProgramFolder(argv[0]));
    platform::SystemClock clock;
    platform::FileRegistry registry(platform::FileRegistry::DefaultUserFile());
    gui::QtHost qtHost;
    gui::RegisterViews(qtHost);
    // Without a display no box waits for an answer: it goes to the log.
    platform::NoDisplayHost host(qtHost);

    std::unique_ptr<dmsim::Emulator> emulator;
    const auto siteDir = dmsim::DefaultSiteDir();
    try {
        emulator = std::make_unique<dmsim::Emulator>(siteDir);
    } catch (const std::exception& e) {
        const std::string text = "Error: Unable to open the DM site " + siteDir.string() + ": " + e.what();
        system.WriteStandardError(text);
        const auto line = core::ReadSwitches(system.ProcessCommandLine(), core::CommandLineSwitches());
        if (!line.Has("/G") || !line.Has("/X")) host.MessageBox(text, platform::mb::Critical, core::AppTitle());
        return 2;
    }
    for (auto& v : emulator->MachineRegistryValues()) registry.SetMachineValue(v.keyPath, v.valueName, v.value);
    core::UiDmDialogs dialogs(host);
    emulator->SetDialogHost(&dialogs);
    auto factory = emulator->Factory();

    forms::Dorvane window;
    forms::KestSplash splash;
    gui::MainWindowView mainView(window);
    gui::SplashView splashView(splash);

    core::Program program({registry, system, clock, host, *factory}, window);
    host.SetLog([&program](const std::string& line) { program.WriteLog(line); });
    // The program ends through EndProcess, past every destructor: the
    // databases are closed there, so no WAL file stays behind.
    system.SetBeforeEnd([&emulator] { emulator->CloseDatabases(); });
    config::Configuration configuration(program);
    program.saveConfiguration = [&] { configuration.SaveConfiguration(); };
    app::DorvaneForm form(program, configuration, splash);
    folders::Folders folders(program);
    removal::Removal removal(program, folders);
    transfer::DocumentTransfer transfer(program, removal, folders);
    form.Run().SetTransfer(&transfer);
    gui::SignalWatch signalWatch([&form](int signal) {
        form.EndRequested(std::string(signal == SIGINT ? "SIGINT" : "SIGTERM") + " received", 128 + signal);
    });

    form.Form_Load();
    return qapp->exec();
}
