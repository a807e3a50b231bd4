// Profiles: the rows a saved new document gets (with its placeholder
// version), columns and lookups, unique names, edits, renumbering by SQL,
// forms and document applications, views and deletion.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "document_fixture.h"

namespace dmsim {
namespace {

class ProfileTest : public fixture::DocumentTest {
protected:
    void SetUp() override {
        site_.Library("DOCS").LastDocNumber(100);
        auto archive = site_.Library("ARCHIVE").Forms({"DEFPROF"});
        for (const auto& c : kOptionalColumns) archive.WithoutColumn(c.column);
        OpenSite();
    }

    int64_t PersonId(const std::string& userId) {
        return Count("SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = ?", {userId});
    }

    // NewProfile, OpenForEdit and the columns as the transfer sets them.
    dm::ProfilePtr NewDocument(const std::string& name) {
        auto profile = Lib()->NewProfile("DEFPROF");
        EXPECT_EQ(profile->OpenForEdit(16 + 2), 1);
        Column(*profile, "DOCNAME")->SetValue(name);
        Column(*profile, "APP_ID")->SetValue("MS WORD");
        Column(*profile, "AUTHOR_ID")->SetValue("JSMITH");
        Column(*profile, "CLIENT_ID")->SetValue("C001");
        Column(*profile, "MATTER_ID")->SetValue("M001");
        return profile;
    }
};

TEST_F(ProfileTest, SaveWritesTheProfileRowSecurityActivityAndThePlaceholderVersion) {
    auto profile = NewDocument("Lease");
    EXPECT_EQ(profile->DocNumber(), 0) << "unsaved";
    EXPECT_TRUE(profile->Save(2).IsBooleanTrue());
    EXPECT_EQ(profile->ErrorNumber(), 0);
    ASSERT_EQ(profile->DocNumber(), 101) << "LASTKEY + 1";
    EXPECT_EQ(Count("SELECT LASTKEY FROM DOCSADM.SEQ_PROFILE"), 101);

    auto row = Db().Query(
        "SELECT P.SYSTEM_ID, P.STATUS, P.ITEM_TYPE, P.DOCSERVER_LOC, P.PATH, P.AUTHOR, P.TYPIST, A.APPLICATION, "
        "M.MATTER_ID, P.CREATION_DATE, P.LAST_EDIT_DATE, P.LAST_PRF_EDIT_DATE, P.DEFAULT_RIGHTS FROM DOCSADM.PROFILE P "
        "JOIN DOCSADM.APPS A ON A.SYSTEM_ID = P.APPLICATION JOIN DOCSADM.MATTER M ON M.SYSTEM_ID = P.MATTER "
        "WHERE P.DOCNUMBER = 101");
    ASSERT_EQ(row.rows.size(), 1u);
    const auto& r = row.rows[0];
    const int64_t systemId = AsInt(r[0]);
    EXPECT_GT(systemId, 0);
    EXPECT_EQ(AsInt(r[1]), 0);
    EXPECT_EQ(AsText(r[2]), "D");
    EXPECT_EQ(AsText(r[3]).back(), '/');
    EXPECT_TRUE(std::filesystem::path(AsText(r[3])).is_absolute());
    EXPECT_EQ(AsText(r[4]), "DOCSADM/");
    EXPECT_EQ(AsInt(r[5]), PersonId("JSMITH"));
    EXPECT_EQ(AsInt(r[6]), PersonId("DMADMIN")) << "the typist defaults to the user";
    EXPECT_EQ(AsText(r[7]), "MS WORD");
    EXPECT_EQ(AsText(r[8]), "M001");
    for (int i : {9, 10, 11}) EXPECT_EQ(AsText(r[i]), "2021-03-05 14:30:00");
    EXPECT_EQ(AsInt(r[12]), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.SECURITY WHERE THING = ? AND PERSONORGROUP = 0 AND "
                    "ACCESSRIGHTS = 255",
                    {systemId}),
              1);

