#pragma once
// One library's database as the emulator's object code uses it: an SQLite
// connection whose main database is empty and in memory, with the library's
// file attached under its schema owner, so that "DOCSADM.PROFILE" resolves
// and unqualified names find this library's tables only. The file runs in
// WAL mode and a locked database waits (busy timeout) instead of failing.
//
// Statements here are SQLite text with "?" parameters; the SQL Server
// dialect of the program goes through TsqlExecutor instead.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "dmsim/date_text.h"
#include "dmsim/site_spec.h"
#include "dmsim/sqlite_handle.h"

namespace dmsim {

class TsqlExecutor;

// Names of the key counters the emulator keeps in its own table.
inline constexpr const char* kSystemKeyCounter = "SYSTEMKEY";
inline constexpr const char* kVersionsCounter = "VERSIONS";
// The emulator's own table of key counters (not a DM table).
inline constexpr const char* kKeyTable = "DMSIM_KEYS";

class LibraryDb {
public:
    // Opens (creating the file when missing) without touching the schema.
    LibraryDb(LibrarySpec spec, const std::filesystem::path& siteDir, ClockFn clock);
    ~LibraryDb();
    LibraryDb(const LibraryDb&) = delete;
    LibraryDb& operator=(const LibraryDb&) = delete;

    const LibrarySpec& Spec() const { return spec_; }
    const std::string& Name() const { return spec_.name; }
    const std::string& Owner() const { return spec_.owner; }
    bool CaseSensitive() const { return spec_.caseSensitive; }
    const std::filesystem::path& DatabaseFile() const { return databaseFile_; }
    SqliteConnection& Connection() { return *connection_; }

    // "OWNER.NAME" for a table of this library.
    std::string Table(std::string_view name) const;

    int64_t Exec(std::string_view sql, const std::vector<SqlValue>& params = {});
    SqlRows Query(std::string_view sql, const std::vector<SqlValue>& params = {});
    SqlValue QueryValue(std::string_view sql, const std::vector<SqlValue>& params = {});
    bool TableExists(std::string_view name);

    // Runs fn inside one write transaction (taken at once, so two processes
    // never interleave it); undoes it when fn throws.
    template <typename Fn>
    auto InTransaction(Fn&& fn) -> decltype(fn());

    // Work on files that must wait for the open transaction: done at its
    // commit, or undone at its rollback; done at once outside a transaction.
    void AfterCommit(std::function<void()> done, std::function<void()> undone);
    // The outermost transaction ended; runs the waiting work of one kind.
    void TransactionEnded(bool committed);

    // Next value of a key counter; 0 when none can be had.
    int32_t NextKey(std::string_view counter);
    int32_t NextSystemKey() { return NextKey(kSystemKeyCounter); }
    int32_t NextVersionId() { return NextKey(kVersionsCounter); }
    // Lifts the counters above every id in use (after fixture SQL wrote ids
    // of its own).
    void RaiseKeysAboveUsedIds();

    // The clock: "now", and now as the library's date text (UTC).
    TimePoint Now() const;
    std::string NowText() const;
    // While a statement runs, every read of the clock answers the same time.
    class FrozenClock {
    public:
        explicit FrozenClock(LibraryDb& db);
        ~FrozenClock();

    private:
        LibraryDb& db_;
        bool outer_;
    };

    // The document-server folder and its text as DOCSERVER_LOC stores it
    // (ends with a separator).
    const std::filesystem::path& DocServerDir() const { return docServerDir_; }
    std::string DocServerLoc() const;

    // The SQL Server dialect runner of this library.
    TsqlExecutor& Tsql();

    // How the connection reads date texts: the server's default language and
    // date format until SET LANGUAGE or SET DATEFORMAT changes them.
    const DateSettings& DateReading() const { return dateReading_; }
    void SetDateReading(const DateSettings& settings) { dateReading_ = settings; }

private:
    void CreateCatalogueView();
    bool InOpenTransaction() const;

    LibrarySpec spec_;
    std::filesystem::path databaseFile_;
    std::filesystem::path docServerDir_;
    ClockFn clock_;
    std::optional<TimePoint> frozenNow_;
    DateSettings dateReading_ = DefaultDateSettings();
    std::unique_ptr<SqliteConnection> connection_;
    std::unique_ptr<TsqlExecutor> tsql_;
    std::vector<std::pair<std::function<void()>, std::function<void()>>> afterCommit_;
};

template <typename Fn>
auto LibraryDb::InTransaction(Fn&& fn) -> decltype(fn()) {
    // Inside a transaction the program opened, a savepoint undoes fn alone.
    const bool nested = InOpenTransaction();
    connection_->ExecScript(nested ? "SAVEPOINT dmsim_work" : "BEGIN IMMEDIATE");
    const char* done = nested ? "RELEASE dmsim_work" : "COMMIT";
    try {
        if constexpr (std::is_void_v<decltype(fn())>) {
            fn();
            connection_->ExecScript(done);
            if (!nested) TransactionEnded(true);
        } else {
            auto result = fn();
            connection_->ExecScript(done);
            if (!nested) TransactionEnded(true);
            return result;
        }
    } catch (...) {
        try {
            connection_->ExecScript(nested ? "ROLLBACK TO dmsim_work; RELEASE dmsim_work" : "ROLLBACK");
        } catch (...) {
        }
        if (!nested) TransactionEnded(false);
        throw;
    }
}

// Quotes a name for SQLite: "NAME".
std::string QuoteName(std::string_view name);

}  // namespace dmsim
