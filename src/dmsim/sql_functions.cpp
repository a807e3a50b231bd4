#include "dmsim/sql_functions.h"

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "dmsim/collation.h"
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

constexpr const char* kIntOverflow = "Arithmetic overflow error converting expression to data type int.";
constexpr const char* kBigintOverflow = "Arithmetic overflow error converting expression to data type bigint.";

bool InInt(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

enum class Op { Add, Subtract, Multiply, Divide, Modulo };

// a <op> b with SQL Server's meaning: NULL wins, a text meeting a number
// must read as that number, whole numbers stay whole and overflow as an int
// does (as a bigint once either side is beyond an int), and a division by 0
// fails. "+" of two texts concatenates.
void Arithmetic(sqlite3_context* ctx, sqlite3_value** argv, Op op) {
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
        if (op == Op::Add) {
            ResultText(ctx, Text(argv[0]) + Text(argv[1]));
        } else {
            static const char* names[] = {"add", "subtract", "multiply", "divide", "modulo"};
            Fail(ctx, 8117, std::string("Operand data type varchar is invalid for ") + names[static_cast<int>(op)] +
                                " operator.");
        }
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
        double r = 0;
        switch (op) {
            case Op::Add: r = da + db; break;
            case Op::Subtract: r = da - db; break;
            case Op::Multiply: r = da * db; break;
            case Op::Divide:
                if (db == 0) {
                    Fail(ctx, 8134, "Divide by zero error encountered.");
                    return;
                }
                r = da / db;
                break;
            case Op::Modulo:
                if (db == 0) {
                    Fail(ctx, 8134, "Divide by zero error encountered.");
                    return;
                }
                r = std::fmod(da, db);
                break;
        }
        if (!std::isfinite(r)) {
            Fail(ctx, 8115, "Arithmetic overflow error converting expression to data type float.");
            return;
        }
        sqlite3_result_double(ctx, r);
        return;
    }
    const bool ints = InInt(ia) && InInt(ib);
    int64_t r = 0;
    bool overflow = false;
    switch (op) {
        case Op::Add: overflow = __builtin_add_overflow(ia, ib, &r); break;
        case Op::Subtract: overflow = __builtin_sub_overflow(ia, ib, &r); break;
        case Op::Multiply: overflow = __builtin_mul_overflow(ia, ib, &r); break;
        case Op::Divide:
        case Op::Modulo:
            if (ib == 0) {
                Fail(ctx, 8134, "Divide by zero error encountered.");
                return;
            }
            overflow = ia == INT64_MIN && ib == -1;
            if (!overflow) r = op == Op::Divide ? ia / ib : ia % ib;
            break;
    }
    if (overflow || (ints && !InInt(r))) {
        Fail(ctx, 8115, ints ? kIntOverflow : kBigintOverflow);
        return;
    }
    sqlite3_result_int64(ctx, r);
}

void AddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) { Arithmetic(ctx, argv, Op::Add); }
void SubtractFunction(sqlite3_context* ctx, int, sqlite3_value** argv) { Arithmetic(ctx, argv, Op::Subtract); }
void MultiplyFunction(sqlite3_context* ctx, int, sqlite3_value** argv) { Arithmetic(ctx, argv, Op::Multiply); }
void DivideFunction(sqlite3_context* ctx, int, sqlite3_value** argv) { Arithmetic(ctx, argv, Op::Divide); }
void ModuloFunction(sqlite3_context* ctx, int, sqlite3_value** argv) { Arithmetic(ctx, argv, Op::Modulo); }

