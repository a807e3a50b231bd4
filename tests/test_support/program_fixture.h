#pragma once
// The program, assembled as main.cpp assembles it, over a small emulated
// site: two libraries (DOCS with the settings table, then ARCHIVE), a
// headless host, a manual clock, a settings file and a log folder of its own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/assembly.h"
#include "core/program.h"
#include "dmsim/emulator.h"
#include "dmsim/library_db.h"
#include "dmsim/site_builder.h"
#include "forms/main_window.h"
#include "platform/clock.h"
#include "platform/headless_host.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "test_support/temp_dir.h"

namespace test_support {

// 2021-03-05 14:30:00 UTC, a Friday.
inline platform::TimePoint FixedStart() { return std::chrono::system_clock::from_time_t(1614954600); }

class ProgramTest : public ::testing::Test {
protected:
    TempDir dir_;
    dmsim::SiteBuilder site_{dir_.path() / "site"};
    std::unique_ptr<dmsim::Emulator> emulator_;
    std::shared_ptr<dm::IDmObjectFactory> factory_;
    platform::ManualClock clock_{FixedStart()};
    // As in the program: boxes pass to ui_ while it has a display
    // (ui_.SetHasDisplay(false) stands for a server without one).
    platform::HeadlessHost ui_;
    std::unique_ptr<platform::FileRegistry> registry_;
    std::unique_ptr<platform::TestSystem> system_;
    // The program's objects; program_ and window_ are its context and main
    // window.
    std::unique_ptr<app::Assembly> app_;
    core::Program* program_ = nullptr;
    forms::Dorvane* window_ = nullptr;
    bool siteCreated_ = false;

    // Describes the default site; a test may change site_ before Open().
    void DescribeSite() {
        site_.Library("DOCS").SettingsTable(true);
        site_.Library("ARCHIVE");
    }

    // Creates the site (the first time) and a fresh program over it: a
    // second Open is the next start of the program on the same site, home
    // and log folder.
    void Open(const std::string& commandLine = "") {
        CreateSite();
        app_.reset();
        emulator_ = std::make_unique<dmsim::Emulator>(dir_.path() / "site");
        emulator_->SetClock([this] { return clock_.Now(); });
        factory_ = emulator_->Factory();
        std::filesystem::create_directories(dir_.path() / "home");
        std::filesystem::create_directories(dir_.path() / "tmp");
        std::filesystem::create_directories(dir_.path() / "prog");
        std::filesystem::create_directories(dir_.path() / "log");
        registry_ = std::make_unique<platform::FileRegistry>(dir_.path() / "home" / "registry.ini");
        for (auto& v : emulator_->MachineRegistryValues()) registry_->SetMachineValue(v.keyPath, v.valueName, v.value);
        system_ = std::make_unique<platform::TestSystem>(commandLine, (dir_.path() / "tmp").string(),
                                                         (dir_.path() / "prog").string(), "TESTPC");
        system_->SetLockFolder((dir_.path() / "site" / "locks").string());
        app_ = std::make_unique<app::Assembly>(*registry_, *system_, clock_, ui_, *factory_);
        program_ = &app_->program;
        window_ = &app_->mainWindow;
        program_->log.LogFilePath = LogPath();
        window_->CheckLogMethod.SetValue(1);
    }

    // Creates the site as described so far (the default site when nothing
    // was described); later calls do nothing.
    void CreateSite() {
        if (siteCreated_) return;
        if (site_.Spec().libraries.empty()) DescribeSite();
        site_.Create();
        siteCreated_ = true;
    }

    std::string LogPath() const { return (dir_.path() / "log" / "Dorvane.LOG").string(); }

