// A Copy onto servers that read date texts by another language or date
// format: every date of the new document, its versions, its history and its
// read-only mark is its source's, and the DM's own rows of the copy are
// cleared.

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

using std::to_string;

struct Server {
    const char* name;
    const char* language;    // the servers' default; "" us_english
    const char* dateFormat;  // "" the language's
    const char* version;     // "" the fixture's; below 11 TRY_CAST becomes CAST
};

void PrintTo(const Server& s, std::ostream* os) { *os << s.name; }

// Each row of a query as its values joined by "|", NULL as "-".
using Rows = std::vector<std::string>;

class ServerLanguageTest : public TransferTest, public ::testing::WithParamInterface<Server> {
protected:
    void SetUp() override {
        DescribeLibraries();
        const Server& server = GetParam();
        site_.Language(server.language, server.dateFormat);
        if (*server.version) {
            for (const char* library : {"DOCS", "ARCHIVE", "ARCHIVE2"}) site_.Library(library).ServerVersion(server.version);
        }
    }

    Rows Query(const std::string& library, const std::string& sql) {
        Rows out;
        for (const auto& r : Db(library).Query(sql).rows) {
            std::string row;
            for (const auto& v : r) row += (row.empty() ? "" : "|") + (dmsim::IsNull(v) ? "-" : dmsim::AsText(v));
            out.push_back(row);
        }
        return out;
    }

    Rows ProfileDates(const std::string& library, int32_t doc) {
        return Query(library, "SELECT CREATION_DATE, LAST_EDIT_DATE, EMAIL_SENT, EMAIL_RECEIVED, PD_EMAIL_DATE, "
                              "READONLY, READONLY_DATE FROM DOCSADM.PROFILE WHERE DOCNUMBER = " + to_string(doc));
    }

    // Versions and subversions; an attachment keeps the DM's dates.
    Rows VersionDates(const std::string& library, int32_t doc) {
        return Query(library, "SELECT VERSION_LABEL, LASTEDITDATE, LASTEDITTIME, PUBLISH_DATE, READONLY_DATE FROM "
                              "DOCSADM.VERSIONS WHERE VERSION_LABEL GLOB '[0-9]*' AND DOCNUMBER = " +
                                  to_string(doc) + " ORDER BY VERSION, SUBVERSION");
    }

    // The history without the transfer's own entries.
    Rows History(const std::string& library, int32_t doc) {
        return Query(library, "SELECT ACTIVITY_TYPE, ACTIVITY_DESC, START_DATE, START_TIME, BILLED_ON FROM "
                              "DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + to_string(doc) +
                                  " AND COALESCE(ACTIVITY_DESC, '') NOT LIKE 'Copied %' ORDER BY START_DATE, "
                                  "ACTIVITY_DESC");
    }
};