    // The placeholder: version 1, '!', label '1', an empty file named for version 1.
    auto versions = profile->Versions();
    ASSERT_EQ(versions->Count(), 1);
    auto first = versions->Item(1);
    EXPECT_EQ(first->Label(), "1");
    std::string path = first->FilePath();
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    std::string name = std::filesystem::path(path).filename().string();
    EXPECT_EQ(name.substr(name.size() - 7), "01!.DOC");
    EXPECT_EQ(Text("SELECT C.PATH FROM DOCSADM.COMPONENTS C JOIN DOCSADM.VERSIONS V ON V.VERSION_ID = C.VERSION_ID "
                   "WHERE V.DOCNUMBER = 101 AND V.VERSION = 1 AND V.SUBVERSION = '!' AND V.VERSION_LABEL = '1'"),
              name);

    // The DM's activity rows: the user's, at the clock's second, label '1',
    // none of the program's types; the program's clean-up finds exactly them.
    int64_t rows = Count("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 101");
    EXPECT_GE(rows, 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 101 AND VERSION_LABEL = '1' AND "
                    "TYPIST = ? AND ACTIVITY_TYPE NOT IN (0, 24, 25)",
                    {PersonId("DMADMIN")}),
              rows);
    auto sql = Sql("DOCS");
    ASSERT_EQ(sql->Execute("DELETE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 101 AND ACTIVITY_TYPE <> 0 AND TYPIST = "
                           "(SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = 'DMADMIN') AND START_DATE = "
                           "GETUTCDATE()"),
              0);
    EXPECT_EQ(sql->RowsAffected(), rows);

    auto saves = emulator_->Calls().Of(op::kProfileSave);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].args.at(0).ToLong(), 2);
    EXPECT_EQ(emulator_->Calls().Of(op::kProfileOpenForEdit).at(0).args.at(0).ToLong(), 18);
}

TEST_F(ProfileTest, NumbersComeFromTheCounterAndPassOverTakenOnes) {
    site_.Sql("DOCS", "UPDATE SEQ_PROFILE SET LASTKEY = 200");
    site_.Sql("DOCS", "INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME) VALUES (9000, 201, 'by SQL')");
    auto profile = NewDocument("Next");
    ASSERT_TRUE(profile->Save(3).IsBooleanTrue());
    EXPECT_EQ(profile->DocNumber(), 202);
    EXPECT_EQ(Count("SELECT LASTKEY FROM DOCSADM.SEQ_PROFILE"), 202);
    EXPECT_EQ(Lib()->GetProfile(0), nullptr);
    EXPECT_EQ(Lib()->GetProfile(999), nullptr);
    ASSERT_NE(Lib()->GetProfile(201), nullptr) << "a row written by SQL is a profile too";
    EXPECT_EQ(Lib()->GetProfile(201)->FormName(), "DEFPROF");
}

// The counter is an INT: the last number it can give is the last one, and
// the next save is refused rather than numbered below zero.
TEST_F(ProfileTest, TheCounterRefusesToPassTheLargestNumber) {
    site_.Sql("DOCS", "UPDATE SEQ_PROFILE SET LASTKEY = 2147483646");
    auto last = NewDocument("Last");
    ASSERT_TRUE(last->Save(3).IsBooleanTrue());
    EXPECT_EQ(last->DocNumber(), 2147483647);
    auto next = NewDocument("Next");
    EXPECT_TRUE(next->Save(3).IsBooleanFalse());
    EXPECT_EQ(next->ErrorNumber(), kErrNotSaved);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER <= 0"), 0);
    EXPECT_EQ(Count("SELECT LASTKEY FROM DOCSADM.SEQ_PROFILE"), 2147483647);
}

