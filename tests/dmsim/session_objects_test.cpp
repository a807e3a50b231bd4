// The session objects the program starts with: factory, login object,
// application, libraries, library and its properties, the chooser; and one
// injected failure per session operation.

#include <gtest/gtest.h>

#include <functional>

#include "dmclient/dm_error.h"
#include "dmsim/fault_ops.h"
#include "emulator_fixture.h"

namespace dmsim {
namespace {

class SessionTest : public fixture::EmulatorTest {
protected:
    void SetUp() override {
        site_.Library("Docs").User("JDOE", "Jane Doe").PrimaryGroup("LAWYERS").Parameter("DOCSParms.Mode", "strict");
        site_.Library("ARCHIVE").User("ARCHUSER").Right("User.DocDelete", false);
        site_.Library("Archive2");
        site_.Primary("Docs").Current("ARCHIVE").SecurityToken("TOKEN-7").ClientName("The Client");
        site_.ClientVersion("9.6", "3");
        Open();
        factory_ = emulator_->Factory();
        app_ = factory_->CreateApplication(dm::kApplicationClass);
    }

    std::shared_ptr<dm::IDmObjectFactory> factory_;
    dm::ApplicationPtr app_;
};

TEST_F(SessionTest, FactoryKnowsTheProgramsIdentifiers) {
    EXPECT_NE(factory_->CreateApplication(dm::kApplicationProgId), nullptr);
    EXPECT_NE(factory_->CreateClient(), nullptr);
    EXPECT_NE(factory_->CreateSql(dm::kSqlProgId), nullptr);
    EXPECT_THROW(factory_->CreateApplication("Word.Application"), dm::DmError);
    EXPECT_THROW(factory_->CreateSql("PCDClient.Other"), dm::DmError);
}

TEST_F(SessionTest, LoginObjectNamesTheClientAndLogsOnAndOff) {
    auto client = factory_->CreateClient();
    EXPECT_EQ(client->Name(), "The Client");
    EXPECT_NO_THROW(client->Logoff()) << "harmless before a logon";
    client->Logon();
    client->Logoff();
    EXPECT_EQ(emulator_->Calls().Of(op::kClientLogon).size(), 1u);
    emulator_->RecordCalls(false);
    client->Logon();
    EXPECT_EQ(emulator_->Calls().Of(op::kClientLogon).size(), 1u) << "not recorded while recording is off";
}

TEST_F(SessionTest, ApplicationGivesTheSitesLibrariesInItsOrder) {
    EXPECT_EQ(app_->SecurityToken(), "TOKEN-7") << "also before any logon";
    auto libraries = app_->Libraries();
    ASSERT_EQ(libraries->Count(), 3);
    EXPECT_EQ(libraries->Item(1)->Name(), "Docs");
    EXPECT_EQ(libraries->Item(2)->Name(), "ARCHIVE");
    EXPECT_EQ(libraries->Item(3)->Name(), "Archive2");
    EXPECT_THROW(libraries->Item(0), dm::DmError);
    EXPECT_THROW(libraries->Item(4), dm::DmError);
    EXPECT_EQ(app_->CurrentLibrary()->Name(), "ARCHIVE");
    EXPECT_EQ(app_->PrimaryLibrary()->Name(), "Docs");
    EXPECT_TRUE(libraries->Item(1)->IsPrimary().IsBooleanTrue());
    EXPECT_TRUE(libraries->Item(2)->IsPrimary().IsBooleanFalse());
    app_->SetParentWindow(4242);
    auto calls = emulator_->Calls().Of(op::kApplicationSetParentWindow);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args.at(0).ToLong(), 4242);
}

TEST_F(SessionTest, LibraryObjectsCarryUserRightsAndParameters) {
    auto docs = app_->PrimaryLibrary();
    EXPECT_EQ(docs->UserId(), "JDOE");
    EXPECT_EQ(docs->PrimaryGroup(), "LAWYERS");
    EXPECT_NO_THROW(docs->Connect());
    auto props = docs->Properties();
    ASSERT_EQ(props->Count(), static_cast<int32_t>(DefaultLibraryProperties().size()) + 1);
    EXPECT_EQ(props->Item(1)->Name(), "User.DocDelete");
    EXPECT_TRUE(props->Item(1)->Value().IsBooleanTrue());
    EXPECT_TRUE(props->Item("user.docdelete")->Value().IsBooleanTrue());
    EXPECT_EQ(props->Item("User.MaxSubVersions")->Value(), dm::Variant(int32_t{26}));
    EXPECT_TRUE(props->Item("DOCSParms.UniqueDocNames")->Value().IsBooleanFalse());
    EXPECT_EQ(props->Item("DOCSParms.Mode")->Value(), dm::Variant("strict"));
    EXPECT_THROW(props->Item("User.Nothing"), dm::DmError);
    EXPECT_THROW(props->Item(props->Count() + 1), dm::DmError);

    auto archive = app_->CurrentLibrary();
    EXPECT_EQ(archive->UserId(), "ARCHUSER");
    EXPECT_TRUE(archive->Properties()->Item("User.DocDelete")->Value().IsBooleanFalse());
    // A fresh library: no documents, the document forms, and no document
    // application (FOLDER is none).
    EXPECT_EQ(archive->GetProfile(1), nullptr);
    EXPECT_EQ(archive->Forms()->Count(), 2);
    EXPECT_EQ(archive->DocApplications()->Count(), 0);
}

TEST_F(SessionTest, MachineRegistryHoldsTheClientVersion) {
    auto values = emulator_->MachineRegistryValues();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].keyPath, "HKEY_LOCAL_MACHINE\\Software\\DodiDida\\PowerDOCS");
    EXPECT_EQ(values[0].valueName, "CurrentVersion");
    EXPECT_EQ(values[0].value, "9.6");
    EXPECT_EQ(values[1].valueName, "PatchLevel");
    EXPECT_EQ(values[1].value, "3");
}

