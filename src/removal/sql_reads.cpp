#include "removal/sql_reads.h"

#include "core/program.h"
#include "dmclient/variant.h"

namespace removal {

std::string ColumnText(core::Program& p, int32_t column) {
    auto& sql = p.session.PcdSql;
    return sql ? sql->ColumnValue(column).ToText() : std::string();
}

double ColumnNumber(core::Program& p, int32_t column) { return dm::LeadingNumber(ColumnText(p, column)); }

std::string ColumnWhole(core::Program& p, int32_t column) { return dm::FormatWhole(ColumnNumber(p, column)); }

int32_t RowCount(core::Program& p) {
    auto& sql = p.session.PcdSql;
    return sql ? sql->RowCount() : 0;
}

bool NextRow(core::Program& p) {
    auto& sql = p.session.PcdSql;
    return sql && sql->NextRow();
}

void Release(core::Program& p) {
    if (auto& sql = p.session.PcdSql) sql->ReleaseResults();
}

}  // namespace removal
