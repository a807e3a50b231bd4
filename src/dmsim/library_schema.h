#pragma once
// The DM tables of a library, their data-dictionary rows (DOCSTABLE,
// DOCSCOLUMN) and the rows a fresh library starts with.

#include <optional>
#include <string>
#include <vector>

#include "dmsim/site_spec.h"

namespace dmsim {

struct ColumnDef {
    std::string name;
    std::string type;  // SQL Server type: INT, VARCHAR(n), CHAR(n), DATETIME, FLOAT
    bool notNull = false;
    std::string cmsKey;  // DOCSCOLUMN.CMSKEY: P, C, X, F, N or ""
    std::string foreignTable;
    std::string foreignColumn;
    std::optional<OptionalColumn> optional;
};

struct TableDef {
    std::string name;
    std::string description;
    std::vector<ColumnDef> columns;
    // Column groups that are unique (primary and candidate keys).
    std::vector<std::vector<std::string>> uniqueKeys;
    bool lookup = false;  // DOCSTABLE.VALIDATION_TABLE
};

// Every DM table of a library, in creation order. KEST_SETTINGS is among
// them; a library holds it only where the site says.
const std::vector<TableDef>& DmTables();
const TableDef* FindTable(const std::string& name);

// DOCSCOLUMN codes of a column type: CMSTYPE and COL_LENGTH.
int CmsType(const std::string& sqlServerType);
int ColumnLength(const std::string& sqlServerType);

// The constraint that makes a text column refuse what does not fit, as SQL
// Server refuses to cut a value.
std::string WidthCheck(const std::string& column, int width);

// The SQLite CREATE TABLE text of a table for a library (optional columns it
// lacks left out, text columns with the library's collation).
std::string CreateTableSql(const TableDef& table, const LibrarySpec& library);

}  // namespace dmsim
