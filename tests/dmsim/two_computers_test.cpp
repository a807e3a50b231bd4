// Two processes (two computers) lock batches of one queue at once with the
// program's batch-lock statement: no row is ever handed to both. Two
// processes saving documents at once never get the same number, id or file.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "dmclient/dm_factory.h"
#include "dmsim/document_maker.h"
#include "dmsim/emulator.h"
#include "dmsim/library_db.h"
#include "dmsim/queue_table.h"
#include "dmsim/site_builder.h"
#include "test_support/temp_dir.h"

namespace dmsim {
namespace {

constexpr int kQueued = 90;

std::string BatchLock(const std::string& computer) {
    return "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = '" + computer +
           "' FROM (SELECT TOP 3 * FROM DOCSADM.NEEDS_ARCHIVING WHERE (STATUS = 0 OR STATUS IS NULL) "
           "AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR LTRIM(RTRIM(LOCKED_BY)) IS NULL OR "
           "LTRIM(RTRIM(LOCKED_BY)) = '" +
           computer +
           "') AND LTRIM(RTRIM(TARGET_LIBRARY)) = 'ARCHIVE' ORDER BY SID ASC) AS NA WHERE "
           "NEEDS_ARCHIVING.SID = NA.SID AND NEEDS_ARCHIVING.TARGET_LIBRARY = NA.TARGET_LIBRARY";
}

// One computer's run: lock a batch, read it back, finish each document,
// until the target has nothing pending. Exit status 0 when every
// statement succeeded.
int RunComputer(const std::filesystem::path& site, const std::string& computer,
                const std::filesystem::path& out) {
    Emulator emulator(site);
    auto sql = emulator.Factory()->CreateSql(dm::kSqlProgId);
    sql->SetLibrary("DOCS");
    std::ofstream taken(out);
    for (int round = 0; round < 1000; ++round) {
        if (sql->Execute(BatchLock(computer)) != 0) return 2;
        if (sql->RowsAffected() == 0) {
            if (sql->Execute("SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE STATUS = 0 AND "
                             "TARGET_LIBRARY = 'ARCHIVE' AND LOCKED_BY = ''") != 0) {
                return 3;
            }
            if (sql->ColumnValue(1).ToLong() == 0) return 0;
            continue;
        }
        if (sql->Execute("SELECT DISTINCT SID FROM DOCSADM.NEEDS_ARCHIVING WHERE STATUS = -1 AND "
                         "LTRIM(RTRIM(LOCKED_BY)) = '" + computer +
                         "' AND LTRIM(RTRIM(TARGET_LIBRARY)) = 'ARCHIVE' ORDER BY SID") != 0) {
            return 4;
        }
        std::vector<int32_t> sids;
        for (int32_t r = 0; r < sql->RowCount(); ++r, sql->NextRow()) sids.push_back(sql->ColumnValue(1).ToLong());
        for (int32_t sid : sids) {
            taken << sid << "\n" << std::flush;
            if (sql->Execute("DELETE FROM DOCSADM.NEEDS_ARCHIVING WHERE UPPER(TARGET_LIBRARY) = 'ARCHIVE' "
                             "AND SID = " + std::to_string(sid)) != 0) {
                return 5;
            }
        }
    }
    return 6;
}

std::vector<int32_t> ReadNumbers(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<int32_t> numbers;
    for (int32_t n; in >> n;) numbers.push_back(n);
    return numbers;
}

TEST(TwoComputers, NeverLockTheSameQueueRow) {
    test_support::TempDir dir;
    {
        SiteBuilder site(dir.path());
        site.Library("DOCS");
        site.Library("ARCHIVE");
        site.Library("ARCHIVE2");
        site.Create();
        LibraryDb& db = site.Db("DOCS");
        InstallQueueTable(db);
        for (int sid = 1; sid <= kQueued; ++sid) {
            db.Exec("INSERT INTO NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, "
                    "TABLE_NAME) VALUES (?, 0, '', 0, 'ARCHIVE', 'PROFILE'), (?, 0, '', 0, 'ARCHIVE2', "
                    "'PROFILE')",
                    {int64_t{sid}, int64_t{sid}});
        }
        db.Exec("INSERT INTO NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, TARGET_LIBRARY) VALUES "
                "(500, 0, 'SYSTEM', 'ARCHIVE')");
    }

    int start[2];
    ASSERT_EQ(pipe(start), 0);
    const std::string names[] = {"PC-A", "PC-B"};
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        children[i] = fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) {
            close(start[1]);
            char go;
            // Both computers begin together.
            if (read(start[0], &go, 1) < 0) _exit(9);
            _exit(RunComputer(dir.path(), names[i], dir.path() / (names[i] + ".txt")));
        }
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    auto a = ReadNumbers(dir.path() / "PC-A.txt");
    auto b = ReadNumbers(dir.path() / "PC-B.txt");
    std::set<int32_t> all;
    for (int32_t n : a) EXPECT_TRUE(all.insert(n).second) << n << " taken twice";
    for (int32_t n : b) EXPECT_TRUE(all.insert(n).second) << n << " taken by both computers";
    EXPECT_EQ(all.size(), static_cast<size_t>(kQueued));
    EXPECT_EQ(*all.begin(), 1);
    EXPECT_EQ(*all.rbegin(), kQueued);

