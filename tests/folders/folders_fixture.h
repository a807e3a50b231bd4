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
    folders::Folders* folders_ = nullptr;
    std::unique_ptr<dmsim::DocumentMaker> docs_;
    std::unique_ptr<dmsim::DocumentMaker> archive_;

    // Opens and starts the program (DOCS connected) over the site described
    // so far.
    void StartProgram() {
        Open();
        Start();
        folders_ = &app_->folders;
        docs_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "DOCS");
        if (emulator_->Site().Find("ARCHIVE")) archive_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "ARCHIVE");
        ClearLog();
    }

    int64_t Folders(const std::string& library) {
        return Count(library, "SELECT COUNT(*) FROM DOCSADM.FOLDER");
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
