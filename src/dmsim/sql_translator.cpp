#include "dmsim/sql_translator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <unordered_set>

#include "dmsim/text.h"
#include "dmsim/sql_tokenizer.h"
#include "dmsim/tsql_trigger_program.h"

namespace dmsim {

namespace {

struct Failed {
    SqlFailure failure;
};

[[noreturn]] void Fail(int32_t code, std::string message) {
    throw Failed{SqlFailure{code, std::move(message)}};
}

[[noreturn]] void NotSupported(const std::string& what) {
    Fail(sqlerr::kNotSupported, "The emulator does not run " + what + ".");
}

[[noreturn]] void SyntaxNear(const std::string& text) {
    Fail(sqlerr::kSyntax, "Incorrect syntax near '" + text + "'.");
}

// Words of the SQL Server dialect that never name a column or table.
const std::unordered_set<std::string>& Reserved() {
    static const std::unordered_set<std::string> words = {
        "ADD",     "ALL",        "ALTER",   "AND",       "ANY",       "AS",        "ASC",
        "BEGIN",   "BETWEEN",    "BY",      "CASCADE",   "CASE",      "CHECK",     "CLUSTERED",
        "COLLATE", "CONSTRAINT", "CREATE",  "CROSS",     "CURRENT_TIMESTAMP",     "DECLARE",
        "DEFAULT", "DELETE",     "DENY",    "DESC",      "DISTINCT",  "DROP",      "ELSE",
        "END",     "ESCAPE",     "EXCEPT",  "EXEC",      "EXECUTE",   "EXISTS",    "FOR",
        "FOREIGN", "FROM",       "FULL",    "GRANT",     "GROUP",     "HAVING",    "IDENTITY",
        "IF",      "IN",         "INDEX",   "INNER",     "INSERT",    "INTERSECT", "INTO",
        "IS",      "JOIN",       "KEY",     "LEFT",      "LIKE",      "NONCLUSTERED",
        "NOT",     "NULL",       "ON",      "OR",        "ORDER",     "OUTER",     "OVER",
        "PERCENT", "PRIMARY",    "PROCEDURE",           "REFERENCES", "REVOKE",   "RIGHT",
        "SELECT",  "SET",        "SOME",    "TABLE",     "THEN",      "TO",        "TOP",
        "TRIGGER", "TRUNCATE",   "UNION",   "UNIQUE",    "UPDATE",    "VALUES",    "VIEW",
        "WHEN",    "WHERE",      "WHILE",   "WITH",
    };
    return words;
}

// SQLite keywords: a name of the dialect spelt like one is quoted.
const std::unordered_set<std::string>& SqliteKeywords() {
    static const std::unordered_set<std::string> words = {
        "ABORT",      "ACTION",     "ADD",          "AFTER",        "ALL",
        "ALTER",      "ALWAYS",     "ANALYZE",      "AND",          "AS",
        "ASC",        "ATTACH",     "AUTOINCREMENT", "BEFORE",      "BEGIN",
        "BETWEEN",    "BY",         "CASCADE",      "CASE",         "CAST",
        "CHECK",      "COLLATE",    "COLUMN",       "COMMIT",       "CONFLICT",
        "CONSTRAINT", "CREATE",     "CROSS",        "CURRENT",      "CURRENT_DATE",
        "CURRENT_TIME", "CURRENT_TIMESTAMP", "DATABASE", "DEFAULT", "DEFERRABLE",
        "DEFERRED",   "DELETE",     "DESC",         "DETACH",       "DISTINCT",
        "DO",         "DROP",       "EACH",         "ELSE",         "END",
        "ESCAPE",     "EXCEPT",     "EXCLUDE",      "EXCLUSIVE",    "EXISTS",
        "EXPLAIN",    "FAIL",       "FILTER",       "FIRST",        "FOLLOWING",
        "FOR",        "FOREIGN",    "FROM",         "FULL",         "GENERATED",
        "GLOB",       "GROUP",      "GROUPS",       "HAVING",       "IF",
        "IGNORE",     "IMMEDIATE",  "IN",           "INDEX",        "INDEXED",
        "INITIALLY",  "INNER",      "INSERT",       "INSTEAD",      "INTERSECT",
        "INTO",       "IS",         "ISNULL",       "JOIN",         "KEY",
        "LAST",       "LEFT",       "LIKE",         "LIMIT",        "MATCH",
        "MATERIALIZED", "NATURAL",  "NO",           "NOT",          "NOTHING",
        "NOTNULL",    "NULL",       "NULLS",        "OF",           "OFFSET",
        "ON",         "OR",         "ORDER",        "OTHERS",       "OUTER",
        "OVER",       "PARTITION",  "PLAN",         "PRAGMA",       "PRECEDING",
        "PRIMARY",    "QUERY",      "RAISE",        "RANGE",        "RECURSIVE",
        "REFERENCES", "REGEXP",     "REINDEX",      "RELEASE",      "RENAME",
        "REPLACE",    "RESTRICT",   "RETURNING",    "RIGHT",        "ROLLBACK",
        "ROW",        "ROWS",       "SAVEPOINT",    "SELECT",       "SET",
        "TABLE",      "TEMP",       "TEMPORARY",    "THEN",         "TIES",
        "TO",         "TRANSACTION", "TRIGGER",     "UNBOUNDED",    "UNION",
        "UNIQUE",     "UPDATE",     "USING",        "VACUUM",       "VALUES",
        "VIEW",       "VIRTUAL",    "WHEN",         "WHERE",        "WINDOW",
        "WITH",       "WITHOUT",
    };
    return words;
}

// Statements of the dialect the emulator knows but does not run.
const std::unordered_set<std::string>& BatchWords() {
    static const std::unordered_set<std::string> words = {
        "ALTER",   "BACKUP",  "BEGIN",    "BREAK", "COMMIT", "CONTINUE", "DECLARE",
        "EXEC",    "EXECUTE", "FETCH",    "GOTO",  "MERGE",  "OPEN",     "PRINT",
        "RAISERROR", "RETURN", "ROLLBACK", "SAVE", "SET",    "TRUNCATE", "USE",
        "WAITFOR", "WHILE",   "WITH",     "CLOSE", "DEALLOCATE",
    };
    return words;
}

// SQL Server functions and their SQLite form; CAST, CONVERT, DATEADD and
// CHARINDEX have rules of their own.
struct FunctionRule {
    std::string_view name;
    std::string_view target;
    size_t minArgs;
    size_t maxArgs;
};

constexpr std::array kFunctions = {
    FunctionRule{"COUNT", "COUNT", 1, 1},
    FunctionRule{"SUM", "SUM", 1, 1},
    FunctionRule{"AVG", "dm_avg", 1, 1},
    FunctionRule{"MIN", "MIN", 1, 1},
    FunctionRule{"MAX", "MAX", 1, 1},
    FunctionRule{"UPPER", "dm_upper", 1, 1},
    FunctionRule{"LOWER", "dm_lower", 1, 1},
    FunctionRule{"LTRIM", "LTRIM", 1, 1},
    FunctionRule{"RTRIM", "RTRIM", 1, 1},
    FunctionRule{"ABS", "ABS", 1, 1},
    FunctionRule{"ROUND", "ROUND", 2, 2},
    FunctionRule{"REPLACE", "dm_replace", 3, 3},
    FunctionRule{"COALESCE", "COALESCE", 2, 64},
    FunctionRule{"NULLIF", "NULLIF", 2, 2},
    FunctionRule{"ISNULL", "IFNULL", 2, 2},
    FunctionRule{"SUBSTRING", "SUBSTR", 3, 3},
    FunctionRule{"LEN", "dm_len", 1, 1},
    FunctionRule{"GETUTCDATE", "dm_getutcdate", 0, 0},
    FunctionRule{"SYSUTCDATETIME", "dm_getutcdate", 0, 0},
    FunctionRule{"GETDATE", "dm_getdate", 0, 0},
    FunctionRule{"SYSDATETIME", "dm_getdate", 0, 0},
    FunctionRule{"SERVERPROPERTY", "dm_serverproperty", 1, 1},
    FunctionRule{"OBJECT_ID", "dm_object_id", 1, 1},
};

// Target kinds of CAST and CONVERT, by SQL Server type name.
struct CastRule {
    std::string_view type;
    std::string_view kind;
};

constexpr std::array kCastTypes = {
    CastRule{"DATETIME", "DATETIME"},  CastRule{"DATETIME2", "DATETIME"},
    CastRule{"SMALLDATETIME", "DATETIME"}, CastRule{"INT", "INT"},
    CastRule{"INTEGER", "INT"},        CastRule{"BIGINT", "BIGINT"},
    CastRule{"SMALLINT", "INT"},       CastRule{"TINYINT", "INT"},
    CastRule{"BIT", "INT"},            CastRule{"FLOAT", "FLOAT"},
    CastRule{"REAL", "FLOAT"},         CastRule{"DECIMAL", "FLOAT"},
    CastRule{"NUMERIC", "FLOAT"},      CastRule{"MONEY", "FLOAT"},
    CastRule{"VARCHAR", "VARCHAR"},    CastRule{"NVARCHAR", "VARCHAR"},
    CastRule{"CHAR", "VARCHAR"},       CastRule{"NCHAR", "VARCHAR"},
};

// Functions whose result is a text: in a case-insensitive library it
// compares, sorts and groups in the library's collation.
bool GivesText(std::string_view function) {
    static const std::unordered_set<std::string_view> names = {
        "UPPER", "LOWER", "LTRIM", "RTRIM", "REPLACE", "SUBSTRING", "ISNULL", "COALESCE", "NULLIF", "MIN", "MAX"};
    return names.count(function) > 0;
}

bool IsArithmetic(const Token& t) {
    if (t.kind != TokenKind::Operator) return false;
    return t.text == "+" || t.text == "-" || t.text == "*" || t.text == "/" || t.text == "%" || t.text == "&" ||
           t.text == "|" || t.text == "^";
}

bool IsWholeNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 10 &&
           std::stoll(text) <= INT32_MAX;
}

bool IsComparison(const Token& t) {
    if (t.kind != TokenKind::Operator) return false;
    return t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" || t.text == ">" ||
           t.text == "<=" || t.text == ">=" || t.text == "!<" || t.text == "!>";
}

bool IsPlainName(std::string_view s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

std::string Literal(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

// Joins pieces with single blanks, none after "(" or "." and none before
// ")", "," or ".".
class Joiner {
public:
    void Add(std::string_view piece) {
        if (piece.empty()) return;
        if (!text_.empty()) {
            char last = text_.back();
            char first = piece.front();
            bool glue = last == '(' || last == '.' || first == ')' || first == ',' || first == '.';
            if (!glue) text_ += ' ';
        }
        text_ += piece;
    }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

struct Range {
    size_t begin;
    size_t end;
};

class Translator {
public:
    Translator(const std::vector<Token>& tokens, const DialectOptions& options)
        : t_(tokens), o_(options) {}

    Translation Statement(size_t b, size_t e);
    std::string Condition(size_t b, size_t e) {
        return "SELECT CASE WHEN " + Sequence(b, e) + " THEN 1 ELSE 0 END";
    }
    std::string Value(size_t b, size_t e) {
        size_t i = b;
        std::string value = Expression(i, e);
        if (i != e) SyntaxNear(t_[i].text);
        return "SELECT " + value;
    }

private:
    bool IsWord(size_t i, std::string_view upper) const {
        return i < t_.size() && t_[i].kind == TokenKind::Word && t_[i].upper == upper;
    }
    // The library's text comparison: letter case counts in a case-sensitive
    // library, trailing blanks never do.
    const char* Collation() const { return o_.caseInsensitive ? " COLLATE NOCASE" : " COLLATE RTRIM"; }
    bool IsName(size_t i) const {
        return i < t_.size() &&
               (t_[i].kind == TokenKind::QuotedName ||
                (t_[i].kind == TokenKind::Word && !Reserved().count(t_[i].upper)));
    }
    bool StartsOperand(size_t i, size_t e) const;

    std::string Sequence(size_t b, size_t e);
    std::string Expression(size_t& i, size_t e);
    std::string Term(size_t& i, size_t e);
    std::string Unary(size_t& i, size_t e);
    std::string Primary(size_t& i, size_t e);
    std::string Function(size_t& i, size_t e);
    std::string Cast(const std::string& name, const std::vector<Range>& args, size_t b, size_t e);
    std::string IsNull(const std::vector<Range>& args);

    // Types: a plain column operand and what it is compared with.
    std::optional<Range> OperandAt(size_t k, size_t e) const;
    // The tokens [b, end) are a whole argument of a call or a value of
    // VALUES: no comparison sees them as they are.
    bool IsArgument(size_t b, size_t end) const;
    std::optional<Range> OperandEndingAt(size_t last) const;
    std::vector<Range> Partners(size_t b, size_t end, size_t e) const;
    ColumnType ColumnOf(const Range& r) const;
    bool IsDate(const Range& r) const;
    // A character string: a string literal or a text column.
    bool IsText(const Range& r) const;
    // value converted as the server converts what is written into a
    // column of the type; value stands for the tokens [b, end).
    std::string Converted(const std::string& value, const ColumnType& type, size_t b, size_t end) const;
    std::string NameChain(size_t& i, size_t e, std::vector<std::string>* parts = nullptr);
    std::string Identifier(const Token& token) const;
    std::string Qualified(const std::vector<std::string>& parts) const;
    std::string ParseTop(size_t& i, size_t e);

    size_t MatchParen(size_t open, size_t e) const;
    size_t MatchCaseEnd(size_t caseAt, size_t e) const;
    std::vector<Range> SplitArgs(size_t b, size_t e) const;
    size_t FindWord(size_t b, size_t e, std::string_view upper) const;

    Translation Insert(size_t b, size_t e);
    Translation Update(size_t b, size_t e);
    Translation Delete(size_t b, size_t e);
    Translation Create(size_t b, size_t e);
    Translation CreateTable(size_t i, size_t e);
    Translation CreateIndex(size_t i, size_t e);
    Translation CreateTrigger(size_t i, size_t e);
    Translation Drop(size_t b, size_t e);
    Translation Grant(size_t b, size_t e);
    Translation If(size_t b, size_t e);
    Translation Transaction(size_t b, size_t e);
    Translation Set(size_t b, size_t e);
    std::vector<std::optional<std::string>> SelectNames(size_t b, size_t e) const;

    const std::vector<Token>& t_;
    const DialectOptions& o_;
    // Inside the SET list of an UPDATE at the current level: "=" assigns.
    bool setList_ = false;
    // Handed to the next Sequence only: the updated table's columns, and
    // the columns an INSERT's select list fills, in order.
    const std::vector<std::pair<std::string, ColumnType>>* assignTable_ = nullptr;
    std::vector<ColumnType> insertTargets_;
};

bool Translator::IsArgument(size_t b, size_t end) const {
    if (b == 0 || end >= t_.size()) return false;
    const TokenKind before = t_[b - 1].kind, after = t_[end].kind;
    if ((before != TokenKind::LParen && before != TokenKind::Comma) ||
        (after != TokenKind::RParen && after != TokenKind::Comma && !IsWord(end, "AS"))) {
        return false;
    }
    int depth = 0;
    for (size_t j = b; j-- > 0;) {
        if (t_[j].kind == TokenKind::RParen) ++depth;
        if (t_[j].kind != TokenKind::LParen) continue;
        if (depth-- > 0) continue;
        if (j == 0 || t_[j - 1].kind != TokenKind::Word) return false;
        const std::string& word = t_[j - 1].upper;
        return word == "VALUES" || !Reserved().count(word);
    }
    return false;
}

std::optional<Range> Translator::OperandAt(size_t k, size_t e) const {
    if (k >= e) return std::nullopt;
    size_t end = k;
    if (t_[k].kind == TokenKind::String || t_[k].kind == TokenKind::Number) {
        end = k + 1;
    } else if (t_[k].kind == TokenKind::Operator && t_[k].text == "-" && k + 1 < e &&
               t_[k + 1].kind == TokenKind::Number) {
        end = k + 2;
    } else if (IsName(k)) {
        end = k + 1;
        while (end + 1 < e && t_[end].kind == TokenKind::Dot && IsName(end + 1)) end += 2;
    } else {
        return std::nullopt;
    }
    if (end < e && (IsArithmetic(t_[end]) || t_[end].kind == TokenKind::LParen || t_[end].kind == TokenKind::Dot ||
                    IsWord(end, "COLLATE"))) {
        return std::nullopt;
    }
    return Range{k, end};
}

std::optional<Range> Translator::OperandEndingAt(size_t last) const {
    if (last >= t_.size()) return std::nullopt;
    size_t begin = last;
    if (t_[last].kind == TokenKind::String || t_[last].kind == TokenKind::Number) {
        if (last > 0 && t_[last - 1].kind == TokenKind::Operator && t_[last - 1].text == "-") return std::nullopt;
    } else if (IsName(last)) {
        while (begin >= 2 && t_[begin - 1].kind == TokenKind::Dot && IsName(begin - 2)) begin -= 2;
    } else {
        return std::nullopt;
    }
    if (begin > 0 && (IsArithmetic(t_[begin - 1]) || t_[begin - 1].kind == TokenKind::Dot)) return std::nullopt;
    return Range{begin, last + 1};
}

// The operands the one at [b, end) is compared with: by a comparison, by
// BETWEEN, or by IN with a list.
std::vector<Range> Translator::Partners(size_t b, size_t end, size_t e) const {
    std::vector<Range> out;
    auto add = [&](std::optional<Range> r) {
        if (r) out.push_back(*r);
    };
    auto beforeWord = [&](size_t word) -> std::optional<Range> {
        if (word == 0) return std::nullopt;
        size_t last = word - 1;
        if (IsWord(last, "NOT")) {
            if (last == 0) return std::nullopt;
            --last;
        }
        return OperandEndingAt(last);
    };
    if (end < e && IsComparison(t_[end])) add(OperandAt(end + 1, e));
    if (b >= 2 && IsComparison(t_[b - 1])) add(OperandEndingAt(b - 2));
    size_t k = IsWord(end, "NOT") ? end + 1 : end;
    if (k < e && IsWord(k, "BETWEEN")) {
        if (auto low = OperandAt(k + 1, e)) {
            out.push_back(*low);
            if (IsWord(low->end, "AND")) add(OperandAt(low->end + 1, e));
        }
    }
    if (b >= 1 && IsWord(b - 1, "BETWEEN")) add(beforeWord(b - 1));
    if (b >= 2 && IsWord(b - 1, "AND")) {
        if (auto low = OperandEndingAt(b - 2); low && low->begin > 0 && IsWord(low->begin - 1, "BETWEEN")) {
            add(beforeWord(low->begin - 1));
        }
    }
    if (k < e && IsWord(k, "IN") && k + 1 < e && t_[k + 1].kind == TokenKind::LParen) {
        size_t close = MatchParen(k + 1, e);
        if (!IsWord(k + 2, "SELECT")) {
            for (const Range& item : SplitArgs(k + 2, close)) {
                if (auto r = OperandAt(item.begin, item.end); r && r->end == item.end) out.push_back(*r);
            }
        }
    }
    // An item of an IN list: the operand in front of IN.
    if (b >= 1 && (t_[b - 1].kind == TokenKind::LParen || t_[b - 1].kind == TokenKind::Comma)) {
        size_t j = b - 1;
        while (j >= 2 && t_[j].kind == TokenKind::Comma &&
               (t_[j - 1].kind == TokenKind::String || t_[j - 1].kind == TokenKind::Number)) {
            j -= 2;
            if (t_[j].kind == TokenKind::Operator && t_[j].text == "-" && j >= 1) --j;
        }
        if (t_[j].kind == TokenKind::LParen && j >= 1 && IsWord(j - 1, "IN")) add(beforeWord(j - 1));
    }
    return out;
}

ColumnType Translator::ColumnOf(const Range& r) const {
    if (!o_.catalog || !IsName(r.end - 1) || t_[r.begin].kind == TokenKind::String) return {};
    return o_.catalog->Column(t_[r.end - 1].text);
}

bool Translator::IsDate(const Range& r) const {
    if (r.end - r.begin == 0) return false;
    if (r.end - r.begin == 1 && t_[r.begin].kind == TokenKind::Variable) {
        auto found = o_.variables.find(VariableParameter(t_[r.begin].text));
        return found != o_.variables.end() && found->second.kind == ColumnType::Kind::Date;
    }
    if (IsName(r.begin) && (r.end - r.begin) % 2 == 1 && !(r.begin + 1 < r.end && t_[r.begin + 1].kind == TokenKind::LParen)) {
        for (size_t k = r.begin + 1; k < r.end; k += 2) {
            if (t_[k].kind != TokenKind::Dot) return false;
        }
        return ColumnOf(r).kind == ColumnType::Kind::Date;
    }
    if (IsWord(r.begin, "CURRENT_TIMESTAMP")) return r.end - r.begin == 1;
    if (t_[r.begin].kind != TokenKind::Word || r.begin + 1 >= r.end || t_[r.begin + 1].kind != TokenKind::LParen) {
        return false;
    }
    if (MatchParen(r.begin + 1, r.end) != r.end - 1) return false;
    const std::string& f = t_[r.begin].upper;
    if (f == "GETUTCDATE" || f == "GETDATE" || f == "SYSDATETIME" || f == "SYSUTCDATETIME" || f == "DATEADD") return true;
    if (f == "CAST" || f == "TRY_CAST") {
        size_t as = FindWord(r.begin + 2, r.end - 1, "AS");
        return as + 1 < r.end && t_[as + 1].upper.find("DATETIME") != std::string::npos;
    }
    return false;
}

bool Translator::IsText(const Range& r) const {
    if (r.end - r.begin == 1 && t_[r.begin].kind == TokenKind::String) return true;
    if (!IsName(r.begin) || (r.end - r.begin) % 2 == 0) return false;
    for (size_t k = r.begin + 1; k < r.end; k += 2) {
        if (t_[k].kind != TokenKind::Dot || !IsName(k + 1)) return false;
    }
    return ColumnOf(r).kind == ColumnType::Kind::Text;
}

std::string Translator::Converted(const std::string& value, const ColumnType& type, size_t b, size_t end) const {
    const bool one = end - b == 1;
    if (one && IsWord(b, "NULL")) return value;
    const bool number = one && t_[b].kind == TokenKind::Number;
    switch (type.kind) {
        case ColumnType::Kind::Date:
            return "dm_cast(" + value + (IsText({b, end}) ? ", 'DATEFROMTEXT', 1, 0)" : ", 'DATETIME', 1, 0)");
        case ColumnType::Kind::Int:
            if (number && IsWholeNumber(t_[b].text)) return value;
            return "dm_cast(" + value + ", 'INT', 1, 0)";
        case ColumnType::Kind::BigInt:
            if (number && t_[b].text.find_first_not_of("0123456789") == std::string::npos) return value;
            return "dm_cast(" + value + ", 'BIGINT', 1, 0)";
        case ColumnType::Kind::Float:
            if (number) return value;
            return "dm_cast(" + value + ", 'FLOAT', 1, 0)";
        case ColumnType::Kind::Text:
            // Stored as the server stores it: blanks beyond the width cut,
            // a CHAR padded to it.
            if (type.length <= 0) return value;
            return "dm_fit(" + value + ", " + std::to_string(type.length) + ", " + (type.fixed ? "1" : "0") + ")";
        default:
            return value;
    }
}

bool Translator::StartsOperand(size_t i, size_t e) const {
    if (i >= e) return false;
    const Token& tk = t_[i];
    switch (tk.kind) {
        case TokenKind::QuotedName:
        case TokenKind::String:
        case TokenKind::Number:
        case TokenKind::Variable:
        case TokenKind::LParen:
            return true;
        case TokenKind::Word:
            if (tk.upper == "UPDATE") return o_.triggerBody && i + 1 < e && t_[i + 1].kind == TokenKind::LParen;
            return !Reserved().count(tk.upper) || tk.upper == "CASE" || tk.upper == "NULL" ||
                   tk.upper == "CURRENT_TIMESTAMP";
        case TokenKind::Operator:
            return tk.text == "-" || tk.text == "+" || tk.text == "~";
        default:
            return false;
    }
}

size_t Translator::MatchParen(size_t open, size_t e) const {
    int depth = 0;
    for (size_t i = open; i < e; ++i) {
        if (t_[i].kind == TokenKind::LParen) ++depth;
        if (t_[i].kind == TokenKind::RParen && --depth == 0) return i;
    }
    SyntaxNear("(");
}

size_t Translator::MatchCaseEnd(size_t caseAt, size_t e) const {
    int depth = 0;
    int nested = 0;
    for (size_t i = caseAt + 1; i < e; ++i) {
        if (t_[i].kind == TokenKind::LParen) ++depth;
        if (t_[i].kind == TokenKind::RParen) --depth;
        if (depth != 0 || t_[i].kind != TokenKind::Word) continue;
        if (t_[i].upper == "CASE") ++nested;
        if (t_[i].upper == "END" && nested-- == 0) return i;
    }
    SyntaxNear("CASE");
}

std::vector<Range> Translator::SplitArgs(size_t b, size_t e) const {
    std::vector<Range> args;
    if (b == e) return args;
    int depth = 0;
    size_t start = b;
    for (size_t i = b; i < e; ++i) {
        if (t_[i].kind == TokenKind::LParen) ++depth;
        if (t_[i].kind == TokenKind::RParen) --depth;
        if (depth == 0 && t_[i].kind == TokenKind::Comma) {
            if (i == start) SyntaxNear(",");
            args.push_back({start, i});
            start = i + 1;
        }
    }
    if (start == e) SyntaxNear(",");
    args.push_back({start, e});
    return args;
}

size_t Translator::FindWord(size_t b, size_t e, std::string_view upper) const {
    int depth = 0;
    for (size_t i = b; i < e; ++i) {
        if (t_[i].kind == TokenKind::LParen) ++depth;
        if (t_[i].kind == TokenKind::RParen) --depth;
        if (depth == 0 && t_[i].kind == TokenKind::Word && t_[i].upper == upper) return i;
    }
    return e;
}

std::string Translator::Identifier(const Token& token) const {
    const std::string& name = token.text;
    if (token.kind == TokenKind::Word && IsPlainName(name) && !SqliteKeywords().count(token.upper)) {
        return name;
    }
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string Translator::NameChain(size_t& i, size_t e, std::vector<std::string>* parts) {
    std::string out;
    for (;;) {
        if (i >= e || (t_[i].kind != TokenKind::Word && t_[i].kind != TokenKind::QuotedName)) {
            SyntaxNear(i < e ? t_[i].text : std::string("."));
        }
        std::string upper = ToUpper(t_[i].text);
        if (upper == "ROWID" || upper == "OID" || upper == "_ROWID_") {
            Fail(sqlerr::kInvalidColumn, "Invalid column name '" + t_[i].text + "'.");
        }
        if (upper.rfind("SQLITE_", 0) == 0) {
            Fail(sqlerr::kInvalidObject, "Invalid object name '" + t_[i].text + "'.");
        }
        // The trigger's rows exist only while a trigger runs.
        bool alone = out.empty() && !(i + 1 < e && t_[i + 1].kind == TokenKind::Dot);
        if (alone && !o_.triggerBody && (upper == "INSERTED" || upper == "DELETED")) {
            Fail(sqlerr::kInvalidObject, "Invalid object name '" + t_[i].text + "'.");
        }
        out += Identifier(t_[i]);
        if (parts) parts->push_back(t_[i].text);
        ++i;
        if (i + 1 < e && t_[i].kind == TokenKind::Dot) {
            if (t_[i + 1].kind == TokenKind::Operator && t_[i + 1].text == "*") {
                out += ".*";
                i += 2;
                return out;
            }
            out += ".";
            ++i;
            continue;
        }
        return out;
    }
}

std::string Translator::Qualified(const std::vector<std::string>& parts) const {
    auto quote = [](const std::string& s) {
        if (IsPlainName(s) && !SqliteKeywords().count(ToUpper(s))) return s;
        std::string out = "\"";
        for (char c : s) {
            if (c == '"') out += '"';
            out += c;
        }
        return out + "\"";
    };
    if (parts.size() == 1) return quote(o_.owner) + "." + quote(parts[0]);
    if (parts.size() == 2) return quote(parts[0]) + "." + quote(parts[1]);
    NotSupported("names with more than two parts");
}

std::string Translator::ParseTop(size_t& i, size_t e) {
    ++i;  // TOP
    bool paren = i < e && t_[i].kind == TokenKind::LParen;
    if (paren) ++i;
    if (i >= e || t_[i].kind != TokenKind::Number ||
        t_[i].text.find_first_not_of("0123456789") != std::string::npos) {
        NotSupported("TOP with anything but a whole number");
    }
    std::string count = t_[i++].text;
    if (paren) {
        if (i >= e || t_[i].kind != TokenKind::RParen) SyntaxNear(count);
        ++i;
    }
    if (IsWord(i, "PERCENT") || IsWord(i, "WITH")) NotSupported("TOP PERCENT or TOP WITH TIES");
    return count;
}

std::string Translator::Sequence(size_t b, size_t e) {
    bool outerSetList = setList_;
    setList_ = false;
    const auto* assignTable = assignTable_;
    assignTable_ = nullptr;
    std::vector<ColumnType> targets = std::move(insertTargets_);
    insertTargets_.clear();
    std::optional<ColumnType> assigning;  // the column a SET item's "=" fills
    // The select list of an INSERT ... SELECT: the item being read, or -1.
    long item = -1;
    bool itemStart = false;
    Joiner out;
    std::optional<std::string> limit;
    bool compound = false;
    size_t i = b;
    while (i < e) {
        const Token& tk = t_[i];
        if (StartsOperand(i, e)) {
            const size_t start = i;
            std::string value = Expression(i, e);
            if (assigning) {
                value = Converted(value, *assigning, start, i);
                assigning.reset();
            } else if (setList_ && assignTable && i < e && t_[i].kind == TokenKind::Operator && t_[i].text == "=") {
                if (auto column = OperandEndingAt(i - 1); column && column->begin == start && IsName(i - 1)) {
                    const std::string name = t_[i - 1].upper;
                    for (const auto& [n, type] : *assignTable) {
                        if (n == name) assigning = type;
                    }
                }
            }
            if (item >= 0 && itemStart) {
                itemStart = false;
                if (value.size() >= 2 && value.ends_with(".*")) {
                    item = -1;  // the items no longer line up with the columns
                } else if (static_cast<size_t>(item) < targets.size()) {
                    value = Converted(value, targets[static_cast<size_t>(item)], start, i);
                }
            }
            out.Add(value);
            continue;
        }
        switch (tk.kind) {
            case TokenKind::Word: {
                const std::string& w = tk.upper;
                if (w == "SELECT") {
                    out.Add("SELECT");
                    ++i;
                    if (IsWord(i, "DISTINCT") || IsWord(i, "ALL")) out.Add(t_[i++].upper);
                    if (IsWord(i, "TOP")) {
                        if (limit) NotSupported("two TOP clauses in one query");
                        limit = ParseTop(i, e);
                    }
                    if (!targets.empty()) {
                        item = 0;
                        itemStart = true;
                    }
                    continue;
                }
                if (w == "FROM" || w == "WHERE" || w == "UNION" || w == "GROUP" || w == "ORDER") {
                    item = -1;
                    targets.clear();
                }
                if (w == "TOP") NotSupported("TOP outside a SELECT list");
                if (w == "SET") setList_ = true;
                if (w == "FROM" || w == "WHERE") setList_ = false;
                if (w == "ANY" || w == "SOME" || w == "OVER") NotSupported(w);
                if (w == "UNION" || w == "EXCEPT" || w == "INTERSECT") compound = true;
                if (w == "AS" && i + 1 < e && t_[i + 1].kind == TokenKind::String) {
                    // AS 'alias' names a column in SQL Server.
                    out.Add("AS");
                    out.Add(Identifier(Token{TokenKind::QuotedName, t_[i + 1].text, ""}));
                    i += 2;
                    continue;
                }
                if (w == "INTO" && IsName(i + 1)) {
                    // A table; a "(" after it opens the column list, not a call.
                    out.Add("INTO");
                    ++i;
                    out.Add(NameChain(i, e));
                    continue;
                }
                if (w == "LIKE" && i + 1 < e && t_[i + 1].kind == TokenKind::String &&
                    t_[i + 1].text.find('[') != std::string::npos) {
                    NotSupported("LIKE patterns with [ ] character sets");
                }
                out.Add(w);
                ++i;
                continue;
            }
            case TokenKind::Comma:
                out.Add(",");
                ++i;
                if (item >= 0) {
                    ++item;
                    itemStart = true;
                }
                continue;
            case TokenKind::Operator: {
                const std::string& op = tk.text;
                if (op == "=*" || op == "*=") {
                    Fail(sqlerr::kOldOuterJoin,
                         "The query uses non-ANSI outer join operators (\"*=\" or \"=*\").");
                }
                if (op == "!<") out.Add(">=");
                else if (op == "!>") out.Add("<=");
                else if (op == "*" || IsComparison(tk)) out.Add(op);
                else SyntaxNear(op);
                if (op == "*" && item >= 0) item = -1;
                ++i;
                continue;
            }
            default:
                SyntaxNear(tk.text);
        }
    }
    if (limit) {
        if (compound) NotSupported("TOP in a UNION, EXCEPT or INTERSECT query");
        out.Add("LIMIT " + *limit);
    }
    setList_ = outerSetList;
    return out.Take();
}

// Additive level: "+", "-", "&", "|", "^" share one precedence in SQL Server
// and group from the left; "+" becomes dm_add, which concatenates texts.
std::string Translator::Expression(size_t& i, size_t e) {
    std::vector<std::string> terms{Term(i, e)};
    std::vector<std::string> ops;
    while (i < e && t_[i].kind == TokenKind::Operator &&
           (t_[i].text == "+" || t_[i].text == "-" || t_[i].text == "&" || t_[i].text == "|" ||
            t_[i].text == "^")) {
        ops.push_back(t_[i].text);
        ++i;
        if (!StartsOperand(i, e)) SyntaxNear(ops.back());
        terms.push_back(Term(i, e));
    }
    if (ops.empty()) return terms[0];
    if (ops.size() == 1 && (ops[0] == "&" || ops[0] == "|")) {
        return terms[0] + " " + ops[0] + " " + terms[1];
    }
    std::string acc = terms[0];
    for (size_t k = 0; k < ops.size(); ++k) {
        if (ops[k] == "+") {
            acc = "dm_add(" + acc + ", " + terms[k + 1] + ")";
        } else if (ops[k] == "-") {
            acc = "dm_subtract(" + acc + ", " + terms[k + 1] + ")";
        } else if (ops[k] == "^") {
            NotSupported("the ^ operator");
        } else {
            acc = "(" + acc + " " + ops[k] + " " + terms[k + 1] + ")";
        }
    }
    return acc;
}

std::string Translator::Term(size_t& i, size_t e) {
    std::string acc = Unary(i, e);
    while (i < e && t_[i].kind == TokenKind::Operator &&
           (t_[i].text == "*" || t_[i].text == "/" || t_[i].text == "%")) {
        std::string op = t_[i].text;
        ++i;
        if (!StartsOperand(i, e)) SyntaxNear(op);
        const char* function = op == "*" ? "dm_multiply(" : op == "/" ? "dm_divide(" : "dm_modulo(";
        acc = function + acc + ", " + Unary(i, e) + ")";
    }
    return acc;
}

std::string Translator::Unary(size_t& i, size_t e) {
    if (t_[i].kind == TokenKind::Operator) {
        std::string op = t_[i].text;
        ++i;
        if (!StartsOperand(i, e)) SyntaxNear(op);
        std::string operand = Unary(i, e);
        if (op == "+") return operand;
        // "--" would start a comment.
        if (!operand.empty() && (operand[0] == '-' || operand[0] == '+')) {
            return op + "(" + operand + ")";
        }
        return op + operand;
    }
    return Primary(i, e);
}

std::string Translator::Primary(size_t& i, size_t e) {
    const Token& tk = t_[i];
    std::string out;
    switch (tk.kind) {
        case TokenKind::LParen: {
            size_t close = MatchParen(i, e);
            out = "(" + Sequence(i + 1, close) + ")";
            i = close + 1;
            break;
        }
        case TokenKind::String: {
            out = Literal(tk.text);
            // A text compared with a column of another type is converted
            // to it; otherwise it takes the library's collation, as with
            // SQL Server's default collation.
            const bool assigned = setList_ && i > 0 && t_[i - 1].text == "=";
            ColumnType partner;
            if (!assigned && o_.catalog) {
                for (const Range& r : Partners(i, i + 1, e)) {
                    ColumnType type = ColumnOf(r);
                    if (type.kind != ColumnType::Kind::Unknown) {
                        partner = type;
                        break;
                    }
                }
            }
            switch (partner.kind) {
                case ColumnType::Kind::Date: out = "dm_cast(" + out + ", 'DATEFROMTEXT', 1, 0)"; break;
                case ColumnType::Kind::Int: out = "dm_cast(" + out + ", 'INT', 1, 0)"; break;
                case ColumnType::Kind::BigInt: out = "dm_cast(" + out + ", 'BIGINT', 1, 0)"; break;
                case ColumnType::Kind::Float: out = "dm_cast(" + out + ", 'FLOAT', 1, 0)"; break;
                default:
                    if (!assigned && !IsArgument(i, i + 1)) out += Collation();
            }
            ++i;
            break;
        }
        case TokenKind::Number:
            out = tk.text;
            ++i;
            break;
        case TokenKind::Variable:
            if (!o_.triggerBody) NotSupported("variables (" + tk.text + ")");
            out = VariableParameter(tk.text);
            ++i;
            break;
        case TokenKind::Word:
            if (tk.upper == "CASE") {
                size_t end = MatchCaseEnd(i, e);
                out = "CASE " + Sequence(i + 1, end) + " END" + Collation();
                i = end + 1;
                break;
            }
            if (tk.upper == "NULL") {
                out = "NULL";
                ++i;
                break;
            }
            if (tk.upper == "CURRENT_TIMESTAMP") {
                out = "dm_getdate()";
                ++i;
                break;
            }
            if (i + 1 < e && t_[i + 1].kind == TokenKind::LParen) {
                out = Function(i, e);
                break;
            }
            [[fallthrough]];
        case TokenKind::QuotedName: {
            const size_t start = i;
            out = NameChain(i, e);
            // A text column compared with a number is converted to a
            // number, row by row, as the server does.
            const bool assignedTo = setList_ && i < e && t_[i].kind == TokenKind::Operator && t_[i].text == "=";
            if (o_.catalog && !assignedTo && IsName(i - 1) && ColumnOf({start, i}).kind == ColumnType::Kind::Text) {
                for (const Range& r : Partners(start, i, e)) {
                    const Range number = t_[r.begin].kind == TokenKind::Operator ? Range{r.begin + 1, r.end} : r;
                    if (t_[number.begin].kind != TokenKind::Number) continue;
                    out = "dm_cast(" + out + (IsWholeNumber(t_[number.begin].text) ? ", 'INT', 1, 0)" : ", 'FLOAT', 1, 0)");
                    break;
                }
            }
            break;
        }
        default:
            SyntaxNear(tk.text);
    }
    while (IsWord(i, "COLLATE") && i < e) {
        ++i;
        if (i >= e || t_[i].kind != TokenKind::Word) SyntaxNear("COLLATE");
        const std::string& name = t_[i].upper;
        if (name.find("_CI") != std::string::npos) {
            out += " COLLATE NOCASE";
        } else if (name.find("_CS") != std::string::npos || name.find("BIN") != std::string::npos) {
            out += " COLLATE RTRIM";
        } else {
            Fail(448, "Invalid collation '" + t_[i].text + "'.");
        }
        ++i;
    }
    return out;
}

std::string Translator::Function(size_t& i, size_t e) {
    std::string name = t_[i].upper;
    size_t open = i + 1;
    size_t close = MatchParen(open, e);
    std::vector<Range> args = SplitArgs(open + 1, close);
    i = close + 1;

    if (name == "CAST" || name == "TRY_CAST" || name == "CONVERT" || name == "TRY_CONVERT") {
        return Cast(name, args, open + 1, close);
    }
    if (name == "DATEADD") {
        if (args.size() != 3) Fail(sqlerr::kArgumentCount, "The dateadd function requires 3 argument(s).");
        if (args[0].end - args[0].begin != 1 || t_[args[0].begin].kind != TokenKind::Word) {
            SyntaxNear("DATEADD");
        }
        std::string part = t_[args[0].begin].text;
        for (char& c : part) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string date = Sequence(args[2].begin, args[2].end);
        if (IsText(args[2])) date = "dm_cast(" + date + ", 'DATEFROMTEXT', 1, 0)";
        return "dm_dateadd(" + Literal(part) + ", " + Sequence(args[1].begin, args[1].end) + ", " + date + ")";
    }
    if (name == "XACT_STATE" && o_.triggerBody) {
        if (!args.empty()) Fail(sqlerr::kArgumentCount, "The xact_state function requires 0 argument(s).");
        return VariableParameter("@@XACT_STATE");
    }
    if (name == "ERROR_NUMBER" && o_.triggerBody) {
        if (!args.empty()) Fail(sqlerr::kArgumentCount, "The error_number function requires 0 argument(s).");
        return VariableParameter("@@ERROR_NUMBER");
    }
    if (name == "UPDATE" && o_.triggerBody) {
        // UPDATE(column): whether the statement that fired the trigger
        // wrote the column.
        if (args.size() != 1 || args[0].end - args[0].begin != 1 || !IsName(args[0].begin)) SyntaxNear("UPDATE");
        const std::string column = ToUpper(t_[args[0].begin].text);
        const auto* columns = o_.catalog ? o_.catalog->Table(o_.triggerTable) : nullptr;
        bool known = !columns;
        for (size_t k = 0; columns && k < columns->size(); ++k) known = known || (*columns)[k].first == column;
        if (!known) Fail(sqlerr::kInvalidColumn, "Invalid column name '" + t_[args[0].begin].text + "'.");
        return "dm_updated(" + Literal(column) + ")";
    }
    if (name == "CHARINDEX") {
        if (args.size() != 2 && args.size() != 3) {
            Fail(sqlerr::kArgumentCount, "The charindex function requires 2 to 3 arguments.");
        }
        std::string out = "dm_charindex(";
        for (size_t k = 0; k < args.size(); ++k) out += (k ? ", " : "") + Sequence(args[k].begin, args[k].end);
        return out + ")";
    }
    if (name == "ISNULL" && args.size() == 2) {
        return IsNull(args) + Collation();
    }
    for (const auto& rule : kFunctions) {
        if (rule.name != name) continue;
        if (args.size() < rule.minArgs || args.size() > rule.maxArgs) {
            Fail(sqlerr::kArgumentCount, "The " + ToUpper(name) + " function requires " +
                                             std::to_string(rule.minArgs) + " argument(s).");
        }
        std::string out = std::string(rule.target) + "(";
        for (size_t k = 0; k < args.size(); ++k) {
            if (k) out += ", ";
            out += Sequence(args[k].begin, args[k].end);
        }
        out += ")";
        if (GivesText(name) && !IsArgument(open - 1, close + 1)) out += Collation();
        return out;
    }
    Fail(sqlerr::kUnknownFunction, "'" + t_[open - 1].text + "' is not a recognized built-in function name.");
}

std::string Translator::Cast(const std::string& name, const std::vector<Range>& args, size_t b,
                             size_t e) {
    bool strict = name == "CAST" || name == "CONVERT";
    Range value{}, type{};
    if (name == "CAST" || name == "TRY_CAST") {
        size_t as = FindWord(b, e, "AS");
        if (as == e || as == b) SyntaxNear(name);
        value = {b, as};
        type = {as + 1, e};
    } else {
        if (args.size() == 3) NotSupported(name + " with a style");
        if (args.size() != 2) Fail(sqlerr::kArgumentCount, "The " + name + " function requires 2 argument(s).");
        type = args[0];
        value = args[1];
    }
    if (type.begin >= type.end || t_[type.begin].kind != TokenKind::Word) SyntaxNear(name);
    const std::string& typeName = t_[type.begin].upper;
    std::string length = "0";
    size_t next = type.begin + 1;
    if (next < type.end && t_[next].kind == TokenKind::LParen) {
        size_t close = MatchParen(next, type.end);
        if (close != type.end - 1) SyntaxNear(t_[close].text);
        if (next + 1 < close && t_[next + 1].kind == TokenKind::Number) length = t_[next + 1].text;
        next = close + 1;
    } else if (typeName.find("CHAR") != std::string::npos) {
        length = "30";  // SQL Server's length of CAST(x AS VARCHAR)
    }
    if (next != type.end) SyntaxNear(t_[next].text);
    for (const auto& rule : kCastTypes) {
        if (rule.type != typeName) continue;
        std::string kind(rule.kind);
        if (kind != "VARCHAR") length = "0";
        // A date becomes the server's text of it.
        else if (IsDate(value)) kind = "DATETEXT";
        if (kind == "DATETIME" && IsText(value)) kind = "DATEFROMTEXT";
        std::string out = "dm_cast(" + Sequence(value.begin, value.end) + ", '" + kind + "', " + (strict ? "1" : "0") +
                          ", " + length + ")";
        if (rule.kind == "VARCHAR" && !IsArgument(b - 2, e + 1)) out += Collation();
        return out;
    }
    Fail(sqlerr::kUnknownType, "Type " + t_[type.begin].text + " is not a defined system type.");
}

// ISNULL(a, b): the result has a's type, so b is converted to it (a text
// cut to a's length).
std::string Translator::IsNull(const std::vector<Range>& args) {
    std::string first = Sequence(args[0].begin, args[0].end);
    std::string second = Sequence(args[1].begin, args[1].end);
    auto column = OperandAt(args[0].begin, args[0].end);
    const ColumnType type = column && column->end == args[0].end ? ColumnOf(*column) : ColumnType{};
    if (type.kind == ColumnType::Kind::Text) {
        if (type.length > 0) second = "dm_cast(" + second + ", 'VARCHAR', 1, " + std::to_string(type.length) + ")";
    } else {
        second = Converted(second, type, args[1].begin, args[1].end);
    }
    return "IFNULL(" + first + ", " + second + ")";
}

std::vector<std::optional<std::string>> Translator::SelectNames(size_t b, size_t e) const {
    std::vector<std::optional<std::string>> names;
    size_t i = b + 1;  // after SELECT
    if (IsWord(i, "DISTINCT") || IsWord(i, "ALL")) ++i;
    if (IsWord(i, "TOP")) {
        ++i;
        if (i < e && t_[i].kind == TokenKind::LParen) i = MatchParen(i, e) + 1;
        else ++i;
    }
    size_t end = e;
    for (std::string_view stop : {"FROM", "WHERE", "ORDER", "GROUP", "UNION", "INTO"}) {
        end = std::min(end, FindWord(i, e, stop));
    }
    for (const Range& item : SplitArgs(i, end)) {
        size_t s = item.begin, f = item.end;
        const Token& last = t_[f - 1];
        if (f - s == 1 && last.kind == TokenKind::Operator && last.text == "*") {
            names.push_back(std::nullopt);
            continue;
        }
        if (f - s >= 2 && last.kind == TokenKind::Operator && last.text == "*" &&
            t_[f - 2].kind == TokenKind::Dot) {
            names.push_back(std::nullopt);
            continue;
        }
        bool lastIsName = last.kind == TokenKind::QuotedName || last.kind == TokenKind::String ||
                          (last.kind == TokenKind::Word && !Reserved().count(last.upper));
        if (f - s >= 2 && IsWord(f - 2, "AS") && lastIsName) {
            names.push_back(last.text);
            continue;
        }
        bool chain = true;
        for (size_t k = s; k < f; ++k) {
            bool wantName = (k - s) % 2 == 0;
            bool isName = t_[k].kind == TokenKind::QuotedName || t_[k].kind == TokenKind::Word;
            if (wantName != isName || (!wantName && t_[k].kind != TokenKind::Dot)) chain = false;
        }
        if (chain && (f - s) % 2 == 1) {
            names.push_back(last.text);
            continue;
        }
        const Token& before = t_[f - 2 < s ? s : f - 2];
        bool aliasAfterExpression = f - s >= 2 && lastIsName && last.kind != TokenKind::String &&
                                    before.kind != TokenKind::Dot &&
                                    before.kind != TokenKind::Operator &&
                                    !(before.kind == TokenKind::Word && Reserved().count(before.upper) &&
                                      before.upper != "END" && before.upper != "NULL");
        names.push_back(aliasAfterExpression ? std::optional<std::string>(last.text)
                                             : std::optional<std::string>(std::string()));
    }
    return names;
}

Translation Translator::Insert(size_t b, size_t e) {
    size_t i = b + 1;
    if (IsWord(i, "INTO")) ++i;
    std::vector<std::string> parts;
    std::string table = NameChain(i, e, &parts);
    Translation tr;
    tr.kind = Translation::Kind::Command;
    tr.changesRows = true;
    tr.write = {WriteTarget::Event::Insert, parts.back(), {}};
    Joiner out;
    out.Add("INSERT INTO");
    out.Add(table);
    // The types of the columns filled, in order, when the library knows
    // them all: each value is converted to its column's type.
    std::vector<ColumnType> targets;
    const auto* columns = o_.catalog ? o_.catalog->Table(parts.back()) : nullptr;
    if (columns && i < e && t_[i].kind == TokenKind::LParen) {
        size_t close = MatchParen(i, e);
        for (const Range& c : SplitArgs(i + 1, close)) {
            if (c.end - c.begin != 1 || !IsName(c.begin)) {
                targets.clear();
                break;
            }
            ColumnType type;
            for (const auto& [n, t] : *columns) {
                if (n == t_[c.begin].upper) type = t;
            }
            targets.push_back(type);
        }
        out.Add(Sequence(i, close + 1));
        i = close + 1;
    } else if (columns) {
        for (const auto& c : *columns) targets.push_back(c.second);
    }
    if (!targets.empty() && IsWord(i, "VALUES")) {
        out.Add("VALUES");
        ++i;
        for (;;) {
            if (i >= e || t_[i].kind != TokenKind::LParen) SyntaxNear(i < e ? t_[i].text : "VALUES");
            size_t close = MatchParen(i, e);
            std::vector<Range> values = SplitArgs(i + 1, close);
            std::string tuple = "(";
            for (size_t k = 0; k < values.size(); ++k) {
                std::string value = Sequence(values[k].begin, values[k].end);
                if (k < targets.size()) value = Converted(value, targets[k], values[k].begin, values[k].end);
                tuple += (k ? ", " : "") + value;
            }
            out.Add(tuple + ")");
            i = close + 1;
            if (i < e && t_[i].kind == TokenKind::Comma) {
                out.Add(",");
                ++i;
                continue;
            }
            break;
        }
        if (i != e) SyntaxNear(t_[i].text);
    } else {
        if (IsWord(i, "SELECT")) insertTargets_ = std::move(targets);
        out.Add(Sequence(i, e));
    }
    tr.sql = out.Take();
    return tr;
}

Translation Translator::Update(size_t b, size_t e) {
    size_t i = b + 1;
    if (IsWord(i, "TOP")) NotSupported("UPDATE TOP");
    std::vector<std::string> parts;
    std::string target = NameChain(i, e, &parts);
    if (!IsWord(i, "SET")) SyntaxNear(i < e ? t_[i].text : target);
    // UPDATE t SET ... FROM: a FROM clause that names t again would join a
    // second copy of it in SQLite, so it is refused.
    size_t from = FindWord(i, e, "FROM");
    if (from < e) {
        size_t where = FindWord(from, e, "WHERE");
        int depth = 0;
        for (size_t k = from; k < where; ++k) {
            if (t_[k].kind == TokenKind::LParen) ++depth;
            if (t_[k].kind == TokenKind::RParen) --depth;
            bool startsTable = depth == 0 && (IsWord(k, "FROM") || IsWord(k, "JOIN") ||
                                              t_[k].kind == TokenKind::Comma);
            if (!startsTable || !IsName(k + 1)) continue;
            size_t j = k + 1;
            while (j + 2 < where && t_[j + 1].kind == TokenKind::Dot) j += 2;
            if (EqualsNoCase(t_[j].text, parts.back())) {
                NotSupported("UPDATE ... FROM that names the updated table again");
            }
        }
    }
    Translation tr;
    tr.kind = Translation::Kind::Command;
    tr.changesRows = true;
    tr.write = {WriteTarget::Event::Update, parts.back(), {}};
    // The SET list: "column = value" items up to FROM or WHERE.
    const size_t setEnd = std::min(FindWord(i + 1, e, "FROM"), FindWord(i + 1, e, "WHERE"));
    for (const Range& item : SplitArgs(i + 1, setEnd)) {
        size_t k = item.begin;
        while (k + 2 < item.end && t_[k + 1].kind == TokenKind::Dot) k += 2;
        if (IsName(k)) tr.write.setColumns.push_back(ToUpper(t_[k].text));
    }
    Joiner out;
    out.Add("UPDATE");
    out.Add(target);
    assignTable_ = o_.catalog ? o_.catalog->Table(parts.back()) : nullptr;
    out.Add(Sequence(i, e));
    tr.sql = out.Take();
    return tr;
}

Translation Translator::Delete(size_t b, size_t e) {
    size_t i = b + 1;
    if (IsWord(i, "TOP")) NotSupported("DELETE TOP");
    if (IsWord(i, "FROM")) ++i;
    std::vector<std::string> parts;
    std::string target = NameChain(i, e, &parts);
    if (FindWord(i, e, "FROM") < e) NotSupported("DELETE with a second FROM clause");
    Translation tr;
    tr.kind = Translation::Kind::Command;
    tr.changesRows = true;
    tr.write = {WriteTarget::Event::Delete, parts.back(), {}};
    Joiner out;
    out.Add("DELETE FROM");
    out.Add(target);
    out.Add(Sequence(i, e));
    tr.sql = out.Take();
    return tr;
}

Translation Translator::Create(size_t b, size_t e) {
    size_t i = b + 1;
    if (IsWord(i, "TABLE")) return CreateTable(i + 1, e);
    if (IsWord(i, "INDEX") || IsWord(i, "UNIQUE") || IsWord(i, "CLUSTERED") ||
        IsWord(i, "NONCLUSTERED")) {
        return CreateIndex(i, e);
    }
    if (IsWord(i, "TRIGGER")) return CreateTrigger(i + 1, e);
    if (IsWord(i, "OR")) SyntaxNear(i + 1 < e ? t_[i + 1].text : "OR");
    NotSupported("CREATE " + (i < e ? t_[i].upper : std::string()) + " statements");
}

Translation Translator::CreateTable(size_t i, size_t e) {
    std::vector<std::string> parts;
    NameChain(i, e, &parts);
    std::string table = Qualified(parts);
    if (i >= e || t_[i].kind != TokenKind::LParen) SyntaxNear(i < e ? t_[i].text : parts.back());
    size_t close = MatchParen(i, e);
    if (close + 1 != e) NotSupported("CREATE TABLE options after the column list");
    const std::string collate = Collation();
    std::vector<std::string> defs;
    int column = 0;
    for (const Range& def : SplitArgs(i + 1, close)) {
        ++column;
        size_t k = def.begin;
        if (!IsName(k)) NotSupported("table constraints in CREATE TABLE");
        std::string name = Identifier(t_[k++]);
        if (k >= def.end || t_[k].kind != TokenKind::Word) SyntaxNear(name);
        std::string type = t_[k].upper;
        std::string typeText = t_[k].text;
        ++k;
        std::vector<std::string> sizes;
        if (k < def.end && t_[k].kind == TokenKind::LParen) {
            size_t end = MatchParen(k, def.end);
            for (const Range& a : SplitArgs(k + 1, end)) {
                if (a.end - a.begin != 1) SyntaxNear(typeText);
                sizes.push_back(t_[a.begin].upper);
            }
            k = end + 1;
        }
        std::string mapped;
        std::vector<std::string> checks;
        if (type == "INT" || type == "INTEGER") mapped = "INT";
        else if (type == "BIGINT" || type == "SMALLINT" || type == "TINYINT" || type == "BIT") mapped = type;
        else if (type == "VARCHAR" || type == "NVARCHAR" || type == "CHAR" || type == "NCHAR") {
            // Without a length the column holds one character.
            std::string width = sizes.empty() ? "1" : sizes[0];
            mapped = type;
            if (width != "MAX") mapped += "(" + width + ")";
            mapped += collate;
            if (width != "MAX") {
                checks.push_back("CHECK (length(rtrim(" + name + ")) <= " + width + ")");
            }
        } else if (type == "TEXT" || type == "NTEXT") mapped = "TEXT" + collate;
        else if (type == "DATETIME" || type == "SMALLDATETIME" || type == "DATETIME2") mapped = "DATETIME";
        else if (type == "FLOAT" || type == "REAL") mapped = "FLOAT";
        else if (type == "DECIMAL" || type == "NUMERIC") {
            mapped = "NUMERIC";
            if (!sizes.empty()) {
                mapped += "(" + sizes[0];
                for (size_t s = 1; s < sizes.size(); ++s) mapped += "," + sizes[s];
                mapped += ")";
            }
        } else if (type == "MONEY") mapped = "NUMERIC(19,4)";
        else {
            Fail(sqlerr::kUnknownDataType, "Column, parameter, or variable #" + std::to_string(column) +
                                               ": Cannot find data type " + typeText + ".");
        }
        std::string text = name + " " + mapped;
        while (k < def.end) {
            if (IsWord(k, "NULL")) {
                ++k;
            } else if (IsWord(k, "NOT") && IsWord(k + 1, "NULL")) {
                text += " NOT NULL";
                k += 2;
            } else if (IsWord(k, "PRIMARY") && IsWord(k + 1, "KEY")) {
                text += " PRIMARY KEY";
                k += 2;
            } else if (IsWord(k, "UNIQUE")) {
                text += " UNIQUE";
                ++k;
            } else if (IsWord(k, "DEFAULT") && k + 1 < def.end &&
                       (t_[k + 1].kind == TokenKind::String || t_[k + 1].kind == TokenKind::Number ||
                        IsWord(k + 1, "NULL"))) {
                const Token& v = t_[k + 1];
                text += " DEFAULT " + (v.kind == TokenKind::String ? Literal(v.text) : v.upper);
                k += 2;
            } else if (IsWord(k, "IDENTITY")) {
                NotSupported("IDENTITY columns");
            } else {
                SyntaxNear(t_[k].text);
            }
        }
        for (const auto& check : checks) text += " " + check;
        defs.push_back(text);
    }
    if (defs.empty()) SyntaxNear(")");
    Translation tr;
    tr.kind = Translation::Kind::Command;
    tr.sql = "CREATE TABLE " + table + " (";
    for (size_t d = 0; d < defs.size(); ++d) tr.sql += (d ? ", " : "") + defs[d];
    tr.sql += ")";
    return tr;
}

Translation Translator::CreateIndex(size_t i, size_t e) {
    bool unique = false;
    while (IsWord(i, "UNIQUE") || IsWord(i, "CLUSTERED") || IsWord(i, "NONCLUSTERED")) {
        unique = unique || IsWord(i, "UNIQUE");
        ++i;
    }
    if (!IsWord(i, "INDEX")) SyntaxNear(i < e ? t_[i].text : "INDEX");
    ++i;
    if (!IsName(i) || (i + 1 < e && t_[i + 1].kind == TokenKind::Dot)) {
        SyntaxNear(i < e ? t_[i].text : "INDEX");
    }
    std::string index = Identifier(t_[i++]);
    if (!IsWord(i, "ON")) SyntaxNear(i < e ? t_[i].text : index);
    ++i;
    std::vector<std::string> parts;
    NameChain(i, e, &parts);
    if (parts.size() > 2) NotSupported("names with more than two parts");
    if (i >= e || t_[i].kind != TokenKind::LParen) SyntaxNear(parts.back());
    size_t close = MatchParen(i, e);
    if (close + 1 != e) NotSupported("CREATE INDEX options");
    std::string columns;
    for (const Range& c : SplitArgs(i + 1, close)) {
        size_t k = c.begin;
        if (!columns.empty()) columns += ", ";
        columns += NameChain(k, c.end);
        if (IsWord(k, "ASC") || IsWord(k, "DESC")) columns += " " + t_[k++].upper;
        if (k != c.end) SyntaxNear(t_[k].text);
    }
    std::string schema = parts.size() == 2 ? parts[0] : o_.owner;
    Translation tr;
    tr.kind = Translation::Kind::Command;
    tr.sql = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " +
             Identifier(Token{TokenKind::Word, schema, ToUpper(schema)}) + "." + index + " ON " +
             Identifier(Token{TokenKind::Word, parts.back(), ToUpper(parts.back())}) + " (" +
             columns + ")";
    return tr;
}

// CREATE TRIGGER [schema.]name ON [schema.]table FOR|AFTER INSERT[, UPDATE]
// AS body. The body is compiled here, so that what the emulator cannot run
// is refused now and not when the trigger fires.
Translation Translator::CreateTrigger(size_t i, size_t e) {
    std::vector<std::string> name;
    NameChain(i, e, &name);
    if (name.size() > 2) NotSupported("names with more than two parts");
    if (!IsWord(i, "ON")) SyntaxNear(i < e ? t_[i].text : name.back());
    ++i;
    std::vector<std::string> table;
    NameChain(i, e, &table);
    if (table.size() > 2) NotSupported("names with more than two parts");
    if (IsWord(i, "WITH")) NotSupported("trigger options");
    if (IsWord(i, "INSTEAD")) NotSupported("INSTEAD OF triggers");
    if (!IsWord(i, "FOR") && !IsWord(i, "AFTER")) SyntaxNear(i < e ? t_[i].text : table.back());
    ++i;
    Translation tr;
    tr.kind = Translation::Kind::CreateTrigger;
    for (;;) {
        if (IsWord(i, "INSERT")) tr.onInsert = true;
        else if (IsWord(i, "UPDATE")) tr.onUpdate = true;
        else if (IsWord(i, "DELETE")) NotSupported("triggers for DELETE");
        else SyntaxNear(i < e ? t_[i].text : "FOR");
        ++i;
        if (i < e && t_[i].kind == TokenKind::Comma) {
            ++i;
            continue;
        }
        break;
    }
    if (IsWord(i, "NOT")) NotSupported("NOT FOR REPLICATION");
    if (!IsWord(i, "AS")) SyntaxNear(i < e ? t_[i].text : "AS");
    ++i;
    tr.triggerSchema = name.size() == 2 ? name[0] : o_.owner;
    tr.triggerName = name.back();
    tr.triggerTable = table.back();
    if (table.size() == 2 && !EqualsNoCase(table[0], tr.triggerSchema)) {
        Fail(sqlerr::kTriggerSchema, "Cannot create trigger '" + tr.triggerName +
                                         "' because its schema is different from the schema of the target "
                                         "table or view.");
    }
    DialectOptions body = o_;
    body.triggerBody = true;
    body.triggerTable = tr.triggerTable;
    auto compiled = CompileTriggerBody(t_, i, e, body);
    if (auto failure = std::get_if<SqlFailure>(&compiled)) throw Failed{*failure};
    tr.program = std::get<std::shared_ptr<const TriggerProgram>>(compiled);
    return tr;
}

Translation Translator::Drop(size_t b, size_t e) {
    size_t i = b + 1;
    std::string kind;
    if (IsWord(i, "TABLE")) kind = "table";
    else if (IsWord(i, "TRIGGER")) kind = "trigger";
    else NotSupported("DROP " + (i < e ? t_[i].upper : std::string()) + " statements");
    ++i;
    bool ifExists = IsWord(i, "IF") && IsWord(i + 1, "EXISTS");
    if (ifExists) i += 2;
    std::vector<std::string> parts;
    NameChain(i, e, &parts);
    if (i != e) NotSupported("DROP of more than one object");
    Translation tr;
    tr.kind = Translation::Kind::Command;
    tr.sql = "DROP " + ToUpper(kind) + (ifExists ? " IF EXISTS " : " ") + Qualified(parts);
    tr.dropKind = kind;
    for (size_t p = 0; p < parts.size(); ++p) tr.dropName += (p ? "." : "") + parts[p];
    return tr;
}

Translation Translator::Grant(size_t b, size_t e) {
    size_t on = FindWord(b, e, "ON");
    if (on == e) NotSupported(t_[b].upper + " without an object");
    size_t i = on + 1;
    std::vector<std::string> parts;
    NameChain(i, e, &parts);
    if (parts.size() > 2) NotSupported("names with more than two parts");
    Translation tr;
    tr.kind = Translation::Kind::Grant;
    tr.grantObject = parts.size() == 2 ? parts[0] + "." + parts[1] : o_.owner + "." + parts[0];
    return tr;
}

Translation Translator::If(size_t b, size_t e) {
    // IF <condition> <statement>: the statement starts at the first
    // statement word outside parentheses.
    static const std::unordered_set<std::string> starts = {"DROP",   "DELETE", "INSERT", "UPDATE",
                                                           "CREATE", "GRANT",  "SELECT", "BEGIN"};
    size_t s = e;
    int depth = 0;
    for (size_t k = b + 1; k < e; ++k) {
        if (t_[k].kind == TokenKind::LParen) ++depth;
        if (t_[k].kind == TokenKind::RParen) --depth;
        if (depth == 0 && t_[k].kind == TokenKind::Word && starts.count(t_[k].upper)) {
            s = k;
            break;
        }
    }
    if (s == e || s == b + 1) SyntaxNear("IF");
    if (IsWord(s, "BEGIN")) NotSupported("IF with a BEGIN ... END block");
    Translation tr;
    tr.kind = Translation::Kind::Conditional;
    tr.condition = "SELECT CASE WHEN " + Sequence(b + 1, s) + " THEN 1 ELSE 0 END";
    tr.body = std::make_shared<Translation>(Statement(s, e));
    return tr;
}

// BEGIN TRAN[SACTION] [name], COMMIT [TRAN[SACTION] | WORK] [name],
// ROLLBACK [TRAN[SACTION] | WORK] [name]; the name is not used.
Translation Translator::Transaction(size_t b, size_t e) {
    Translation tr;
    tr.kind = Translation::Kind::Transaction;
    const std::string& w = t_[b].upper;
    size_t i = b + 1;
    bool transactionWord = IsWord(i, "TRAN") || IsWord(i, "TRANSACTION");
    if (w == "BEGIN") {
        if (!transactionWord) NotSupported("BEGIN ... END blocks");
        tr.transaction = Translation::TransactionOp::Begin;
    } else {
        tr.transaction = w == "COMMIT" ? Translation::TransactionOp::Commit
                                       : Translation::TransactionOp::Rollback;
        transactionWord = transactionWord || IsWord(i, "WORK");
    }
    if (transactionWord) ++i;
    if (i < e && (IsName(i) || t_[i].kind == TokenKind::Variable)) {
        if (t_[i].kind == TokenKind::Variable) NotSupported("variables (" + t_[i].text + ")");
        ++i;
    }
    if (i != e) SyntaxNear(t_[i].text);
    tr.sql = w == "BEGIN" ? "BEGIN TRANSACTION" : w + " TRANSACTION";
    return tr;
}

// SET LANGUAGE name and SET DATEFORMAT order: the name or order as a word,
// a quoted name or a string; the session takes it when the statement runs.
Translation Translator::Set(size_t b, size_t e) {
    const size_t value = b + 2;
    if (value >= e) SyntaxNear(t_[b + 1].text);
    const Token& v = t_[value];
    if (v.kind == TokenKind::Variable) NotSupported("variables (" + v.text + ")");
    if (v.kind != TokenKind::Word && v.kind != TokenKind::QuotedName && v.kind != TokenKind::String) SyntaxNear(v.text);
    if (value + 1 != e) SyntaxNear(t_[value + 1].text);
    Translation tr;
    tr.kind = Translation::Kind::Setting;
    tr.setting = t_[b + 1].upper;
    tr.settingValue = v.text;
    return tr;
}

Translation Translator::Statement(size_t b, size_t e) {
    Translation tr;
    if (b == e) return tr;
    const Token& first = t_[b];
    if (first.kind != TokenKind::Word) SyntaxNear(first.text);
    const std::string& w = first.upper;
    if (w == "SELECT") {
        tr.kind = Translation::Kind::Query;
        tr.sql = Sequence(b, e);
        tr.columnNames = SelectNames(b, e);
        return tr;
    }
    if (w == "INSERT") return Insert(b, e);
    if (w == "UPDATE") return Update(b, e);
    if (w == "DELETE") return Delete(b, e);
    if (w == "CREATE") return Create(b, e);
    if (w == "DROP") return Drop(b, e);
    if (w == "GRANT" || w == "REVOKE" || w == "DENY") return Grant(b, e);
    if (w == "IF") return If(b, e);
    if (w == "BEGIN" || w == "COMMIT" || w == "ROLLBACK") return Transaction(b, e);
    if (w == "SET" && (IsWord(b + 1, "LANGUAGE") || IsWord(b + 1, "DATEFORMAT"))) return Set(b, e);
    if (BatchWords().count(w)) NotSupported(w + " statements");
    SyntaxNear(first.text);
}

}  // namespace

TranslateResult TranslateStatement(std::string_view statement, const DialectOptions& options) {
    TokenizeResult tokens = Tokenize(statement);
    if (tokens.error) return SqlFailure{tokens.error->code, tokens.error->message};
    auto& t = tokens.tokens;
    while (!t.empty() && t.back().kind == TokenKind::Semicolon) t.pop_back();
    // A trigger's body is a batch of statements of its own.
    const bool trigger = t.size() > 1 && t[0].upper == "CREATE" && t[1].upper == "TRIGGER";
    int depth = 0;
    for (const auto& token : t) {
        if (token.kind == TokenKind::Semicolon && !trigger) {
            return SqlFailure{sqlerr::kNotSupported,
                              "The emulator does not run more than one statement at a time."};
        }
        if (token.kind == TokenKind::LParen) ++depth;
        if (token.kind == TokenKind::RParen && --depth < 0) {
            return SqlFailure{sqlerr::kSyntax, "Incorrect syntax near ')'."};
        }
    }
    if (depth != 0) return SqlFailure{sqlerr::kSyntax, "Incorrect syntax near '('."};
    try {
        Translator translator(t, options);
        Translation tr = translator.Statement(0, t.size());
        if (tr.kind == Translation::Kind::CreateTrigger) tr.sql = std::string(statement);
        return tr;
    } catch (const Failed& failed) {
        return failed.failure;
    }
}

TranslateResult TranslateTokens(const std::vector<Token>& tokens, size_t begin, size_t end,
                                const DialectOptions& options) {
    try {
        return Translator(tokens, options).Statement(begin, end);
    } catch (const Failed& failed) {
        return failed.failure;
    }
}

std::variant<std::string, SqlFailure> TranslateCondition(const std::vector<Token>& tokens, size_t begin,
                                                         size_t end, const DialectOptions& options) {
    try {
        if (begin == end) SyntaxNear("IF");
        return Translator(tokens, options).Condition(begin, end);
    } catch (const Failed& failed) {
        return failed.failure;
    }
}

std::variant<std::string, SqlFailure> TranslateExpression(const std::vector<Token>& tokens, size_t begin,
                                                          size_t end, const DialectOptions& options) {
    try {
        if (begin == end) SyntaxNear("=");
        return Translator(tokens, options).Value(begin, end);
    } catch (const Failed& failed) {
        return failed.failure;
    }
}

namespace {

ColumnType TypeOf(std::string_view declared) {
    std::string t = ToUpper(declared);
    const size_t paren = t.find('(');
    std::string base = t.substr(0, paren);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    ColumnType c;
    using Kind = ColumnType::Kind;
    if (base == "INT" || base == "INTEGER" || base == "SMALLINT" || base == "TINYINT" || base == "BIT") {
        c.kind = Kind::Int;
    } else if (base == "BIGINT") {
        c.kind = Kind::BigInt;
    } else if (base == "FLOAT" || base == "REAL" || base == "NUMERIC" || base == "DECIMAL" || base == "MONEY") {
        c.kind = Kind::Float;
    } else if (base == "DATETIME" || base == "SMALLDATETIME" || base == "DATETIME2" || base == "DATE") {
        c.kind = Kind::Date;
    } else if (base == "VARCHAR" || base == "NVARCHAR" || base == "CHAR" || base == "NCHAR" || base == "TEXT" ||
               base == "NTEXT") {
        c.kind = Kind::Text;
        c.fixed = base == "CHAR" || base == "NCHAR";
        if (paren != std::string::npos) c.length = std::atoi(t.c_str() + paren + 1);
    }
    return c;
}

}  // namespace

void SchemaCatalog::Add(std::string_view table, std::string_view column, std::string_view declaredType) {
    const ColumnType type = TypeOf(declaredType);
    const std::string name = ToUpper(column);
    tables_[ToUpper(table)].emplace_back(name, type);
    auto [at, added] = columns_.emplace(name, type);
    if (added) return;
    if (at->second.kind != type.kind) at->second = ColumnType{};
    else if (at->second.length != type.length || at->second.fixed != type.fixed) at->second.length = 0;
}

ColumnType SchemaCatalog::Column(std::string_view name) const {
    auto found = columns_.find(ToUpper(name));
    return found == columns_.end() ? ColumnType{} : found->second;
}

const std::vector<std::pair<std::string, ColumnType>>* SchemaCatalog::Table(std::string_view name) const {
    auto found = tables_.find(ToUpper(name));
    return found == tables_.end() ? nullptr : &found->second;
}

std::string VariableParameter(std::string_view variable) {
    if (variable.substr(0, 2) == "@@") return "@DMSIM_" + ToUpper(std::string(variable.substr(2)));
    return "@" + ToUpper(std::string(variable.substr(variable.empty() ? 0 : 1)));
}

std::string Describe(const Translation& translation) {
    switch (translation.kind) {
        case Translation::Kind::Empty:
            return "";
        case Translation::Kind::Grant:
            return "GRANT (no effect) ON " + translation.grantObject;
        case Translation::Kind::CreateTrigger:
            return "CREATE TRIGGER " + translation.triggerSchema + "." + translation.triggerName + " ON " +
                   translation.triggerTable + (translation.onInsert ? " INSERT" : "") +
                   (translation.onUpdate ? " UPDATE" : "");
        case Translation::Kind::Transaction:
            return translation.sql;
        case Translation::Kind::Setting:
            return "SET " + translation.setting + " " + translation.settingValue;
        case Translation::Kind::Conditional:
            return "IF (" + translation.condition + ") " +
                   (translation.body ? Describe(*translation.body) : std::string());
        default:
            return translation.sql;
    }
}

}  // namespace dmsim
