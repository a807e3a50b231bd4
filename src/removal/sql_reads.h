#pragma once
// Reading the current result of the SQL object after RunSQL. A missing SQL
// object reads as an empty result; a refused read throws DmError like the
// DM call it is.

#include <cstdint>
#include <string>

namespace core {
class Program;
}

namespace removal {

// Column of the current row as text; "" for NULL and for no row.
std::string ColumnText(core::Program& p, int32_t column);
// The leading number of the column's text; 0 when it has none.
double ColumnNumber(core::Program& p, int32_t column);
// The column's leading number as plain digits ("0" when it has none).
std::string ColumnWhole(core::Program& p, int32_t column);
int32_t RowCount(core::Program& p);
bool NextRow(core::Program& p);
void Release(core::Program& p);

}  // namespace removal
