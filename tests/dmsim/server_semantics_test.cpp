// What SQL Server answers (default case-insensitive collation, US English
// session), asked through the SQL object of a small library: dates, the
// errors the server raises, comparison and text functions.

#include <gtest/gtest.h>

#include "dmsim/sql_object.h"
#include "emulator_fixture.h"

namespace dmsim {
namespace {

class ServerSemanticsTest : public fixture::EmulatorTest {
protected:
    void SetUp() override {
        site_.Library("DOCS").SettingsTable();
        Open();
        sql_ = Sql("DOCS");
        Run("INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL, INT_VAL) "
            "VALUES ('M', 'General', 'A', 2, NULL, 1), ('M', 'General', 'B', 1, 'two', NULL), "
            "('M', 'General', 'C', 1, 'TWO  ', 4)");
        int id = 70000;
        for (const char* date : {"2026-11-30 23:59:59", "2026-12-01 00:00:00", "2026-12-15 10:00:00",
                                 "2026-12-31 00:00:00", "2026-12-31 12:00:00"}) {
            Run("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, START_DATE) VALUES (" +
                std::to_string(++id) + ", 7, 2, '" + date + "')");
        }
    }

    void Run(const std::string& statement) {
        ASSERT_EQ(sql_->Execute(statement), 0) << statement << ": " << sql_->ErrorText();
    }

    // The first value of the answer, or "error <number>".
    std::string Answer(const std::string& statement) {
        if (sql_->Execute(statement) != 0) return "error " + std::to_string(sql_->ErrorCode());
        return sql_->ColumnValue(1).ToText();
    }

    struct Probe {
        const char* statement;
        const char* answer;  // the first value, or "error <number>"
    };
    void Expect(const std::vector<Probe>& probes) {
        for (const auto& p : probes) EXPECT_EQ(Answer(p.statement), p.answer) << p.statement;
    }

    std::shared_ptr<dm::IDmSql> sql_;
};

TEST_F(ServerSemanticsTest, TextsBecomeDatesByTheServersRules) {
    const std::vector<Probe> probes = {
        {"SELECT TRY_CAST('2021-03-05 14:30:00' AS DATETIME)", "2021-03-05 14:30:00"},
        {"SELECT TRY_CAST('20210305' AS DATETIME)", "2021-03-05 00:00:00"},
        {"SELECT TRY_CAST('03/05/2021' AS DATETIME)", "2021-03-05 00:00:00"},
        {"SELECT TRY_CAST('05-Mar-2021 14:30:00' AS DATETIME)", "2021-03-05 14:30:00"},
        {"SELECT TRY_CAST('Mar  5 2021  2:30PM' AS DATETIME)", "2021-03-05 14:30:00"},
        {"SELECT TRY_CAST('March 5, 2021' AS DATETIME)", "2021-03-05 00:00:00"},
        {"SELECT TRY_CAST('2021-03-05T14:30:00.250' AS DATETIME)", "2021-03-05 14:30:00"},
        {"SELECT TRY_CAST('2021-03-05 23:59:59.999' AS DATETIME)", "2021-03-06 00:00:00"},
        {"SELECT TRY_CAST('14:30' AS DATETIME)", "1900-01-01 14:30:00"},
        {"SELECT TRY_CAST('' AS DATETIME)", "1900-01-01 00:00:00"},
        {"SELECT TRY_CAST('2021-02-30' AS DATETIME)", ""},
        {"SELECT TRY_CAST('someday' AS DATETIME)", ""},
        {"SELECT CAST('someday' AS DATETIME)", "error 241"},
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, START_DATE) VALUES (70100, 8, 'someday')",
         "error 241"},
        {"UPDATE DOCSADM.ACTIVITYLOG SET START_DATE = 'someday' WHERE DOCNUMBER = 7", "error 241"},
        // Written as a date, compared as a date, cast to the server's text.
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, START_DATE) VALUES (70101, 9, '20210305 14:30')", ""},
        {"SELECT START_DATE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 9", "2021-03-05 14:30:00"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE START_DATE BETWEEN '20261201' AND '20261231'", "3"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE START_DATE >= 'Dec 15 2026'", "3"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE START_DATE IN ('12/1/2026', '2026-12-15 10:00')", "2"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE START_DATE > 'later'", "error 241"},
        {"SELECT CAST(START_DATE AS VARCHAR(30)) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 9", "Mar  5 2021  2:30PM"},
        {"SELECT CAST(CAST('2021-12-25 09:05' AS DATETIME) AS VARCHAR)", "Dec 25 2021  9:05AM"},
    };
    Expect(probes);
}

