// The dmsite tool from a fresh build: the binary itself, as a user runs it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
         {"create DIR", "add-docs DIR LIBRARY N V S", "sql DIR LIBRARY", "queue DIR SOURCE TARGET", "dump DIR"}) {
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"bogus"}, {"create"}, {"create", Site(), "--fast"}, {"sql", Site(), "DOCS"},
             {"queue", Site(), "DOCS", "ARCHIVE", "12x"}, {"dump", Site(), "DOCS", "PROFILE; DROP"}}) {
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
    for (const auto& args : std::vector<std::vector<std::string>>{{"add-docs", Site(), "DOCS", "0", "1", "10"},
                                                                 {"add-docs", Site(), "DOCS", "1", "x", "10"},
                                                                 {"add-docs", Site(), "DOCS", "1", "1"}}) {
        EXPECT_EQ(Run(args).status, 2);
    }
    EXPECT_EQ(Run({"add-docs", Site(), "NOWHERE", "1", "1", "1"}).status, 1);
}

}  // namespace