class ScriptedChooser : public dm::IDmDialogHost {
public:
    int answer = -1;
    std::vector<std::string> shown;
    int ChooseLibrary(const std::vector<std::string>& names) override {
        shown = names;
        return answer;
    }
    bool SearchDocuments(const std::string&, const std::vector<dm::DmSearchPick>&,
                         std::vector<dm::DmSearchPick>&) override {
        return false;
    }
    void DisplayProfile(const std::string&, int32_t) override {}
};

TEST_F(SessionTest, ChooserAnswersThePickedLibraryOrNothing) {
    EXPECT_EQ(app_->SelectLibrary(), nullptr) << "no host: nothing";
    ScriptedChooser chooser;
    emulator_->SetDialogHost(&chooser);
    chooser.answer = 2;
    auto picked = app_->SelectLibrary();
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->Name(), "Archive2");
    EXPECT_EQ(chooser.shown, (std::vector<std::string>{"Docs", "ARCHIVE", "Archive2"}));
    chooser.answer = -1;
    EXPECT_EQ(app_->SelectLibrary(), nullptr) << "cancel";
    emulator_->Faults().On(op::kLibraryName).ForLibrary("archive2").Answer("");
    chooser.answer = 2;
    EXPECT_EQ(app_->SelectLibrary()->Name(), "") << "a library whose name is empty";
}

// One injected failure per session operation, and what the program sees.
struct FaultCase {
    const char* what;
    std::function<void(FaultInjector&)> arm;
    std::function<void(dm::IDmObjectFactory&, dm::IDmApplication&)> check;
};

void ExpectRaise(const std::function<void()>& call, int32_t number) {
    try {
        call();
        ADD_FAILURE() << "no error raised";
    } catch (const dm::DmError& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Source(), "DM");
        EXPECT_EQ(e.Description(), "injected");
    }
}

constexpr int32_t kClientFailure = static_cast<int32_t>(0x80040005u);