    // Every line written to the log folder so far, in file order.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::vector<std::filesystem::path> files;
        for (auto& e : std::filesystem::directory_iterator(dir_.path() / "log")) files.push_back(e.path());
        std::sort(files.begin(), files.end());
        for (auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                lines.push_back(line);
            }
        }
        return lines;
    }

    // The log's lines without their time stamps: "Error: text",
    // "Warning: text", and plain lines as written.
    std::vector<std::string> PlainLogLines() const {
        auto isStamp = [](const std::string& s, size_t at) {
            return s.size() >= at + 24 && s[at + 4] == '-' && s[at + 7] == '-' && s[at + 13] == ':' &&
                   s[at + 19] == '.' && s.compare(at + 22, 2, "  ") == 0;
        };
        std::vector<std::string> out;
        for (auto& l : LogLines()) {
            if (l.rfind("Error: ", 0) == 0 && isStamp(l, 7)) {
                out.push_back(l.substr(0, 7) + l.substr(31));
            } else if (l.rfind("Warning ", 0) == 0 && isStamp(l, 8)) {
                out.push_back("Warning: " + l.substr(32));
            } else if (isStamp(l, 0)) {
                out.push_back(l.substr(24));
            } else {
                out.push_back(l);
            }
        }
        return out;
    }

    std::string LogText() const {
        std::string all;
        for (auto& l : PlainLogLines()) all += l + "\n";
        return all;
    }

    // Whether the log holds a refused call reported under a procedure's
    // name: "Name:", then the error report of the DM's number, source and
    // text.
    bool LogHasReport(const std::string& procedure, int32_t number, const std::string& source,
                      const std::string& text) const {
        return LogText().find(procedure + ":\nError: #" + std::to_string(number) + " was generated by " + source +
                              "\n" + text + "\n") != std::string::npos;
    }

    size_t CountLines(const std::string& part) const {
        size_t n = 0;
        for (auto& l : PlainLogLines()) n += l.find(part) != std::string::npos;
        return n;
    }

    void ClearLog() {
        for (auto& e : std::filesystem::directory_iterator(dir_.path() / "log")) std::filesystem::remove(e.path());
    }

    // Starts the DM session; the test fails when it does not start.
    void Start() { ASSERT_TRUE(program_->StartFusion()); }

    // Direct reads of a library's rows, past the program.
    dmsim::LibraryDb& Db(const std::string& library) { return emulator_->Library(library); }

    // Column 1 of the first row as text ("" for none or NULL).
    std::string Value(const std::string& library, const std::string& sql) {
        auto rows = Db(library).Query(sql);
        if (rows.rows.empty() || dmsim::IsNull(rows.rows[0][0])) return "";
        return dmsim::AsText(rows.rows[0][0]);
    }

    int64_t Count(const std::string& library, const std::string& sql) {
        return dmsim::AsInt(Db(library).QueryValue(sql));
    }

    // A PROFILE column of a document.
    std::string ProfileColumn(const std::string& library, int32_t docNumber, const std::string& column) {
        return Value(library, "SELECT " + column + " FROM DOCSADM.PROFILE WHERE DOCNUMBER = " +
                                  std::to_string(docNumber));
    }

    // Display names of a folder's items in list order (from the first-flagged
    // row along NEXT).
    std::vector<std::string> ListOrder(const std::string& library, int32_t folder) {
        auto rows = Db(library).Query("SELECT SYSTEM_ID, DISPLAYNAME, \"NEXT\", ISFIRST FROM DOCSADM.FOLDER_ITEM "
                                      "WHERE PARENT = " + std::to_string(folder));
        std::vector<std::string> order;
        int64_t at = -1;
        for (auto& r : rows.rows) {
            if (dmsim::AsText(r[3]) == "Y") at = dmsim::AsInt(r[0]);
        }
        while (at > 0 && order.size() <= rows.rows.size()) {
            int64_t next = 0;
            for (auto& r : rows.rows) {
                if (dmsim::AsInt(r[0]) != at) continue;
                order.push_back(dmsim::AsText(r[1]));
                next = dmsim::IsNull(r[2]) ? 0 : dmsim::AsInt(r[2]);
            }
            at = next;
        }
        return order;
    }

    // Runs one statement through the program and gives column 1 of row 1.
    std::string Scalar(const std::string& sql) {
        program_->RunSQL(sql);
        auto value = program_->session.PcdSql->ColumnValue(1).ToText();
        program_->session.PcdSql->ReleaseResults();
        return value;
    }
};

}  // namespace test_support
