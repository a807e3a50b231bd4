#include "platform/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_support/temp_dir.h"

using platform::FileRegistry;

namespace {

TEST(FileRegistry, RoundTripsSettingsIncludingAwkwardTexts) {
    test_support::TempDir dir;
    FileRegistry reg(dir.path() / "reg.ini");
    const std::string app = "Dorvane for DodiDida dIRAZ";
    reg.SaveSetting(app, "General", "LogFile", "/tmp/O'Brien's log.txt");
    reg.SaveSetting(app, "General", "Library A=B [x]", "-1");
    reg.SaveSetting(app, "PauseTimer", "Notes", "line one\nline two\\end");
    reg.SaveSetting(app, "General", "Empty", "");

    FileRegistry again(dir.path() / "reg.ini");
    EXPECT_EQ(again.GetSetting(app, "General", "LogFile", "x"), "/tmp/O'Brien's log.txt");
    EXPECT_EQ(again.GetSetting(app, "General", "Library A=B [x]", "0"), "-1");
    EXPECT_EQ(again.GetSetting(app, "PauseTimer", "Notes", ""), "line one\nline two\\end");
    EXPECT_EQ(again.GetSetting(app, "General", "Empty", "default"), "");
    EXPECT_EQ(again.GetSetting(app, "General", "Missing", "default"), "default");
    EXPECT_EQ(again.GetSetting("Other", "General", "LogFile", "none"), "none");

    again.DeleteSetting(app, "General", "LogFile");
    EXPECT_EQ(reg.GetSetting(app, "General", "LogFile", "gone"), "gone");
}

TEST(FileRegistry, TwoProgramsWithTheirOwnHomesStayApart) {
    test_support::TempDir a, b;
    FileRegistry ra(a.path() / "reg.ini"), rb(b.path() / "reg.ini");
    ra.SaveSetting("App", "General", "Locked", "1");
    EXPECT_EQ(rb.GetSetting("App", "General", "Locked", "0"), "0");
}

TEST(FileRegistry, KeysWalkMachineValuesAndFailOnMissingSubKeys) {
    test_support::TempDir dir;
    FileRegistry reg(dir.path() / "reg.ini");
    reg.SetMachineValue("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product", "CurrentVersion", "10.2");
    auto root = reg.OpenRoot(static_cast<int>(platform::RegistryRoot::LocalMachine));
    auto key = root->SubKey("software")->SubKey("VENDOR")->SubKey("Product");
    EXPECT_EQ(key->Value("currentversion"), "10.2");
    EXPECT_FALSE(key->Value("PatchLevel").has_value());
    EXPECT_THROW(key->SubKey("CurrentVersion"), platform::RegistryError);
    EXPECT_THROW(reg.OpenRoot(9), platform::RegistryError);
}

TEST(FileRegistry, UserSettingsAppearUnderTheCurrentUserRoot) {
    test_support::TempDir dir;
    FileRegistry reg(dir.path() / "reg.ini");
    reg.SaveSetting("App", "Warning", "RegisterAPI", "-1");
    auto key = reg.OpenRoot(static_cast<int>(platform::RegistryRoot::CurrentUser))
                   ->SubKey("Software")
                   ->SubKey("VB and VBA Program Settings")
                   ->SubKey("App")
                   ->SubKey("Warning");
    EXPECT_EQ(key->Value("RegisterAPI"), "-1");
}

}  // namespace

namespace {

TEST(FileRegistry, KeysMatchWithoutCaseAndKeepTheirFirstSpelling) {
    test_support::TempDir dir;
    FileRegistry reg(dir.path() / "reg.ini");
    reg.SaveSetting("App", "General", "MaxActlogRows", "5");
    EXPECT_EQ(reg.GetSetting("App", "general", "MaxActLogRows", "0"), "5");
    reg.SaveSetting("App", "General", "MAXACTLOGROWS", "7");
    EXPECT_EQ(reg.GetSetting("App", "General", "MaxActlogRows", "0"), "7");
    std::ifstream in(dir.path() / "reg.ini");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("MaxActlogRows=7"), std::string::npos);
    EXPECT_EQ(text.find("MAXACTLOGROWS"), std::string::npos);
}

}  // namespace

namespace {

TEST(FileRegistry, AFolderThatCannotTakeSettingsIsReportedNotAborted) {
    test_support::TempDir dir;
    FileRegistry fine(dir.path() / "home" / "reg.ini");
    EXPECT_NO_THROW(fine.CheckWritable());
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "home"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "home"));

    // A file where the folder should be: no folder, even for root.
    std::ofstream(dir.path() / "blocked") << "x";
    FileRegistry blocked(dir.path() / "blocked" / "home" / "reg.ini");
    try {
        blocked.CheckWritable();
        ADD_FAILURE() << "no error";
    } catch (const platform::RegistryError& e) {
        EXPECT_NE(std::string(e.what()).find((dir.path() / "blocked" / "home").string()), std::string::npos)
            << e.what();
    }
    EXPECT_THROW(blocked.SaveSetting("App", "General", "Locked", "1"), platform::RegistryError);
}

}  // namespace
