// The program: picks the Qt host, the platform stand-ins and the DM client
// implementation, hands them to the assembly of the program's objects, binds
// the views, then runs the start-up and the window's events.

#include <unistd.h>

#include <QApplication>
#include <csignal>
#include <filesystem>
#include <memory>

#include "app/assembly.h"
#include "dmclient/dm_factory.h"
#include "dmsim/emulator.h"
#include "dmsim/site_file.h"
#include "gui/main_window_view.h"
#include "gui/qt_app.h"
#include "gui/qt_host.h"
#include "gui/signal_watch.h"
#include "gui/splash_view.h"
#include "gui/view_registry.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace {

std::string ProgramFolder(const char* argv0) {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv0, ec);
    return exe.parent_path().string();
}

// The DM client of a site that could not be opened: it creates nothing.
class NoDmClient : public dm::IDmObjectFactory {
public:
    dm::ApplicationPtr CreateApplication(std::string_view) override { return nullptr; }
    dm::ClientPtr CreateClient() override { return nullptr; }
    dm::SqlPtr CreateSql(std::string_view) override { return nullptr; }
    dm::SearchDialogPtr CreateSearchDialog() override { return nullptr; }
};

}  // namespace

int main(int argc, char** argv) {
    auto qapp = gui::CreateApplication(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    platform::PosixSystem system(args, ProgramFolder(argv[0]));
    platform::SystemClock clock;
    platform::FileRegistry registry(platform::FileRegistry::DefaultUserFile());
    gui::QtHost qtHost;
    gui::RegisterViews(qtHost);

    std::unique_ptr<dmsim::Emulator> emulator;
    std::shared_ptr<dm::IDmObjectFactory> factory;
    std::string siteError;
    const auto siteDir = dmsim::DefaultSiteDir();
    try {
        emulator = std::make_unique<dmsim::Emulator>(siteDir);
    } catch (const std::exception& e) {
        siteError = "Error: Unable to open the DM site " + siteDir.string() + ": " + e.what();
        factory = std::make_shared<NoDmClient>();
    }
    if (emulator) {
        emulator->RecordCalls(false);
        // The site stands in for the computer: its processes share the locks there.
        std::error_code ec;
        const auto site = std::filesystem::absolute(emulator->SiteDir(), ec);
        system.SetLockFolder(((ec ? emulator->SiteDir() : site) / "locks").string());
        for (auto& v : emulator->MachineRegistryValues()) registry.SetMachineValue(v.keyPath, v.valueName, v.value);
        factory = emulator->Factory();
    }

    app::Assembly dorvane(registry, system, clock, qtHost, *factory);
    if (emulator) emulator->SetDialogHost(&dorvane.dmDialogs);
    gui::SignalWatch signalWatch([&dorvane](int signal) {
        dorvane.form.EndRequested(std::string(signal == SIGINT ? "SIGINT" : "SIGTERM") + " received", 128 + signal);
    });
    dorvane.program.takePendingSignals = [&signalWatch] { signalWatch.Drain(); };
    // The program ends through EndProcess, past every destructor: the
    // databases are closed there, so no WAL file stays behind, and a signal
    // that came after the program's last look ends the process by itself.
    system.SetBeforeEnd([&emulator, &signalWatch] {
        if (emulator) emulator->CloseDatabases();
        signalWatch.Close();
    });
    if (!emulator) dorvane.form.DmSiteUnavailable(siteError);

    gui::MainWindowView mainView(dorvane.mainWindow);
    gui::SplashView splashView(dorvane.splash);
    // Nobody can see the windows without a display: nothing is repainted.
    if (!qtHost.HasDisplay()) {
        mainView.setUpdatesEnabled(false);
        splashView.setUpdatesEnabled(false);
    }
    dorvane.form.Form_Load();
    return qapp->exec();
}