// A character string becomes a date by the session's language and date
// format; the unseparated and the ISO 8601 forms read alike in every one.
TEST_F(ServerSemanticsTest, TextsBecomeDatesByTheSessionsLanguageAndDateFormat) {
    struct Reading {
        const char* session;  // statements run after a return to us_english
        const char* text;
        const char* date;  // "" for none
    };
    const Reading readings[] = {
        {"", "2026-12-11 10:00:00", "2026-12-11 10:00:00"},
        {"", "12/11/2026", "2026-12-11 00:00:00"},
        {"", "11-Dec-2026 10:00:00", "2026-12-11 10:00:00"},
        {"", "11-Dez-2026", ""},
        // Two-digit years: 49 is 2049, 50 is 1950.
        {"", "12/31/49", "2049-12-31 00:00:00"},
        {"", "12/31/50", "1950-12-31 00:00:00"},
        {"", "501231", "1950-12-31 00:00:00"},
        {"", "Dec 31 50", "1950-12-31 00:00:00"},
        {"SET LANGUAGE British", "2026-12-11 10:00:00", "2026-11-12 10:00:00"},
        {"SET LANGUAGE British", "2026-12-25 10:00:00", ""},
        {"SET LANGUAGE British", "2026.12.11", "2026-11-12 00:00:00"},
        {"SET LANGUAGE British", "11/12/2026", "2026-12-11 00:00:00"},
        {"SET LANGUAGE British", "25-Dec-2026 10:00:00", "2026-12-25 10:00:00"},
        {"SET LANGUAGE British", "31/12/49", "2049-12-31 00:00:00"},
        {"SET LANGUAGE British", "31/12/50", "1950-12-31 00:00:00"},
        {"SET LANGUAGE 'British English'", "13/12/2026", "2026-12-13 00:00:00"},
        {"SET LANGUAGE Deutsch", "25-Dec-2026 10:00:00", ""},
        {"SET LANGUAGE Deutsch", "25-Dez-2026 10:00:00", "2026-12-25 10:00:00"},
        {"SET LANGUAGE german", "5 März 2021", "2021-03-05 00:00:00"},
        {"SET LANGUAGE german", "2026-12-11", "2026-11-12 00:00:00"},
        {"SET LANGUAGE Français", "25 déc 2026", "2026-12-25 00:00:00"},
        {"SET LANGUAGE [French]", "25 Dec 2026", ""},
        {"SET LANGUAGE N'Français'", "5 mars 2021", "2021-03-05 00:00:00"},
        {"SET DATEFORMAT dmy", "Dec 11 2026", "2026-12-11 00:00:00"},
        {"SET DATEFORMAT dmy", "2026/12/11", "2026-11-12 00:00:00"},
        {"SET DATEFORMAT ymd", "2026/12/11", "2026-12-11 00:00:00"},
        {"SET DATEFORMAT ymd", "26/12/11", "2026-12-11 00:00:00"},
        {"SET DATEFORMAT YDM", "2026/11/12", "2026-12-11 00:00:00"},
        {"SET DATEFORMAT myd", "12/2026/11", "2026-12-11 00:00:00"},
        {"SET DATEFORMAT dym", "11/2026/12", "2026-12-11 00:00:00"},
        {"SET DATEFORMAT mdy", "12/11/2026", "2026-12-11 00:00:00"},
        // A language brings its own date format.
        {"SET DATEFORMAT ymd; SET LANGUAGE British", "11/12/2026", "2026-12-11 00:00:00"},
        {"SET LANGUAGE British; SET DATEFORMAT mdy", "12/11/2026", "2026-12-11 00:00:00"},
    };
    const char* everywhere[][2] = {
        {"20261211 10:00:00.000", "2026-12-11 10:00:00"},
        {"20261225", "2026-12-25 00:00:00"},
        {"2026-12-11T10:00:00.000", "2026-12-11 10:00:00"},
        {"2026-12-25T10:00:00", "2026-12-25 10:00:00"},
    };
    const char* sessions[] = {"",
                              "SET LANGUAGE British",
                              "SET LANGUAGE Deutsch",
                              "SET LANGUAGE Français",
                              "SET DATEFORMAT ydm",
                              "SET DATEFORMAT dym",
                              "SET DATEFORMAT myd"};
    std::vector<Reading> all(std::begin(readings), std::end(readings));
    for (const char* session : sessions) {
        for (const auto& [text, date] : everywhere) all.push_back({session, text, date});
    }
    for (const auto& r : all) {
        Run("SET LANGUAGE us_english");
        std::string session = r.session;
        for (size_t from = 0; from < session.size();) {
            size_t end = session.find("; ", from);
            Run(session.substr(from, end == std::string::npos ? std::string::npos : end - from));
            from = end == std::string::npos ? session.size() : end + 2;
        }
        EXPECT_EQ(Answer("SELECT TRY_CAST('" + std::string(r.text) + "' AS DATETIME)"), r.date)
            << r.session << " / " << r.text;
    }
}

