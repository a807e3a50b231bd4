#pragma once
// The main window's code over a small emulated site, with a transfer double
// that answers from a script and records its calls.

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/archive_run.h"
#include "app/dorvane_form.h"
#include "config/configuration.h"
#include "dmsim/library_db.h"
#include "dmsim/queue_table.h"
#include "forms/splash_window.h"
#include "test_support/program_fixture.h"
#include "transfer/document_transfer.h"

namespace app_testing {

struct TransferCall {
    std::string source;
    std::string target;
    int32_t docNumber;
};

class ScriptedTransfer : public transfer::IDocumentTransfer {
public:
    int32_t TransferDocument(const std::string& source, const std::string& target, int32_t docNumber) override {
        calls.push_back({source, target, docNumber});
        if (during) during(docNumber);
        auto notFiled = filingFailures.find(docNumber);
        lastFilingFailures = notFiled == filingFailures.end() ? 0 : notFiled->second;
        auto it = results.find(docNumber);
        return it == results.end() ? docNumber : it->second;
    }
    int32_t FilingFailures() const override { return lastFilingFailures; }
    std::vector<int32_t> Numbers() const {
        std::vector<int32_t> out;
        for (auto& c : calls) out.push_back(c.docNumber);
        return out;
    }
    std::map<int32_t, int32_t> results;  // document -> result; default: its own number
    std::map<int32_t, int32_t> filingFailures;  // document -> folders it was not filed into
    int32_t lastFilingFailures = 0;
    std::function<void(int32_t)> during;
    std::vector<TransferCall> calls;
};

// A second program on a test's site, as another process would be: under a
// computer name, with settings, a log and a transfer double of its own, its
// process locks in the site's folder as the fixture's program. Form_Load is
// the test's to call.
struct OtherProgram {
    OtherProgram(const std::filesystem::path& dir, const std::string& computer, const std::string& tag,
                 const std::string& commandLine = "")
        : emulator(dir / "site"),
          factory(emulator.Factory()),
          registry(dir / (tag + ".ini")),
          system(commandLine, dir.string(), dir.string(), computer),
          logFile(dir / (tag + ".log")) {
        registry.SaveSetting(core::kProductName, "General", "LogFile", logFile.string());
        registry.SaveSetting(core::kProductName, "General", "Library Archive2", "0");
        system.SetLockFolder((dir / "site" / "locks").string());
        program = std::make_unique<app::Assembly>(registry, system, clock, ui, *factory);
        program->form.Run().SetTransfer(&transfer);
    }
    // The log file the program wrote to last.
    std::string Log() const {
        std::ifstream in(program->program.log.CurrentLogFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    dmsim::Emulator emulator;
    std::shared_ptr<dm::IDmObjectFactory> factory;
    platform::ManualClock clock{test_support::FixedStart()};
    platform::HeadlessHost ui;
    platform::FileRegistry registry;
    platform::TestSystem system;
    std::filesystem::path logFile;
    std::unique_ptr<app::Assembly> program;
    ScriptedTransfer transfer;
};

class AppTest : public test_support::ProgramTest {
protected:
    config::Configuration* config_ = nullptr;
    forms::KestSplash* splash_ = nullptr;
    app::DorvaneForm* form_ = nullptr;
    ScriptedTransfer transfer_;

    // A fresh program with its window code, the run handing its documents to
    // transfer_; Form_Load is the test's to call.
    void OpenApp(const std::string& commandLine = "") {
        Open(commandLine);
        registry_->SaveSetting(core::kProductName, "General", "LogFile", LogPath());
        splash_ = &app_->splash;
        config_ = &app_->configuration;
        form_ = &app_->form;
        form_->Run().SetTransfer(&transfer_);
    }

    // Runs the start-up; true when it returned without ending the program.
    bool Load(int* exitCode = nullptr) {
        try {
            form_->Form_Load();
            return true;
        } catch (const platform::ProcessEnded& e) {
            if (exitCode) *exitCode = e.ExitCode();
            return false;
        }
    }

    // Profiles and a queue in the source library (created on first use).
    void Queue(const std::string& library, const std::string& target, std::vector<int32_t> numbers) {
        CreateSite();
        auto& db = site_.Db(library);
        if (!dmsim::QueueTableExists(db)) dmsim::InstallQueueTable(db);
        for (int32_t n : numbers) {
            site_.Sql(library, "INSERT OR IGNORE INTO DOCSADM.PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME, STATUS) VALUES (" +
                                   std::to_string(100000 + n) + ", " + std::to_string(n) + ", 'Doc " + std::to_string(n) +
                                   "', 0)");
        }
        dmsim::QueueDocuments(db, target, numbers);
    }

    std::string QueueState(const std::string& library, const std::string& target, int32_t sid) {
        auto result = site_.Db(library).Query(
            "SELECT STATUS, LOCKED_BY, RETRY_COUNT FROM DOCSADM.NEEDS_ARCHIVING WHERE SID = ? AND TARGET_LIBRARY = ?",
            {dmsim::SqlValue(int64_t{sid}), dmsim::SqlValue(target)});
        if (result.rows.empty()) return "gone";
        auto text = [](const dmsim::SqlValue& v) { return dmsim::IsNull(v) ? std::string("NULL") : dmsim::AsText(v); };
        const auto& row = result.rows[0];
        return text(row[0]) + "/" + text(row[1]) + "/" + text(row[2]);
    }
};

}  // namespace app_testing