TEST_F(ProfileTest, ColumnsShowTheFormWithReadOnlyFlagsTypesAndLookupIds) {
    int32_t n = Document("Memo");
    auto profile = Lib()->GetProfile(n);
    EXPECT_EQ(profile->FormName(), "DEFPROF");
    auto columns = profile->Columns();
    std::vector<std::string> names;
    for (int32_t i = 1; i <= columns->Count(); ++i) names.push_back(columns->Item(i)->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"DOCNUMBER", "DOCNAME", "AUTHOR_ID", "TYPIST_ID", "APP_ID", "TYPE_ID",
                                               "CLIENT_ID", "MATTER_ID", "STORAGETYPE", "SECURITY", "CREATION_DATE",
                                               "LAST_EDIT_DATE", "DOCSERVER_LOC", "PATH"}));
    EXPECT_THROW(columns->Item(0), dm::DmError);
    EXPECT_THROW(columns->Item(columns->Count() + 1), dm::DmError);

    struct Expect {
        const char* name;
        bool readOnly;
        int32_t dataType;
        dm::Variant value;
    };
    for (const auto& e : std::vector<Expect>{{"DOCNUMBER", true, 4, n},
                                             {"DOCNAME", false, 1, "Memo"},
                                             {"AUTHOR_ID", false, 1, "DMADMIN"},
                                             {"APP_ID", false, 1, "MS WORD"},
                                             {"SECURITY", false, 4, int32_t{0}},
                                             {"TYPE_ID", false, 1, dm::Variant()},
                                             {"CREATION_DATE", true, 8, "2021-03-05 14:30:00"},
                                             {"PATH", true, 1, "DOCSADM/"}}) {
        auto c = Column(*profile, e.name);
        ASSERT_NE(c, nullptr) << e.name;
        EXPECT_EQ(c->ReadOnly(), dm::Variant(e.readOnly)) << e.name;
        EXPECT_EQ(c->DataType(), e.dataType) << e.name;
        EXPECT_EQ(c->Value(), e.value) << e.name;
    }
    EXPECT_THROW(Column(*profile, "DOCNUMBER")->SetValue(5.0), dm::DmError);
    EXPECT_THROW(Column(*profile, "DOCNAME")->SetValue(std::string(256, 'x')), dm::DmError);
    EXPECT_THROW(Column(*profile, "SECURITY")->SetValue("many"), dm::DmError);
}

TEST_F(ProfileTest, LookupColumnsAreInvalidForUnknownOrDisabledIdsAndTheSaveRefusesThem) {
    site_.Sql("DOCS", "INSERT INTO PEOPLE (SYSTEM_ID, USER_ID, DISABLED) VALUES (7001, 'GONE', 'Y'), "
                      "(7002, 'OLD', '1'), (7003, 'BACK', 'N')");
    site_.Sql("DOCS", "UPDATE CLIENT SET DISABLED = '1' WHERE CLIENT_ID = 'C002'");
    struct Case {
        const char* column;
        const char* value;
        bool valid;
    };
    for (const auto& c : std::vector<Case>{{"AUTHOR_ID", "NOBODY", false},
                                           {"AUTHOR_ID", "GONE", false},
                                           {"TYPIST_ID", "OLD", false},
                                           {"AUTHOR_ID", "BACK", true},
                                           {"AUTHOR_ID", "jsmith", true},
                                           {"APP_ID", "NOTEPAD", false},
                                           {"TYPE_ID", "MEMO", true},
                                           {"CLIENT_ID", "C002", false},
                                           {"MATTER_ID", "M999", false}}) {
        auto profile = NewDocument("Checked");
        auto column = Column(*profile, c.column);
        column->SetValue(c.value);
        EXPECT_EQ(column->IsValid(), dm::Variant(c.valid)) << c.column << " " << c.value;
        EXPECT_EQ(column->Value(), dm::Variant(c.value)) << "the value is kept";
        int64_t before = Count("SELECT COUNT(*) FROM DOCSADM.PROFILE");
        dm::Variant saved = profile->Save(2);
        EXPECT_EQ(saved.IsBooleanTrue(), c.valid) << c.column << " " << c.value;
        if (!c.valid) {
            EXPECT_TRUE(saved.IsBooleanFalse());
            EXPECT_EQ(profile->ErrorNumber(), kErrInvalidValue);
            EXPECT_NE(profile->ErrorDescription().find(c.column), std::string::npos);
            EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.PROFILE"), before) << "nothing written";
            EXPECT_EQ(profile->DocNumber(), 0);
        }
    }
    // Re-enabling the row, as the program does before it copies, lets the save through.
    site_.Sql("DOCS", "UPDATE PEOPLE SET DISABLED = '' WHERE USER_ID = 'GONE'");
    auto profile = NewDocument("Again");
    Column(*profile, "AUTHOR_ID")->SetValue("GONE");
    EXPECT_TRUE(Column(*profile, "AUTHOR_ID")->IsValid().IsBooleanTrue());
    EXPECT_TRUE(profile->Save(2).IsBooleanTrue());
}