// dm_cast(value, kind, strict, length): CAST (strict, fails on bad input)
// and TRY_CAST (NULL on bad input) for DATETIME, INT (32 bits), BIGINT,
// FLOAT and VARCHAR; DATETEXT is VARCHAR of a value known to be a date;
// DATEFROMTEXT is DATETIME of a character string, read by the session's
// language and date format (DATETIME reads the emulator's stored dates).
void CastFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    std::string kind = Text(argv[1]);
    bool strict = sqlite3_value_int(argv[2]) != 0;
    if (type == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto refuse = [&](int32_t number, const std::string& message) {
        if (strict) Fail(ctx, number, message);
        else sqlite3_result_null(ctx);
    };
    std::string text = Text(argv[0]);
    if (kind == "DATETIME" || kind == "DATEFROMTEXT") {
        std::optional<DateTime> d;
        const DateSettings reading = kind == "DATETIME" ? DefaultDateSettings() : Db(ctx).DateReading();
        if (type == SQLITE_TEXT) d = ConvertToDateTime(text, reading);
        else if (type == SQLITE_INTEGER) d = DaysToDateTime(sqlite3_value_int64(argv[0]));
        else if (type == SQLITE_FLOAT) {
            const double days = sqlite3_value_double(argv[0]);
            if (std::isfinite(days) && std::fabs(days) < 3e6) {
                const double whole = std::floor(days);
                d = DaysToDateTime(static_cast<long long>(whole));
                if (d) d = AddToDate(*d, "ms", std::llround((days - whole) * 86400000.0));
            }
        }
        if (d) {
            ResultText(ctx, FormatDateTime(*d));
        } else if (type == SQLITE_TEXT) {
            refuse(241, "Conversion failed when converting date and/or time from character string.");
        } else {
            refuse(8115, "Arithmetic overflow error converting expression to data type datetime.");
        }
        return;
    }
    if (kind == "INT" || kind == "BIGINT") {
        const bool narrow = kind == "INT";
        const char* overflow = narrow ? kIntOverflow : kBigintOverflow;
        if (type == SQLITE_INTEGER) {
            const int64_t v = sqlite3_value_int64(argv[0]);
            if (narrow && !InInt(v)) {
                refuse(8115, overflow);
                return;
            }
            sqlite3_result_int64(ctx, v);
            return;
        }
        if (type == SQLITE_FLOAT) {
            const double v = std::trunc(sqlite3_value_double(argv[0]));
            const double limit = narrow ? 2147483648.0 : 9223372036854775808.0;
            if (!(v < limit && v >= -limit)) {
                refuse(8115, overflow);
                return;
            }
            sqlite3_result_int64(ctx, static_cast<int64_t>(v));
            return;
        }
        auto v = TextToInt(text);
        if (v && narrow && !InInt(*v)) {
            refuse(248, "The conversion of the varchar value '" + text + "' overflowed an int column.");
            return;
        }
        if (v) {
            sqlite3_result_int64(ctx, *v);
        } else {
            refuse(245, narrow ? IntConversionError(text)
                               : "Error converting data type varchar to bigint.");
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
        } else {
            refuse(8114, "Error converting data type varchar to float.");
        }
        return;
    }
    if (kind == "DATETEXT" && type == SQLITE_TEXT) {
        if (auto d = ParseDateTime(text)) text = FormatDefault(*d);
    }
    // VARCHAR(length): SQL Server cuts the text to the length in characters.
    int64_t length = sqlite3_value_int64(argv[3]);
    if (length > 0) text = FirstCharacters(text, static_cast<size_t>(length));
    ResultText(ctx, text);
}

// dm_fit(value, width, fixed): a value written into a text column of the
// width, as the server stores it: blanks beyond the width are cut, any other
// excess fails, and a CHAR column's value is padded with blanks to the width.
void FitFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL || type == SQLITE_BLOB) return sqlite3_result_value(ctx, argv[0]);
    const auto width = static_cast<size_t>(sqlite3_value_int64(argv[1]));
    std::string text = Text(argv[0]);
    size_t count = CharacterCount(text);
    if (count > width) {
        std::string kept = FirstCharacters(text, width);
        if (text.find_first_not_of(' ', kept.size()) != std::string::npos) {
            return Fail(ctx, 8152, "String or binary data would be truncated.");
        }
        text = std::move(kept);
        count = width;
    }
    if (sqlite3_value_int(argv[2]) != 0) text.append(width - count, ' ');
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
    auto date = ConvertToDateTime(Text(argv[2]));
    if (!date) {
        Fail(ctx, 241, "Conversion failed when converting date and/or time from character string.");
        return;
    }
    auto result = AddToDate(*date, part, sqlite3_value_int64(argv[1]));
    if (!result) {
        if (AddToDate(*date, part, 0)) {
            Fail(ctx, 517, "Adding a value to a 'datetime' column caused an overflow.");
        } else {
            Fail(ctx, 155, "'" + part + "' is not a recognized dateadd option.");
        }
        return;
    }
    ResultText(ctx, FormatDateTime(*result));
}

bool CaseInsensitive(sqlite3_context* ctx) { return !Db(ctx).CaseSensitive(); }

void UpperFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
    ResultText(ctx, UpperText(Text(argv[0])));
}

void LowerFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
    ResultText(ctx, LowerText(Text(argv[0])));
}

// CHARINDEX(needle, haystack [, start]) in the library's collation.
void CharIndexFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k) {
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    }
    const long long start = argc > 2 ? sqlite3_value_int64(argv[2]) : 1;
    sqlite3_result_int64(ctx, FindText(Text(argv[0]), Text(argv[1]), start, CaseInsensitive(ctx)));
}

