// The dmsite tool from a fresh build: the binary itself, as a user runs it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "test_support/temp_dir.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class DmsiteTool : public ::testing::Test {
protected:
    Outcome Run(const std::vector<std::string>& args) {
        std::string command = Quote(DMSITE_PATH);
        for (const auto& a : args) command += " " + Quote(a);
        auto out = dir_.path() / "out.txt";
        auto err = dir_.path() / "err.txt";
        command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
        int raw = std::system(command.c_str());
        return {WEXITSTATUS(raw), Slurp(out), Slurp(err)};
    }
    std::string Site() const { return (dir_.path() / "site").string(); }

    test_support::TempDir dir_;
};

TEST_F(DmsiteTool, HelpListsTheCommandsAndBadArgumentsFail) {
    Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command :
         {"create DIR", "add-docs DIR LIBRARY N V S", "sql DIR LIBRARY", "queue DIR SOURCE TARGET", "dump DIR",
          "relocate DIR", "copy SRC DST"}) {
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"bogus"}, {"create"}, {"create", Site(), "--fast"}, {"create", Site(), "--language"},
             {"create", Site(), "--language", "Klingon"}, {"create", Site(), "--dateformat", "dmyy"},
             {"sql", Site(), "DOCS"},
             {"queue", Site(), "DOCS", "ARCHIVE", "12x"}, {"dump", Site(), "DOCS", "PROFILE; DROP"},
             {"relocate"}, {"copy", Site()}}) {
        Outcome bad = Run(args);
        EXPECT_EQ(bad.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(bad.err.find("usage: dmsite"), std::string::npos);
    }
}

