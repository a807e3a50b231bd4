// The site file: what is written is read back, hand-written files take the
// defaults, malformed ones are refused with the line.

#include "dmsim/site_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "dmsim/emulator.h"
#include "dmsim/library_db.h"
#include "test_support/temp_dir.h"

namespace dmsim {
namespace {

TEST(SiteFile, WhatIsWrittenIsReadBack) {
    SiteSpec site;
    site.primaryLibrary = "Docs";
    site.currentLibrary = "Archive";
    site.securityToken = "TOKEN-1";
    site.clientName = "Client X";
    site.clientVersion = "9.5";
    site.patchLevel = "";
    site.folder = "/sites/one";
    site.language = "Deutsch";
    site.dateFormat = "ymd";
    LibrarySpec docs;
    docs.name = "Docs";
    docs.file = "data/docs.db";
    docs.properties = {{"User.DocDelete", false},
                       {"User.MaxSubVersions", int32_t{12}},
                       {"Some.Ratio", 0.5},
                       {"Some.Text", std::string("say \"hi\" \\ bye")},
                       {"Some.Number.As.Text", std::string("42")},
                       {"Some.Empty", dm::Variant()},
                       {"Some.Null", dm::Variant::Null()}};
    LibrarySpec archive;
    archive.name = "Archive";
    archive.file = "archive.db";
    archive.owner = "ARCHADM";
    archive.engine = kEngineNotDetermined;
    archive.databaseEngine = kEngineOracle;
    archive.serverVersion = "";
    archive.caseSensitive = true;
    archive.columns = {OptionalColumn::VersionEditTime};
    archive.settingsTable = true;
    archive.lastDocNumber = 300;
    site.libraries = {docs, archive};

    SiteSpec back = ParseSiteText(FormatSiteText(site));
    ASSERT_EQ(back.libraries.size(), 2u);
    EXPECT_EQ(back.primaryLibrary, "Docs");
    EXPECT_EQ(back.currentLibrary, "Archive");
    EXPECT_EQ(back.securityToken, "TOKEN-1");
    EXPECT_EQ(back.clientName, "Client X");
    EXPECT_EQ(back.clientVersion, "9.5");
    EXPECT_EQ(back.patchLevel, "");
    EXPECT_EQ(back.folder, "/sites/one");
    EXPECT_EQ(back.language, "Deutsch");
    EXPECT_EQ(back.dateFormat, "ymd");
    EXPECT_EQ(back.libraries[0].properties, docs.properties);
    EXPECT_EQ(back.libraries[0].file, "data/docs.db");
    const LibrarySpec& a = back.libraries[1];
    EXPECT_EQ(a.owner, "ARCHADM");
    EXPECT_EQ(a.engine, kEngineNotDetermined);
    EXPECT_TRUE(a.IsOracle());
    EXPECT_EQ(a.serverVersion, "");
    EXPECT_TRUE(a.caseSensitive);
    EXPECT_EQ(a.columns, archive.columns);
    EXPECT_TRUE(a.settingsTable);
    EXPECT_EQ(a.lastDocNumber, 300);
    EXPECT_TRUE(a.properties.empty()) << "an empty properties section is kept empty";
}

TEST(SiteFile, AHandWrittenFileTakesTheDefaults) {
    SiteSpec site = ParseSiteText("; minimal\n[library Lib1]\n[library Lib2]\nengine = 6\n");
    ASSERT_EQ(site.libraries.size(), 2u);
    EXPECT_EQ(site.primaryLibrary, "Lib1");
    EXPECT_EQ(site.currentLibrary, "Lib1");
    const LibrarySpec& lib = site.libraries[0];
    EXPECT_EQ(lib.file, "Lib1.db");
    EXPECT_EQ(lib.docServer, "docserver/Lib1");
    EXPECT_EQ(lib.owner, "DOCSADM");
    EXPECT_EQ(lib.engine, kEngineSqlServer);
    EXPECT_EQ(lib.serverVersion, "13.0.5026.0");
    EXPECT_EQ(lib.properties, DefaultLibraryProperties());
    EXPECT_EQ(site.libraries[1].engine, kEngineSybase);
}

TEST(SiteFile, MalformedFilesAreRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"[site]\nprimary = X\n", "no library"},
        {"[library A]\nengine = many\n", "line 2"},
        {"[library A]\ncolor = blue\n", "line 2"},
        {"[library A]\n[library a]\n", "line 2"},
        {"owner = X\n", "line 1"},
        {"[library A\n", "line 1"},
        {"[library A]\ncolumns = PROFILE.NOPE\n", "line 2"},
        {"[library A]\nowner = main\n", "owner"},
        {"[site]\nprimary = B\n[library A]\n", "primary"},
        {"[properties B]\nUser.X = true\n[library A]\n", "unknown library"},
        {"[site]\nlanguage = Klingon\n[library A]\n", "unknown language: Klingon"},
        {"[site]\ndateformat = dmyy\n[library A]\n", "unknown date format: dmyy"},
    };
    for (const auto& [text, problem] : cases) {
        try {
            ParseSiteText(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const SiteError& e) {
            EXPECT_NE(std::string(e.what()).find(problem), std::string::npos) << e.what();
        }
    }
}

TEST(SiteFile, DefaultSiteDirFollowsTheEnvironment) {
    const char* saved = std::getenv("DMSIM_SITE");
    std::string keep = saved ? saved : "";
    setenv("DMSIM_SITE", "/tmp/some-site", 1);
    EXPECT_EQ(DefaultSiteDir(), std::filesystem::path("/tmp/some-site"));
    unsetenv("DMSIM_SITE");
    EXPECT_EQ(DefaultSiteDir().filename(), "dmsite");
    EXPECT_EQ(DefaultSiteDir().parent_path().filename(), "dorvane");
    if (saved) setenv("DMSIM_SITE", keep.c_str(), 1);
}

TEST(SiteFile, TheEmulatorCreatesMissingDatabasesOfAHandWrittenSite) {
    test_support::TempDir dir;
    std::ofstream(dir.path() / kSiteFileName) << "[library Main]\n[library Second]\nowner = SECADM\n";
    Emulator emulator(dir.path());
    LibraryDb& db = emulator.Library("second");
    EXPECT_EQ(AsInt(db.QueryValue("SELECT COUNT(*) FROM SECADM.REMOTE_LIBRARIES")), 2);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "docserver" / "Second"));
    EXPECT_THROW(emulator.Library("Third"), SiteError);
    EXPECT_THROW(Emulator(dir.path() / "missing"), SiteError);
}

