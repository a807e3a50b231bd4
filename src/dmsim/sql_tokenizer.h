#pragma once
// Splits a statement in the SQL Server dialect into tokens for the
// translation. Comments are dropped; quoted names ([NEXT], "NEXT") and
// string literals ('It''s', N'...') arrive unquoted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dmsim {

enum class TokenKind {
    Word,        // name or keyword
    QuotedName,  // [name] or "name"
    String,      // '...'
    Number,      // 12, 1.5, 0xf
    Variable,    // @name, @@name
    Operator,    // = <> != < > <= >= !< !> + - * / % & | ^ ~ =* *= ||
    LParen,
    RParen,
    Comma,
    Dot,
    Semicolon,
    Colon,  // after a label in a trigger body
};

struct Token {
    TokenKind kind;
    std::string text;   // the unquoted text
    std::string upper;  // text in upper case (for words)
    size_t at = 0;      // where the token starts in the statement
};

struct TokenizeError {
    int32_t code;
    std::string message;
};

struct TokenizeResult {
    std::vector<Token> tokens;
    std::optional<TokenizeError> error;
};

TokenizeResult Tokenize(std::string_view sql);

}  // namespace dmsim
