#pragma once
// A started program over DOCS (the source), ARCHIVE and ARCHIVE2 with their
// people, groups, applications and lookups, with the program's folder and
// removal procedures and document transfer; DOCS is connected as the run
// connects it before each document.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dmsim/default_site.h"
#include "dmsim/document_maker.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_db.h"
#include "folders/folders.h"
#include "forms/main_window.h"
#include "removal/removal.h"
#include "test_support/program_fixture.h"
#include "transfer/activity_log_entry.h"
#include "transfer/transfer.h"

namespace transfer_test {

class TransferTest : public test_support::ProgramTest {
protected:
    folders::Folders* folders_ = nullptr;
    removal::Removal* removal_ = nullptr;
    transfer::DocumentTransfer* transfer_ = nullptr;
    std::unique_ptr<dmsim::DocumentMaker> docs_;
    std::unique_ptr<dmsim::DocumentMaker> archive_;

    // The demo libraries without documents; a test may change site_ first
    // (DescribeLibraries then Create).
    void SetUp() override { DescribeLibraries(); }

    void DescribeLibraries() {
        if (!site_.Spec().libraries.empty()) return;
        dmsim::DescribeDefaultSite(site_);
    }

    // Creates the site (when not yet created), opens and starts the program,
    // connects DOCS and chooses Copy with the activity log and folders.
    void StartProgram() {
        if (!siteCreated_) {
            CreateSite();
            dmsim::AddDemoRows(site_);
        }
        Open();
        Start();
        folders_ = &app_->folders;
        removal_ = &app_->removal;
        transfer_ = &app_->transfer;
        docs_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "DOCS");
        archive_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "ARCHIVE");
        auto& w = Window();
        w.OptionCopy.Select();
        w.CheckActivityLog.SetValue(1);
        w.CheckFolders.SetValue(1);
        w.CheckDisplayErrors.SetValue(0);
        program_->run.DmSaveFlags = 3;
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
        ClearLog();
    }

    forms::Dorvane& Window() { return *window_; }

    // One queued document as the run hands it over, a minute after whatever
    // happened before (so the DM's rows of this instant are the transfer's).
    int32_t Transfer(int32_t docNumber, const std::string& target = "ARCHIVE") {
        clock_.Advance(std::chrono::minutes(1));
        if (program_->ConnectedLibraryName() != "DOCS") program_->ConnectLibrary("DOCS");
        return transfer_->TransferDocument("DOCS", target, docNumber);
    }

    dmsim::FaultInjector& Faults() { return emulator_->Faults(); }

    std::string Column(const std::string& library, int32_t docNumber, const std::string& column) {
        return ProfileColumn(library, docNumber, column);
    }
    bool Exists(const std::string& library, int32_t docNumber) {
        return Count(library, "SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + std::to_string(docNumber)) > 0;
    }
    int64_t Documents(const std::string& library) {
        return Count(library, "SELECT COUNT(*) FROM DOCSADM.PROFILE P JOIN DOCSADM.APPS A ON A.SYSTEM_ID = "
                              "P.APPLICATION WHERE A.APPLICATION <> 'FOLDER'");
    }
    void Sql(const std::string& library, const std::string& sql) { Db(library).Exec(sql); }

    // Labels of a document's versions in version order.
    std::vector<std::string> Labels(const std::string& library, int32_t docNumber) {
        auto rows = Db(library).Query("SELECT VERSION_LABEL FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " +
                                      std::to_string(docNumber) + " ORDER BY VERSION, SUBVERSION");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::IsNull(r[0]) ? "" : dmsim::AsText(r[0]));
        return out;
    }

    // The bytes of each version's component file, in version order.
    std::vector<std::string> FileContents(const std::string& library, int32_t docNumber) {
        auto rows = Db(library).Query(
            "SELECT P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.VERSIONS V JOIN DOCSADM.COMPONENTS C ON "
            "C.VERSION_ID = V.VERSION_ID JOIN DOCSADM.PROFILE P ON P.DOCNUMBER = V.DOCNUMBER WHERE V.DOCNUMBER = " +
            std::to_string(docNumber) + " ORDER BY V.VERSION, V.SUBVERSION");
        std::vector<std::string> out;
        for (auto& r : rows.rows) {
            std::ifstream in(dmsim::AsText(r[0]), std::ios::binary);
            out.push_back(in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<missing>"));
        }
        return out;
    }

    // The paths of a document's component files.
    std::vector<std::string> FilePaths(const std::string& library, int32_t docNumber) {
        auto rows = Db(library).Query(
            "SELECT P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.COMPONENTS C JOIN DOCSADM.PROFILE P ON "
            "P.DOCNUMBER = C.DOCNUMBER WHERE C.DOCNUMBER = " +
            std::to_string(docNumber) + " ORDER BY C.VERSION_ID");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::AsText(r[0]));
        return out;
    }

    // The numbers of a library's documents named so (any case).
    std::vector<int32_t> Named(const std::string& library, const std::string& name) {
        auto rows = Db(library).Query("SELECT DOCNUMBER FROM DOCSADM.PROFILE WHERE UPPER(DOCNAME) = UPPER('" + name +
                                      "') ORDER BY DOCNUMBER");
        std::vector<int32_t> out;
        for (auto& r : rows.rows) out.push_back(static_cast<int32_t>(dmsim::AsInt(r[0])));
        return out;
    }

    // The document of a library that records its arrival from source
    // document docNumber (0 when none does).
    int32_t CopyOf(int32_t docNumber, const std::string& library = "ARCHIVE") {
        return static_cast<int32_t>(Count(library, "SELECT COALESCE(MAX(DOCNUMBER), 0) FROM DOCSADM.ACTIVITYLOG WHERE "
                                                   "ACTIVITY_TYPE IN (0, 24) AND REF_DOCUMENT = " +
                                                       std::to_string(docNumber)));
    }

    // A source document with versions 1, 1A and 2 and an attachment A.
    int32_t MakeDocument(const std::string& name = "Lease", std::vector<int32_t> folders = {}) {
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.author = "JSMITH";
        spec.typist = "MJONES";
        spec.documentType = "CONTRACT";
        spec.client = "C001";
        spec.matter = "M001";
        spec.versions = {dmsim::Version("first draft"), dmsim::Subversion(1, "note on draft"),
                         dmsim::Version("final text"), dmsim::Attachment("A", "scanned copy", "PDF")};
        spec.folders = std::move(folders);
        return docs_->Create(spec);
    }

    // An ACTIVITYLOG entry as the transfer writes it, made with the real
    // writer.
    void RecordEntry(const std::string& library, const std::string& refLibrary, int32_t doc, int32_t refDoc,
                     int32_t type, const std::string& description) {
        const std::string connected = program_->ConnectedLibraryName();
        transfer::AddActivityLogEntry(*program_, library, refLibrary, doc, refDoc, type, description);
        program_->ConnectLibrary(connected);
    }

    // Marks docNumber of ARCHIVE as the copy of source document of DOCS, in
    // both activity logs, as a Copy leaves them.
    void RecordCopy(int32_t source, int32_t copy) {
        RecordEntry("DOCS", "ARCHIVE", source, copy, transfer::kActivityCopy, "Copied to #" + std::to_string(copy));
        RecordEntry("ARCHIVE", "DOCS", copy, source, transfer::kActivityCopy, "Copied from #" + std::to_string(source));
    }

    bool LogHas(const std::string& part) const { return CountLines(part) > 0; }

    std::filesystem::path TempRoot() const { return dir_.path() / "tmp"; }
};

}  // namespace transfer_test