// Every session starts in the site's language and date format.
TEST(SiteFile, TheSitesLanguageAndDateFormatStartEverySession) {
    test_support::TempDir dir;
    std::ofstream(dir.path() / kSiteFileName) << "[site]\nlanguage = german\ndateformat = ymd\n[library Main]\n";
    Emulator emulator(dir.path());
    auto sql = emulator.Factory()->CreateSql(dm::kSqlProgId);
    sql->SetLibrary("Main");
    ASSERT_EQ(sql->Execute("SELECT TRY_CAST('26/12/11' AS DATETIME), TRY_CAST('11 Dez 2026' AS DATETIME)"), 0);
    EXPECT_EQ(sql->ColumnValue(1).ToText(), "2026-12-11 00:00:00");
    EXPECT_EQ(sql->ColumnValue(2).ToText(), "2026-12-11 00:00:00");
}

TEST(SiteFile, RecordingTheFolderKeepsEveryOtherLine) {
    test_support::TempDir dir;
    const auto file = dir.path() / kSiteFileName;
    const std::string rest = "; our test site\n[library Main]\nengine = 6\n";
    std::ofstream(file) << rest;
    RecordSiteFolder(file, "/sites/one");
    std::stringstream first;
    first << std::ifstream(file).rdbuf();
    EXPECT_EQ(first.str(), "[site]\nfolder = /sites/one\n\n" + rest);

    RecordSiteFolder(file, "/sites/two");
    std::stringstream second;
    second << std::ifstream(file).rdbuf();
    EXPECT_EQ(second.str(), "[site]\nfolder = /sites/two\n\n" + rest);
    EXPECT_EQ(ReadSiteFile(file).folder, "/sites/two");
}

}  // namespace
}  // namespace dmsim