TEST_F(ProfileTest, UniqueDocumentNamesRefuseADuplicateInAnyLetterCase) {
    Document("Annual Report");
    auto second = NewDocument("ANNUAL report");
    EXPECT_TRUE(second->Save(2).IsBooleanTrue()) << "the parameter is off";

    site_.Library("DOCS").Parameter("DOCSParms.UniqueDocNames", true);
    site_.Create();
    emulator_ = std::make_unique<Emulator>(dir_.path());
    emulator_->SetClock([this] { return now_; });
    app_ = emulator_->Factory()->CreateApplication(dm::kApplicationClass);
    auto third = NewDocument("annual REPORT");
    EXPECT_TRUE(third->Save(2).IsBooleanFalse());
    EXPECT_EQ(third->ErrorNumber(), kErrDuplicateName);
    auto other = NewDocument("Quarterly Report");
    EXPECT_TRUE(other->Save(2).IsBooleanTrue());
    EXPECT_EQ(other->ErrorNumber(), 0);
}

TEST_F(ProfileTest, SavingAnExistingProfileWritesOnlyItsEdits) {
    int32_t n = Document("Draft");
    now_ += std::chrono::minutes(5);
    auto profile = Lib()->GetProfile(n);
    EXPECT_TRUE(profile->Save(3).IsBooleanTrue()) << "nothing to write is normal";
    EXPECT_EQ(Text("SELECT LAST_PRF_EDIT_DATE FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?", {int64_t{n}}),
              "2021-03-05 14:30:00");
    Column(*profile, "DOCNAME")->SetValue("Final");
    Column(*profile, "TYPE_ID")->SetValue("MEMO");
    EXPECT_TRUE(profile->Save(3).IsBooleanTrue());
    EXPECT_EQ(Text("SELECT DOCNAME FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?", {int64_t{n}}), "Final");
    EXPECT_EQ(Text("SELECT LAST_PRF_EDIT_DATE FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?", {int64_t{n}}),
              "2021-03-05 14:35:00");
    EXPECT_EQ(Column(*Lib()->GetProfile(n), "TYPE_ID")->Value(), dm::Variant("MEMO"));
}

TEST_F(ProfileTest, RenumberingBySqlMovesTheDocumentWithItsVersionsAndFiles) {
    int32_t n = Document("Moved", "content of the moved document");
    auto held = Lib()->GetProfile(n);
    std::string path = held->Versions()->Item(1)->FilePath();
    // What the program's renumbering writes.
    auto sql = Sql("DOCS");
    for (const char* table : {"PROFILE", "VERSIONS", "COMPONENTS", "ACTIVITYLOG"}) {
        ASSERT_EQ(sql->Execute("UPDATE DOCSADM." + std::string(table) + " SET DOCNUMBER = 42 WHERE DOCNUMBER = " +
                               std::to_string(n)),
                  0);
    }
    EXPECT_EQ(Lib()->GetProfile(n), nullptr);
    auto moved = Lib()->GetProfile(42);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->Name(), "Moved");
    ASSERT_EQ(moved->Versions()->Count(), 1);
    EXPECT_EQ(moved->Versions()->Item(1)->FilePath(), path);
    EXPECT_EQ(Slurp(moved->Versions()->Item(1)->FilePath()), "content of the moved document");
    EXPECT_EQ(held->DocNumber(), 42) << "an object held across the renumbering follows its row";
}

