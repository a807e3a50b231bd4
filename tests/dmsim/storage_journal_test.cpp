// Component files follow their rows: what a killed process leaves in the
// storage is settled by the rows when the library is next opened.

#include <filesystem>
#include <fstream>

#include "dmsim/document_maker.h"
#include "dmsim/library_db.h"
#include "document_fixture.h"

namespace dmsim {
namespace {

namespace fs = std::filesystem;

class StorageJournalTest : public fixture::DocumentTest {};

TEST_F(StorageJournalTest, LeftoversOfAKilledProcessAreSettledByTheRows) {
    OpenSite();
    DocumentSpec spec;
    spec.name = "Kept";
    spec.versions = {Version("one"), Version("two")};
    const int32_t doc = docs_->Create(spec);
    auto rows = emulator_->Library("DOCS").Query(
        "SELECT P.DOCSERVER_LOC || P.PATH || C.PATH FROM DOCSADM.COMPONENTS C JOIN DOCSADM.PROFILE P ON "
        "P.DOCNUMBER = C.DOCNUMBER WHERE C.DOCNUMBER = " + std::to_string(doc) + " ORDER BY C.VERSION_ID");
    ASSERT_EQ(rows.rows.size(), 2u);
    const fs::path committed = AsText(rows.rows[0][0]);  // written, the kill came before its rename
    const fs::path setAside = AsText(rows.rows[1][0]);   // set aside by a delete that was rolled back
    const fs::path folder = committed.parent_path();
    fs::rename(committed, committed.string() + ".part~");
    fs::rename(setAside, setAside.string() + ".del~");
    std::ofstream(folder / "ZZZ01!.DOC.part~") << "rows never committed";
    std::ofstream(folder / "ZZY01!.DOC.del~") << "rows gone for good";
    app_.reset();
    docs_.reset();
    emulator_.reset();

    emulator_ = std::make_unique<Emulator>(dir_.path());
    emulator_->Library("DOCS");
    EXPECT_TRUE(fs::exists(committed));
    EXPECT_TRUE(fs::exists(setAside));
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        EXPECT_EQ(name.find('~'), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace dmsim
