// A library whose database is damaged under the open emulator (the file
// opened, a later read fails): each call of the client's objects that reads
// it refuses with the client's own error, naming the library, and the SQL
// object reports the failure by its error code as it does any SQL error.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "document_fixture.h"
#include "test_support/damaged_library.h"

namespace dmsim {
namespace {

using ::testing::HasSubstr;

class NoDialogs : public dm::IDmDialogHost {
public:
    int ChooseLibrary(const std::vector<std::string>&) override { return -1; }
    bool SearchDocuments(const std::string&, const std::vector<dm::DmSearchPick>&,
                         std::vector<dm::DmSearchPick>&) override {
        return false;
    }
    void DisplayProfile(const std::string&, int32_t) override {}
};

class DamagedLibraryTest : public fixture::DocumentTest {
protected:
    void SetUp() override {
        OpenSite();
        emulator_->SetDialogHost(&dialogs_);
        folder_ = docs_->CreateFolder("Box");
        docs_->CreateFolder("Inner", folder_);
        DocumentSpec spec;
        spec.name = "Subject";
        spec.versions = {Version("one")};
        spec.folders = {folder_};
        spec.trustees = {User("JSMITH", 255)};
        doc_ = docs_->Create(spec);
        other_ = Document("Other");
        docs_->Relate(doc_, other_);
        docs_->Link(doc_, "DOCS", other_);
    }

    // Damages the tables the objects read, and lets the emulator's
    // connection forget the pages it has read.
    void Damage() {
        const auto pages = test_support::DamageTables(
            Db().DatabaseFile(), {"PROFILE", "VERSIONS", "COMPONENTS", "APPS", "DMSIM_LINKS", "DMSIM_KEYS"});
        ASSERT_FALSE(pages.empty());
        Db().Connection().ExecScript("PRAGMA shrink_memory");
        ASSERT_THROW(Db().Query("SELECT COUNT(*) FROM DOCSADM.PROFILE"), SqliteError) << "the damage shows";
    }