// A date the library holds is a date, not a text, whatever the session's
// settings: it is written, compared and counted on as stored.
TEST_F(ServerSemanticsTest, StoredDatesStayDatesUnderEverySetting) {
    Run("SET LANGUAGE British");
    const std::vector<Probe> probes = {
        {"SELECT CAST(START_DATE AS DATETIME) FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 70003",
         "2026-12-15 10:00:00"},
        {"SELECT DATEADD(day, 1, START_DATE) FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 70003",
         "2026-12-16 10:00:00"},
        {"SELECT DATEADD(day, 1, '15/12/2026') FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 70003",
         "2026-12-16 00:00:00"},
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, START_DATE, BILLED_ON) SELECT 70400, 11, "
         "START_DATE, GETUTCDATE() FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 70003",
         ""},
        {"SELECT START_DATE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 11", "2026-12-15 10:00:00"},
        {"SELECT BILLED_ON FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 11", "2021-03-05 14:30:00"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE START_DATE >= '01/12/2026'", "5"},
        // The 12th of January to a British session.
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE START_DATE >= '2026-12-01 00:00:00'", "6"},
        {"UPDATE DOCSADM.ACTIVITYLOG SET BILLED_ON = '31/12/2026' WHERE DOCNUMBER = 11", ""},
        {"SELECT BILLED_ON FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 11", "2026-12-31 00:00:00"},
    };
    Expect(probes);
}

TEST_F(ServerSemanticsTest, SettingsTheServerDoesNotKnowAreRefusedAndChangeNothing) {
    Run("SET LANGUAGE British");
    EXPECT_EQ(Answer("SET LANGUAGE Klingon"), "error 2740");
    EXPECT_EQ(Answer("SET DATEFORMAT dmyy"), "error 2741");
    EXPECT_EQ(Answer("SET LANGUAGE @lang"), "error 50000");
    EXPECT_EQ(Answer("SET LANGUAGE British English"), "error 102");
    EXPECT_EQ(Answer("SELECT TRY_CAST('13/12/2026' AS DATETIME)"), "2026-12-13 00:00:00");
}

// The server's clock has milliseconds: a time read a moment later is never
// the same; the program reads it to the second.
TEST_F(ServerSemanticsTest, TheClockHasMilliseconds) {
    now_ += std::chrono::milliseconds(250);
    Run("INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, START_DATE) VALUES (70200, 10, GETUTCDATE())");
    EXPECT_EQ(Answer("SELECT GETUTCDATE()"), "2021-03-05 14:30:00");
    const std::string count = "SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 10 AND START_DATE ";
    EXPECT_EQ(Answer(count + "= '2021-03-05 14:30:00'"), "0");
    EXPECT_EQ(Answer(count + ">= '2021-03-05 14:30:00'"), "1");
    EXPECT_EQ(Answer(count + "< '2021-03-05 14:30:01'"), "1");
    EXPECT_EQ(Answer("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 10 AND "
                     "START_DATE = DATEADD(ms, 250, CAST('2021-03-05 14:30:00' AS DATETIME))"),
              "1");
}

