#include "install/cached_facts.h"

#include "core/program.h"
#include "install/queue_table_statements.h"

namespace install {

void RefreshQueueTableFact(core::Program& p) {
    const int row = p.LibraryArray.FindRow(p.ConnectedLibraryName());
    if (row == 0) return;
    // A look the catalogue refused tells nothing: the fact stays as known.
    const std::optional<bool> listed = p.TableListed(kQueueTable);
    if (!listed) return;
    p.facts.QueueTableExists = *listed;
    p.LibraryArray.Cell(row, core::LibraryCache::kQueueTable) = p.facts.QueueTableExists ? "-1" : "0";
}

}  // namespace install
