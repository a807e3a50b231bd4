#include "dmsim/sql_tokenizer.h"

#include <cctype>

#include "dmsim/text.h"

namespace dmsim {

namespace {

bool IsWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordChar(char c) {
    return IsWordStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$' || c == '@';
}

}  // namespace

TokenizeResult Tokenize(std::string_view sql) {
    TokenizeResult result;
    auto& out = result.tokens;
    size_t i = 0, n = sql.size();
    auto add = [&](TokenKind kind, std::string text) {
        std::string upper = kind == TokenKind::Word ? ToUpper(text) : text;
        out.push_back(Token{kind, std::move(text), std::move(upper), i});
    };
    auto fail = [&](int32_t code, std::string message) {
        result.error = TokenizeError{code, std::move(message)};
        return result;
    };
    while (i < n) {
        char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t end = sql.find("*/", i + 2);
            if (end == std::string_view::npos) return fail(113, "Missing end comment mark '*/'.");
            i = end + 2;
            continue;
        }
        bool national = (c == 'N' || c == 'n') && i + 1 < n && sql[i + 1] == '\'';
        if (c == '\'' || national) {
            size_t j = national ? i + 2 : i + 1;
            std::string text;
            for (;;) {
                if (j >= n) {
                    return fail(105, "Unclosed quotation mark after the character string '" +
                                         text + "'.");
                }
                if (sql[j] == '\'') {
                    if (j + 1 < n && sql[j + 1] == '\'') {
                        text += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += sql[j++];
            }
            add(TokenKind::String, std::move(text));
            i = j + 1;
            continue;
        }
        if (c == '[' || c == '"') {
            char close = c == '[' ? ']' : '"';
            size_t j = i + 1;
            std::string text;
            for (;;) {
                if (j >= n) {
                    return fail(105, "Unclosed quotation mark after the character string '" +
                                         text + "'.");
                }
                if (sql[j] == close) {
                    if (j + 1 < n && sql[j + 1] == close) {
                        text += close;
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += sql[j++];
            }
            add(TokenKind::QuotedName, std::move(text));
            i = j + 1;
            continue;
        }
        if (c == '@') {
            size_t j = i + 1;
            while (j < n && (IsWordChar(sql[j]))) ++j;
            add(TokenKind::Variable, std::string(sql.substr(i, j - i)));
            i = j;
            continue;
        }
        if (IsWordStart(c)) {
            size_t j = i + 1;
            while (j < n && IsWordChar(sql[j])) ++j;
            add(TokenKind::Word, std::string(sql.substr(i, j - i)));
            i = j;
            continue;
        }
        bool digitAfterDot = c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(sql[i + 1])) &&
                             (out.empty() || (out.back().kind != TokenKind::Word &&
                                              out.back().kind != TokenKind::QuotedName &&
                                              out.back().kind != TokenKind::RParen));
        if (std::isdigit(static_cast<unsigned char>(c)) || digitAfterDot) {
            size_t j = i;
            if (c == '0' && j + 1 < n && (sql[j + 1] == 'x' || sql[j + 1] == 'X')) {
                j += 2;
                while (j < n && std::isxdigit(static_cast<unsigned char>(sql[j]))) ++j;
            } else {
                while (j < n && std::isdigit(static_cast<unsigned char>(sql[j]))) ++j;
                if (j < n && sql[j] == '.') {
                    ++j;
                    while (j < n && std::isdigit(static_cast<unsigned char>(sql[j]))) ++j;
                }
                if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
                    size_t k = j + 1;
                    if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
                    if (k < n && std::isdigit(static_cast<unsigned char>(sql[k]))) {
                        j = k;
                        while (j < n && std::isdigit(static_cast<unsigned char>(sql[j]))) ++j;
                    }
                }
            }
            if (j < n && IsWordStart(sql[j])) {
                return fail(102, "Incorrect syntax near '" + std::string(sql.substr(i, j - i + 1)) + "'.");
            }
            add(TokenKind::Number, std::string(sql.substr(i, j - i)));
            i = j;
            continue;
        }
        switch (c) {
            case '(':
                add(TokenKind::LParen, "(");
                ++i;
                continue;
            case ')':
                add(TokenKind::RParen, ")");
                ++i;
                continue;
            case ',':
                add(TokenKind::Comma, ",");
                ++i;
                continue;
            case '.':
                add(TokenKind::Dot, ".");
                ++i;
                continue;
            case ';':
                add(TokenKind::Semicolon, ";");
                ++i;
                continue;
            case ':':
                add(TokenKind::Colon, ":");
                ++i;
                continue;
            default:
                break;
        }
        static constexpr std::string_view kTwo[] = {"<>", "!=", "<=", ">=", "!<", "!>", "=*", "*=", "||"};
        bool matched = false;
        for (auto op : kTwo) {
            if (sql.substr(i, 2) == op) {
                add(TokenKind::Operator, std::string(op));
                i += 2;
                matched = true;
                break;
            }
        }
        if (matched) continue;
        if (std::string_view("=<>+-*/%&|^~").find(c) != std::string_view::npos) {
            add(TokenKind::Operator, std::string(1, c));
            ++i;
            continue;
        }
        return fail(102, "Incorrect syntax near '" + std::string(1, c) + "'.");
    }
    return result;
}

}  // namespace dmsim