TEST_F(DmsiteTool, CreatesASiteAndRunsStatementsOnIt) {
    ASSERT_EQ(Run({"create", Site()}).status, 0);
    EXPECT_EQ(Run({"create", Site()}).status, 1) << "an existing site is kept";

    Outcome libraries = Run({"sql", Site(), "archive",
                             "SELECT LIBRARY_NAME, OWNER FROM [OWNER].REMOTE_LIBRARIES ORDER BY LIBRARY_NAME"});
    EXPECT_EQ(libraries.status, 0) << libraries.err;
    EXPECT_EQ(libraries.out, "LIBRARY_NAME\tOWNER\nARCHIVE\tDOCSADM\nARCHIVE2\tDOCSADM\nDOCS\tDOCSADM\n");

    Outcome failed = Run({"sql", Site(), "DOCS", "SELECT * FROM [OWNER].NOPE"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("SQL Error #208"), std::string::npos) << failed.err;

    Outcome insert = Run({"sql", Site(), "DOCS",
                          "INSERT INTO [OWNER].PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, APPLICATION) "
                          "SELECT 9001, 1, 0, SYSTEM_ID FROM [OWNER].APPS WHERE APPLICATION = 'FOLDER'"});
    EXPECT_EQ(insert.out, "1 row(s) affected\n");
    Run({"sql", Site(), "DOCS", "INSERT INTO [OWNER].PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, APPLICATION) "
                                "VALUES (9002, 2, 0, 77), (9003, 3, 0, 77)"});
    Outcome queued = Run({"queue", Site(), "DOCS", "Archive"});
    EXPECT_EQ(queued.status, 0) << queued.err;
    EXPECT_EQ(queued.out, "2 document(s) queued in DOCS for ARCHIVE\n");
    Outcome named = Run({"queue", Site(), "DOCS", "ARCHIVE2", "3"});
    EXPECT_EQ(named.out, "1 document(s) queued in DOCS for ARCHIVE2\n");

    Outcome dump = Run({"dump", Site(), "DOCS", "NEEDS_ARCHIVING"});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out.substr(0, dump.out.find('\n')),
              "TABLE_NAME\tLOCKED_BY\tSID\tRETRY_COUNT\tSTATUS\tDOCSTATUS\tTARGET_LIBRARY\tLOCK_TIME\tLAST_UPDATE");
    EXPECT_NE(dump.out.find("PROFILE\t\t2\t0\t0\t\tARCHIVE\t\t\n"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("PROFILE\t\t3\t0\t0\t\tARCHIVE2\t\t\n"), std::string::npos) << dump.out;
    EXPECT_EQ(Run({"queue", Site(), "DOCS", "NOWHERE"}).status, 1);
}

// The lines of a text run as one batch in one session, so a setting holds
// for the statements after it; a statement may run over several lines.
TEST_F(DmsiteTool, RunsABatchInOneSessionOnASiteOfItsLanguage) {
    ASSERT_EQ(Run({"create", Site(), "--language", "British"}).status, 0);
    EXPECT_NE(Slurp(dir_.path() / "site" / "site.ini").find("language = British\n"), std::string::npos);
    const std::string cast = "SELECT TRY_CAST('11/12/2026' AS DATETIME) AS D";
    EXPECT_EQ(Run({"sql", Site(), "DOCS", cast}).out, "D\n2026-12-11 00:00:00\n");

    Outcome batch = Run({"sql", Site(), "DOCS",
                         "SET DATEFORMAT mdy\n" + cast + "\nSET LANGUAGE Deutsch;\n"
                         "SELECT TRY_CAST('25-Dez-2026' AS DATETIME) AS D, TRY_CAST('25-Dec-2026' AS DATETIME) AS E"});
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(batch.out, "D\n2026-11-12 00:00:00\nD\tE\n2026-12-25 00:00:00\t\n");

    Outcome statements = Run({"sql", Site(), "DOCS",
                              "INSERT INTO [OWNER].ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, START_DATE)\n"
                              "  SELECT 9001, 1, '13/12/2026' UNION ALL\n  SELECT 9002, 1, '14/12/2026'\n"
                              "UPDATE [OWNER].ACTIVITYLOG\n  SET START_DATE = '15/12/2026' WHERE SYSTEM_ID = 9002\n"
                              "SELECT START_DATE FROM [OWNER].ACTIVITYLOG WHERE DOCNUMBER = 1 ORDER BY SYSTEM_ID\n"
                              "SELECT * FROM [OWNER].NOPE\n"
                              "DELETE FROM [OWNER].ACTIVITYLOG"});
    EXPECT_EQ(statements.status, 1);
    EXPECT_EQ(statements.out, "2 row(s) affected\n1 row(s) affected\nSTART_DATE\n2026-12-13 00:00:00\n"
                              "2026-12-15 00:00:00\n");
    EXPECT_NE(statements.err.find("SQL Error #208"), std::string::npos) << statements.err;
    EXPECT_EQ(Run({"sql", Site(), "DOCS", "SELECT COUNT(*) AS N FROM [OWNER].ACTIVITYLOG"}).out, "N\n2\n")
        << "the batch stops at the statement that fails";

    // A trigger's body is the rest of the batch.
    Outcome trigger = Run({"sql", Site(), "DOCS",
                           "DELETE FROM [OWNER].ACTIVITYLOG\n"
                           "CREATE TRIGGER [OWNER].MARK ON [OWNER].PROFILE FOR INSERT AS\nBEGIN\n"
                           "  INSERT INTO [OWNER].ACTIVITYLOG (SYSTEM_ID, DOCNUMBER) SELECT 9003, DOCNUMBER FROM INSERTED\n"
                           "  DELETE FROM [OWNER].ACTIVITYLOG WHERE SYSTEM_ID = 9001\nEND"});
    EXPECT_EQ(trigger.status, 0) << trigger.err;
    EXPECT_EQ(trigger.out, "2 row(s) affected\n0 row(s) affected\n");
    EXPECT_EQ(Run({"triggers", Site(), "DOCS"}).out, "TRIGGER\tTABLE\nMARK\tPROFILE\n");
}

TEST_F(DmsiteTool, DemoSiteHasLookupRowsInEveryLibraryAndDocumentsInDocs) {
    ASSERT_EQ(Run({"create", Site(), "--demo"}).status, 0);
    auto count = [&](const char* library, const std::string& sql) {
        Outcome o = Run({"sql", Site(), library, sql});
        EXPECT_EQ(o.status, 0) << sql << o.err;
        std::string out = o.out.substr(o.out.find('\n') + 1);
        return std::atol(out.c_str());
    };
    for (const char* library : {"DOCS", "ARCHIVE", "ARCHIVE2"}) {
        EXPECT_EQ(count(library, "SELECT COUNT(*) FROM [OWNER].PEOPLE WHERE USER_ID IN ('JSMITH', 'MJONES')"), 2)
            << library;
        EXPECT_EQ(count(library, "SELECT COUNT(*) FROM [OWNER].APPS"), 5) << library;
    }
    EXPECT_EQ(count("ARCHIVE", "SELECT COUNT(*) FROM [OWNER].PROFILE"), 0);

    const std::string documents = "FROM [OWNER].PROFILE P JOIN [OWNER].APPS A ON A.SYSTEM_ID = P.APPLICATION "
                                  "WHERE A.APPLICATION <> 'FOLDER'";
    EXPECT_EQ(count("DOCS", "SELECT COUNT(*) " + documents), 36);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(DISTINCT A.APPLICATION) " + documents), 4);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(DISTINCT P.AUTHOR) " + documents), 4);
    EXPECT_GE(count("DOCS", "SELECT COUNT(DISTINCT P.MATTER) " + documents), 2);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(*) FROM [OWNER].FOLDER"), 4);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(*) FROM [OWNER].ROOT_OBJECT"), 1);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(*) FROM [OWNER].FOLDER_ITEM WHERE NODE_TYPE = 'F'"), 2) << "nested";
    EXPECT_GT(count("DOCS", "SELECT COUNT(*) FROM [OWNER].FOLDER_ITEM WHERE NODE_TYPE = 'D'"), 20);
    EXPECT_GT(count("DOCS", "SELECT COUNT(*) FROM [OWNER].VERSIONS"), 60);
    EXPECT_GT(count("DOCS", "SELECT COUNT(*) FROM [OWNER].VERSIONS WHERE SUBVERSION <> '!'"), 0);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(*) FROM [OWNER].VERSIONS WHERE VERSION_LABEL = 'A'"), 1);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(*) FROM [OWNER].COMPONENTS WHERE FILE_SIZE = 0"), 0);
    EXPECT_GT(count("DOCS", "SELECT COUNT(*) FROM [OWNER].SECURITY S JOIN [OWNER].PEOPLE P ON "
                            "P.SYSTEM_ID = S.PERSONORGROUP"),
              0);
    EXPECT_GT(count("DOCS", "SELECT COUNT(*) FROM [OWNER].SECURITY S JOIN [OWNER].GROUPS G ON "
                            "G.SYSTEM_ID = S.PERSONORGROUP"),
              0);
    EXPECT_EQ(count("DOCS", "SELECT COUNT(*) FROM [OWNER].RELATED"), 24);
    EXPECT_GT(count("DOCS", "SELECT COUNT(*) FROM [OWNER].ACTIVITYLOG"), 72);

    // Every component file is on the document server, with its bytes.
    Outcome files = Run({"sql", Site(), "DOCS",
                         "SELECT P.DOCSERVER_LOC + P.PATH + C.PATH, C.FILE_SIZE FROM [OWNER].COMPONENTS C "
                         "JOIN [OWNER].PROFILE P ON P.DOCNUMBER = C.DOCNUMBER"});
    std::istringstream lines(files.out);
    std::string line;
    std::getline(lines, line);
    int checked = 0;
    while (std::getline(lines, line)) {
        std::string path = line.substr(0, line.find('\t'));
        long size = std::atol(line.c_str() + line.find('\t') + 1);
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
        EXPECT_EQ(static_cast<long>(std::filesystem::file_size(path)), size) << path;
        ++checked;
    }
    EXPECT_GT(checked, 60);
    EXPECT_EQ(Run({"queue", Site(), "DOCS", "ARCHIVE"}).out, "36 document(s) queued in DOCS for ARCHIVE\n");
}

