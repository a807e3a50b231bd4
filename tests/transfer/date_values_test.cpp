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
