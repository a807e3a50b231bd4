#include "transfer/date_values.h"

#include <gtest/gtest.h>

namespace transfer {
namespace {

TEST(DateValuesTest, StatementDateReadsBothFormsAndKeepsOtherText) {
    struct Case {
        dm::Variant in;
        std::string out;
    };
    const Case cases[] = {
        {dm::Variant("2021-03-05 14:30:09"), "05-Mar-2021 14:30:09"},
        {dm::Variant("2021-12-31"), "31-Dec-2021 00:00:00"},
        {dm::Variant("07-Feb-2020 08:01:02"), "07-Feb-2020 08:01:02"},
        {dm::Variant("2021-02-30 10:00:00"), "2021-02-30 10:00:00"},
        // 2000 is a leap year, 1900 is not.
        {dm::Variant("2000-02-29 12:00:00"), "29-Feb-2000 12:00:00"},
        {dm::Variant("29-Feb-2000 12:00:00"), "29-Feb-2000 12:00:00"},
        {dm::Variant("1900-02-29 12:00:00"), "1900-02-29 12:00:00"},
        {dm::Variant("29-Feb-1900 12:00:00"), "29-Feb-1900 12:00:00"},
        {dm::Variant("not a date"), "not a date"},
        {dm::Variant(""), ""},
        {dm::Variant(), ""},
        {dm::Variant::Null(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(StatementDate(c.in), c.out) << c.in.ToText();
}

// SQL Server takes a date back in the one form every language and date
// format reads alike; Oracle in the form its template names.
TEST(DateValuesTest, SqlDateWritesWhatEveryServerLanguageReadsAlike) {
    struct Case {
        bool oracle;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {false, "2026-12-11 10:00:00", "TRY_CAST('20261211 10:00:00.000' AS DATETIME)"},
        {false, "11-Dec-2026 10:00:00", "TRY_CAST('20261211 10:00:00.000' AS DATETIME)"},
        {false, " 2026-12-25T23:59:58.5 ", "TRY_CAST('20261225 23:59:58.500' AS DATETIME)"},
        {false, "2026-12-25 23:59:58.0071234", "TRY_CAST('20261225 23:59:58.007' AS DATETIME)"},
        {false, "2026-12-25", "TRY_CAST('20261225 00:00:00.000' AS DATETIME)"},
        {false, "2026-02-30 10:00:00", "TRY_CAST('2026-02-30 10:00:00' AS DATETIME)"},
        {false, "it's no date", "TRY_CAST('it''s no date' AS DATETIME)"},
        {false, "  ", "NULL"},
        {true, "11-Dec-2026 10:00:00", "TO_DATE('11-Dec-2026 10:00:00', 'RRRR-MON-DD HH24:MI:SS')"},
        {true, "", "NULL"},
    };
    for (const auto& c : cases) EXPECT_EQ(SqlDate(c.oracle, c.in), c.out) << c.in;
}

TEST(DateValuesTest, MinuteBoundariesCountCalendarMinutes) {
    auto between = [](const char* a, const char* b) { return MinuteBoundaries(dm::Variant(a), dm::Variant(b)); };
    EXPECT_EQ(between("2021-03-05 10:00:59", "2021-03-05 10:01:00"), 1);
    EXPECT_EQ(between("2021-03-05 10:00:00", "2021-03-05 10:00:59"), 0);
    EXPECT_EQ(between("2021-03-05 10:01:00", "2021-03-05 10:00:59"), -1);
    EXPECT_EQ(between("2021-02-28 23:59:00", "2021-03-01 00:00:00"), 1);
    EXPECT_EQ(between("2000-02-28 23:59:00", "2000-03-01 00:00:00"), 1 + 1440);
    EXPECT_EQ(between("1900-02-28 23:59:00", "1900-03-01 00:00:00"), 1);
    EXPECT_EQ(between("2000-02-29 23:59:00", "2000-03-01 00:00:00"), 1);
    // No date reads as the zero date, long ago.
    EXPECT_GT(MinuteBoundaries(dm::Variant(), dm::Variant("2021-03-05 10:00:00")), 0);
    EXPECT_LT(MinuteBoundaries(dm::Variant("2021-03-05 10:00:00"), dm::Variant()), 0);
}

}  // namespace
}  // namespace transfer