TEST_F(DmsiteTool, AddDocsMakesDocumentsWithVersionsOfTheGivenSize) {
    ASSERT_EQ(Run({"create", Site()}).status, 0);
    Outcome added = Run({"add-docs", Site(), "archive", "3", "2", "100"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "3 document(s) with 2 version(s) of 100 byte(s) added to ARCHIVE (#50001 to #50003)\n");
    Outcome sizes = Run({"sql", Site(), "ARCHIVE",
                         "SELECT COUNT(*), MIN(FILE_SIZE), MAX(FILE_SIZE) FROM [OWNER].COMPONENTS"});
    EXPECT_EQ(sizes.out.substr(sizes.out.find('\n') + 1), "6\t100\t100\n");
    // Every library knows the documents' application, so they can be copied
    // anywhere.
    for (const char* library : {"DOCS", "ARCHIVE", "ARCHIVE2"}) {
        Outcome apps = Run({"sql", Site(), library, "SELECT COUNT(*) FROM [OWNER].APPS WHERE APPLICATION = 'MS WORD'"});
        EXPECT_EQ(apps.out.substr(apps.out.find('\n') + 1), "1\n") << library;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{{"add-docs", Site(), "DOCS", "0", "1", "10"},
                                                                 {"add-docs", Site(), "DOCS", "1", "x", "10"},
                                                                 {"add-docs", Site(), "DOCS", "1", "1"}}) {
        EXPECT_EQ(Run(args).status, 2);
    }
    EXPECT_EQ(Run({"add-docs", Site(), "NOWHERE", "1", "1", "1"}).status, 1);
}

// Every file below a folder with its bytes, by relative path.
std::map<std::string, std::string> FilesBelow(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (e.is_regular_file()) files[e.path().lexically_relative(dir).string()] = Slurp(e.path());
    }
    return files;
}

