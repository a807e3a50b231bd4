#include "transfer/date_values.h"

#include <cstdio>

#include "core/date_text.h"
#include "core/sql_text.h"
#include "core/text.h"

namespace transfer {

namespace {

int64_t Minutes(const core::DateParts& d) {
    return static_cast<int64_t>(core::DayCount(d.year, d.month, d.day)) * 1440 + d.hour * 60 + d.minute;
}

}  // namespace

std::string StatementDate(const dm::Variant& value) {
    const std::string text = core::TrimSpace(value.ToText());
    if (text.empty()) return "";
    auto d = core::ReadDateText(text);
    if (!d) return text;
    char out[32];
    std::snprintf(out, sizeof out, "%02d-%s-%04d %02d:%02d:%02d", d->day, core::kMonthAbbreviations[d->month - 1],
                  d->year, d->hour, d->minute, d->second);
    return out;
}

std::string SqlDate(bool oracle, const std::string& text) {
    // The server reads an empty text as 1 January 1900.
    if (core::TrimSpace(text).empty()) return "NULL";
    if (oracle) return "TO_DATE('" + core::DoubleApostrophes(text) + "', 'RRRR-MON-DD HH24:MI:SS')";
    return "TRY_CAST('" + core::DoubleApostrophes(core::ServerDateText(text)) + "' AS DATETIME)";
}

int64_t MinuteBoundaries(const dm::Variant& from, const dm::Variant& to) {
    const core::DateParts zero;
    auto a = core::ReadDateText(from.ToText());
    auto b = core::ReadDateText(to.ToText());
    return Minutes(b ? *b : zero) - Minutes(a ? *a : zero);
}

}  // namespace transfer
