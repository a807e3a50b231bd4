#pragma once
// The program over a small site for the queue administration: DOCS (the
// primary library, with the queue table), ARCHIVE and ARCHIVE2, a started
// DM session connected to DOCS, and the DM's dialogs going to the test's
// host. Documents are plain PROFILE rows; the target list holds the three
// libraries, unchecked.

#include <string>
#include <vector>

#include "dmsim/queue_table.h"
#include "forms/kest_options_window.h"
#include "forms/queue_list_windows.h"
#include "test_support/program_fixture.h"

namespace queueadmin {

class QueueAdminTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        site_.Library("DOCS").SettingsTable(true);
        site_.Library("ARCHIVE");
        site_.Library("ARCHIVE2");
    }

    // Creates the site, installs the queue table in the libraries named,
    // starts the program and connects DOCS.
    void StartProgram(const std::vector<std::string>& queueLibraries = {"DOCS"}) {
        CreateSite();
        for (const auto& library : queueLibraries) dmsim::InstallQueueTable(site_.Db(library));
        Open();
        emulator_->SetDialogHost(&app_->dmDialogs);
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
        for (const char* name : {"DOCS", "ARCHIVE", "ARCHIVE2"}) window_->LibBox.AddItem(name);
    }

    void CheckTarget(const std::string& name) {
        for (int i = 0; i < window_->LibBox.Count(); ++i) {
            if (window_->LibBox.Item(i).text == name) window_->LibBox.SetChecked(i, true);
        }
    }

    // A PROFILE row: STATUS 0 and a plain application unless told.
    void AddDocument(int32_t docNumber, int32_t status = 0, const std::string& application = "'MS WORD'",
                     const std::string& matter = "NULL", const std::string& library = "DOCS") {
        if (!haveApps_) {
            site_.AddApplication("DOCS", "MS WORD", "Word", "DOC");
            haveApps_ = true;
        }
        site_.Sql(library,
                  "INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME, STATUS, APPLICATION, MATTER) VALUES (" +
                      std::to_string(90000 + docNumber) + ", " + std::to_string(docNumber) + ", 'Doc " +
                      std::to_string(docNumber) + "', " + std::to_string(status) +
                      ", (SELECT SYSTEM_ID FROM APPS WHERE APPLICATION = " + application + "), " + matter + ")");
    }

    // Queue rows of a library as "SID TARGET STATUS LOCKED_BY", by SID and
    // target.
    std::vector<std::string> QueueRows(const std::string& library = "DOCS") {
        std::vector<std::string> out;
        auto rows = Db(library).Query(
            "SELECT SID, TARGET_LIBRARY, STATUS, LOCKED_BY FROM DOCSADM.NEEDS_ARCHIVING ORDER BY SID, TARGET_LIBRARY");
        for (auto& r : rows.rows) {
            out.push_back(dmsim::AsText(r[0]) + " " + dmsim::AsText(r[1]) + " " + dmsim::AsText(r[2]) + " " +
                          dmsim::AsText(r[3]));
        }
        return out;
    }

    void AddQueueRow(int32_t sid, const std::string& target, int32_t status = 0, const std::string& lockedBy = "",
                     int32_t retries = 0) {
        site_.Sql("DOCS", "INSERT INTO NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, "
                          "TABLE_NAME) VALUES (" +
                              std::to_string(sid) + ", " + std::to_string(status) + ", '" + lockedBy + "', " +
                              std::to_string(retries) + ", '" + target + "', 'PROFILE')");
    }

    std::vector<std::string> Prompts() const {
        std::vector<std::string> out;
        for (auto& m : ui_.Messages()) out.push_back(m.prompt);
        return out;
    }

    std::string Connected() { return program_->ConnectedLibraryName(); }

    bool haveApps_ = false;
};

}  // namespace queueadmin