TEST_F(DmsiteTool, ACopiedSiteIsRefusedUntilRelocated) {
    // A site of this version records its folder; an older one is told by
    // its DOCSERVERS rows.
    for (bool recorded : {true, false}) {
        SCOPED_TRACE(recorded ? "recorded folder" : "no recorded folder");
        const std::string original = (dir_.path() / (recorded ? "new" : "old")).string();
        const std::string copy = original + "-copy";
        ASSERT_EQ(Run({"create", original}).status, 0);
        if (!recorded) {
            std::string text = Slurp(original + "/site.ini");
            const size_t at = text.find("folder = ");
            ASSERT_NE(at, std::string::npos);
            text.erase(at, text.find('\n', at) + 1 - at);
            std::ofstream(original + "/site.ini", std::ios::trunc) << text;
        }
        std::filesystem::copy(original, copy, std::filesystem::copy_options::recursive);

        const std::string locations = "SELECT LOCATION FROM [OWNER].DOCSERVERS";
        for (const auto& args : std::vector<std::vector<std::string>>{{"sql", copy, "DOCS", locations},
                                                                     {"queue", copy, "DOCS", "ARCHIVE"},
                                                                     {"add-docs", copy, "DOCS", "1", "1", "10"}}) {
            Outcome refused = Run(args);
            EXPECT_EQ(refused.status, 1) << args[0];
            EXPECT_NE(refused.err.find("point into " + original + ", not into its own folder " + copy),
                      std::string::npos)
                << refused.err;
            EXPECT_NE(refused.err.find("run: dmsite relocate " + copy + "\n"), std::string::npos) << refused.err;
        }

        Outcome relocated = Run({"relocate", copy});
        ASSERT_EQ(relocated.status, 0) << relocated.err;
        EXPECT_NE(relocated.out.find("ARCHIVE DOCSERVERS.LOCATION: " + original + "/docserver/ARCHIVE/ -> " + copy +
                                     "/docserver/ARCHIVE/ (1 row(s))\n"),
                  std::string::npos)
            << relocated.out;
        EXPECT_NE(relocated.out.find("Site relocated to " + copy + "\n"), std::string::npos);
        EXPECT_EQ(Run({"sql", copy, "DOCS", locations}).out, "LOCATION\n" + copy + "/docserver/DOCS/\n");
        EXPECT_EQ(Run({"sql", original, "DOCS", locations}).out, "LOCATION\n" + original + "/docserver/DOCS/\n");
        EXPECT_NE(Run({"relocate", copy}).out.find("already"), std::string::npos);
    }
}

