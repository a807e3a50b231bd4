#pragma once
// SQL Server error numbers and texts the emulated SQL object answers. The
// program treats 0, 3 and 9 as success and 0x80010105 as an unreachable
// server, so no error here ever carries one of those.

#include <cstdint>
#include <string>
#include <string_view>

namespace dmsim {

class SqliteError;

namespace sqlerr {
inline constexpr int32_t kSyntax = 102;
inline constexpr int32_t kUnclosedQuote = 105;
inline constexpr int32_t kMissingCommentEnd = 113;
inline constexpr int32_t kArgumentCount = 174;
inline constexpr int32_t kUnknownFunction = 195;
inline constexpr int32_t kInvalidColumn = 207;
inline constexpr int32_t kInvalidObject = 208;
inline constexpr int32_t kAmbiguousColumn = 209;
inline constexpr int32_t kDateConversion = 241;
inline constexpr int32_t kUnknownType = 243;
inline constexpr int32_t kIntConversion = 245;
inline constexpr int32_t kNotNull = 515;
inline constexpr int32_t kLockTimeout = 1222;
inline constexpr int32_t kIndexExists = 1913;
inline constexpr int32_t kTriggerSchema = 2103;
inline constexpr int32_t kDuplicateKey = 2627;
inline constexpr int32_t kObjectExists = 2714;
inline constexpr int32_t kUnknownDataType = 2715;
inline constexpr int32_t kUnknownLanguage = 2740;
inline constexpr int32_t kUnknownDateFormat = 2741;
inline constexpr int32_t kUnknownSchema = 2760;
inline constexpr int32_t kCannotDrop = 3701;
inline constexpr int32_t kCommitWithoutBegin = 3902;
inline constexpr int32_t kRollbackWithoutBegin = 3903;
inline constexpr int32_t kNoDatabase = 4060;
inline constexpr int32_t kOldOuterJoin = 4147;
inline constexpr int32_t kNumericConversion = 8114;
inline constexpr int32_t kTruncated = 8152;
inline constexpr int32_t kGrantNoObject = 15151;
// What the emulator recognises but does not run (T-SQL batches, triggers).
inline constexpr int32_t kNotSupported = 50000;
// A statement refused on demand (DMSIM_REFUSE), as a server's RAISERROR refuses one.
inline constexpr int32_t kRefusedOnDemand = 50000;
// Any other database failure.
inline constexpr int32_t kDatabaseError = 50001;
}  // namespace sqlerr

// An SQL failure: number and message (without the origin prefix).
struct SqlFailure {
    int32_t code = 0;
    std::string message;
};

// The text ErrorText answers: the origin in brackets, then the message.
std::string SqliteErrorText(const SqlFailure& failure);
std::string TranslatorErrorText(const SqlFailure& failure);

// The SQL Server form of an SQLite failure. dropKind ("table", "trigger")
// names what a DROP statement tried to remove.
SqlFailure FailureFromSqlite(const SqliteError& error, std::string_view dropKind = {},
                             std::string_view dropName = {});

}  // namespace dmsim
