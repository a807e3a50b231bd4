#pragma once
// The SQL text rewrites applied to every statement before it is run: the
// owner marker, the select-list ITEM_TYPE rewrite for old DM versions and the
// rewrites for the library's database engine.
//
// Rewrites act on the statement's code only: text inside quoted literals is
// a value (a document name, a description) and stays as it is. The one
// exception is a literal the program writes as a template around the owner
// marker, such as object_id('[OWNER].NEEDS_ARCHIVING') or '[OWNER]' alone.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace core {

// A rewrite that cannot be carried out (the run-time error of the rewrite).
class SqlRewriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "[OWNER]" in any case becomes owner; then "{OWNER}" in any case becomes
// the literal "[OWNER]".
std::string SubstituteOwner(const std::string& statement, const std::string& owner);

// For DM versions below 10: a select-list "<alias>.ITEM_TYPE" before the
// first " FROM " becomes the constant 'X'.
std::string RewriteItemType(const std::string& statement);

// Oracle (engines 2 and 5). Throws SqlRewriteError when the alternate date
// format cannot be applied.
std::string RewriteForOracle(const std::string& statement, bool alternateDateFormat);

// Every other engine; TRY_CAST becomes CAST for server versions below 11.
std::string RewriteForSqlServer(const std::string& statement, const std::string& databaseVersion);

// The whole chain as the SQL runner applies it.
std::string RewriteStatement(const std::string& statement, const std::string& owner,
                             const std::string& dmVersion, int32_t databaseEngine,
                             const std::string& databaseVersion, bool alternateDateFormat);

inline bool IsOracle(int32_t engine) { return engine == 2 || engine == 5; }

// The SQL object's "no error" codes for the statement it ran last.
inline bool StatementAccepted(int32_t engine, int32_t code) {
    return code == 0 || code == 9 || (code == 3 && IsOracle(engine));
}

// An SQL error text without the bracketed origins before any quoted text:
// "[Driver][Server]message" -> "message".
std::string CleanDriverText(std::string text);

// The text with every apostrophe doubled, nothing else changed: a name or
// key placed between apostrophes stays one literal.
std::string DoubleApostrophes(const std::string& text);

// The text as one SQL literal: between apostrophes, each of its own doubled.
std::string SqlLiteral(const std::string& text);

// Makes a text safe to stand between apostrophes: trimmed of blanks, every
// apostrophe doubled, every CR and LF turned into a blank.
std::string StripQuotes(const std::string& text);

}  // namespace core
