#pragma once
// The setup window's code over a small emulated site: DOCS (with the
// settings table, its user O'NEIL in the group LAWYERS) and ARCHIVE. The
// window is shown on the headless host, which runs the test's script while
// it is open.

#include <functional>
#include <memory>
#include <string>

#include "install/library_setup.h"
#include "platform/headless_host.h"
#include "test_support/program_fixture.h"

namespace install_testing {

class InstallTest : public test_support::ProgramTest {
protected:
    std::unique_ptr<install::LibrarySetup> setup_;

    void SetUp() override {
        site_.Library("DOCS").SettingsTable(true).User("O'NEIL", "Orla O'Neil").PrimaryGroup("LAWYERS");
        site_.Library("ARCHIVE");
        Open();
        // The DM's library chooser shows through the program's window system.
        emulator_->SetDialogHost(&app_->dmDialogs);
        Start();
        registry_->SaveSetting(core::kProductName, "General", "SourceLibrary", "DOCS");
        // The main window's source list, as its start-up fills it.
        for (const char* name : {"DOCS", "ARCHIVE"}) window_->SourceLibraryCombo.AddItem(name);
        setup_ = std::make_unique<install::LibrarySetup>(*program_);
    }

    forms::DorvaneLibSetup& W() { return setup_->Window(); }

    // Shows the window; script runs while it is open.
    void Show(std::function<void(forms::DorvaneLibSetup&)> script) {
        ui_.OnModal("DorvaneLibSetup", [this, script](forms::Window&) { script(W()); });
        setup_->Show();
    }

    // Shows the window and presses one of its buttons.
    void Press(forms::Button forms::DorvaneLibSetup::*button) {
        Show([button](forms::DorvaneLibSetup& w) { (w.*button).Click(); });
    }

    bool TriggerExists(const std::string& library = "DOCS") {
        return Count(library, "SELECT COUNT(*) FROM sysobjects WHERE name = 'PROFILE_NEEDS_ARCHIVING' AND "
                              "sysstat = 8") > 0;
    }
    bool QueueTableExists(const std::string& library = "DOCS") {
        return Count(library, "SELECT COUNT(*) FROM sysobjects WHERE name = 'NEEDS_ARCHIVING' AND sysstat = 3") > 0;
    }
    int64_t DictionaryRows(const std::string& library = "DOCS") {
        return Count(library, "SELECT COUNT(*) FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'NEEDS_ARCHIVING'") +
               Count(library, "SELECT COUNT(*) FROM DOCSADM.DOCSTABLE WHERE TABLE_NAME = 'NEEDS_ARCHIVING'");
    }
    std::string Access(const std::string& group, const std::string& library = "DOCS") {
        return Value(library, "SELECT UNIV_ACCESS FROM DOCSADM.GROUPS WHERE GROUP_ID = '" + group + "'");
    }
    std::string CachedQueueFlag(const std::string& library) {
        return program_->LibraryArray.Cell(program_->LibraryArray.FindRow(library), core::LibraryCache::kQueueTable);
    }

    std::vector<std::string> Prompts() const {
        std::vector<std::string> out;
        for (auto& m : ui_.Messages()) out.push_back(m.prompt);
        return out;
    }
    bool Shown(const std::string& part) const {
        for (auto& m : ui_.Messages()) {
            if (m.prompt.find(part) != std::string::npos) return true;
        }
        return false;
    }
};

}  // namespace install_testing
