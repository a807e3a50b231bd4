// One injected failure per operation of the document and folder objects,
// and what the program meets: a raise, nothing, a failure value with or
// without an error number, an answer that hides that nothing was done.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dmclient/dm_error.h"
#include "dmsim/fault_ops.h"
#include "document_fixture.h"

namespace dmsim {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kRefused = -2147217900;

class DocumentFaultTest : public fixture::DocumentTest {
protected:
    void SetUp() override {
        OpenSite();
        folder_ = docs_->CreateFolder("Box");
        DocumentSpec spec;
        spec.name = "Subject";
        spec.versions = {Version("one"), Version("two")};
        spec.folders = {folder_};
        spec.trustees = {User("JSMITH", 255)};
        doc_ = docs_->Create(spec);
        other_ = Document("Other");
    }

    FaultInjector& Faults() { return emulator_->Faults(); }
    dm::ProfilePtr Doc() { return Lib()->GetProfile(doc_); }
    dm::FolderPtr Box() { return Lib()->GetFolder(folder_); }
    int64_t Rows(const std::string& table) { return Count("SELECT COUNT(*) FROM DOCSADM." + table); }

    static void ExpectRaise(const std::function<void()>& call, int32_t number) {
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const dm::DmError& e) {
            EXPECT_EQ(e.Number(), number);
            EXPECT_EQ(e.Source(), "DM");
        }
    }

    dm::ProfilePtr NewDocument() {
        auto profile = Lib()->NewProfile("DEFPROF");
        Column(*profile, "DOCNAME")->SetValue("New");
        Column(*profile, "APP_ID")->SetValue("MS WORD");
        return profile;
    }

    int32_t folder_ = 0;
    int32_t doc_ = 0;
    int32_t other_ = 0;
};

struct FaultCase {
    const char* what;
    std::function<void()> run;
};

