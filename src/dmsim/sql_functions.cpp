#include "dmsim/sql_functions.h"

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "dmsim/date_text.h"
#include "dmsim/library_db.h"

namespace dmsim {

namespace {

constexpr std::string_view kErrorPrefix = "dmsim:";

void Fail(sqlite3_context* ctx, int32_t number, const std::string& text) {
    std::string message = std::string(kErrorPrefix) + std::to_string(number) + ":" + text;
    sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
}

LibraryDb& Db(sqlite3_context* ctx) { return *static_cast<LibraryDb*>(sqlite3_user_data(ctx)); }

std::string Text(sqlite3_value* v) {
    const auto* t = sqlite3_value_text(v);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<size_t>(sqlite3_value_bytes(v)))
             : std::string();
}

void ResultText(sqlite3_context* ctx, const std::string& s) {
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

// A text that is a whole number, as SQL Server converts varchar to int.
std::optional<int64_t> TextToInt(const std::string& text) {
    std::string s = TrimBlanks(text);
    if (s.empty()) return int64_t{0};  // '' converts to 0 in SQL Server
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return std::nullopt;
    for (size_t j = i; j < s.size(); ++j) {
        if (!std::isdigit(static_cast<unsigned char>(s[j]))) return std::nullopt;
    }
    errno = 0;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE) return std::nullopt;
    return v;
}

std::optional<double> TextToDouble(const std::string& text) {
    std::string s = TrimBlanks(text);
    if (s.empty()) return 0.0;
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !std::isfinite(d)) return std::nullopt;
    return d;
}

std::string IntConversionError(const std::string& text) {
    return "Conversion failed when converting the varchar value '" + text +
           "' to data type int.";
}

// a + b with SQL Server's meaning: numbers add, texts concatenate, NULL
// wins, a text meeting a number must read as that number.
void AddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int ta = sqlite3_value_type(argv[0]);
    int tb = sqlite3_value_type(argv[1]);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (ta == SQLITE_BLOB || tb == SQLITE_BLOB) {
        Fail(ctx, 402, "The data types varbinary and varchar are incompatible in the add operator.");
        return;
    }
    if (ta == SQLITE_TEXT && tb == SQLITE_TEXT) {
        ResultText(ctx, Text(argv[0]) + Text(argv[1]));
        return;
    }
    bool anyReal = ta == SQLITE_FLOAT || tb == SQLITE_FLOAT;
    auto number = [&](sqlite3_value* v, int type, double& d, int64_t& i) -> bool {
        if (type == SQLITE_INTEGER) {
            i = sqlite3_value_int64(v);
            d = static_cast<double>(i);
            return true;
        }
        if (type == SQLITE_FLOAT) {
            d = sqlite3_value_double(v);
            return true;
        }
        std::string text = Text(v);
        if (anyReal) {
            auto parsed = TextToDouble(text);
            if (!parsed) {
                Fail(ctx, 8114, "Error converting data type varchar to float.");
                return false;
            }
            d = *parsed;
            return true;
        }
        auto parsed = TextToInt(text);
        if (!parsed) {
            Fail(ctx, 245, IntConversionError(text));
            return false;
        }
        i = *parsed;
        d = static_cast<double>(i);
        return true;
    };
    double da = 0, db = 0;
    int64_t ia = 0, ib = 0;
    if (!number(argv[0], ta, da, ia) || !number(argv[1], tb, db, ib)) return;
    if (anyReal) {
        sqlite3_result_double(ctx, da + db);
        return;
    }
    int64_t sum = 0;
    if (__builtin_add_overflow(ia, ib, &sum)) {
        Fail(ctx, 8115, "Arithmetic overflow error converting expression to data type bigint.");
        return;
    }
    sqlite3_result_int64(ctx, sum);
}

// dm_cast(value, kind, strict, length): CAST (strict, fails on bad input)
// and TRY_CAST (NULL on bad input) for DATETIME, INT, FLOAT and VARCHAR.
void CastFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    std::string kind = Text(argv[1]);
    bool strict = sqlite3_value_int(argv[2]) != 0;
    if (type == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string text = Text(argv[0]);
    if (kind == "DATETIME") {
        std::optional<DateTime> d;
        if (type == SQLITE_TEXT) d = ParseDateTime(TrimBlanks(text));
        if (d) {
            ResultText(ctx, FormatDateTime(*d));
        } else if (strict) {
            Fail(ctx, 241, "Conversion failed when converting date and/or time from character string.");
        } else {
            sqlite3_result_null(ctx);
        }
        return;
    }
    if (kind == "INT") {
        if (type == SQLITE_INTEGER) {
            sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
            return;
        }
        if (type == SQLITE_FLOAT) {
            sqlite3_result_int64(ctx, static_cast<int64_t>(std::trunc(sqlite3_value_double(argv[0]))));
            return;
        }
        auto v = TextToInt(text);
        if (v && (*v < INT32_MIN || *v > INT32_MAX)) {
            if (strict) {
                Fail(ctx, 248, "The conversion of the varchar value '" + text +
                                   "' overflowed an int column.");
            } else {
                sqlite3_result_null(ctx);
            }
            return;
        }
        if (v) {
            sqlite3_result_int64(ctx, *v);
        } else if (strict) {
            Fail(ctx, 245, IntConversionError(text));
        } else {
            sqlite3_result_null(ctx);
        }
        return;
    }
    if (kind == "FLOAT") {
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
            return;
        }
        auto v = TextToDouble(text);
        if (v) {
            sqlite3_result_double(ctx, *v);
        } else if (strict) {
            Fail(ctx, 8114, "Error converting data type varchar to float.");
        } else {
            sqlite3_result_null(ctx);
        }
        return;
    }
    // VARCHAR(length): SQL Server cuts the text to the length.
    int64_t length = sqlite3_value_int64(argv[3]);
    if (length > 0 && static_cast<int64_t>(text.size()) > length) {
        text.resize(static_cast<size_t>(length));
    }
    ResultText(ctx, text);
}

