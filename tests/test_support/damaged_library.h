#pragma once
// A library database damaged as a failing disk leaves it: the first page of
// some tables (and of their indexes) is overwritten, while the schema stays
// readable, so the file still opens and a later read of those tables fails
// with "database disk image is malformed" (SQLITE_CORRUPT). The WAL is first
// copied into the file, so a program may hold it open meanwhile; a
// connection that has read those pages already keeps them in its cache
// until it lets them go.

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_support {

// The numbers of the pages overwritten.
inline std::vector<int64_t> DamageTables(const std::filesystem::path& file, const std::vector<std::string>& tables) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + file.string());
    }
    auto fail = [&](const std::string& what) {
        std::string text = what + ": " + sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(text);
    };
    if (sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail("checkpoint");
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &stmt, nullptr) != SQLITE_OK) fail("page size");
    sqlite3_step(stmt);
    const int64_t pageSize = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    std::vector<int64_t> pages;
    if (sqlite3_prepare_v2(db,
                           "SELECT rootpage FROM sqlite_master WHERE tbl_name = ? COLLATE NOCASE AND rootpage > 0",
                           -1, &stmt, nullptr) != SQLITE_OK) {
        fail("schema");
    }
    for (const auto& table : tables) {
        sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(stmt) == SQLITE_ROW) pages.push_back(sqlite3_column_int64(stmt, 0));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    // 0xFF is no page type: the b-tree layer refuses the page.
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    const std::string junk(static_cast<size_t>(pageSize), '\xff');
    for (int64_t page : pages) {
        out.seekp((page - 1) * pageSize);
        out.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return pages;
}

}  // namespace test_support