// REPLACE(text, from, to) in the library's collation.
void ReplaceFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    for (int k = 0; k < 3; ++k) {
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    }
    ResultText(ctx, ReplaceText(Text(argv[0]), Text(argv[1]), Text(argv[2]), CaseInsensitive(ctx)));
}

// x LIKE pattern [ESCAPE e], which SQLite hands over as like(pattern, x, e).
void LikeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k) {
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    }
    int escape = -1;
    if (argc > 2) {
        const std::string e = Text(argv[2]);
        if (CharacterCount(e) != 1) {
            Fail(ctx, 506, "The invalid escape character \"" + e + "\" was specified in a LIKE predicate.");
            return;
        }
        escape = static_cast<unsigned char>(e[0]);
        if (escape >= 0x80) {
            Fail(ctx, 50000, "The emulator does not run an escape character beyond ASCII.");
            return;
        }
    }
    sqlite3_result_int(ctx, LikeMatch(Text(argv[0]), Text(argv[1]), CaseInsensitive(ctx), escape) ? 1 : 0);
}

// AVG as the server computes it: whole numbers give a whole number.
struct Average {
    double realSum = 0;
    int64_t intSum = 0;
    int64_t count = 0;
    bool real = false;
    bool overflow = false;
};

void AverageStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* a = static_cast<Average*>(sqlite3_aggregate_context(ctx, sizeof(Average)));
    if (!a) return sqlite3_result_error_nomem(ctx);
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL) return;
    if (type == SQLITE_INTEGER) {
        const int64_t v = sqlite3_value_int64(argv[0]);
        a->overflow = a->overflow || __builtin_add_overflow(a->intSum, v, &a->intSum);
        a->realSum += static_cast<double>(v);
    } else if (type == SQLITE_FLOAT) {
        a->real = true;
        a->realSum += sqlite3_value_double(argv[0]);
    } else {
        auto v = TextToDouble(Text(argv[0]));
        if (!v) return Fail(ctx, 8117, "Operand data type varchar is invalid for avg operator.");
        a->real = true;
        a->realSum += *v;
    }
    ++a->count;
}

void AverageFinal(sqlite3_context* ctx) {
    auto* a = static_cast<Average*>(sqlite3_aggregate_context(ctx, 0));
    if (!a || a->count == 0) return sqlite3_result_null(ctx);
    if (a->real) return sqlite3_result_double(ctx, a->realSum / static_cast<double>(a->count));
    if (a->overflow) return Fail(ctx, 8115, kIntOverflow);
    sqlite3_result_int64(ctx, a->intSum / a->count);
}

// The library's text comparison (see collation.h) under SQLite's name
// NOCASE, which the text columns of a case-insensitive library carry.
int NoCaseCollation(void*, int na, const void* a, int nb, const void* b) {
    return CompareText(std::string_view(static_cast<const char*>(a), static_cast<size_t>(na)),
                       std::string_view(static_cast<const char*>(b), static_cast<size_t>(nb)), true);
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
    Register(db, "dm_fit", 3, true, FitFunction);
    Register(db, "dm_getutcdate", 0, false, UtcDateFunction);
    Register(db, "dm_getdate", 0, false, LocalDateFunction);
    Register(db, "dm_serverproperty", 1, false, ServerPropertyFunction);
    Register(db, "dm_object_id", 1, false, ObjectIdFunction);
    Register(db, "dm_object_hash", 1, true, ObjectHashFunction);
    Register(db, "dm_dateadd", 3, true, DateAddFunction);
    Register(db, "dm_subtract", 2, true, SubtractFunction);
    Register(db, "dm_multiply", 2, true, MultiplyFunction);
    Register(db, "dm_divide", 2, true, DivideFunction);
    Register(db, "dm_modulo", 2, true, ModuloFunction);
    Register(db, "dm_upper", 1, true, UpperFunction);
    Register(db, "dm_lower", 1, true, LowerFunction);
    Register(db, "dm_charindex", 2, true, CharIndexFunction);
    Register(db, "dm_charindex", 3, true, CharIndexFunction);
    Register(db, "dm_replace", 3, true, ReplaceFunction);
    Register(db, "like", 2, true, LikeFunction);
    Register(db, "like", 3, true, LikeFunction);
    sqlite3* handle = db.Connection().Handle();
    int rc = sqlite3_create_function_v2(handle, "dm_avg", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr,
                                        AverageStep, AverageFinal, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_create_collation_v2(handle, "NOCASE", SQLITE_UTF8, nullptr, NoCaseCollation, nullptr);
    if (rc != SQLITE_OK) db.Connection().Throw(rc);
}

}  // namespace dmsim
