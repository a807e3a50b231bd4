#include "dmsim/sql_errors.h"

#include <sqlite3.h>

#include "dmsim/sql_functions.h"
#include "dmsim/sqlite_handle.h"

namespace dmsim {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::string After(std::string_view s, std::string_view prefix) {
    return std::string(s.substr(prefix.size()));
}

std::string LastPart(const std::string& name) {
    auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

}  // namespace

std::string SqliteErrorText(const SqlFailure& failure) {
    return "[dmsim][SQLite]" + failure.message;
}

std::string TranslatorErrorText(const SqlFailure& failure) {
    return "[dmsim][SQL translation]" + failure.message;
}

SqlFailure FailureFromSqlite(const SqliteError& error, std::string_view dropKind,
                             std::string_view dropName) {
    std::string_view message = error.what();
    if (auto fn = FunctionErrorOf(message)) return {fn->first, fn->second};
    if (error.Code() == SQLITE_BUSY || error.Code() == SQLITE_LOCKED) {
        return {sqlerr::kLockTimeout, "Lock request time out period exceeded."};
    }
    if (!dropKind.empty() &&
        (StartsWith(message, "no such table: ") || StartsWith(message, "no such trigger: "))) {
        return {sqlerr::kCannotDrop, "Cannot drop the " + std::string(dropKind) + " '" +
                                         std::string(dropName) +
                                         "', because it does not exist or you do not have "
                                         "permission."};
    }
    if (StartsWith(message, "no such table: ")) {
        return {sqlerr::kInvalidObject,
                "Invalid object name '" + After(message, "no such table: ") + "'."};
    }
    if (StartsWith(message, "no such column: ")) {
        return {sqlerr::kInvalidColumn,
                "Invalid column name '" + LastPart(After(message, "no such column: ")) + "'."};
    }
    if (StartsWith(message, "ambiguous column name: ")) {
        return {sqlerr::kAmbiguousColumn,
                "Ambiguous column name '" + LastPart(After(message, "ambiguous column name: ")) +
                    "'."};
    }
    if (StartsWith(message, "UNIQUE constraint failed: ")) {
        std::string columns = After(message, "UNIQUE constraint failed: ");
        std::string table = columns.substr(0, columns.find('.'));
        return {sqlerr::kDuplicateKey,
                "Violation of UNIQUE KEY constraint. Cannot insert duplicate key in object '" +
                    table + "' (" + columns + ")."};
    }
    if (StartsWith(message, "NOT NULL constraint failed: ")) {
        std::string column = After(message, "NOT NULL constraint failed: ");
        std::string table = column.substr(0, column.find('.'));
        return {sqlerr::kNotNull, "Cannot insert the value NULL into column '" + LastPart(column) +
                                      "', table '" + table +
                                      "'; column does not allow nulls. The statement fails."};
    }
    if (StartsWith(message, "CHECK constraint failed: length(rtrim(")) {
        return {sqlerr::kTruncated, "String or binary data would be truncated."};
    }
    if (StartsWith(message, "no such function: ")) {
        return {sqlerr::kUnknownFunction,
                "'" + After(message, "no such function: ") +
                    "' is not a recognized built-in function name."};
    }
    if (StartsWith(message, "wrong number of arguments to function ")) {
        std::string fn = After(message, "wrong number of arguments to function ");
        return {sqlerr::kArgumentCount,
                "The " + fn + " function has the wrong number of arguments."};
    }
    if (StartsWith(message, "table ") && message.find(" already exists") != std::string_view::npos) {
        std::string name(message.substr(6, message.find(" already exists") - 6));
        return {sqlerr::kObjectExists,
                "There is already an object named '" + name + "' in the database."};
    }
    if (StartsWith(message, "index ") && message.find(" already exists") != std::string_view::npos) {
        std::string name(message.substr(6, message.find(" already exists") - 6));
        return {sqlerr::kIndexExists, "The operation failed because an index or statistics with "
                                      "name '" +
                                          name + "' already exists."};
    }
    if (StartsWith(message, "trigger ") && message.find(" already exists") != std::string_view::npos) {
        std::string name(message.substr(8, message.find(" already exists") - 8));
        return {sqlerr::kObjectExists,
                "There is already an object named '" + name + "' in the database."};
    }
    if (StartsWith(message, "unknown database ")) {
        return {sqlerr::kUnknownSchema, "The specified schema name \"" +
                                            After(message, "unknown database ") +
                                            "\" either does not exist or you do not have "
                                            "permission to use it."};
    }
    if (StartsWith(message, "near \"")) {
        std::string near(message.substr(6, message.find('"', 6) - 6));
        return {sqlerr::kSyntax, "Incorrect syntax near '" + near + "'."};
    }
    if (message.find("syntax error") != std::string_view::npos ||
        StartsWith(message, "incomplete input")) {
        return {sqlerr::kSyntax, "Incorrect syntax near the end of the statement."};
    }
    return {sqlerr::kDatabaseError, std::string(message)};
}

}  // namespace dmsim
