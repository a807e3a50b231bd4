#include "dmsim/demo_documents.h"

#include <string>
#include <vector>

#include "dmsim/document_maker.h"
#include "dmsim/emulator.h"
#include "dmsim/library_db.h"
#include "dmsim/lookup_values.h"

namespace dmsim {

namespace {

constexpr const char* kLibrary = "DOCS";

struct Topic {
    const char* name;
    const char* application;
    const char* extension;
    const char* type;
    const char* client;
    const char* matter;
    const char* author;
};

// Each topic gives one document per year.
constexpr Topic kTopics[] = {
    {"Engagement letter", "MS WORD", "DOC", "LETTER", "C001", "M001", "JSMITH"},
    {"Settlement memo", "MS WORD", "DOC", "MEMO", "C001", "M001", "JSMITH"},
    {"Supply contract", "MS WORD", "DOC", "CONTRACT", "C001", "", "MJONES"},
    {"Lease agreement", "MS WORD", "DOC", "CONTRACT", "C001", "M002", "FORMER"},
    {"Budget", "MS EXCEL", "XLS", "", "", "", "MJONES"},
    {"Expense report", "MS EXCEL", "XLS", "", "C002", "", "MJONES"},
    {"Signed statement", "ACROBAT", "PDF", "", "C001", "M001", "JSMITH"},
    {"Court filing", "ACROBAT", "PDF", "", "C001", "M001", "DMADMIN"},
    {"Status update", "MS OUTLOOK", "MSG", "", "C001", "M001", "JSMITH"},
    {"Invoice query", "MS OUTLOOK", "MSG", "", "C002", "", "MJONES"},
    {"Partnership proposal", "MS WORD", "DOC", "LETTER", "C002", "", "DMADMIN"},
    {"Meeting notes", "MS WORD", "DOC", "MEMO", "", "", "JSMITH"},
};
constexpr const char* kYears[] = {"2019", "2020", "2021"};

std::string Content(const std::string& name, int version, const std::string& note) {
    std::string text = "Demo document: " + name + "\r\nVersion " + std::to_string(version) + " " + note + "\r\n";
    for (int line = 1; line <= 20; ++line) {
        text += "Line " + std::to_string(line) + " of " + name + ", kept for the demonstration of archiving.\r\n";
    }
    return text;
}

void SetDisabled(LibraryDb& db, const std::string& userId, const char* flag) {
    db.Exec("UPDATE " + db.Table("PEOPLE") + " SET DISABLED = ? WHERE USER_ID = ?", {std::string(flag), userId});
}

void AddActivity(LibraryDb& db, int32_t docNumber, const std::string& userId, int32_t type, const std::string& text,
                 const std::string& when) {
    auto person = FindPerson(db, userId);
    db.Exec("INSERT INTO " + db.Table("ACTIVITYLOG") +
                " (SYSTEM_ID, DOCNUMBER, ACTIVITY_TYPE, ACTIVITY_DESC, REF_DOCUMENT, REF_LIBRARY, AUTHOR, TYPIST, "
                "VERSION_LABEL, ACTIVITY_POSTED, BILLABLE, CR_IN_USE, ELAPSED_TIME, KEYSTROKES, PAGES, TYPE_TIME, "
                "START_DATE) VALUES (?, ?, ?, ?, 0, 0, ?, ?, '1', 'N', 'N', 'N', 0, 0, 0, 0, ?)",
            {int64_t{db.NextSystemKey()}, int64_t{docNumber}, int64_t{type}, text,
             person ? SqlValue(*person) : SqlValue(), person ? SqlValue(*person) : SqlValue(), when});
}

}  // namespace

DemoCounts AddDemoDocuments(Emulator& emulator) {
    DocumentMaker docs(emulator, kLibrary);
    LibraryDb& db = emulator.Library(kLibrary);
    DemoCounts counts;

    const int32_t clients = docs.CreateFolder("Clients", 0, true);
    const int32_t acme = docs.CreateFolder("Acme Corporation", clients);
    const int32_t matter = docs.CreateFolder("Acme v. Globex", acme);
    const int32_t drafts = docs.CreateFolder("Jane's Drafts");
    docs.SetTrustees(drafts, {User("JSMITH", 255), User("DMADMIN", 255)});
    counts.folders = 4;

    std::vector<std::vector<int32_t>> numbers(std::size(kTopics));
    int index = 0;
    for (const char* year : kYears) {
        for (size_t t = 0; t < std::size(kTopics); ++t, ++index) {
            const Topic& topic = kTopics[t];
            DocumentSpec spec;
            spec.name = std::string(topic.name) + " " + year;
            spec.application = topic.application;
            spec.author = topic.author;
            spec.typist = topic.author;
            spec.documentType = topic.type;
            spec.client = topic.client;
            spec.matter = topic.matter;
            spec.storageType = "A";
            const int versionCount = 1 + index % 3;
            for (int v = 1; v <= versionCount; ++v) {
                spec.versions.push_back(Version(Content(spec.name, v, "draft"), topic.extension));
            }
            if (index % 4 == 1) spec.versions.push_back(Subversion(1, Content(spec.name, 1, "review copy"), topic.extension));
            if (index == 7) spec.versions.push_back(Attachment("A", Content(spec.name, 0, "exhibit"), "PDF"));
            if (std::string(topic.application) == "MS OUTLOOK") {
                spec.columns = {{"PD_ORIGINATOR", "jsmith@acme.example"},
                                {"PD_ADDRESSEE", "counsel@globex.example"},
                                {"PD_EMAIL_CC", ""},
                                {"EMAIL_SENT", std::string(year) + "-02-01 09:00:00"},
                                {"EMAIL_RECEIVED", std::string(year) + "-02-01 09:05:00"}};
            }
            if (std::string(topic.matter) == "M001") spec.folders.push_back(matter);
            else if (std::string(topic.client) == "C001") spec.folders.push_back(acme);
            if (std::string(topic.author) == "JSMITH" && std::string(topic.type) == "MEMO") spec.folders.push_back(drafts);
            if (std::string(topic.type) == "CONTRACT") spec.trustees = {User("JSMITH", 255), Group("LEGAL", 127)};
            if (std::string(topic.application) == "MS EXCEL") spec.trustees = {Group("ACCOUNTING", 255), User("MJONES", 63)};

            // A former employee's documents date from before the account was
            // disabled.
            const bool former = std::string(topic.author) == "FORMER";
            if (former) SetDisabled(db, "FORMER", "");
            int32_t number = docs.Create(spec);
            if (former) SetDisabled(db, "FORMER", "1");
            numbers[t].push_back(number);
            ++counts.documents;
            if (index % 5 == 0) AddActivity(db, number, "MJONES", 1, "Viewed", std::string(year) + "-03-15 10:30:00");
        }
    }
    // Each year's document relates to the year before; contracts link to the
    // budget of their year.
    for (const auto& topic : numbers) {
        for (size_t y = 1; y < topic.size(); ++y) docs.Relate(topic[y], topic[y - 1]);
    }
    for (size_t y = 0; y < std::size(kYears); ++y) docs.Link(numbers[2][y], kLibrary, numbers[4][y]);
    return counts;
}

}  // namespace dmsim