TEST_F(DocumentFaultTest, EachOperationFailsAsArmed) {
    const std::vector<FaultCase> cases = {
        {"GetProfile answers nothing for an existing number",
         [this] {
             this->Faults().On(op::kLibraryGetProfile).ForDocument(this->doc_).AnswerNothing();
             EXPECT_EQ(this->Doc(), nullptr);
             EXPECT_NE(this->Lib()->GetProfile(this->other_), nullptr);
         }},
        {"a profile whose number reads 0",
         [this] {
             this->Faults().On(op::kProfileDocNumber).ForDocument(this->doc_).Answer(0);
             EXPECT_EQ(this->Doc()->DocNumber(), 0);
         }},
        {"Columns.Count 0",
         [this] {
             this->Faults().On(op::kColumnsCount).ForDocument(this->doc_).Answer(0);
             EXPECT_EQ(this->Doc()->Columns()->Count(), 0);
         }},
        {"one column's read raises, another holds Null",
         [this] {
             this->Faults().On(op::kColumnValue).ForName("DOCNAME").Raise(13, "DM", "Type mismatch");
             this->Faults().On(op::kColumnValue).ForName("MATTER_ID").Answer(dm::Variant::Null());
             ExpectRaise([&] { Column(*this->Doc(), "DOCNAME")->Value(); }, 13);
             EXPECT_TRUE(this->Column(*this->Doc(), "MATTER_ID")->Value().IsNull());
             EXPECT_EQ(this->Column(*this->Doc(), "APP_ID")->Value(), dm::Variant("MS WORD"));
         }},
        {"setting a column raises; IsValid answers False",
         [this] {
             this->Faults().On(op::kColumnSetValue).ForName("TYPE_ID").Raise(5, "DM", "refused");
             this->Faults().On(op::kColumnIsValid).ForName("DOCNAME").Answer(false);
             auto profile = this->NewDocument();
             ExpectRaise([&] { Column(*profile, "TYPE_ID")->SetValue("MEMO"); }, 5);
             EXPECT_TRUE(this->Column(*profile, "DOCNAME")->IsValid().IsBooleanFalse());
         }},
        {"OpenForEdit answers 0 with and without an error number",
         [this] {
             this->Faults().On(op::kProfileOpenForEdit).OnCall(1).Refuse(kRefused, "locked by JSMITH");
             this->Faults().On(op::kProfileOpenForEdit).OnCall(2).AnswerNothing();
             auto profile = this->Doc();
             EXPECT_EQ(profile->OpenForEdit(34), 0);
             EXPECT_EQ(profile->ErrorNumber(), kRefused);
             EXPECT_EQ(profile->ErrorDescription(), "locked by JSMITH");
             EXPECT_EQ(profile->OpenForEdit(34), 0);
             EXPECT_EQ(profile->ErrorNumber(), 0);
             EXPECT_EQ(profile->OpenForEdit(34), 1);
         }},
        {"Save answers False with and without an error number and writes nothing",
         [this] {
             int64_t before = this->Rows("PROFILE");
             this->Faults().On(op::kProfileSave).OnCall(1).Refuse(kRefused, "server busy");
             this->Faults().On(op::kProfileSave).OnCall(2).Answer(false);
             auto profile = this->NewDocument();
             EXPECT_TRUE(profile->Save(2).IsBooleanFalse());
             EXPECT_EQ(profile->ErrorNumber(), kRefused);
             EXPECT_TRUE(profile->Save(2).IsBooleanFalse());
             EXPECT_EQ(profile->ErrorNumber(), 0);
             EXPECT_EQ(profile->DocNumber(), 0);
             EXPECT_EQ(this->Rows("PROFILE"), before);
             EXPECT_TRUE(profile->Save(2).IsBooleanTrue());
         }},
        {"AddVersion answers nothing on its second call; then raises",
         [this] {
             this->Faults().On(op::kProfileAddVersion).ForDocument(this->doc_).OnCall(2).Refuse(kRefused, "no space");
             this->Faults().On(op::kProfileAddVersion).ForDocument(this->doc_).OnCall(4).Raise(7, "DM", "Out of memory");
             auto profile = this->Doc();
             profile->OpenForEdit(34);
             std::string file = this->SourceFile("v.doc", "v");
             EXPECT_NE(profile->AddVersion(2, file, "", "", std::nullopt, ""), nullptr);
             EXPECT_EQ(profile->AddVersion(2, file, "", "", std::nullopt, ""), nullptr);
             EXPECT_EQ(profile->ErrorNumber(), kRefused);
             EXPECT_NE(profile->AddVersion(2, file, "", "", std::nullopt, ""), nullptr);
             EXPECT_EQ(profile->ErrorNumber(), 0);
             ExpectRaise([&] { profile->AddVersion(2, file, "", "", std::nullopt, ""); }, 7);
             EXPECT_EQ(this->Count("SELECT COUNT(*) FROM DOCSADM.VERSIONS WHERE DOCNUMBER = ?", {int64_t{this->doc_}}), 4);
         }},
        {"a subversion gets a label that does not begin with its version",
         [this] {
             this->Faults().On(op::kSubversionLabel).OnCall(1).Answer("9A");
             this->Faults().On(op::kSubversionLabel).OnCall(2).AnswerNothing();
             auto profile = this->Lib()->GetProfile(this->Document("Fresh"));
             profile->OpenForEdit(34);
             std::string file = this->SourceFile("s.doc", "s");
             EXPECT_EQ(profile->AddVersion(2, file, "", "", "1", "")->Label(), "9A");
             EXPECT_EQ(profile->AddVersion(2, file, "", "", "1", "")->Label(), "2B");
             EXPECT_EQ(profile->AddVersion(2, file, "", "", "1", "")->Label(), "1C");
             EXPECT_EQ(profile->AddVersion(2, file, "", "", std::nullopt, "")->Label(), "2") << "not for versions";
         }},
        {"Versions.Count 0 and Versions.Item nothing",
         [this] {
             this->Faults().On(op::kVersionsCount).ForDocument(this->other_).Answer(0);
             this->Faults().On(op::kVersionsItem).ForDocument(this->doc_).ForIndex(2).AnswerNothing();
             EXPECT_EQ(this->Lib()->GetProfile(this->other_)->Versions()->Count(), 0);
             auto versions = this->Doc()->Versions();
             EXPECT_NE(versions->Item(1), nullptr);
             EXPECT_EQ(versions->Item(2), nullptr);
         }},
        {"CheckOut writes no file; CheckOut, Unlock and the version's Unlock raise",
         [this] {
             fs::path temp = this->dir_.path() / "temp";
             fs::create_directories(temp);
             this->Faults().On(op::kVersionCheckOut).OnCall(1).AnswerNothing();
             this->Faults().On(op::kVersionCheckOut).OnCall(2).Raise(9, "DM", "check-out failed");
             this->Faults().On(op::kProfileUnlock).Raise(10, "DM", "unlock failed");
             this->Faults().On(op::kVersionUnlock).Raise(11, "DM", "release failed");
             auto version = this->Doc()->Versions()->Item(1);
             EXPECT_TRUE(version->CheckOut("", "", temp.string()).IsEmpty());
             EXPECT_TRUE(fs::is_empty(temp));
             EXPECT_EQ(this->Rows("CHECKOUT"), 0);
             ExpectRaise([&] { version->CheckOut("", "", temp.string()); }, 9);
             ExpectRaise([&] { Doc()->Unlock(3, 0, temp.string(), 0); }, 10);
             ExpectRaise([&] { version->Unlock(); }, 11);
         }},
        {"each cast can fail on its own",
         [this] {
             this->Faults().On(op::kProfileAsProfileObject).ForDocument(this->doc_).AnswerNothing();
             this->Faults().On(op::kProfileAsFolder).ForDocument(this->folder_).AnswerNothing();
             this->Faults().On(op::kFolderAsFolderObject).AnswerNothing();
             EXPECT_EQ(this->Doc()->AsProfileObject(), nullptr);
             EXPECT_NE(this->Lib()->GetProfile(this->other_)->AsProfileObject(), nullptr);
             EXPECT_EQ(this->Lib()->GetProfile(this->folder_)->AsFolder(), nullptr);
             EXPECT_EQ(this->Box()->AsFolderObject(), nullptr);
             EXPECT_NE(this->Box()->AsProfile(), nullptr);
             this->Faults().On(op::kFolderAsProfile).AnswerNothing();
             EXPECT_EQ(this->Box()->AsProfile(), nullptr);
         }},
        {"Trustees nothing; ItemByName nothing; CanDelete False",
         [this] {
             ASSERT_NE(this->Doc()->Trustees(), nullptr);
             this->Faults().On(op::kTrusteesItemByName).ForName("JSMITH").OnCall(1).AnswerNothing();
             this->Faults().On(op::kTrusteeCanDelete).Answer(false);
             EXPECT_EQ(this->Doc()->Trustees()->ItemByName("JSMITH"), nullptr);
             EXPECT_TRUE(this->Doc()->Trustees()->ItemByName("JSMITH")->CanDelete().IsBooleanFalse());
             this->Faults().On(op::kProfileTrustees).AnswerNothing();
             EXPECT_EQ(this->Doc()->Trustees(), nullptr);
         }},
        {"ParentFolders nothing, then a raise",
         [this] {
             this->Faults().On(op::kProfileParentFolders).OnCall(1).AnswerNothing();
             this->Faults().On(op::kProfileParentFolders).OnCall(2).Raise(91, "DM", "Object variable not set");
             EXPECT_EQ(this->Doc()->ParentFolders(), nullptr);
             ExpectRaise([&] { Doc()->ParentFolders(); }, 91);
             EXPECT_EQ(this->Doc()->ParentFolders()->Count(), 1);
         }},
        {"AddDocument and AddFolder refused with and without an error number",
         [this] {
             int64_t before = this->Rows("FOLDER_ITEM");
             this->Faults().On(op::kFolderAddDocument).OnCall(1).Refuse(kRefused, "folder full");
             this->Faults().On(op::kFolderAddDocument).OnCall(2).Answer(false);
             this->Faults().On(op::kFolderAddFolder).Refuse(kRefused, "no subfolders");
             auto box = this->Box();
             auto item = this->Lib()->GetProfile(this->other_)->AsProfileObject();
             EXPECT_TRUE(box->AddDocument(item).IsBooleanFalse());
             EXPECT_EQ(box->ErrorNumber(), kRefused);
             EXPECT_EQ(item->ErrorNumber(), kRefused) << "the item sees the reason too";
             EXPECT_TRUE(box->AddDocument(item).IsBooleanFalse());
             EXPECT_EQ(box->ErrorNumber(), 0);
             EXPECT_TRUE(box->AddFolder(this->Lib()->GetFolder(this->docs_->CreateFolder("Sub"))->AsFolderObject())
                             .IsBooleanFalse());
             EXPECT_EQ(this->Rows("FOLDER_ITEM"), before);
         }},
        {"RemoveDocument refused, sticky, sticky with an error number",
         [this] {
             this->Faults().On(op::kFolderRemoveDocument).OnCall(1).Refuse(kRefused, "in use");
             this->Faults().On(op::kFolderRemoveDocument).OnCall(2).Answer(true);
             this->Faults().On(op::kFolderRemoveDocument).OnCall(3).Answer(true, kRefused, "still linked");
             auto box = this->Box();
             auto doc = this->Doc();
             EXPECT_TRUE(box->RemoveDocument(doc).IsBooleanFalse());
             EXPECT_EQ(doc->ErrorNumber(), kRefused);
             EXPECT_TRUE(box->RemoveDocument(doc).IsBooleanTrue());
             EXPECT_EQ(box->ErrorNumber(), 0);
             EXPECT_TRUE(box->RemoveDocument(doc).IsBooleanTrue());
             EXPECT_EQ(box->ErrorNumber(), kRefused);
             EXPECT_EQ(box->Documents()->Count(), 1) << "the item stays";
             EXPECT_TRUE(box->RemoveDocument(doc).IsBooleanTrue());
             EXPECT_EQ(box->Documents()->Count(), 0);
         }},
        {"RemoveFolder refused; the folder's Save False with an error number",
         [this] {
             int32_t sub = this->docs_->CreateFolder("Sub", this->folder_);
             this->Faults().On(op::kFolderRemoveFolder).Refuse(kRefused, "not empty");
             this->Faults().On(op::kFolderSave).ForDocument(this->folder_).Refuse(kRefused, "save failed");
             auto box = this->Box();
             EXPECT_TRUE(box->RemoveFolder(this->Lib()->GetFolder(sub)).IsBooleanFalse());
             EXPECT_EQ(box->Subfolders()->Count(), 1);
             EXPECT_TRUE(box->Save(2).IsBooleanFalse());
             EXPECT_EQ(box->ErrorNumber(), kRefused);
         }},
        {"Delete False with and without an error number, True with the row kept, a raise",
         [this] {
             this->Faults().On(op::kProfileDelete).OnCall(1).Refuse(kRefused, "denied");
             this->Faults().On(op::kProfileDelete).OnCall(2).Answer(false);
             this->Faults().On(op::kProfileDelete).OnCall(3).Answer(true);
             this->Faults().On(op::kProfileDelete).OnCall(4).Raise(440, "DM", "Automation error");
             auto profile = this->Lib()->GetProfile(this->other_);
             EXPECT_TRUE(profile->Delete(2).IsBooleanFalse());
             EXPECT_EQ(profile->ErrorNumber(), kRefused);
             EXPECT_TRUE(profile->Delete(2).IsBooleanFalse());
             EXPECT_EQ(profile->ErrorNumber(), 0);
             EXPECT_TRUE(profile->Delete(2).IsBooleanTrue());
             ExpectRaise([&] { profile->Delete(2); }, 440);
             EXPECT_EQ(this->Count("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?", {int64_t{this->other_}}), 1);
         }},
        {"related items refuse a removal; links and related items cannot be read",
         [this] {
             this->docs_->Relate(this->doc_, this->other_);
             this->Faults().On(op::kProfilesRemove).Refuse(kRefused, "relation locked");
             auto profile = this->Doc()->AsProfileObject();
             auto related = profile->RelatedItems();
             EXPECT_TRUE(related->Remove(related->Item(1)).IsBooleanFalse());
             EXPECT_EQ(profile->ErrorNumber(), kRefused);
             EXPECT_EQ(this->Rows("RELATED"), 1);
             this->Faults().On(op::kProfileLinks).Raise(438, "DM", "Object doesn't support this property");
             this->Faults().On(op::kProfileRelatedItems).AnswerNothing();
             ExpectRaise([&] { profile->Links(); }, 438);
             EXPECT_EQ(profile->RelatedItems(), nullptr);
         }},
        {"new folders and profiles answer nothing; a folder's number reads 0",
         [this] {
             this->Faults().On(op::kLibraryNewFolder).OnCall(1).AnswerNothing();
             this->Faults().On(op::kLibraryNewProfile).ForName("DEFPROF").AnswerNothing();
             this->Faults().On(op::kLibraryGetFolder).ForDocument(this->folder_).OnCall(1).AnswerNothing();
             EXPECT_EQ(this->Lib()->NewFolder(), nullptr);
             EXPECT_EQ(this->Lib()->NewProfile("DEFPROF"), nullptr);
             EXPECT_EQ(this->Box(), nullptr);
             auto folder = this->Lib()->NewFolder();
             auto profile = folder->AsProfile();
             this->Column(*profile, "DOCNAME")->SetValue("Numberless");
             ASSERT_TRUE(profile->Save(2).IsBooleanTrue());
             this->Faults().On(op::kFolderDocNumber).Answer(0);
             EXPECT_EQ(folder->DocNumber(), 0);
             EXPECT_NE(profile->DocNumber(), 0);
         }},
        {"a folder's documents, subfolders and items answer nothing",
         [this] {
             this->docs_->File(this->other_, this->folder_);
             this->Faults().On(op::kFolderDocuments).OnCall(1).AnswerNothing();
             this->Faults().On(op::kFolderSubfolders).AnswerNothing();
             this->Faults().On(op::kProfilesItem).ForDocument(this->folder_).ForIndex(1).AnswerNothing();
             EXPECT_EQ(this->Box()->Documents(), nullptr);
             EXPECT_EQ(this->Box()->Subfolders(), nullptr);
             auto documents = this->Box()->Documents();
             ASSERT_EQ(documents->Count(), 1);
             EXPECT_EQ(documents->Item(1), nullptr);
         }},
        {"Columns, Versions and single items answer nothing; Release answers False; Close raises",
         [this] {
             this->Faults().On(op::kProfileColumns).OnCall(1).AnswerNothing();
             this->Faults().On(op::kProfileVersions).OnCall(1).AnswerNothing();
             this->Faults().On(op::kColumnsItem).ForIndex(2).AnswerNothing();
             this->Faults().On(op::kFoldersItem).ForIndex(1).AnswerNothing();
             this->Faults().On(op::kVersionRelease).Answer(false);
             this->Faults().On(op::kProfileClose).Raise(3, "DM", "close failed");
             EXPECT_EQ(Doc()->Columns(), nullptr);
             EXPECT_EQ(Doc()->Versions(), nullptr);
             auto columns = Doc()->Columns();
             EXPECT_NE(columns->Item(1), nullptr);
             EXPECT_EQ(columns->Item(2), nullptr);
             auto parents = Lib()->GetProfile(this->other_)->ParentFolders();  // filed by the case before
             ASSERT_EQ(parents->Count(), 1);
             EXPECT_EQ(parents->Item(1), nullptr);
             EXPECT_TRUE(Doc()->Versions()->Item(1)->Release(2).IsBooleanFalse());
             ExpectRaise([&] { Doc()->Close(); }, 3);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Faults().Clear();
        c.run();
    }
    Faults().Clear();
}

}  // namespace
}  // namespace dmsim
