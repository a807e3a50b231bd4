#include <algorithm>
#include <cctype>

#include "core/date_text.h"
#include "core/dm_calls.h"
#include "core/program.h"
#include "core/text.h"
#include "forms/main_window.h"

namespace core {

namespace {

// A failure of the start that has been reported already.
struct StartFailed {};

}  // namespace

bool Program::StartFusion() {
    auto& ui = platform.ui;
    const auto savedPointer = ui.GetMousePointer();
    auto* label = StatusLabel();
    const std::string savedStatus = label ? label->Caption() : "";
    const intptr_t windowHandle = reinterpret_cast<intptr_t>(&MainWindow);
    const std::string product = kProductName;

    bool result = false;
    bool secondAttempt = false;
    int32_t errNumber = 0;
    std::string errSource, errDescription;
    try {
        // First attempt: the login object and the application by class. A
        // refusal there is no failure yet: the second attempt follows, and
        // its status line says so.
        secondAttempt = !PassOver([&] {
            ui.SetMousePointer(platform::MousePointer::Hourglass);
            if (!session.DmClient) session.DmClient = platform.dm.CreateClient();
            ShowStatus("Starting DM Application Object " + Require(session.DmClient)->Name());
            session.DmApplication = platform.dm.CreateApplication(dm::kApplicationClass);
            Separator();
            // An application object that was not created fails at its first use.
            auto current = Require(Require(session.DmApplication)->CurrentLibrary());
            ShowStatus("Logging on to DM Session library " + current->Name());
            session.DmClient->Logon();
            Separator();
            session.DmApplication->SetParentWindow(windowHandle);
        });

        if (secondAttempt) {
            ui.SetMousePointer(platform::MousePointer::Hourglass);
            ShowStatus("Creating Fusion Application Object");
            session.DmApplication = platform.dm.CreateApplication(dm::kApplicationProgId);
            Separator();
            if (!session.DmApplication) {
                ErrorBox("Error: Unable to set FUSION object - cannot start " + product);
                throw StartFailed{};
            }
            session.DmApplication->SetParentWindow(windowHandle);
            ui.SetMousePointer(platform::MousePointer::Hourglass);
            ShowStatus("Logging in to the Fusion Server");
            session.SecurityToken = session.DmApplication->SecurityToken();
            Separator();
            if (session.SecurityToken.empty()) {
                ErrorBox("Error: Unable to set Fusion Security Token - cannot start " + product);
                session.DmApplication.reset();
                throw StartFailed{};
            }
        }

        ui.SetMousePointer(platform::MousePointer::Hourglass);
        ShowStatus("Setting Fusion Libraries Object");
        session.DmLibraries = session.DmApplication->Libraries();
        Separator();
        if (!session.DmLibraries) {
            ErrorBox("Error: Unable to set LIBS object - cannot start " + product);
            throw StartFailed{};
        }
        ui.SetMousePointer(platform::MousePointer::Hourglass);
        ShowStatus("Identifying CurrentLibrary Object");
        auto current = session.DmApplication->CurrentLibrary();
        Separator();
        if (!current) {
            ErrorBox("Error: Unable to identify CurrentLibrary object - cannot start " + product);
            throw StartFailed{};
        }

        ui.SetMousePointer(platform::MousePointer::Hourglass);
        const std::string currentName = current->Name();
        ShowStatus("Connecting to current library " + currentName);
        Separator();
        if (!ConnectLibrary(currentName)) throw StartFailed{};
        ShowStatus(product + " started with connection to " + currentName);
        Separator();
        result = true;
    } catch (const StartFailed&) {
    } catch (const dm::DmError& e) {
        errNumber = e.Number();
        errSource = e.Source();
        errDescription = e.Description();
    }

    if (!result) {
        Separator();
        WriteLog("StartFusion:");
        ReportError(errNumber, errSource, errDescription);
    }
    ui.SetMousePointer(savedPointer);
    if (label) label->SetCaption(savedStatus);
    ui.PumpEvents();
    return result;
}

bool Program::CheckFusion(const std::string& callerName) {
    const std::string caller = Upper(callerName);
    auto fatal = [&]() {
        Separator();
        auto now = platform::ToLocal(platform.clock.Now());
        std::string text = "Error: CheckFusion failed on " + callerName + " on " + LongDate(now) + " at " +
                           TimeAmPm(now);
        WriteLog(text);
        Separator();
        if (DisplayErrors()) {
            platform.ui.MessageBox(text + "\r\n\r\nI will exit " + std::string(kProductName) + " now",
                                   platform::mb::Critical, AppTitle());
        }
        EndProgram(1);
        return false;
    };
    const intptr_t windowHandle = reinterpret_cast<intptr_t>(&MainWindow);
    try {
        if (caller == "CONNECTLIBRARY" && !session.DmApplication) {
            ShowStatus("CheckFusion is Re-Creating Fusion Application Object");
            session.DmApplication = platform.dm.CreateApplication(dm::kApplicationProgId);
            Separator();
            if (!session.DmApplication) {
                ErrorBox("Error: Unable to set FUSION object for " + callerName);
                return fatal();
            }
            session.DmApplication->SetParentWindow(windowHandle);
            ShowStatus("Logging in to the DM Server for " + callerName);
            session.SecurityToken = session.DmApplication->SecurityToken();
            Separator();
        }
        if (!session.DmApplication) {
            ShowStatus("Error: Fusion object is not set for " + callerName);
            return fatal();
        }
        if (Trim(session.DmApplication->SecurityToken()).empty()) {
            ShowStatus("Error: Fusion object security token is blank for " + callerName);
            return fatal();
        }
        if (!session.DmLibraries) {
            ShowStatus("Resetting Libs Object for " + callerName);
            session.DmLibraries = session.DmApplication->Libraries();
            Separator();
        }
        if (!session.DmLibraries) {
            ShowStatus("Error: Libs object is not set for " + callerName);
            return fatal();
        }
        if (session.DmLibraries->Count() <= 0) {
            ShowStatus("Error: Libs object returns no libraries for " + callerName);
            return fatal();
        }
        if (caller == "RUNSQL" && !session.PcdSql) {
            WriteLog("CheckFusion is Re-Setting PCDClient.PCDSQL Object");
            session.PcdSql = platform.dm.CreateSql(dm::kSqlProgId);
            Separator();
            if (!session.PcdSql) {
                WriteLog("Error: Unable to set SQL object for " + callerName);
                Separator();
                return fatal();
            }
            WriteLog("Setting pSQL DST for " + callerName);
            session.PcdSql->SetSecurityToken(session.DmApplication->SecurityToken());
            Separator();
            auto lib = session.ConnectedLibrary ? session.ConnectedLibrary : session.DmApplication->CurrentLibrary();
            std::string libName = lib ? lib->Name() : "";
            WriteLog("Setting pSQL library to " + libName + " for " + callerName);
            session.PcdSql->SetLibrary(libName);
            Separator();
            facts.DatabaseEngine = session.PcdSql->DatabaseVendor();
        }
        return true;
    } catch (const dm::DmError&) {
        // A refused call inside the check: the session is not usable.
        return fatal();
    }
}

void Program::EndProgram(int exitCode) {
    // Saving connects the primary library, whose entry check may end the
    // program again: the end runs once.
    if (ending_) return;
    ending_ = true;

    if (auto* label = StatusLabel()) label->SetCaption("Ending program - please wait...");
    platform.ui.SetMousePointer(platform::MousePointer::Hourglass);
    MonitorHeartbeat();

    if (run.ConfigurationRestored && saveConfiguration) {
        // The user's values, not what a run set for itself.
        if (putBackRunOverrides) putBackRunOverrides();
        GoOn(*this, "EndProgram", saveConfiguration);
    }

    session.DmLibraries.reset();
    session.ConnectedLibrary.reset();
    session.PcdSql.reset();
    // The process ends whatever the DM answers here.
    if (session.CurrentProfile) {
        PassOver([&] { session.CurrentProfile->Close(); });
        session.CurrentProfile.reset();
    }
    session.DmApplication.reset();
    PassOver([&] {
        if (!session.DmClient) session.DmClient = platform.dm.CreateClient();
        if (session.DmClient) session.DmClient->Logoff();
    });
    session.DmClient.reset();

    // A signal that came after the last document, or during this end,
    // still ends the program with its status.
    if (takePendingSignals) takePendingSignals();
    if (run.EndStatus != 0) exitCode = run.EndStatus;

    auto now = platform::ToLocal(platform.clock.Now());
    WriteLog(std::string(kProductName) + " Build " + build.BuildNumber + " (" + build.BuildDate + ") Ended on " +
             LongDate(now) + " at " + LongTime(now));
    Separator();
    platform.system.EndProcess(exitCode);
}

}  // namespace core
