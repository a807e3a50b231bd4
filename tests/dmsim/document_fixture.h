#pragma once
// Two libraries (DOCS, ARCHIVE) with people, groups, applications and
// lookups, an emulator on them with a frozen clock, and the DM objects of
// DOCS as the program reaches them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dmsim/document_maker.h"
#include "dmsim/library_db.h"
#include "emulator_fixture.h"

namespace dmsim::fixture {

class DocumentTest : public EmulatorTest {
protected:
    // Describes the site; a test may change site_ before calling Open().
    void DescribeSite() {
        site_.Library("DOCS");
        site_.Library("ARCHIVE").LastDocNumber(500);
    }

    void OpenSite() {
        if (site_.Spec().libraries.empty()) DescribeSite();
        Open();
        for (const auto& lib : site_.Spec().libraries) {
            site_.AddGroup(lib.name, "LEGAL", "Legal");
            site_.AddPerson(lib.name, "JSMITH", "Jane Smith", "LEGAL");
            site_.AddPerson(lib.name, "MJONES", "Mark Jones", "DOCS_USERS");
            site_.AddApplication(lib.name, "MS WORD", "Word", "DOC");
            site_.AddApplication(lib.name, "MS OUTLOOK", "E-mail", "MSG");
            int32_t acme = site_.AddLookup(lib.name, "CLIENT", "CLIENT_ID", "C001", "CLIENT_NAME", "Acme");
            site_.AddLookup(lib.name, "CLIENT", "CLIENT_ID", "C002", "CLIENT_NAME", "Globex");
            int32_t matter = site_.AddLookup(lib.name, "MATTER", "MATTER_ID", "M001", "MATTER_NAME", "Acme v. Globex");
            site_.Sql(lib.name, "UPDATE MATTER SET CLIENT_ID = ? WHERE SYSTEM_ID = ?",
                      {int64_t{acme}, int64_t{matter}});
            site_.AddLookup(lib.name, "DOCUMENTTYPES", "TYPE_ID", "MEMO", "DESCRIPTION", "Memo");
        }
        app_ = emulator_->Factory()->CreateApplication(dm::kApplicationClass);
        docs_ = std::make_unique<DocumentMaker>(*emulator_, "DOCS");
    }

    dm::LibraryPtr Lib(const std::string& name = "DOCS") {
        auto libraries = app_->Libraries();
        for (int32_t i = 1; i <= libraries->Count(); ++i) {
            if (libraries->Item(i)->Name() == name) return libraries->Item(i);
        }
        return nullptr;
    }

    LibraryDb& Db(const std::string& name = "DOCS") { return emulator_->Library(name); }
    int64_t Count(const std::string& sql, const std::vector<SqlValue>& params = {}, const std::string& lib = "DOCS") {
        return AsInt(Db(lib).QueryValue(sql, params));
    }
    std::string Text(const std::string& sql, const std::vector<SqlValue>& params = {}, const std::string& lib = "DOCS") {
        return AsText(Db(lib).QueryValue(sql, params));
    }

    // A document with one version of the given content.
    int32_t Document(const std::string& name, const std::string& content = "text") {
        DocumentSpec spec;
        spec.name = name;
        spec.versions = {Version(content)};
        return docs_->Create(spec);
    }

    // A file outside the site, for AddVersion.
    std::string SourceFile(const std::string& name, const std::string& content) {
        auto path = dir_.path() / "source" / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    dm::ColumnPtr Column(dm::IDmProfile& profile, const std::string& name) {
        auto columns = profile.Columns();
        for (int32_t i = 1; i <= columns->Count(); ++i) {
            if (columns->Item(i)->Name() == name) return columns->Item(i);
        }
        return nullptr;
    }

    dm::ApplicationPtr app_;
    std::unique_ptr<DocumentMaker> docs_;
};

}  // namespace dmsim::fixture
