#pragma once
// A started program over DOCS and ARCHIVE with the removal procedures, the
// emulator's document maker for each library, and readers of the rows and
// files a removal may touch.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dmsim/document_maker.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_db.h"
#include "dmsim/queue_table.h"
#include "folders/folders.h"
#include "removal/removal.h"
#include "test_support/program_fixture.h"

namespace removal_test {

class RemovalTest : public test_support::ProgramTest {
protected:
    folders::Folders* folders_ = nullptr;
    removal::Removal* removal_ = nullptr;
    std::unique_ptr<dmsim::DocumentMaker> docs_;
    std::unique_ptr<dmsim::DocumentMaker> archive_;

    // Opens and starts the program (DOCS connected) over the site described
    // so far, with people and applications for documents in both libraries
    // and, when asked, the queue table in DOCS.
    void StartProgram(bool queueTable = false) {
        Open();
        for (const char* library : {"DOCS", "ARCHIVE"}) {
            site_.AddApplication(library, "MS WORD", "Word", "DOC");
            site_.AddPerson(library, "JSMITH", "Jane Smith", "DOCS_USERS");
        }
        if (queueTable) dmsim::InstallQueueTable(Db("DOCS"));
        Start();
        folders_ = &app_->folders;
        removal_ = &app_->removal;
        docs_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "DOCS");
        archive_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "ARCHIVE");
        ClearLog();
    }

    // A document of the given versions.
    int32_t Document(dmsim::DocumentMaker& maker, const std::string& name,
                     std::vector<dmsim::VersionSpec> versions = {dmsim::Version("text")},
                     std::vector<int32_t> folders = {}) {
        dmsim::DocumentSpec spec;
        spec.name = name;
        spec.versions = std::move(versions);
        spec.folders = std::move(folders);
        return maker.Create(spec);
    }

    // Full paths of a document's component files, as its rows name them.
    std::vector<std::string> Files(const std::string& library, int32_t docNumber) {
        auto rows = Db(library).Query("SELECT P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.COMPONENTS C "
                                      "JOIN DOCSADM.PROFILE P ON P.DOCNUMBER = C.DOCNUMBER WHERE C.DOCNUMBER = " +
                                      std::to_string(docNumber) + " ORDER BY C.VERSION_ID");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::AsText(r[0]));
        return out;
    }

    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

    // Rows that refer to the document, by table.
    std::map<std::string, int64_t> RowsOf(const std::string& library, int32_t docNumber, int64_t systemId) {
        const std::string n = std::to_string(docNumber);
        const std::map<std::string, std::string> where = {
            {"PROFILE", "DOCNUMBER = " + n},
            {"VERSIONS", "DOCNUMBER = " + n},
            {"COMPONENTS", "DOCNUMBER = " + n},
            {"ACTIVITYLOG", "DOCNUMBER = " + n + " OR (REF_DOCUMENT = " + n + " AND COALESCE(REF_LIBRARY, 0) = 0)"},
            {"CHECKOUT", "DOCNUMBER = " + n},
            {"NEEDS_INDEXING", "DOCNUMBER = " + n},
            {"RESTORE_REQUESTS", "DOCNUMBER = " + n},
            {"PROJECT", "PROFILE_ID = " + n},
            {"RELATED", "ITEM1 = " + n + " OR ITEM2 = " + n},
            {"SECURITY", "THING = " + std::to_string(systemId)},
            {"FOLDER_ITEM", "DOCNUMBER = " + n},
        };
        std::map<std::string, int64_t> out;
        for (const auto& [table, condition] : where) {
            out[table] = Count(library, "SELECT COUNT(*) FROM DOCSADM." + table + " WHERE " + condition);
        }
        return out;
    }

    int64_t SystemId(const std::string& library, int32_t docNumber) {
        return dmsim::AsInt(Db(library).QueryValue("SELECT SYSTEM_ID FROM DOCSADM.PROFILE WHERE DOCNUMBER = " +
                                                   std::to_string(docNumber)));
    }

    // Everything in the library that is not about the document: the rows of
    // every table a removal writes (folder links without their order, which
    // the removal re-sorts) and every file of the document server but the
    // document's own.
    std::multiset<std::string> Rest(const std::string& library, int32_t docNumber, int64_t systemId,
                                    const std::vector<std::string>& ownFiles) {
        const std::string n = std::to_string(docNumber);
        const std::vector<std::pair<std::string, std::string>> tables = {
            {"SELECT * FROM DOCSADM.PROFILE", "DOCNUMBER <> " + n},
            {"SELECT * FROM DOCSADM.VERSIONS", "DOCNUMBER <> " + n},
            {"SELECT * FROM DOCSADM.COMPONENTS", "DOCNUMBER <> " + n},
            {"SELECT * FROM DOCSADM.ACTIVITYLOG",
             "DOCNUMBER <> " + n + " AND NOT (COALESCE(REF_DOCUMENT, 0) = " + n + " AND COALESCE(REF_LIBRARY, 0) = 0)"},
            {"SELECT * FROM DOCSADM.CHECKOUT", "DOCNUMBER <> " + n},
            {"SELECT * FROM DOCSADM.NEEDS_INDEXING", "DOCNUMBER <> " + n},
            {"SELECT * FROM DOCSADM.RESTORE_REQUESTS", "DOCNUMBER <> " + n},
            {"SELECT * FROM DOCSADM.PROJECT", "PROFILE_ID <> " + n},
            {"SELECT * FROM DOCSADM.RELATED", "ITEM1 <> " + n + " AND ITEM2 <> " + n},
            {"SELECT * FROM DOCSADM.SECURITY", "THING <> " + std::to_string(systemId)},
            {"SELECT SYSTEM_ID, PARENT, PARENT_LIBRARY, DOCNUMBER, LIBRARY, DISPLAYNAME FROM DOCSADM.FOLDER_ITEM",
             "DOCNUMBER <> " + n},
            {"SELECT * FROM DOCSADM.FOLDER", "1 = 1"},
            {"SELECT * FROM DOCSADM.ROOT_OBJECT", "1 = 1"},
        };
        std::multiset<std::string> out;
        for (const auto& [select, condition] : tables) {
            auto rows = Db(library).Query(select + " WHERE " + condition);
            for (auto& r : rows.rows) {
                std::string line = select.substr(select.rfind('.') + 1) + ":";
                for (auto& v : r) line += (dmsim::IsNull(v) ? std::string("NULL") : dmsim::AsText(v)) + "|";
                out.insert(line);
            }
        }
        for (auto& e : std::filesystem::recursive_directory_iterator(Db(library).DocServerDir())) {
            const std::string path = e.path().string();
            if (e.is_regular_file() && std::find(ownFiles.begin(), ownFiles.end(), path) == ownFiles.end()) {
                out.insert("file:" + path);
            }
        }
        return out;
    }

    // The two states of the rest differ in nothing; names what differs.
    static void ExpectSameRest(const std::multiset<std::string>& before, const std::multiset<std::string>& after) {
        std::vector<std::string> gone;
        std::vector<std::string> added;
        std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
        std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
        for (const auto& line : gone) ADD_FAILURE() << "gone: " << line;
        for (const auto& line : added) ADD_FAILURE() << "added: " << line;
    }

    // The program's scratch objects are released and the connection is
    // where the caller left it.
    void ExpectCleanExit(const std::string& connected = "DOCS") {
        EXPECT_FALSE(program_->session.CurrentProfile);
        EXPECT_FALSE(program_->session.CurrentFolder);
        EXPECT_EQ(program_->ConnectedLibraryName(), connected);
        EXPECT_EQ(emulator_->SqlBoundLibrary(), connected);
    }

    dmsim::FaultInjector& Faults() { return emulator_->Faults(); }
};

}  // namespace removal_test
