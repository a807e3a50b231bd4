// Speed of the emulator on the program's hot paths: translating a
// statement, running a statement through the SQL object, drawing keys,
// locking and releasing queue batches, creating a library; saving documents
// with versions (with and without the queue trigger installed), opening
// profiles and their files, filing into a large folder.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "core/sql_text.h"
#include "dmclient/dm_factory.h"
#include "dmsim/document_maker.h"
#include "dmsim/emulator.h"
#include "dmsim/library_db.h"
#include "dmsim/queue_table.h"
#include "dmsim/site_builder.h"
#include "dmsim/sql_translator.h"
#include "install/queue_trigger.h"

namespace {

const char* kBatchLock =
    "UPDATE DOCSADM.NEEDS_ARCHIVING SET STATUS = -1, LOCKED_BY = 'PC7' FROM (SELECT TOP 5 * FROM "
    "DOCSADM.NEEDS_ARCHIVING WHERE (STATUS = 0 OR STATUS IS NULL) AND (LTRIM(RTRIM(LOCKED_BY)) = '' OR "
    "LTRIM(RTRIM(LOCKED_BY)) IS NULL OR LTRIM(RTRIM(LOCKED_BY)) = 'PC7') AND LTRIM(RTRIM(TARGET_LIBRARY)) "
    "= 'ARCHIVE' ORDER BY SID ASC) AS NA WHERE NEEDS_ARCHIVING.SID = NA.SID AND "
    "NEEDS_ARCHIVING.TARGET_LIBRARY = NA.TARGET_LIBRARY";

class TempSite {
public:
    TempSite() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("dmsim-bench-" + std::to_string(rd()));
    }
    ~TempSite() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

void BM_TranslateBatchLock(benchmark::State& state) {
    dmsim::DialectOptions options;
    for (auto _ : state) benchmark::DoNotOptimize(dmsim::TranslateStatement(kBatchLock, options));
}
BENCHMARK(BM_TranslateBatchLock);

void BM_CreateSite(benchmark::State& state) {
    for (auto _ : state) {
        TempSite temp;
        dmsim::SiteBuilder site(temp.Dir());
        site.Library("DOCS");
        site.Library("ARCHIVE");
        site.Create();
    }
}
BENCHMARK(BM_CreateSite)->Unit(benchmark::kMillisecond);

// A library with 10,000 profiles and a queue for them.
class Loaded {
public:
    Loaded() {
        dmsim::SiteBuilder site(temp_.Dir());
        site.Library("DOCS");
        site.Library("ARCHIVE");
        site.Create();
        dmsim::LibraryDb& db = site.Db("DOCS");
        dmsim::InstallQueueTable(db);
        db.InTransaction([&] {
            for (int n = 1; n <= 10000; ++n) {
                db.Exec("INSERT INTO PROFILE (SYSTEM_ID, DOCNUMBER, DOCNAME, STATUS, DOCSERVER_LOC, PATH) "
                        "VALUES (?, ?, ?, 0, '/srv/', 'A/')",
                        {int64_t{100000 + n}, int64_t{n}, "Document " + std::to_string(n)});
            }
        });
        emulator_ = std::make_unique<dmsim::Emulator>(temp_.Dir());
        sql_ = emulator_->Factory()->CreateSql(dm::kSqlProgId);
        sql_->SetLibrary("DOCS");
    }
    dm::IDmSql& Sql() { return *sql_; }

private:
    TempSite temp_;
    std::unique_ptr<dmsim::Emulator> emulator_;
    std::shared_ptr<dm::IDmSql> sql_;
};

void BM_SelectProfileByNumber(benchmark::State& state) {
    Loaded site;
    int n = 0;
    for (auto _ : state) {
        n = n % 10000 + 1;
        site.Sql().Execute("SELECT P.DOCSERVER_LOC + P.PATH, P.DOCNAME, P.STATUS FROM DOCSADM.PROFILE P WHERE "
                           "P.DOCNUMBER = " + std::to_string(n));
        benchmark::DoNotOptimize(site.Sql().ColumnValue(1));
        site.Sql().ReleaseResults();
    }
}
BENCHMARK(BM_SelectProfileByNumber);

void BM_RepeatedStatement(benchmark::State& state) {
    Loaded site;
    for (auto _ : state) {
        site.Sql().Execute("SELECT COUNT(*) FROM DOCSADM.NEEDS_ARCHIVING WHERE STATUS = 0 AND TARGET_LIBRARY = 'ARCHIVE'");
        site.Sql().ReleaseResults();
    }
}
BENCHMARK(BM_RepeatedStatement);

void BM_NextSystemKey(benchmark::State& state) {
    Loaded site;
    for (auto _ : state) benchmark::DoNotOptimize(site.Sql().GetNextKey("SYSTEMKEY"));
}
BENCHMARK(BM_NextSystemKey);

// Queue all 10,000 documents, then lock, read back and finish batches of 5.
void BM_QueueBatchCycle(benchmark::State& state) {
    Loaded site;
    dm::IDmSql& sql = site.Sql();
    sql.Execute("INSERT INTO DOCSADM.NEEDS_ARCHIVING (SID, STATUS, LOCKED_BY, RETRY_COUNT, TARGET_LIBRARY, "
                "TABLE_NAME) SELECT DOCNUMBER, 0, '', 0, 'ARCHIVE', 'PROFILE' FROM DOCSADM.PROFILE");
    for (auto _ : state) {
        sql.Execute(kBatchLock);
        if (sql.RowsAffected() == 0) {
            state.SkipWithError("queue ran empty");
            break;
        }
        sql.Execute("SELECT DISTINCT SID FROM DOCSADM.NEEDS_ARCHIVING WHERE STATUS = -1 AND "
                    "LTRIM(RTRIM(LOCKED_BY)) = 'PC7' AND LTRIM(RTRIM(TARGET_LIBRARY)) = 'ARCHIVE' ORDER BY SID");
        std::vector<int32_t> sids;
        for (int32_t r = 0; r < sql.RowCount(); ++r, sql.NextRow()) sids.push_back(sql.ColumnValue(1).ToLong());
        for (int32_t sid : sids) {
            sql.Execute("DELETE FROM DOCSADM.NEEDS_ARCHIVING WHERE UPPER(TARGET_LIBRARY) = 'ARCHIVE' AND SID = " +
                        std::to_string(sid));
        }
    }
}
BENCHMARK(BM_QueueBatchCycle)->Iterations(1000);

// A library with documents made by the DM's own objects.
class Documents {
public:
    explicit Documents(int count) {
        dmsim::SiteBuilder site(temp_.Dir());
        site.Library("DOCS");
        site.Library("ARCHIVE");
        site.Create();
        site.AddApplication("DOCS", "MS WORD", "Word", "DOC");
        emulator_ = std::make_unique<dmsim::Emulator>(temp_.Dir());
        maker_ = std::make_unique<dmsim::DocumentMaker>(*emulator_, "DOCS");
        for (int i = 0; i < count; ++i) numbers_.push_back(Create(3));
        library_ = emulator_->Factory()->CreateApplication(dm::kApplicationClass)->PrimaryLibrary();
    }
    // The queue table and the installation's queue trigger, every library
    // a target.
    void InstallQueueTrigger() {
        dmsim::InstallQueueTable(emulator_->Library("DOCS"));
        auto sql = emulator_->Factory()->CreateSql(dm::kSqlProgId);
        sql->SetLibrary("DOCS");
        sql->Execute(core::SubstituteOwner(install::QueueTriggerText(install::TriggerSelection{}, 1, ""), "DOCSADM"));
    }
    int32_t Create(int versions) {
        dmsim::DocumentSpec spec;
        spec.name = "Document " + std::to_string(numbers_.size());
        for (int v = 0; v < versions; ++v) spec.versions.push_back(dmsim::Version(std::string(4096, 'a' + v)));
        return maker_->Create(spec);
    }
    dmsim::DocumentMaker& Maker() { return *maker_; }
    dm::IDmLibrary& Library() { return *library_; }
    const std::vector<int32_t>& Numbers() const { return numbers_; }

private:
    TempSite temp_;
    std::unique_ptr<dmsim::Emulator> emulator_;
    std::unique_ptr<dmsim::DocumentMaker> maker_;
    dm::LibraryPtr library_;
    std::vector<int32_t> numbers_;
};

void BM_SaveDocumentWithThreeVersions(benchmark::State& state) {
    Documents site(0);
    for (auto _ : state) benchmark::DoNotOptimize(site.Create(3));
}
BENCHMARK(BM_SaveDocumentWithThreeVersions)->Unit(benchmark::kMillisecond);

// Each save and check-in also runs the trigger, which queues the document.
void BM_SaveDocumentWithThreeVersionsAndQueueTrigger(benchmark::State& state) {
    Documents site(0);
    site.InstallQueueTrigger();
    for (auto _ : state) benchmark::DoNotOptimize(site.Create(3));
}
BENCHMARK(BM_SaveDocumentWithThreeVersionsAndQueueTrigger)->Unit(benchmark::kMillisecond);

void BM_OpenProfileVersionsAndFiles(benchmark::State& state) {
    Documents site(1000);
    size_t i = 0;
    for (auto _ : state) {
        auto profile = site.Library().GetProfile(site.Numbers()[i++ % site.Numbers().size()]);
        auto versions = profile->Versions();
        for (int32_t k = 1; k <= versions->Count(); ++k) benchmark::DoNotOptimize(versions->Item(k)->FilePath());
    }
}
BENCHMARK(BM_OpenProfileVersionsAndFiles);

// Filing into and out of a folder that holds 500 items.
void BM_FileIntoLargeFolder(benchmark::State& state) {
    Documents site(501);
    int32_t folder = site.Maker().CreateFolder("Large");
    for (size_t i = 1; i < site.Numbers().size(); ++i) site.Maker().File(site.Numbers()[i], folder);
    auto box = site.Library().GetFolder(folder);
    auto item = site.Library().GetProfile(site.Numbers()[0]);
    for (auto _ : state) {
        box->AddDocument(item->AsProfileObject());
        box->RemoveDocument(item);
    }
}
BENCHMARK(BM_FileIntoLargeFolder);

}  // namespace
