// The closed-matters condition in each dialect: the whole last day is
// taken (up to the start of the day after), and the dates are written so
// that no server setting can misread them.

#include "queueadmin/queue_statements.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace queueadmin {
namespace {

TEST(QueueStatementsTest, ClosedMatterDatesInEachDialect) {
    DocumentChoice choice;
    choice.target = "O'BRIEN";
    choice.closeDateColumn = "CLOSE_DATE";
    choice.dates = {CalendarDate{2021, 12, 31}, CalendarDate{2022, 2, 28}};
    const std::string sqlServer = CountAvailableDocumentsStatement(choice);
    EXPECT_NE(sqlServer.find("TARGET_LIBRARY = 'O''BRIEN' AND SID IS NOT NULL)"), std::string::npos) << sqlServer;
    EXPECT_NE(sqlServer.find("AND MATTER IN (SELECT SYSTEM_ID FROM [OWNER].MATTER WHERE "
                             "CLOSE_DATE >= CAST('20211231 00:00:00.000' AS DATETIME) AND "
                             "CLOSE_DATE < CAST('20220301 00:00:00.000' AS DATETIME))"),
              std::string::npos)
        << sqlServer;
    choice.oracle = true;
    choice.dates = {std::nullopt, CalendarDate{2024, 12, 31}};
    const std::string oracle = QueueAvailableDocumentsStatement(choice);
    EXPECT_NE(oracle.find("WHERE CLOSE_DATE < TO_DATE('2025-01-01', 'YYYY-MM-DD'))"), std::string::npos) << oracle;
    EXPECT_EQ(oracle.find(">="), std::string::npos) << oracle;
    // A queue row without a number defeats no dialect's duplicate check.
    EXPECT_NE(oracle.find("WHERE TARGET_LIBRARY = 'O''BRIEN' AND SID IS NOT NULL)"), std::string::npos) << oracle;
}

TEST(QueueStatementsTest, TheDayAfterADate) {
    const std::vector<std::pair<CalendarDate, CalendarDate>> cases = {
        {{2022, 1, 30}, {2022, 1, 31}},  {{2022, 1, 31}, {2022, 2, 1}},   {{2022, 12, 31}, {2023, 1, 1}},
        {{2024, 2, 28}, {2024, 2, 29}},  {{2024, 2, 29}, {2024, 3, 1}},   {{2023, 2, 28}, {2023, 3, 1}},
        {{1900, 2, 28}, {1900, 3, 1}},   {{2000, 2, 28}, {2000, 2, 29}},  {{2022, 4, 30}, {2022, 5, 1}},
        {{2022, 6, 15}, {2022, 6, 16}},
    };
    for (const auto& [day, next] : cases) EXPECT_EQ(IsoDate(NextDay(day)), IsoDate(next)) << IsoDate(day);
}

// Up to and including a month's last day is before the first day of the
// next month; after December, of the next year.
TEST(QueueStatementsTest, ClosedMattersUpToEachMonthsEnd) {
    const struct {
        CalendarDate last;
        const char* sqlServerNext;
        const char* oracleNext;
    } cases[] = {
        {{2022, 1, 31}, "20220201", "2022-02-01"},  {{2022, 2, 28}, "20220301", "2022-03-01"},
        {{2024, 2, 29}, "20240301", "2024-03-01"},  {{2022, 3, 31}, "20220401", "2022-04-01"},
        {{2022, 4, 30}, "20220501", "2022-05-01"},  {{2022, 5, 31}, "20220601", "2022-06-01"},
        {{2022, 6, 30}, "20220701", "2022-07-01"},  {{2022, 7, 31}, "20220801", "2022-08-01"},
        {{2022, 8, 31}, "20220901", "2022-09-01"},  {{2022, 9, 30}, "20221001", "2022-10-01"},
        {{2022, 10, 31}, "20221101", "2022-11-01"}, {{2022, 11, 30}, "20221201", "2022-12-01"},
        {{2022, 12, 31}, "20230101", "2023-01-01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(IsoDate(c.last));
        DocumentChoice choice;
        choice.target = "ARCHIVE";
        choice.closeDateColumn = "CLOSE_DATE";
        choice.dates = {CalendarDate{2000, 1, 1}, c.last};
        const std::string sqlServer = QueueAvailableDocumentsStatement(choice);
        EXPECT_NE(sqlServer.find("CLOSE_DATE >= CAST('20000101 00:00:00.000' AS DATETIME) AND CLOSE_DATE < CAST('" +
                                 std::string(c.sqlServerNext) + " 00:00:00.000' AS DATETIME))"),
                  std::string::npos)
            << sqlServer;
        choice.oracle = true;
        choice.dates.from.reset();
        const std::string oracle = CountAvailableDocumentsStatement(choice);
        EXPECT_NE(oracle.find("WHERE CLOSE_DATE < TO_DATE('" + std::string(c.oracleNext) + "', 'YYYY-MM-DD'))"),
                  std::string::npos)
            << oracle;
    }
}

}  // namespace
}  // namespace queueadmin
