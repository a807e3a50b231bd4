#include "queueadmin/queue_statements.h"

#include <cctype>
#include <cstdio>

#include "core/date_text.h"
#include "core/queue_rows.h"
#include "core/text.h"

namespace queueadmin {

namespace {

// Digits from pos: between minDigits and maxDigits of them.
bool ReadNumber(const std::string& s, size_t& pos, size_t minDigits, size_t maxDigits, int& out) {
    size_t start = pos;
    out = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && pos - start < maxDigits) {
        out = out * 10 + (s[pos] - '0');
        ++pos;
    }
    return pos - start >= minDigits && (pos == s.size() || !std::isdigit(static_cast<unsigned char>(s[pos])));
}

// The start of the day as the dialect takes a date: unambiguous in every
// language and date format of the server.
std::string SqlDay(const CalendarDate& d, bool oracle) {
    if (oracle) return "TO_DATE('" + IsoDate(d) + "', 'YYYY-MM-DD')";
    return "CAST('" + core::ServerDateText(IsoDate(d)) + "' AS DATETIME)";
}

std::string AvailableDocumentsCondition(const DocumentChoice& c) {
    // No folder, whether the library has one folder application, several or
    // none; a document without an application is no available document.
    std::string s = "WHERE STATUS = 0 AND " + core::queue_sql::NotQueuedFor(c.target) +
                    " AND APPLICATION IS NOT NULL AND APPLICATION NOT IN "
                    "(SELECT SYSTEM_ID FROM [OWNER].APPS WHERE APPLICATION = 'FOLDER' AND SYSTEM_ID IS NOT NULL)";
    if (c.closeDateColumn.empty()) return s;
    // Up to and including a day means before the start of the next one: the
    // close date may carry a time. The last day a server's date can hold has
    // no next one: up to it is every close date.
    const std::string& column = c.closeDateColumn;
    s += " AND MATTER IN (SELECT SYSTEM_ID FROM [OWNER].MATTER WHERE ";
    if (c.dates.from) s += column + " >= " + SqlDay(*c.dates.from, c.oracle) + " AND ";
    const CalendarDate next = NextDay(c.dates.to);
    s += next.year > 9999 ? column + " IS NOT NULL)" : column + " < " + SqlDay(next, c.oracle) + ")";
    return s;
}

}  // namespace

std::string IsoDate(const CalendarDate& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

CalendarDate NextDay(const CalendarDate& d) {
    CalendarDate n = d;
    if (++n.day > core::DaysInMonth(n.year, n.month)) {
        n.day = 1;
        if (++n.month > 12) {
            n.month = 1;
            ++n.year;
        }
    }
    return n;
}

std::optional<CalendarDate> ReadCalendarDate(const std::string& raw) {
    const std::string s = core::Trim(raw);
    CalendarDate d;
    size_t pos = 0;
    bool read = false;
    bool yearFirst = s.size() >= 5 && (s[4] == '-' || s[4] == '/');
    for (size_t i = 0; yearFirst && i < 4; ++i) yearFirst = std::isdigit(static_cast<unsigned char>(s[i]));
    if (yearFirst) {
        const char sep = s[4];
        read = ReadNumber(s, pos, 4, 4, d.year) && s[pos++] == sep && ReadNumber(s, pos, 1, 2, d.month) &&
               pos < s.size() && s[pos++] == sep && ReadNumber(s, pos, 1, 2, d.day);
    } else {
        read = ReadNumber(s, pos, 1, 2, d.month) && pos < s.size() && s[pos++] == '/' &&
               ReadNumber(s, pos, 1, 2, d.day) && pos < s.size() && s[pos++] == '/' &&
               ReadNumber(s, pos, 4, 4, d.year);
    }
    if (!read || pos != s.size()) return std::nullopt;
    if (d.year < 1753 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > core::DaysInMonth(d.year, d.month)) {
        return std::nullopt;
    }
    return d;
}

std::optional<ClosedMatterDates> ReadClosedMatterDates(const std::string& answer, std::string& error) {
    const std::string text = core::Trim(answer);
    auto notADate = [&](const std::string& part) {
        error = "\"" + part + "\" is not a date - cannot continue";
        return std::nullopt;
    };
    if (auto single = ReadCalendarDate(text)) return ClosedMatterDates{std::nullopt, *single};
    const size_t separator = text.find(" - ");
    if (separator == std::string::npos) return notADate(text);
    const std::string first = core::Trim(text.substr(0, separator));
    const std::string second = core::Trim(text.substr(separator + 3));
    auto from = ReadCalendarDate(first);
    if (!from) return notADate(first);
    auto to = ReadCalendarDate(second);
    if (!to) return notADate(second);
    if (*to < *from) {
        error = "The range ends (" + IsoDate(*to) + ") before it begins (" + IsoDate(*from) +
                ") - cannot continue";
        return std::nullopt;
    }
    return ClosedMatterDates{from, *to};
}

std::string MatterDateColumnsQuery() {
    return "SELECT COLNAME FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'MATTER' AND CMSTYPE IN (1, 8)";
}

std::string CountAvailableDocumentsStatement(const DocumentChoice& choice) {
    return "SELECT COUNT(*) FROM [OWNER].PROFILE " + AvailableDocumentsCondition(choice);
}

std::string QueueAvailableDocumentsStatement(const DocumentChoice& choice) {
    return core::queue_sql::QueueProfiles(choice.target, AvailableDocumentsCondition(choice));
}

}  // namespace queueadmin
