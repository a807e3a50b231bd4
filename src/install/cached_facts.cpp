#include "install/cached_facts.h"

#include "core/program.h"
#include "install/queue_table_statements.h"

namespace install {

void RefreshQueueTableFact(core::Program& p) {
    const int row = p.LibraryArray.FindRow(p.ConnectedLibraryName());
    if (row == 0) return;
    p.facts.QueueTableExists = p.TableExists(kQueueTable);
    p.LibraryArray.Cell(row, core::LibraryCache::kQueueTable) = p.facts.QueueTableExists ? "-1" : "0";
}

}  // namespace install