// Days above 12 and below, where a day read as a month gives another date
// or none.
TEST_P(ServerLanguageTest, ACopyKeepsEveryDateOfItsSource) {
    StartProgram();
    const int32_t source = MakeDocument("Dated lease", {docs_->CreateFolder("Leases", 0, true)});
    const std::string n = to_string(source);
    Sql("DOCS", "UPDATE DOCSADM.PROFILE SET CREATION_DATE = '2019-12-25 08:15:30', LAST_EDIT_DATE = "
                "'2020-01-07 16:45:00', EMAIL_SENT = '2020-02-13 09:00:00', EMAIL_RECEIVED = '2020-02-03 09:05:00', "
                "PD_EMAIL_DATE = '2020-11-30 23:59:59', READONLY = 'Y', READONLY_DATE = '2021-01-30 12:00:00' "
                "WHERE DOCNUMBER = " + n);
    const char* versionDates[][2] = {{"2019-12-25 08:20:00", "2020-03-04 10:00:00"},
                                     {"2020-01-07 16:40:00", "2020-10-11 11:11:11"},
                                     {"2020-02-29 18:30:00", ""}};
    int k = 0;
    for (const auto& [edited, published] : versionDates) {
        const std::string publish = *published ? "'" + std::string(published) + "'" : "NULL";
        Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET LASTEDITDATE = '" + std::string(edited) + "', LASTEDITTIME = '" +
                        edited + "', PUBLISH_DATE = " + publish +
                        " WHERE VERSION_ID = (SELECT VERSION_ID FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n +
                        " ORDER BY VERSION, SUBVERSION LIMIT 1 OFFSET " + to_string(k++) + ")");
    }
    // Read-only since the 30th of January, as the DM marks every version.
    Sql("DOCS", "UPDATE DOCSADM.VERSIONS SET READONLY_DATE = '2021-01-30 12:00:00' WHERE DOCNUMBER = " + n);
    const char* history[][3] = {{"Edited", "2020-01-07 16:45:00", "2020-01-31 00:00:00"},
                                {"Printed", "2020-06-15 09:30:00", ""},
                                {"Viewed", "2020-12-01 17:05:00", "2020-12-31 00:00:00"}};
    int key = 910000;
    for (const auto& [what, start, billed] : history) {
        const std::string billedOn = *billed ? "'" + std::string(billed) + "'" : "NULL";
        Sql("DOCS", "INSERT INTO DOCSADM.ACTIVITYLOG (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC, AUTHOR, "
                    "TYPIST, APPLICATION, REF_LIBRARY, START_DATE, START_TIME, BILLED_ON) SELECT " +
                        to_string(++key) + ", " + n + ", 5, '" + what + "', P.SYSTEM_ID, P.SYSTEM_ID, A.SYSTEM_ID, 0, '" +
                        start + "', '" + start + "', " + billedOn +
                        " FROM DOCSADM.PEOPLE P, DOCSADM.APPS A WHERE P.USER_ID = 'JSMITH' AND A.APPLICATION = "
                        "'MS WORD'");
    }
    const Rows profile = ProfileDates("DOCS", source);
    const Rows versions = VersionDates("DOCS", source);
    const Rows before = History("DOCS", source);
    ASSERT_EQ(versions.size(), 3u);

    const int32_t copy = Transfer(source);
    ASSERT_GT(copy, 0) << LogText();
    EXPECT_EQ(ProfileDates("ARCHIVE", copy), profile);
    EXPECT_EQ(VersionDates("ARCHIVE", copy), versions);
    EXPECT_EQ(History("ARCHIVE", copy), before) << "the copied history, and nothing the DM wrote for the copy";
    const std::string folder =
        Value("ARCHIVE", "SELECT PARENT FROM DOCSADM.FOLDER_ITEM WHERE DOCNUMBER = " + to_string(copy));
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(Query("ARCHIVE", "SELECT ACTIVITY_DESC FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + folder), Rows{})
        << "the rows the DM wrote for the new folder";
    EXPECT_EQ(ProfileDates("DOCS", source), profile);
    EXPECT_EQ(CountLines("SQL Error"), 0u) << LogText();
}

// The e-mail columns are written by SQL of their own. Their dates come over
// as the source has them, also where the library's dictionary does not list
// them as dates (then no later step writes them again).
TEST_P(ServerLanguageTest, ACopyKeepsTheDatesOfAnEmail) {
    StartProgram();
    struct Mail {
        const char* name;
        const char* sent;
        const char* received;
        const char* dated;
    };
    const Mail mails[] = {
        {"every day a month", "2020-02-01 09:00:00", "2020-02-03 09:05:00", "2019-12-11 10:11:12"},
        {"a day no month", "2020-02-13 09:00:00", "2020-02-03 09:05:00", "2019-12-31 10:11:12"},
    };
    const std::string dates = "EMAIL_SENT, EMAIL_RECEIVED, PD_EMAIL_DATE";
    for (const bool listed : {true, false}) {
        if (!listed) {
            for (const char* library : {"DOCS", "ARCHIVE"}) {
                Sql(library, "DELETE FROM DOCSADM.DOCSCOLUMN WHERE TBNAME = 'PROFILE' AND COLNAME IN ('EMAIL_SENT', "
                             "'EMAIL_RECEIVED', 'PD_EMAIL_DATE')");
            }
        }
        for (const auto& mail : mails) {
            SCOPED_TRACE(std::string(mail.name) + (listed ? ", listed" : ", not listed"));
            dmsim::DocumentSpec spec;
            spec.name = std::string("Mail ") + mail.name;
            spec.application = "MS OUTLOOK";
            spec.author = "JSMITH";
            spec.columns = {{"PD_ORIGINATOR", dm::Variant("O'Brien")}};
            spec.versions = {dmsim::Version("mail body")};
            const int32_t source = docs_->Create(spec);
            Sql("DOCS", "UPDATE DOCSADM.PROFILE SET EMAIL_SENT = '" + std::string(mail.sent) + "', EMAIL_RECEIVED = '" +
                            mail.received + "', PD_EMAIL_DATE = '" + mail.dated +
                            "' WHERE DOCNUMBER = " + to_string(source));
            const std::string query = "SELECT " + dates + ", PD_ORIGINATOR FROM DOCSADM.PROFILE WHERE DOCNUMBER = ";
            const Rows before = Query("DOCS", query + to_string(source));
            ASSERT_EQ(before, Rows{std::string(mail.sent) + "|" + mail.received + "|" + mail.dated + "|O'Brien"});
            ClearLog();
            const int32_t copy = Transfer(source);
            ASSERT_GT(copy, 0) << LogText();
            EXPECT_EQ(Query("ARCHIVE", query + to_string(copy)), before);
            EXPECT_EQ(CountLines("SQL Error"), 0u) << LogText();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerLanguageTest,
                         ::testing::Values(Server{"UsEnglish", "", "", ""}, Server{"British", "British", "", ""},
                                           Server{"German", "Deutsch", "", ""}, Server{"French", "French", "", ""},
                                           Server{"UsEnglishDmy", "us_english", "dmy", ""},
                                           Server{"Ydm", "", "ydm", ""},
                                           Server{"BritishBefore11", "British", "", "10.50.6000.34"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace transfer_test
