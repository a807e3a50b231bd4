// Folders: a new folder as CreateFolder makes it, the FOLDER_ITEM list the
// filing builds and the removals relink, the collections read from it,
// filing across libraries.

#include <gtest/gtest.h>

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "document_fixture.h"

namespace dmsim {
namespace {

class FolderTest : public fixture::DocumentTest {
protected:
    void SetUp() override { OpenSite(); }

    struct Entry {
        int64_t id;
        int64_t docNumber;
        std::string next;
        std::string first;
    };

    // The folder's rows walked from the first; the walk must cover them all.
    std::vector<int64_t> Walk(int32_t folder) {
        auto rows = Db().Query("SELECT SYSTEM_ID, DOCNUMBER, NEXT, ISFIRST, PARENT_LIBRARY, LIBRARY FROM "
                               "DOCSADM.FOLDER_ITEM WHERE PARENT = ?",
                               {int64_t{folder}});
        std::map<int64_t, std::pair<int64_t, int64_t>> byId;  // id -> (doc, next)
        int64_t first = 0;
        int firsts = 0;
        for (auto& r : rows.rows) {
            byId[AsInt(r[0])] = {AsInt(r[1]), AsInt(r[2])};
            if (AsText(r[3]) == "Y") {
                first = AsInt(r[0]);
                ++firsts;
            } else {
                EXPECT_EQ(AsText(r[3]), "N");
            }
            EXPECT_EQ(AsInt(r[4]), 0) << "PARENT_LIBRARY of a local folder";
        }
        std::vector<int64_t> docs;
        if (rows.rows.empty()) return docs;
        EXPECT_EQ(firsts, 1) << "exactly one first row";
        for (int64_t at = first; at != 0 && docs.size() <= byId.size(); at = byId[at].second) {
            docs.push_back(byId[at].first);
        }
        EXPECT_EQ(docs.size(), byId.size()) << "every row on the list, the last pointing at 0";
        return docs;
    }

    std::vector<int32_t> Numbers(dm::IDmProfiles& items) {
        std::vector<int32_t> out;
        for (int32_t i = 1; i <= items.Count(); ++i) out.push_back(items.Item(i)->DocNumber());
        return out;
    }
};

TEST_F(FolderTest, ANewFolderGetsItsRowsAndIsPublicByItsRootObject) {
    for (bool isPublic : {true, false}) {
        auto folder = Lib()->NewFolder();
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->DocNumber(), 0);
        folder->SetTitle("Matters ");
        folder->SetName("Matters ");
        auto profile = folder->AsProfile();
        ASSERT_NE(profile, nullptr);
        EXPECT_EQ(profile->FormName(), "FOLDERPROF");
        EXPECT_EQ(Column(*profile, "DOCNAME")->Value(), dm::Variant("Matters ")) << "the name set on the folder";
        EXPECT_TRUE(Column(*profile, "AUTHOR_ID")->Value().IsEmpty());
        Column(*profile, "AUTHOR_ID")->SetValue("JSMITH");
        Column(*profile, "APP_ID")->SetValue("FOLDER");
        EXPECT_TRUE(profile->Save(2).IsBooleanTrue());
        const int32_t n = profile->DocNumber();
        ASSERT_NE(n, 0) << "readable at once";
        EXPECT_EQ(folder->DocNumber(), n);
        folder->SetIsPublic(isPublic);
        EXPECT_TRUE(folder->Save(2).IsBooleanTrue());
        EXPECT_EQ(folder->ErrorNumber(), 0);
        EXPECT_EQ(folder->IsPublic(), dm::Variant(isPublic));
        EXPECT_EQ(Lib()->GetFolder(n)->IsPublic(), dm::Variant(isPublic));
        EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.ROOT_OBJECT WHERE DOCNUMBER = ?", {int64_t{n}}), isPublic);
        EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.FOLDER WHERE DOCNUMBER = ?", {int64_t{n}}), 1);
        EXPECT_EQ(Text("SELECT P.ITEM_TYPE || '/' || A.APPLICATION FROM DOCSADM.PROFILE P JOIN DOCSADM.APPS A ON "
                       "A.SYSTEM_ID = P.APPLICATION WHERE P.DOCNUMBER = ?",
                       {int64_t{n}}),
                  "F/FOLDER");
        EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = ? AND START_DATE = "
                        "'2021-03-05 14:30:00'",
                        {int64_t{n}}),
                  1);
        EXPECT_EQ(Lib()->GetFolder(n)->Title(), "Matters ");
    }
}