TEST_F(DmsiteTool, CopyingASiteRelocatesItsOwnLocationsAndNamesOthers) {
    const std::string source = Site();
    const std::string target = (dir_.path() / "copy").string();
    const std::string elsewhere = (dir_.path() / "other" / "docserver" / "DOCS").string() + "/";
    ASSERT_EQ(Run({"create", source, "--demo"}).status, 0);
    // A metadata-only archive: its documents name the files of DOCS, and of
    // a library in another site.
    Outcome archived = Run({"sql", source, "ARCHIVE",
                            "INSERT INTO [OWNER].PROFILE (SYSTEM_ID, DOCNUMBER, STATUS, DOCSERVER_LOC, PATH) VALUES "
                            "(90001, 1, 0, '" + source + "/docserver/DOCS/', 'DOCSADM/'), "
                            "(90002, 2, 0, '" + elsewhere + "', 'DOCSADM/')"});
    ASSERT_EQ(archived.status, 0) << archived.err;

    Outcome copied = Run({"copy", source, target});
    ASSERT_EQ(copied.status, 0) << copied.err;
    EXPECT_NE(copied.out.find("ARCHIVE PROFILE.DOCSERVER_LOC: " + source + "/docserver/DOCS/ -> " + target +
                              "/docserver/DOCS/ (1 row(s))\n"),
              std::string::npos)
        << copied.out;
    EXPECT_NE(copied.out.find("ARCHIVE PROFILE.DOCSERVER_LOC: " + elsewhere +
                              " left as it is, in another folder (1 row(s))\n"),
              std::string::npos)
        << copied.out;

    const std::string archive = "SELECT DOCNUMBER, DOCSERVER_LOC FROM [OWNER].PROFILE ORDER BY DOCNUMBER";
    Outcome copyRows = Run({"sql", target, "ARCHIVE", archive});
    EXPECT_EQ(copyRows.status, 0) << copyRows.err;
    EXPECT_EQ(copyRows.out, "DOCNUMBER\tDOCSERVER_LOC\n1\t" + target + "/docserver/DOCS/\n2\t" + elsewhere + "\n");
    EXPECT_EQ(Run({"sql", source, "ARCHIVE", archive}).out,
              "DOCNUMBER\tDOCSERVER_LOC\n1\t" + source + "/docserver/DOCS/\n2\t" + elsewhere + "\n");
    Outcome foreign = Run({"sql", target, "DOCS",
                           "SELECT COUNT(*) AS N FROM [OWNER].PROFILE WHERE DOCSERVER_LOC NOT LIKE '" + target +
                               "/%'"});
    EXPECT_EQ(foreign.out, "N\n0\n") << foreign.err;
    EXPECT_EQ(FilesBelow(target + "/docserver"), FilesBelow(source + "/docserver"));
    EXPECT_EQ(Run({"sql", target, "DOCS", "SELECT COUNT(*) FROM [OWNER].VERSIONS"}).out,
              Run({"sql", source, "DOCS", "SELECT COUNT(*) FROM [OWNER].VERSIONS"}).out);

    Outcome again = Run({"copy", source, target});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("not an empty folder"), std::string::npos) << again.err;
    EXPECT_EQ(Run({"copy", source, source + "/inside"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(source + "/inside"));
}

}  // namespace
