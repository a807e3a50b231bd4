#include "core/sql_text.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/date_text.h"
#include "core/text.h"
#include "dmclient/variant.h"

namespace core {

namespace {

// A statement split into code and quoted literals ('...' with '' inside).
struct Segment {
    bool literal;
    std::string text;  // a literal keeps its quotes and doubled apostrophes
};

std::vector<Segment> Split(const std::string& sql) {
    std::vector<Segment> out;
    size_t i = 0;
    while (i < sql.size()) {
        if (sql[i] != '\'') {
            size_t j = sql.find('\'', i);
            if (j == std::string::npos) j = sql.size();
            out.push_back({false, sql.substr(i, j - i)});
            i = j;
            continue;
        }
        size_t j = i + 1;
        while (j < sql.size()) {
            if (sql[j] == '\'') {
                if (j + 1 < sql.size() && sql[j + 1] == '\'') {
                    j += 2;
                    continue;
                }
                break;
            }
            ++j;
        }
        size_t end = std::min(j + 1, sql.size());  // an open literal runs to the end
        out.push_back({true, sql.substr(i, end - i)});
        i = end;
    }
    return out;
}

std::string Join(const std::vector<Segment>& segs) {
    std::string s;
    for (auto& seg : segs) s += seg.text;
    return s;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Replaces every occurrence, restarting from the start after each one, as
// long as the replacement cannot recreate the text it replaced.
void ReplaceAll(std::string& s, const std::string& find, const std::string& repl) {
    if (find.empty()) return;
    size_t pos = 0;
    while ((pos = s.find(find, pos)) != std::string::npos) {
        s.replace(pos, find.size(), repl);
        pos += repl.size();
    }
}

bool SameNoCase(char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

// Where find stands in s at or after from, in any case; npos when nowhere.
size_t FindNoCase(const std::string& s, const std::string& find, size_t from) {
    if (find.size() > s.size()) return std::string::npos;
    for (size_t i = from; i + find.size() <= s.size(); ++i) {
        size_t k = 0;
        while (k < find.size() && SameNoCase(s[i + k], find[k])) ++k;
        if (k == find.size()) return i;
    }
    return std::string::npos;
}

// Case-insensitive replacement in one pass from left to right. Every
// statement passes here, so text without the marker is left untouched and
// the rest is copied in pieces.
void ReplaceAllNoCase(std::string& s, const std::string& find, const std::string& repl) {
    if (find.empty()) return;
    size_t pos = FindNoCase(s, find, 0);
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(s.size() + repl.size());
    size_t done = 0;
    for (; pos != std::string::npos; pos = FindNoCase(s, find, done)) {
        out.append(s, done, pos - done).append(repl);
        done = pos + find.size();
    }
    out.append(s, done, std::string::npos);
    s = std::move(out);
}

void ReplaceInCode(std::string& sql, const std::string& find, const std::string& repl) {
    auto segs = Split(sql);
    for (auto& seg : segs) {
        if (!seg.literal) ReplaceAll(seg.text, find, repl);
    }
    sql = Join(segs);
}

// Replaces a whole literal that stands between the given code texts.
void ReplaceLiteralBetween(std::string& sql, const std::string& rawLiteral, const std::string& before,
                           const std::string& after, const std::string& replacement) {
    auto segs = Split(sql);
    for (size_t i = 1; i + 1 < segs.size(); ++i) {
        if (segs[i].literal && segs[i].text == rawLiteral && !segs[i - 1].literal &&
            EndsWith(segs[i - 1].text, before) && !segs[i + 1].literal &&
            StartsWith(segs[i + 1].text, after)) {
            segs[i].text = replacement;
        }
    }
    sql = Join(segs);
}

bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#' || c == '$';
}

// '[OWNER]' or '[OWNER].NAME': a literal the program writes around the marker.
bool IsOwnerTemplate(const std::string& rawLiteral) {
    if (rawLiteral.size() < 9 || rawLiteral.back() != '\'') return false;
    std::string content = rawLiteral.substr(1, rawLiteral.size() - 2);
    if (Upper(content.substr(0, 7)) != "[OWNER]") return false;
    std::string rest = content.substr(7);
    if (rest.empty()) return true;
    if (rest[0] != '.' || rest.size() < 2) return false;
    return std::all_of(rest.begin() + 1, rest.end(), IsIdentChar);
}

// Positions of the statement that hold code (not literal text).
std::vector<bool> CodeMask(const std::string& sql) {
    std::vector<bool> mask;
    mask.reserve(sql.size());
    for (auto& seg : Split(sql)) mask.insert(mask.end(), seg.text.size(), !seg.literal);
    return mask;
}

size_t FindInCode(const std::string& sql, const std::vector<bool>& mask, const std::string& find,
                  size_t from = 0) {
    for (size_t pos = sql.find(find, from); pos != std::string::npos; pos = sql.find(find, pos + 1)) {
        bool allCode = true;
        for (size_t k = pos; k < pos + find.size(); ++k) allCode = allCode && mask[k];
        if (allCode) return pos;
    }
    return std::string::npos;
}

// "05-MAR-2021" as "2021.03.05".
std::string DotDate(const std::string& date) {
    auto bad = [&] { return SqlRewriteError("Type mismatch: cannot read '" + date + "' as a date"); };
    if (date.size() != 11 || date[2] != '-' || date[6] != '-') throw bad();
    const std::string mon = Upper(date.substr(3, 3));
    const auto* it = std::find_if(std::begin(kMonthAbbreviations), std::end(kMonthAbbreviations),
                                  [&](const char* m) { return Upper(m) == mon; });
    if (it == std::end(kMonthAbbreviations)) throw bad();
    for (size_t k : {0, 1, 7, 8, 9, 10}) {
        if (!std::isdigit(static_cast<unsigned char>(date[k]))) throw bad();
    }
    int month = static_cast<int>(it - std::begin(kMonthAbbreviations)) + 1;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s.%02d.%s", date.substr(7, 4).c_str(), month, date.substr(0, 2).c_str());
    return buf;
}

void ApplyAlternateDateFormat(std::string& sql) {
    const std::string format = "RRRR-MON-DD";
    size_t from = 0;
    while (true) {
        auto mask = CodeMask(sql);
        size_t pos = sql.find(format, from);
        // Only the format inside a literal is the program's date template.
        while (pos != std::string::npos && mask[pos]) pos = sql.find(format, pos + 1);
        if (pos == std::string::npos) return;
        sql.replace(pos, format.size(), "YYYY.MM.DD");
        if (pos < 25) throw SqlRewriteError("Invalid procedure call or argument");
        std::string window = sql.substr(pos - 25, 25);
        if (window[0] == '\'') {
            std::string rewritten(1, '\'');
            rewritten += DotDate(window.substr(1, 11));
            rewritten += ' ';
            rewritten += window.substr(13);
            sql.replace(pos - 25, 25, rewritten);
            pos -= 1;
        }
        from = pos + 1;
    }
}

}  // namespace

std::string SubstituteOwner(const std::string& statement, const std::string& owner) {
    auto segs = Split(statement);
    for (auto& seg : segs) {
        if (!seg.literal) {
            ReplaceAllNoCase(seg.text, "[OWNER]", owner);
        } else if (IsOwnerTemplate(seg.text)) {
            seg.text = "'" + owner + seg.text.substr(8);
        }
    }
    for (auto& seg : segs) {
        if (!seg.literal) ReplaceAllNoCase(seg.text, "{OWNER}", "[OWNER]");
    }
    return Join(segs);
}

std::string RewriteItemType(const std::string& statement) {
    std::string sql = statement;
    auto mask = CodeMask(sql);
    size_t from = FindInCode(sql, mask, " FROM ");
    if (from == std::string::npos) return sql;
    while (true) {
        mask = CodeMask(sql);
        size_t dot = FindInCode(sql, mask, ".ITEM_TYPE");
        if (dot == std::string::npos || dot > from) return sql;
        size_t aliasLen = 2;
        if (dot >= 2 && (sql[dot - 2] == ' ' || sql[dot - 2] == ',')) aliasLen = 1;
        aliasLen = std::min(aliasLen, dot);
        size_t start = dot - aliasLen;
        size_t removed = aliasLen + std::string(".ITEM_TYPE").size();
        sql.replace(start, removed, "'X'");
        // The text after the rewrite moved; F stays where it was found, as the
        // rewrite always has done.
        if (from > start) from -= removed - 3;
    }
}

std::string RewriteForOracle(const std::string& statement, bool alternateDateFormat) {
    std::string sql = statement;
    ReplaceInCode(sql, " <> ", " != ");
    ReplaceLiteralBetween(sql, "''''", " ", " ", "''");
    ReplaceLiteralBetween(sql, "''", " != ", " ", "' '");
    ReplaceInCode(sql, "GETUTCDATE()", "SYSDATE");
    ReplaceLiteralBetween(sql, "''", "TO_DATE(", ",", "NULL");
    if (alternateDateFormat) ApplyAlternateDateFormat(sql);
    return sql;
}

std::string RewriteForSqlServer(const std::string& statement, const std::string& databaseVersion) {
    std::string sql = statement;
    ReplaceLiteralBetween(sql, "''", "CAST(", " AS ", "NULL");
    if (dm::LeadingNumber(databaseVersion) < 11) ReplaceInCode(sql, "TRY_CAST", "CAST");
    return sql;
}

std::string RewriteStatement(const std::string& statement, const std::string& owner,
                             const std::string& dmVersion, int32_t databaseEngine,
                             const std::string& databaseVersion, bool alternateDateFormat) {
    std::string sql = SubstituteOwner(statement, owner);
    if (dm::LeadingNumber(dmVersion) < 10) sql = RewriteItemType(sql);
    if (IsOracle(databaseEngine)) return RewriteForOracle(sql, alternateDateFormat);
    return RewriteForSqlServer(sql, databaseVersion);
}

std::string CleanDriverText(std::string text) {
    text = TrimSpace(text);
    while (true) {
        size_t bracket = text.find(']');
        if (bracket == std::string::npos) break;
        size_t quote = text.find('\'');
        if (quote != std::string::npos && quote < bracket) break;
        text = TrimSpace(text.substr(bracket + 1));
    }
    return text;
}

std::string DoubleApostrophes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string SqlLiteral(const std::string& text) {
    std::string out(1, '\'');
    out += DoubleApostrophes(text);
    out += '\'';
    return out;
}

std::string StripQuotes(const std::string& text) {
    auto trimBlanks = [](const std::string& s) {
        size_t b = s.find_first_not_of(' ');
        if (b == std::string::npos) return std::string();
        size_t e = s.find_last_not_of(' ');
        return s.substr(b, e - b + 1);
    };
    std::string s = trimBlanks(text);
    s = trimBlanks(DoubleApostrophes(s));
    for (char& c : s) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return trimBlanks(s);
}

}  // namespace core