TEST_F(SessionTest, EachSessionOperationFailsOnDemand) {
    const FaultCase cases[] = {
        {"login object not created",
         [](FaultInjector& f) { f.On(op::kCreateClient).AnswerNothing(); },
         [](auto& factory, auto&) { EXPECT_EQ(factory.CreateClient(), nullptr); }},
        {"Name raises",
         [](FaultInjector& f) { f.On(op::kClientName).Raise(kClientFailure, "DM", "injected"); },
         [](auto& factory, auto&) { ExpectRaise([&] { factory.CreateClient()->Name(); }, kClientFailure); }},
        {"Logon raises",
         [](FaultInjector& f) { f.On(op::kClientLogon).Raise(5, "DM", "injected"); },
         [](auto& factory, auto&) { ExpectRaise([&] { factory.CreateClient()->Logon(); }, 5); }},
        {"Logoff raises",
         [](FaultInjector& f) { f.On(op::kClientLogoff).Raise(6, "DM", "injected"); },
         [](auto& factory, auto&) { ExpectRaise([&] { factory.CreateClient()->Logoff(); }, 6); }},
        {"class creation gives nothing, the identifier still works",
         [](FaultInjector& f) { f.On(op::kCreateApplication).ForName("DmApplicationObject").AnswerNothing(); },
         [](auto& factory, auto&) {
             EXPECT_EQ(factory.CreateApplication(dm::kApplicationClass), nullptr);
             EXPECT_NE(factory.CreateApplication(dm::kApplicationProgId), nullptr);
         }},
        {"class creation raises",
         [](FaultInjector& f) { f.On(op::kCreateApplication).ForName("DmApplicationObject").Raise(7, "DM", "injected"); },
         [](auto& factory, auto&) { ExpectRaise([&] { factory.CreateApplication(dm::kApplicationClass); }, 7); }},
        {"SQL object not created",
         [](FaultInjector& f) { f.On(op::kCreateSql).AnswerNothing(); },
         [](auto& factory, auto&) { EXPECT_EQ(factory.CreateSql(dm::kSqlProgId), nullptr); }},
        {"Libraries nothing",
         [](FaultInjector& f) { f.On(op::kApplicationLibraries).AnswerNothing(); },
         [](auto&, auto& app) { EXPECT_EQ(app.Libraries(), nullptr); }},
        {"Libraries.Count 0",
         [](FaultInjector& f) { f.On(op::kLibrariesCount).Answer(int32_t{0}); },
         [](auto&, auto& app) { EXPECT_EQ(app.Libraries()->Count(), 0); }},
        {"Libraries.Item raises for one library",
         [](FaultInjector& f) { f.On(op::kLibrariesItem).ForLibrary("archive").Raise(8, "DM", "injected"); },
         [](auto&, auto& app) {
             auto libraries = app.Libraries();
             EXPECT_EQ(libraries->Item(1)->Name(), "Docs");
             ExpectRaise([&] { libraries->Item(2); }, 8);
         }},
        {"CurrentLibrary nothing",
         [](FaultInjector& f) { f.On(op::kApplicationCurrentLibrary).AnswerNothing(); },
         [](auto&, auto& app) { EXPECT_EQ(app.CurrentLibrary(), nullptr); }},
        {"PrimaryLibrary raises",
         [](FaultInjector& f) { f.On(op::kApplicationPrimaryLibrary).Raise(9, "DM", "injected"); },
         [](auto&, auto& app) { ExpectRaise([&] { app.PrimaryLibrary(); }, 9); }},
        {"security token empty",
         [](FaultInjector& f) { f.On(op::kApplicationSecurityToken).Answer(""); },
         [](auto&, auto& app) { EXPECT_EQ(app.SecurityToken(), ""); }},
        {"ParentWindow raises",
         [](FaultInjector& f) { f.On(op::kApplicationSetParentWindow).Raise(10, "DM", "injected"); },
         [](auto&, auto& app) { ExpectRaise([&] { app.SetParentWindow(1); }, 10); }},
        {"UserId empty in one library",
         [](FaultInjector& f) { f.On(op::kLibraryUserId).ForLibrary("ARCHIVE").Answer(""); },
         [](auto&, auto& app) {
             EXPECT_EQ(app.CurrentLibrary()->UserId(), "");
             EXPECT_EQ(app.PrimaryLibrary()->UserId(), "JDOE");
         }},
        {"Connect raises in one library",
         [](FaultInjector& f) { f.On(op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(11, "DM", "injected"); },
         [](auto&, auto& app) {
             ExpectRaise([&] { app.CurrentLibrary()->Connect(); }, 11);
             EXPECT_NO_THROW(app.PrimaryLibrary()->Connect());
         }},
        {"Properties.Count 0",
         [](FaultInjector& f) { f.On(op::kPropertiesCount).ForLibrary("ARCHIVE").Answer(int32_t{0}); },
         [](auto&, auto& app) { EXPECT_EQ(app.CurrentLibrary()->Properties()->Count(), 0); }},
        {"a right False",
         [](FaultInjector& f) { f.On(op::kPropertyValue).ForName("User.CreateFolder").Answer(false); },
         [](auto&, auto& app) {
             EXPECT_TRUE(app.PrimaryLibrary()->Properties()->Item("User.CreateFolder")->Value().IsBooleanFalse());
         }},
        {"a right that is not a Boolean",
         [](FaultInjector& f) { f.On(op::kPropertyValue).ForName("User.CreateFolder").Answer(int32_t{1}); },
         [](auto&, auto& app) {
             auto value = app.PrimaryLibrary()->Properties()->Item("User.CreateFolder")->Value();
             EXPECT_EQ(value.kind(), dm::Variant::Kind::Integer);
         }},
        {"a right whose item fails",
         [](FaultInjector& f) { f.On(op::kPropertiesItem).ForName("User.CreateFolder").Raise(12, "DM", "injected"); },
         [](auto&, auto& app) {
             ExpectRaise([&] { app.PrimaryLibrary()->Properties()->Item("User.CreateFolder"); }, 12);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emulator_->Faults().Clear();
        c.arm(emulator_->Faults());
        c.check(*factory_, *app_);
    }
}

// The same for the SQL object, whose faults the program meets through
// RunSQL and the key draws.
TEST_F(SessionTest, EachSqlOperationFailsOnDemand) {
    auto sql = factory_->CreateSql(dm::kSqlProgId);
    sql->SetLibrary("Docs");
    FaultInjector& f = emulator_->Faults();

    f.On(op::kSqlSetLibrary).ForLibrary("ARCHIVE").Raise(20, "DM", "injected");
    ExpectRaise([&] { sql->SetLibrary("ARCHIVE"); }, 20);
    EXPECT_EQ(emulator_->SqlBoundLibrary(), "Docs");
    f.On(op::kSqlSetSecurityToken).Raise(21, "DM", "injected");
    ExpectRaise([&] { sql->SetSecurityToken("T"); }, 21);
    f.On(op::kSqlDatabaseVendor).ForLibrary("Docs").Answer(int32_t{0});
    EXPECT_EQ(sql->DatabaseVendor(), 0);

    f.On(op::kSqlExecute).ForStatement("kest_settings").FailStatement(208, "[x][y]Invalid object name 'T'.");
    EXPECT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS"), 208);
    EXPECT_EQ(sql->ErrorCode(), 208);
    EXPECT_EQ(sql->ErrorText(), "[x][y]Invalid object name 'T'.");
    EXPECT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.PROFILE"), 0) << "other statements run";

    const int32_t unreachable = dm::kServerInterfaceUnreachable;
    f.On(op::kSqlExecute).ForStatement("PEOPLE").OnCall(2).FailStatus(unreachable, unreachable, "no server");
    EXPECT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.PEOPLE"), 0);
    EXPECT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.PEOPLE"), unreachable);
    EXPECT_EQ(sql->ErrorCode(), unreachable);
    EXPECT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.PEOPLE"), 0) << "only the second call";

    f.On(op::kSqlGetNextKey).ForName("SYSTEMKEY").Answer(int32_t{0});
    EXPECT_EQ(sql->GetNextKey("SYSTEMKEY"), 0);
    EXPECT_GT(sql->GetNextKey("VERSIONS"), 0);

    ASSERT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.GROUPS"), 0);
    f.On(op::kSqlColumnValue).Times(1).Raise(22, "DM", "injected");
    ExpectRaise([&] { sql->ColumnValue(1); }, 22);
    EXPECT_EQ(sql->ColumnValue(1).ToLong(), 3) << "once only";
    // Reads of a result match the statement that gave it.
    f.On(op::kSqlColumnValue).ForStatement("FROM DOCSADM.PEOPLE").Answer(std::string("0"));
    EXPECT_EQ(sql->ColumnValue(1).ToLong(), 3);
    ASSERT_EQ(sql->Execute("SELECT COUNT(*) FROM DOCSADM.PEOPLE"), 0);
    EXPECT_EQ(sql->ColumnValue(1).ToText(), "0");
    f.On(op::kSqlColumnInfo).Raise(23, "DM", "injected");
    ExpectRaise([&] { sql->ColumnInfo(1); }, 23);
    f.On(op::kSqlReleaseResults).Raise(24, "DM", "injected");
    ExpectRaise([&] { sql->ReleaseResults(); }, 24);
    f.On(op::kSqlExecute).Raise(25, "DM", "injected");
    ExpectRaise([&] { sql->Execute("SELECT 1"); }, 25);
}

TEST(FaultInjector, RulesMatchTheirCallsAndCount) {
    FaultInjector f;
    f.On("Op").ForDocument(7).OnCall(2).AnswerNothing();
    FaultContext seven;
    seven.docNumber = 7;
    FaultContext eight;
    eight.docNumber = 8;
    EXPECT_FALSE(f.Check("Op", eight));
    EXPECT_FALSE(f.Check("Op", seven));
    EXPECT_FALSE(f.Check("Other", seven));
    EXPECT_TRUE(f.Check("Op", seven)) << "the second matching call";
    EXPECT_FALSE(f.Check("Op", seven));
    EXPECT_EQ(f.Fired("Op"), 1);

    f.On("Op").ForDocument(8).Times(2).Answer(int32_t{5});
    EXPECT_EQ(f.Check("Op", eight)->Number(), 5);
    EXPECT_EQ(f.Check("Op", eight)->Number(), 5);
    EXPECT_FALSE(f.Check("Op", eight));
    f.Clear();
    EXPECT_FALSE(f.Check("Op", seven));
}

}  // namespace
}  // namespace dmsim