TEST_F(ServerSemanticsTest, ErrorsTheServerRaises) {
    const std::vector<Probe> probes = {
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER) VALUES (70300, 'abc')", "error 245"},
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER) SELECT 70301, CHAR_VAL FROM "
         "DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'B'",
         "error 245"},
        {"UPDATE DOCSADM.KEST_SETTINGS SET INT_VAL = 'many' WHERE SUB_KEY = 'A'", "error 245"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 'seven'", "error 245"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = '7'", "5"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE CHAR_VAL = 2", "error 245"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY IN (1, 2)", "error 245"},
        {"SELECT 1 / 0", "error 8134"},
        {"SELECT 7 % 0", "error 8134"},
        {"SELECT 1.5 / 0", "error 8134"},
        {"SELECT 2147483647 + 1", "error 8115"},
        {"SELECT 65536 * 65536", "error 8115"},
        {"SELECT -2147483647 - 2", "error 8115"},
        {"SELECT CAST(3000000000 AS INT)", "error 8115"},
        {"SELECT 7 / 2", "3"},
        {"SELECT -7 % 3", "-1"},
    };
    Expect(probes);
}

TEST_F(ServerSemanticsTest, ComparisonIgnoresLetterCaseAndTrailingBlanks) {
    const std::vector<Probe> probes = {
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE UPPER(SUB_KEY) IN ('a', 'b')", "2"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE LTRIM(SUB_KEY) BETWEEN 'a' AND 'B'", "2"},
        {"SELECT CASE LOWER(SUB_KEY) WHEN 'A' THEN 'yes' ELSE 'no' END FROM DOCSADM.KEST_SETTINGS "
         "WHERE SUB_KEY = 'A'",
         "yes"},
        {"SELECT CHARINDEX('W', 'two')", "2"},
        {"SELECT CHARINDEX('o', 'boot', 3)", "3"},
        {"SELECT REPLACE('Two and TWO', 'two', '2')", "2 and 2"},
        {"SELECT COUNT(*) FROM (SELECT DISTINCT LTRIM(CHAR_VAL) AS V FROM DOCSADM.KEST_SETTINGS "
         "WHERE CHAR_VAL IS NOT NULL) X",
         "1"},
        {"SELECT COUNT(*) FROM (SELECT 'abc' AS V UNION SELECT 'ABC ') X", "1"},
        {"SELECT TOP 1 V FROM (SELECT 'B' AS V UNION ALL SELECT 'a') X ORDER BY V", "a"},
        {"SELECT TOP 1 LOWER(CHAR_VAL) FROM DOCSADM.KEST_SETTINGS ORDER BY UPPER(CHAR_VAL) DESC, SUB_KEY", "two"},
        {"SELECT CASE WHEN N'é' = N'É' THEN 1 ELSE 0 END", "1"},
        {"SELECT CASE WHEN N'é' = N'e' THEN 1 ELSE 0 END", "0"},
        {"SELECT UPPER(N'éa')", "ÉA"},
        {"SELECT TOP 1 V FROM (SELECT N'f' AS V UNION ALL SELECT N'é') X ORDER BY V", "é"},
        // Trailing blanks count for nothing beside "=" and on LIKE's value.
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE CHAR_VAL = 'two'", "2"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'A   '", "1"},
        {"SELECT CASE WHEN 'abc  ' LIKE 'abc' THEN 1 ELSE 0 END", "1"},
        {"SELECT CASE WHEN 'abc' LIKE 'abc ' THEN 1 ELSE 0 END", "0"},
        {"SELECT CASE WHEN 'a%c' LIKE 'A!%%' ESCAPE '!' THEN 1 ELSE 0 END", "1"},
    };
    Expect(probes);
}

