#pragma once
// The whole result of one statement, as the SQL object holds it.

#include <cstdint>
#include <string>
#include <vector>

#include "dmclient/variant.h"

namespace dmsim {

struct SqlResult {
    int32_t status = 0;     // what Execute answers; 0 for success
    int32_t errorCode = 0;  // ErrorCode; 0 after a success
    std::string errorText;  // ErrorText
    std::vector<std::string> columnNames;
    std::vector<std::string> columnTypes;  // declared types, for ColumnInfo
    std::vector<std::vector<dm::Variant>> rows;
    int32_t rowsAffected = 0;

    static SqlResult Query(std::vector<std::string> columns,
                           std::vector<std::vector<dm::Variant>> rows) {
        SqlResult r;
        r.columnNames = std::move(columns);
        r.columnTypes.resize(r.columnNames.size());
        r.rows = std::move(rows);
        return r;
    }
    static SqlResult Changed(int32_t rows) {
        SqlResult r;
        r.rowsAffected = rows;
        return r;
    }
    static SqlResult Failure(int32_t code, std::string text) {
        SqlResult r;
        r.status = code;
        r.errorCode = code;
        r.errorText = std::move(text);
        return r;
    }
};

}  // namespace dmsim