TEST_F(FolderTest, FilingAppendsToTheLinkedListInFilingOrder) {
    int32_t folder = docs_->CreateFolder("Box");
    int32_t charlie = Document("Charlie");
    int32_t alpha = Document("Alpha");
    int32_t sub = docs_->CreateFolder("Bravo folder");
    auto box = Lib()->GetFolder(folder);
    EXPECT_TRUE(box->AddDocument(Lib()->GetProfile(charlie)->AsProfileObject()).IsBooleanTrue());
    EXPECT_TRUE(box->AddDocument(Lib()->GetProfile(alpha)->AsProfileObject()).IsBooleanTrue());
    EXPECT_TRUE(box->AddFolder(Lib()->GetFolder(sub)->AsFolderObject()).IsBooleanTrue());
    EXPECT_EQ(box->ErrorNumber(), 0);
    EXPECT_TRUE(box->Save(2).IsBooleanTrue());

    EXPECT_EQ(Walk(folder), (std::vector<int64_t>{charlie, alpha, sub})) << "not display-name order";
    EXPECT_EQ(Text("SELECT GROUP_CONCAT(NODE_TYPE || LIBRARY || DISPLAYNAME, '|') FROM DOCSADM.FOLDER_ITEM "
                   "WHERE PARENT = ?",
                   {int64_t{folder}}),
              "D0Charlie|D0Alpha|F0Bravo folder");
    EXPECT_EQ(Numbers(*box->Documents()), (std::vector<int32_t>{charlie, alpha}));
    auto subfolders = box->Subfolders();
    ASSERT_EQ(subfolders->Count(), 1);
    EXPECT_EQ(subfolders->Item(1)->DocNumber(), sub);
    auto parents = Lib()->GetProfile(alpha)->ParentFolders();
    ASSERT_EQ(parents->Count(), 1);
    EXPECT_EQ(parents->Item(1)->DocNumber(), folder);
    EXPECT_EQ(parents->Item(1)->Library()->Name(), "DOCS");
    EXPECT_EQ(parents->Item(1)->Name(), "Box");
    // Wrong kinds are refused.
    EXPECT_TRUE(box->AddDocument(Lib()->GetProfile(sub)->AsProfileObject()).IsBooleanFalse());
    EXPECT_EQ(box->ErrorNumber(), kErrInvalidValue);
    EXPECT_TRUE(box->AddFolder(Lib()->GetFolder(folder)->AsFolderObject()).IsBooleanFalse()) << "itself";
}

TEST_F(FolderTest, RemovalsRelinkTheListAndLeaveLowerItemsInPlace) {
    int32_t folder = docs_->CreateFolder("Box");
    std::vector<int32_t> docs;
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        docs.push_back(Document(name));
        docs_->File(docs.back(), folder);
    }
    auto box = Lib()->GetFolder(folder);
    // The middle one, the first, the last.
    for (int32_t doc : {docs[2], docs[0], docs[4]}) {
        EXPECT_TRUE(box->RemoveDocument(Lib()->GetProfile(doc)).IsBooleanTrue());
        EXPECT_EQ(box->ErrorNumber(), 0);
    }
    EXPECT_EQ(Walk(folder), (std::vector<int64_t>{docs[1], docs[3]}));
    EXPECT_EQ(Lib()->GetProfile(docs[0])->ParentFolders()->Count(), 0);

    // The folder removal's loop: count once, remove from the count down.
    docs_->File(docs[0], folder);
    auto items = box->Documents();
    const int32_t count = items->Count();
    ASSERT_EQ(count, 3);
    for (int32_t i = count; i >= 1; --i) {
        auto item = box->Documents()->Item(i);
        ASSERT_NE(item, nullptr) << i;
        EXPECT_TRUE(box->RemoveDocument(item).IsBooleanTrue());
        EXPECT_EQ(items->Item(1)->DocNumber(), docs[1]) << "a held collection keeps its items until Refresh";
    }
    items->Refresh();
    EXPECT_EQ(items->Count(), 0);
    EXPECT_TRUE(Walk(folder).empty());
    EXPECT_TRUE(box->RemoveDocument(Lib()->GetProfile(docs[1])).IsBooleanFalse()) << "no longer filed";
    EXPECT_EQ(box->ErrorNumber(), kErrNotFiled);
}

TEST_F(FolderTest, ItemsOfAnotherLibraryAreFiledUnderItsRemoteLibraryId) {
    int32_t folder = docs_->CreateFolder("Mixed");
    DocumentMaker archive(*emulator_, "ARCHIVE");
    DocumentSpec spec;
    spec.name = "Archived";
    spec.versions = {Version("x")};
    int32_t remote = archive.Create(spec);
    auto box = Lib()->GetFolder(folder);
    EXPECT_TRUE(box->AddDocument(Lib("ARCHIVE")->GetProfile(remote)->AsProfileObject()).IsBooleanTrue());
    int64_t archiveId = Count("SELECT SYSTEM_ID FROM DOCSADM.REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE'");
    ASSERT_NE(archiveId, 0);
    EXPECT_EQ(Count("SELECT LIBRARY FROM DOCSADM.FOLDER_ITEM WHERE PARENT = ?", {int64_t{folder}}), archiveId);
    auto item = box->Documents()->Item(1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Library()->Name(), "ARCHIVE");
    EXPECT_EQ(item->DocNumber(), remote);
    auto parents = Lib("ARCHIVE")->GetProfile(remote)->ParentFolders();
    ASSERT_EQ(parents->Count(), 1);
    EXPECT_EQ(parents->Item(1)->Library()->Name(), "DOCS");
    EXPECT_TRUE(box->RemoveDocument(item).IsBooleanTrue());
    EXPECT_EQ(Lib("ARCHIVE")->GetProfile(remote)->ParentFolders()->Count(), 0);
}

TEST_F(FolderTest, AnUnsavedFolderOrItemCannotBeFiled) {
    auto unsaved = Lib()->NewFolder();
    int32_t doc = Document("Loose");
    EXPECT_TRUE(unsaved->AddDocument(Lib()->GetProfile(doc)->AsProfileObject()).IsBooleanFalse());
    EXPECT_EQ(unsaved->ErrorNumber(), kErrNotSaved);
    auto box = Lib()->GetFolder(docs_->CreateFolder("Box"));
    auto fresh = Lib()->NewProfile("DEFPROF");
    EXPECT_TRUE(box->AddDocument(fresh->AsProfileObject()).IsBooleanFalse());
    EXPECT_EQ(fresh->ErrorNumber(), kErrNotSaved);
    EXPECT_THROW(box->Documents()->Item(1), dm::DmError);
}

}  // namespace
}  // namespace dmsim