// LEN: characters without the trailing blanks.
void LenFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string text = Text(argv[0]);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    int64_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    sqlite3_result_int64(ctx, count);
}

void UtcDateFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    ResultText(ctx, FormatUtc(Db(ctx).Now()));
}

void LocalDateFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    ResultText(ctx, FormatLocal(Db(ctx).Now()));
}

void ServerPropertyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    std::string name = Text(argv[0]);
    const std::string& version = Db(ctx).Spec().serverVersion;
    if (EqualsNoCase(name, "ProductVersion") && !version.empty()) {
        ResultText(ctx, version);
    } else {
        sqlite3_result_null(ctx);
    }
}

// object_id('OWNER.NAME') for tables, object_id('NAME') for tables and
// triggers of this library's schema.
void ObjectIdFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    LibraryDb& db = Db(ctx);
    std::string name = TrimBlanks(Text(argv[0]));
    // Brackets around the parts are allowed: [DOCSADM].[PROFILE].
    std::string cleaned;
    for (char c : name) {
        if (c != '[' && c != ']') cleaned += c;
    }
    std::string object = cleaned;
    if (auto dot = cleaned.find('.'); dot != std::string::npos) {
        std::string owner = cleaned.substr(0, dot);
        object = cleaned.substr(dot + 1);
        if (!EqualsNoCase(owner, db.Owner()) || object.find('.') != std::string::npos) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    auto found = db.QueryValue("SELECT name FROM " + QuoteName(db.Owner()) +
                                   ".sqlite_master WHERE type IN ('table', 'trigger', 'view') "
                                   "AND name = ? COLLATE NOCASE",
                               {object});
    if (IsNull(found)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, ObjectHash(AsText(found)));
}

void ObjectHashFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_int(ctx, ObjectHash(Text(argv[0])));
}

void DateAddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_type(argv[2]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string part = Text(argv[0]);
    auto date = ParseDateTime(TrimBlanks(Text(argv[2])));
    if (!date) {
        Fail(ctx, 241, "Conversion failed when converting date and/or time from character string.");
        return;
    }
    auto result = AddToDate(*date, part, sqlite3_value_int64(argv[1]));
    if (!result) {
        Fail(ctx, 155, "'" + part + "' is not a recognized dateadd option.");
        return;
    }
    ResultText(ctx, FormatDateTime(*result));
}

void Register(LibraryDb& db, const char* name, int args, bool deterministic,
              void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
    int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | (deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db.Connection().Handle(), name, args, flags, &db, fn,
                                        nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) db.Connection().Throw(rc);
}

}  // namespace

int32_t ObjectHash(std::string_view name) {
    uint32_t h = 2166136261u;
    for (char c : name) {
        h ^= static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
        h *= 16777619u;
    }
    int32_t id = static_cast<int32_t>(h & 0x7FFFFFFF);
    return id == 0 ? 1 : id;
}

std::optional<std::pair<int32_t, std::string>> FunctionErrorOf(std::string_view message) {
    if (message.substr(0, kErrorPrefix.size()) != kErrorPrefix) return std::nullopt;
    std::string_view rest = message.substr(kErrorPrefix.size());
    size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    int32_t number = static_cast<int32_t>(std::strtol(std::string(rest.substr(0, colon)).c_str(),
                                                      nullptr, 10));
    return std::make_pair(number, std::string(rest.substr(colon + 1)));
}

void RegisterSqlFunctions(LibraryDb& db) {
    Register(db, "dm_add", 2, true, AddFunction);
    Register(db, "dm_cast", 4, true, CastFunction);
    Register(db, "dm_len", 1, true, LenFunction);
    Register(db, "dm_getutcdate", 0, false, UtcDateFunction);
    Register(db, "dm_getdate", 0, false, LocalDateFunction);
    Register(db, "dm_serverproperty", 1, false, ServerPropertyFunction);
    Register(db, "dm_object_id", 1, false, ObjectIdFunction);
    Register(db, "dm_object_hash", 1, true, ObjectHashFunction);
    Register(db, "dm_dateadd", 3, true, DateAddFunction);
}

}  // namespace dmsim