TEST_F(ProfileTest, FormsAndApplicationsNameFormsNewProfileAccepts) {
    auto names = [](dm::IDmForms& forms) {
        std::vector<std::string> out;
        for (int32_t i = 1; i <= forms.Count(); ++i) out.push_back(forms.Item(i)->Name());
        return out;
    };
    EXPECT_EQ(names(*Lib()->Forms()), (std::vector<std::string>{"DEFPROF", "EMAILPROF"}));
    EXPECT_EQ(names(*Lib("ARCHIVE")->Forms()), (std::vector<std::string>{"DEFPROF"}));

    for (const char* library : {"DOCS", "ARCHIVE"}) {
        auto apps = Lib(library)->DocApplications();
        std::map<std::string, std::vector<std::string>> byApp;
        for (int32_t i = 1; i <= apps->Count(); ++i) {
            auto forms = apps->Item(i)->Forms();
            for (int32_t k = 1; k <= forms->Count(); ++k) {
                std::string form = forms->Item(k)->Name();
                byApp[apps->Item(i)->Name()].push_back(form);
                EXPECT_NE(Lib(library)->NewProfile(form), nullptr) << library << " " << form;
            }
        }
        EXPECT_FALSE(byApp.count("FOLDER")) << "folders are no document application";
        EXPECT_EQ(byApp["MS WORD"], (std::vector<std::string>{"DEFPROF"}));
        if (std::string(library) == "DOCS") {
            EXPECT_EQ(byApp["MS OUTLOOK"], (std::vector<std::string>{"EMAILPROF", "DEFPROF"}));
        } else {
            EXPECT_EQ(byApp["MS OUTLOOK"], (std::vector<std::string>{"DEFPROF"}));
        }
    }
    EXPECT_EQ(Lib("ARCHIVE")->NewProfile("EMAILPROF"), nullptr) << "a form the library lacks";
    EXPECT_EQ(Lib()->NewProfile("FOLDERPROF"), nullptr) << "folders come from NewFolder";
    EXPECT_EQ(Lib()->NewProfile("NOSUCHFORM"), nullptr);
    auto email = Lib()->NewProfile("emailprof");
    ASSERT_NE(email, nullptr);
    EXPECT_EQ(email->FormName(), "EMAILPROF");
    EXPECT_NE(Column(*email, "PD_ORIGINATOR"), nullptr);
}

TEST_F(ProfileTest, ViewsShareTheObjectAndClosingOneLeavesTheOthersWorking) {
    int32_t doc = Document("Plain");
    int32_t folder = docs_->CreateFolder("Box");
    auto profile = Lib()->GetProfile(doc);
    EXPECT_EQ(profile->AsFolder(), nullptr) << "a document is no folder";
    auto relations = profile->AsProfileObject();
    ASSERT_NE(relations, nullptr);
    relations->Close();
    EXPECT_EQ(profile->DocNumber(), doc);
    EXPECT_TRUE(profile->Save(3).IsBooleanTrue());

    auto folderProfile = Lib()->GetProfile(folder);
    auto asFolder = folderProfile->AsFolder();
    ASSERT_NE(asFolder, nullptr);
    EXPECT_EQ(asFolder->DocNumber(), folder);
    EXPECT_EQ(asFolder->AsProfile()->DocNumber(), folder);
    EXPECT_EQ(Lib()->GetFolder(doc), nullptr) << "GetFolder of a document";
    ASSERT_NE(Lib()->GetFolder(folder), nullptr);
    // A refusal on one view shows on the others.
    EXPECT_TRUE(asFolder->RemoveDocument(profile).IsBooleanFalse());
    EXPECT_EQ(folderProfile->ErrorNumber(), kErrNotFiled);
    EXPECT_EQ(profile->ErrorNumber(), kErrNotFiled) << "and on the item passed in";
}

TEST_F(ProfileTest, DeleteRemovesTheItemOrRefusesWithAReason) {
    int32_t doc = Document("Doomed");
    std::string path = Lib()->GetProfile(doc)->Versions()->Item(1)->FilePath();
    auto profile = Lib()->GetProfile(doc);
    EXPECT_TRUE(profile->Delete(2).IsBooleanTrue());
    EXPECT_EQ(profile->ErrorNumber(), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?", {int64_t{doc}}), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.VERSIONS WHERE DOCNUMBER = ?", {int64_t{doc}}), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Lib()->GetProfile(doc), nullptr);

    int32_t folder = docs_->CreateFolder("Full");
    docs_->File(Document("Inside"), folder);
    auto full = Lib()->GetProfile(folder);
    EXPECT_TRUE(full->Delete(2).IsBooleanFalse());
    EXPECT_EQ(full->ErrorNumber(), kErrFolderNotEmpty);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?", {int64_t{folder}}), 1);

    int32_t empty = docs_->CreateFolder("Empty", 0, true);
    EXPECT_TRUE(Lib()->GetProfile(empty)->Delete(2).IsBooleanTrue());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.FOLDER WHERE DOCNUMBER = ?", {int64_t{empty}}), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.ROOT_OBJECT WHERE DOCNUMBER = ?", {int64_t{empty}}), 0);
}

