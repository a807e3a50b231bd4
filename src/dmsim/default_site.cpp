#include "dmsim/default_site.h"

#include "dmsim/demo_documents.h"
#include "dmsim/emulator.h"
#include "dmsim/site_builder.h"

namespace dmsim {

void DescribeDefaultSite(SiteBuilder& site) {
    site.Library("DOCS").SettingsTable(true);
    // Archive numbers start higher, so that kept source numbers are free.
    site.Library("ARCHIVE").LastDocNumber(50000);
    site.Library("ARCHIVE2").LastDocNumber(60000);
    site.Primary("DOCS").Current("DOCS");
}

void AddDemoRows(SiteBuilder& site) {
    for (const auto& lib : site.Spec().libraries) {
        const std::string& name = lib.name;
        site.AddGroup(name, "LEGAL", "Legal department");
        site.AddGroup(name, "ACCOUNTING", "Accounting");
        site.AddPerson(name, "JSMITH", "Jane Smith", "LEGAL");
        site.AddPerson(name, "MJONES", "Mark Jones", "ACCOUNTING");
        site.AddPerson(name, "FORMER", "Former Employee", "LEGAL");
        site.Sql(name, "UPDATE PEOPLE SET DISABLED = '1' WHERE USER_ID = 'FORMER'");
        site.AddMember(name, "JSMITH", "DOCS_USERS");
        site.AddMember(name, "MJONES", "DOCS_USERS");
        site.AddApplication(name, "MS WORD", "Word document", "DOC");
        site.AddApplication(name, "MS EXCEL", "Spreadsheet", "XLS");
        site.AddApplication(name, "MS OUTLOOK", "E-mail", "MSG");
        site.AddApplication(name, "ACROBAT", "PDF document", "PDF");
        site.AddLookup(name, "DOCUMENTTYPES", "TYPE_ID", "MEMO", "DESCRIPTION", "Memorandum");
        site.AddLookup(name, "DOCUMENTTYPES", "TYPE_ID", "LETTER", "DESCRIPTION", "Letter");
        site.AddLookup(name, "DOCUMENTTYPES", "TYPE_ID", "CONTRACT", "DESCRIPTION", "Contract");
        int32_t acme = site.AddLookup(name, "CLIENT", "CLIENT_ID", "C001", "CLIENT_NAME", "Acme Corporation");
        site.AddLookup(name, "CLIENT", "CLIENT_ID", "C002", "CLIENT_NAME", "Globex");
        int32_t open = site.AddLookup(name, "MATTER", "MATTER_ID", "M001", "MATTER_NAME", "Acme v. Globex");
        int32_t closed = site.AddLookup(name, "MATTER", "MATTER_ID", "M002", "MATTER_NAME", "Acme lease");
        site.Sql(name, "UPDATE MATTER SET CLIENT_ID = ? WHERE SYSTEM_ID IN (?, ?)",
                 {int64_t{acme}, int64_t{open}, int64_t{closed}});
        site.Sql(name, "UPDATE MATTER SET CLOSE_DATE = '2020-06-30 00:00:00' WHERE SYSTEM_ID = ?",
                 {int64_t{closed}});
    }
}

void CreateDefaultSite(const std::filesystem::path& dir, bool demo, const std::string& language,
                       const std::string& dateFormat) {
    {
        SiteBuilder site(dir);
        DescribeDefaultSite(site);
        site.Language(language, dateFormat);
        site.Create();
        if (demo) AddDemoRows(site);
    }
    if (demo) {
        Emulator emulator(dir);
        AddDemoDocuments(emulator);
    }
}

}  // namespace dmsim
