// Speed of the rewrites every statement passes before it is run: the owner
// marker and the whole chain for both engines.

#include <benchmark/benchmark.h>

#include "core/sql_text.h"

namespace {

const char* kProfileInsert =
    "INSERT INTO [OWNER].ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, VERSION_LABEL, ACTIVITY_TYPE, ACTIVITY_DESC, "
    "ACTIVITY_DATETIME, TYPIST, AUTHOR, APPLICATION, REF_DOCUMENT, REF_LIBRARY) SELECT 51234, P.DOCNUMBER, '1', 0, "
    "'Copied to ARCHIVE as #50001 by [Owner] ''Benchmark''', GETUTCDATE(), P.TYPIST, P.AUTHOR, P.APPLICATION, "
    "50001, (SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE LIBRARY_NAME = 'ARCHIVE') FROM [OWNER].PROFILE P "
    "WHERE P.DOCNUMBER = 1234 AND object_id('[OWNER].NEEDS_ARCHIVING') IS NOT NULL";

void BM_SubstituteOwner(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(core::SubstituteOwner(kProfileInsert, "DOCSADM"));
}
BENCHMARK(BM_SubstituteOwner);

void BM_RewriteStatementSqlServer(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(core::RewriteStatement(kProfileInsert, "DOCSADM", "10", 1, "15", false));
    }
}
BENCHMARK(BM_RewriteStatementSqlServer);

void BM_RewriteStatementOracle(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(core::RewriteStatement(kProfileInsert, "DOCSADM", "10", 2, "19", false));
    }
}
BENCHMARK(BM_RewriteStatementOracle);

}  // namespace