    Emulator emulator(dir.path());
    LibraryDb& db = emulator.Library("DOCS");
    EXPECT_EQ(AsInt(db.QueryValue("SELECT COUNT(*) FROM NEEDS_ARCHIVING WHERE TARGET_LIBRARY = 'ARCHIVE2' "
                                  "AND STATUS = 0 AND LOCKED_BY = ''")),
              kQueued)
        << "the other target's rows are untouched";
    EXPECT_EQ(AsInt(db.QueryValue("SELECT COUNT(*) FROM NEEDS_ARCHIVING WHERE LOCKED_BY = 'SYSTEM'")), 1)
        << "a parked row is never locked";
}

// Forks `count` processes that each run fn after a common start; expects
// each to exit 0.
void RunTogether(int count, const std::function<int(int)>& fn) {
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(start[1]);
            char go;
            if (read(start[0], &go, 1) < 0) _exit(9);
            _exit(fn(i));
        }
        children.push_back(child);
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

TEST(TwoComputers, SaveDocumentsUnderDistinctNumbersIdsAndFiles) {
    constexpr int kEach = 15;
    test_support::TempDir dir;
    {
        SiteBuilder site(dir.path());
        site.Library("DOCS");
        site.Create();
        site.AddApplication("DOCS", "MS WORD", "Word", "DOC");
    }
    RunTogether(2, [&](int computer) {
        try {
            Emulator emulator(dir.path());
            DocumentMaker docs(emulator, "DOCS");
            for (int i = 0; i < kEach; ++i) {
                DocumentSpec spec;
                spec.name = "PC" + std::to_string(computer) + " document " + std::to_string(i);
                spec.versions = {Version(spec.name), Version(spec.name + " again")};
                docs.Create(spec);
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "computer %d: %s\n", computer, e.what());
            return 1;
        }
        return 0;
    });
    Emulator emulator(dir.path());
    LibraryDb& db = emulator.Library("DOCS");
    EXPECT_EQ(AsInt(db.QueryValue("SELECT COUNT(DISTINCT DOCNUMBER) FROM PROFILE")), 2 * kEach);
    EXPECT_EQ(AsInt(db.QueryValue("SELECT COUNT(DISTINCT SYSTEM_ID) FROM PROFILE")), 2 * kEach);
    EXPECT_EQ(AsInt(db.QueryValue("SELECT MAX(LASTKEY) FROM SEQ_PROFILE")), 2 * kEach);
    EXPECT_EQ(AsInt(db.QueryValue("SELECT COUNT(DISTINCT PATH) FROM COMPONENTS")), 4 * kEach);
    // Every file holds what its own document was given.
    auto rows = db.Query("SELECT P.DOCSERVER_LOC || P.PATH || C.PATH, P.DOCNAME, V.VERSION FROM COMPONENTS C "
                         "JOIN VERSIONS V ON V.VERSION_ID = C.VERSION_ID JOIN PROFILE P ON P.DOCNUMBER = C.DOCNUMBER");
    ASSERT_EQ(rows.rows.size(), static_cast<size_t>(4 * kEach));
    for (const auto& r : rows.rows) {
        std::ifstream in(AsText(r[0]), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        EXPECT_EQ(content.str(), AsText(r[1]) + (AsInt(r[2]) == 1 ? "" : " again")) << AsText(r[0]);
    }
}

}  // namespace
}  // namespace dmsim