TEST_F(ProfileTest, DeleteNeedsTheDeleteRightOnASecuredItem) {
    // A user outside every group with universal access.
    site_.Library("DOCS").User("MJONES");
    site_.Create();
    emulator_ = std::make_unique<Emulator>(dir_.path());
    app_ = emulator_->Factory()->CreateApplication(dm::kApplicationClass);
    DocumentMaker docs(*emulator_, "DOCS");
    int32_t folder = docs.CreateFolder("Secured");
    docs.SetTrustees(folder, {User("MJONES", 63), Group("LEGAL", 255)});
    auto profile = Lib()->GetProfile(folder);
    EXPECT_TRUE(profile->Delete(2).IsBooleanFalse());
    EXPECT_EQ(profile->ErrorNumber(), kErrAccessDenied);
    auto mine = profile->Trustees()->ItemByName("MJONES");
    ASSERT_NE(mine, nullptr);
    EXPECT_TRUE(mine->CanDelete().IsBooleanFalse());
    docs.SetTrustees(folder, {User("MJONES", 255)});
    EXPECT_TRUE(profile->Delete(2).IsBooleanTrue());
}

TEST_F(ProfileTest, ALibraryWithoutTheOptionalColumnsWorksAlike) {
    DocumentMaker archive(*emulator_, "ARCHIVE");
    int32_t folder = archive.CreateFolder("Old folder", 0, true);
    DocumentSpec spec;
    spec.name = "Old document";
    spec.versions = {Version("one"), Version("two"), Subversion(1, "sub")};
    spec.folders = {folder};
    spec.trustees = {User("JSMITH", 255)};
    int32_t doc = archive.Create(spec);
    auto profile = Lib("ARCHIVE")->GetProfile(doc);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->Versions()->Count(), 3);
    EXPECT_EQ(Slurp(profile->Versions()->Item(3)->FilePath()), "two");
    EXPECT_EQ(profile->Trustees()->Count(), 1);
    EXPECT_EQ(profile->ParentFolders()->Item(1)->DocNumber(), folder);
    EXPECT_NE(Lib("ARCHIVE")->GetFolder(folder), nullptr) << "a folder by its application alone";
    EXPECT_EQ(Lib("ARCHIVE")->GetProfile(folder)->FormName(), "FOLDERPROF");
    EXPECT_TRUE(Lib("ARCHIVE")->GetFolder(folder)->RemoveDocument(profile).IsBooleanTrue());
    EXPECT_TRUE(profile->Delete(2).IsBooleanTrue());
}

class ScriptedHost : public dm::IDmDialogHost {
public:
    std::vector<std::pair<std::string, int32_t>> displayed;
    int ChooseLibrary(const std::vector<std::string>&) override { return -1; }
    bool SearchDocuments(const std::string&, const std::vector<dm::DmSearchPick>&,
                         std::vector<dm::DmSearchPick>&) override {
        return false;
    }
    void DisplayProfile(const std::string& library, int32_t docNumber) override {
        displayed.emplace_back(library, docNumber);
    }
};

TEST_F(ProfileTest, DisplayShowsTheProfileThroughTheDialogHost) {
    int32_t n = Document("Shown");
    ScriptedHost host;
    emulator_->SetDialogHost(&host);
    Lib()->GetProfile(n)->Display(0);
    ASSERT_EQ(host.displayed.size(), 1u);
    EXPECT_EQ(host.displayed[0], std::make_pair(std::string("DOCS"), n));
    EXPECT_EQ(emulator_->Calls().Of(op::kProfileDisplay).at(0).args.at(0).ToLong(), 0);
}

}  // namespace
}  // namespace dmsim