// A written text is stored as the server stores it: a CHAR column's value
// padded with blanks to the width, blanks beyond a column's width cut, any
// other excess refused.
TEST_F(ServerSemanticsTest, TextsAreStoredToTheColumnsWidth) {
    const std::vector<Probe> probes = {
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_POSTED, VERSION_LABEL) "
         "VALUES (70400, 11, '', 'v1              ')",
         ""},
        {"SELECT '[' + ACTIVITY_POSTED + '][' + VERSION_LABEL + ']' FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 70400",
         "[ ][v1        ]"},
        {"INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_POSTED, VERSION_LABEL) "
         "SELECT 70401, 12, SUB_KEY, CHAR_VAL FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'C'",
         ""},
        {"SELECT '[' + ACTIVITY_POSTED + '][' + VERSION_LABEL + ']' FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 70401",
         "[C][TWO  ]"},
        {"UPDATE DOCSADM.ACTIVITYLOG SET ACTIVITY_POSTED = '', VERSION_LABEL = 'v2  ' WHERE SYSTEM_ID = 70401", ""},
        {"SELECT '[' + ACTIVITY_POSTED + '][' + VERSION_LABEL + ']' FROM DOCSADM.ACTIVITYLOG WHERE SYSTEM_ID = 70401",
         "[ ][v2  ]"},
        {"UPDATE DOCSADM.ACTIVITYLOG SET VERSION_LABEL = 'v1234567890' WHERE SYSTEM_ID = 70401", "error 8152"},
        {"UPDATE DOCSADM.ACTIVITYLOG SET ACTIVITY_POSTED = 'YN' WHERE SYSTEM_ID = 70401", "error 8152"},
        {"SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE ACTIVITY_POSTED = '' AND SYSTEM_ID IN (70400, 70401)", "2"},
    };
    Expect(probes);
}

TEST_F(ServerSemanticsTest, TypesOfResults) {
    const std::vector<Probe> probes = {
        {"SELECT CAST(N'ééé' AS VARCHAR(2))", "éé"},
        {"SELECT AVG(INT_VAL) FROM DOCSADM.KEST_SETTINGS", "2"},
        {"SELECT AVG(X) FROM (SELECT 1.0 AS X UNION ALL SELECT 4) T", "2.5"},
        {"SELECT ISNULL(ACTIVITY_POSTED, 'YES') FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = 7", "Y"},
        {"SELECT ISNULL(INT_VAL, 'none') FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY = 'B'", "error 245"},
        // Not run by the emulator: an error, never another meaning.
        {"SELECT DATEDIFF(day, START_DATE, GETUTCDATE()) FROM DOCSADM.ACTIVITYLOG", "error 195"},
        {"SELECT DATALENGTH(SUB_KEY) FROM DOCSADM.KEST_SETTINGS", "error 195"},
        {"SELECT CONVERT(VARCHAR(10), START_DATE, 120) FROM DOCSADM.ACTIVITYLOG", "error 50000"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE SUB_KEY LIKE '[AB]'", "error 50000"},
    };
    Expect(probes);
}

// A case-sensitive library: letter case counts, trailing blanks do not, in
// comparisons, DISTINCT and UNION alike.
class CaseSensitiveSemanticsTest : public ServerSemanticsTest {
protected:
    void SetUp() override {
        site_.Library("DOCS").CaseSensitive();
        ServerSemanticsTest::SetUp();
        Run("INSERT INTO DOCSADM.KEST_SETTINGS (MASTER_KEY, SECTION_KEY, SUB_KEY, KEY_TYPE, CHAR_VAL) "
            "VALUES ('M', 'General', 'D', 1, 'two  ')");
    }
};

TEST_F(CaseSensitiveSemanticsTest, TrailingBlanksCountForNothing) {
    const std::vector<Probe> probes = {
        {"SELECT CASE WHEN 'abc  ' = 'abc' THEN 1 ELSE 0 END", "1"},
        {"SELECT CASE WHEN 'abc' = 'ABC' THEN 1 ELSE 0 END", "0"},
        {"SELECT COUNT(*) FROM (SELECT 'abc' AS V UNION SELECT 'abc  ') X", "1"},
        {"SELECT COUNT(*) FROM (SELECT 'abc' AS V UNION SELECT 'ABC') X", "2"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE CHAR_VAL = 'two'", "2"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS WHERE CHAR_VAL = 'TWO'", "1"},
        {"SELECT COUNT(*) FROM (SELECT DISTINCT CHAR_VAL AS V FROM DOCSADM.KEST_SETTINGS "
         "WHERE CHAR_VAL IS NOT NULL) X",
         "2"},
        {"SELECT COUNT(*) FROM DOCSADM.KEST_SETTINGS A, DOCSADM.KEST_SETTINGS B WHERE A.CHAR_VAL = B.CHAR_VAL "
         "AND A.SUB_KEY <> B.SUB_KEY",
         "2"},
    };
    Expect(probes);
}

}  // namespace
}  // namespace dmsim