    NoDialogs dialogs_;
    int32_t folder_ = 0;
    int32_t doc_ = 0;
    int32_t other_ = 0;
};

struct Call {
    const char* what;
    std::function<void()> run;
};

TEST_F(DamagedLibraryTest, EveryObjectCallThatReadsItRaisesTheClientsError) {
    // The objects as the program holds them when the damage comes.
    auto lib = Lib();
    auto profile = lib->GetProfile(doc_);
    auto relations = profile->AsProfileObject();
    auto otherProfile = lib->GetProfile(other_);
    auto folder = lib->GetFolder(folder_);
    auto inner = folder->Subfolders()->Item(1);
    auto columns = profile->Columns();
    auto column = Column(*profile, "DOCNAME");
    auto versions = profile->Versions();
    auto version = versions->Item(1);
    auto trustees = profile->Trustees();
    auto trustee = trustees->ItemByName("JSMITH");
    auto links = relations->Links();
    auto link = links->Item(1);
    auto related = relations->RelatedItems();
    auto parents = profile->ParentFolders();
    auto documents = folder->Documents();
    auto subfolders = folder->Subfolders();
    auto asObject = otherProfile->AsProfileObject();
    auto innerObject = inner->AsFolderObject();
    auto search = emulator_->Factory()->CreateSearchDialog();
    ASSERT_TRUE(profile && relations && otherProfile && folder && inner && columns && column && versions && version &&
                trustees && trustee && links && link && related && parents && documents && subfolders &&
                asObject && innerObject && search);
    const std::string checkout = (dir_.path() / "out").string();
    std::filesystem::create_directories(checkout);
    const std::string file = SourceFile("new.txt", "new");

    const std::vector<Call> calls = {
        {"Library.GetProfile", [&] { lib->GetProfile(doc_); }},
        {"Library.GetFolder", [&] { lib->GetFolder(folder_); }},
        {"Library.DocApplications", [&] { lib->DocApplications(); }},
        {"Profile.DocNumber", [&] { profile->DocNumber(); }},
        {"Profile.Name", [&] { profile->Name(); }},
        {"Profile.Columns", [&] { profile->Columns(); }},
        {"Profile.Versions", [&] { profile->Versions(); }},
        {"Profile.Trustees", [&] { profile->Trustees(); }},
        {"Profile.ParentFolders", [&] { profile->ParentFolders(); }},
        {"Profile.OpenForEdit", [&] { profile->OpenForEdit(34); }},
        {"Profile.Save", [&] { profile->Save(2); }},
        {"Profile.Delete", [&] { profile->Delete(0); }},
        {"Profile.Close", [&] { profile->Close(); }},
        {"Profile.Unlock", [&] { profile->Unlock(3, 0, "", 0); }},
        {"Profile.AddVersion", [&] { profile->AddVersion(2, file, "JSMITH", "JSMITH", std::nullopt, ""); }},
        {"Profile.Display", [&] { profile->Display(0); }},
        {"Profile.AsProfileObject", [&] { profile->AsProfileObject(); }},
        {"Profile.AsFolder", [&] { profile->AsFolder(); }},
        {"Profile.Links", [&] { relations->Links(); }},
        {"Profile.RelatedItems", [&] { relations->RelatedItems(); }},
        {"Folder.Name", [&] { folder->Name(); }},
        {"Folder.Title", [&] { folder->Title(); }},
        {"Folder.DocNumber", [&] { folder->DocNumber(); }},
        {"Folder.IsPublic", [&] { folder->IsPublic(); }},
        {"Folder.Subfolders", [&] { folder->Subfolders(); }},
        {"Folder.Documents", [&] { folder->Documents(); }},
        {"Folder.AddDocument", [&] { folder->AddDocument(asObject); }},
        {"Folder.AddFolder", [&] { folder->AddFolder(innerObject); }},
        {"Folder.RemoveDocument", [&] { folder->RemoveDocument(profile); }},
        {"Folder.RemoveFolder", [&] { folder->RemoveFolder(inner); }},
        {"Folder.Save", [&] { folder->Save(3); }},
        {"Folder.AsFolderObject", [&] { folder->AsFolderObject(); }},
        {"Folder.AsProfile", [&] { folder->AsProfile(); }},
        {"Columns.Count", [&] { columns->Count(); }},
        {"Columns.Item", [&] { columns->Item(1); }},
        {"Column.Value", [&] { column->Value(); }},
        {"Column.SetValue", [&] { column->SetValue("Renamed"); }},
        {"Column.IsValid", [&] { column->IsValid(); }},
        {"Versions.Count", [&] { versions->Count(); }},
        {"Versions.Item", [&] { versions->Item(1); }},
        {"Version.Label", [&] { version->Label(); }},
        {"Version.FilePath", [&] { version->FilePath(); }},
        {"Version.Profile", [&] { version->Profile(); }},
        {"Version.CheckOut", [&] { version->CheckOut(dm::Variant(), "", checkout); }},
        {"Version.Release", [&] { version->Release(0); }},
        {"Version.Unlock", [&] { version->Unlock(); }},
        {"Trustees.ItemByName", [&] { trustees->ItemByName("JSMITH"); }},
        {"Trustee.CanDelete", [&] { trustee->CanDelete(); }},
        {"Links.Remove", [&] { links->Remove(link); }},
        {"Links.Refresh", [&] { links->Refresh(); }},
        {"Link.LinkedProfile", [&] { link->LinkedProfile(); }},
        {"RelatedItems.Item", [&] { related->Item(1); }},
        {"RelatedItems.Remove", [&] { related->Remove(otherProfile); }},
        {"RelatedItems.Refresh", [&] { related->Refresh(); }},
        {"ParentFolders.Item", [&] { parents->Item(1); }},
        {"ParentFolders.Refresh", [&] { parents->Refresh(); }},
        {"Folder.Documents.Item", [&] { documents->Item(1); }},
        {"Folder.Documents.Refresh", [&] { documents->Refresh(); }},
        {"Folder.Subfolders.Item", [&] { subfolders->Item(1); }},
        {"Folder.Subfolders.Refresh", [&] { subfolders->Refresh(); }},
        {"SearchDialog.Show", [&] { search->Show(0); }},
    };

    Damage();
    for (const auto& call : calls) {
        SCOPED_TRACE(call.what);
        try {
            call.run();
            ADD_FAILURE() << "no error raised";
        } catch (const dm::DmError& e) {
            EXPECT_EQ(e.Number(), kErrServerFailure);
            EXPECT_EQ(e.Source(), kObjectsSource);
            EXPECT_THAT(e.Description(), HasSubstr("library DOCS"));
            EXPECT_THAT(e.Description(), HasSubstr("malformed"));
        } catch (const std::exception& e) {
            ADD_FAILURE() << "let through: " << e.what();
        }
    }
}

TEST_F(DamagedLibraryTest, TheSqlObjectReportsTheFailureByItsErrorCode) {
    auto sql = Sql("DOCS");
    Damage();
    EXPECT_NE(sql->Execute("SELECT COUNT(*) FROM DOCSADM.PROFILE"), 0);
    EXPECT_NE(sql->ErrorCode(), 0);
    EXPECT_THAT(sql->ErrorText(), HasSubstr("malformed"));
    EXPECT_TRUE(sql->ColumnValue(1).IsBlank());
    EXPECT_EQ(sql->GetNextKey("SYSTEMKEY"), 0) << "no key to be had";
}

}  // namespace
}  // namespace dmsim
