#pragma once
// A started program over DOCS and ARCHIVE with the folder procedures, the
// emulator's document maker for each library and a few readers of the rows
// the procedures write.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dmsim/document_maker.h"
#include "dmsim/fault_ops.h"
#include "dmsim/library_db.h"
#include "folders/folders.h"
#include "test_support/program_fixture.h"

namespace folders_test {

class FoldersTest : public test_support::ProgramTest {
protected:
    std::unique_ptr<folders::Folders> folders_;
    std::unique_ptr<dmsim::DocumentMaker> docs_;
    std::unique_ptr<dmsim::DocumentMaker> archive_;

    // Opens and starts the program (DOCS connected) over the site described
    // so far.
    void StartProgram() {
        Open();
        Start();
        folders_ = std::make_unique<folders::Folders>(*program_);
        docs_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "DOCS");
        if (emulator_->Site().Find("ARCHIVE")) archive_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "ARCHIVE");
        ClearLog();
    }

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

    int64_t Folders(const std::string& library) {
        return Count(library, "SELECT COUNT(*) FROM DOCSADM.FOLDER");
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

    // Trustees of an item as "ID:rights", users and groups alike, sorted.
    std::vector<std::string> Trustees(const std::string& library, int32_t docNumber) {
        auto rows = Db(library).Query(
            "SELECT COALESCE(P.USER_ID, G.GROUP_ID, CAST(S.PERSONORGROUP AS TEXT)) || ':' || "
            "COALESCE(CAST(S.ACCESSRIGHTS AS TEXT), 'NULL') FROM DOCSADM.SECURITY S "
            "JOIN DOCSADM.PROFILE R ON R.SYSTEM_ID = S.THING "
            "LEFT JOIN DOCSADM.PEOPLE P ON P.SYSTEM_ID = S.PERSONORGROUP "
            "LEFT JOIN DOCSADM.GROUPS G ON G.SYSTEM_ID = S.PERSONORGROUP "
            "WHERE R.DOCNUMBER = " + std::to_string(docNumber) + " ORDER BY 1");
        std::vector<std::string> out;
        for (auto& r : rows.rows) out.push_back(dmsim::AsText(r[0]));
        return out;
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

}  // namespace folders_test
