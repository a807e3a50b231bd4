#include "dmsim/form_objects.h"

#include <string>
#include <vector>

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/form_catalog.h"
#include "dmsim/library_db.h"
#include "dmsim/lookup_values.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

[[noreturn]] void BadIndex(int32_t index) {
    throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
}

template <typename T>
const T& At(const std::vector<T>& items, int32_t index) {
    if (index < 1 || static_cast<size_t>(index) > items.size()) BadIndex(index);
    return items[static_cast<size_t>(index) - 1];
}

class FormObject : public dm::IDmForm, public dm::IDmDocApplicationForm {
public:
    explicit FormObject(std::string name) : name_(std::move(name)) {}
    std::string Name() override { return name_; }

private:
    std::string name_;
};

class FormList : public dm::IDmForms {
public:
    explicit FormList(std::vector<std::string> names) : names_(std::move(names)) {}
    int32_t Count() override { return static_cast<int32_t>(names_.size()); }
    dm::FormPtr Item(int32_t index) override { return std::make_shared<FormObject>(At(names_, index)); }

private:
    std::vector<std::string> names_;
};

class ApplicationFormList : public dm::IDmDocApplicationForms {
public:
    explicit ApplicationFormList(std::vector<std::string> names) : names_(std::move(names)) {}
    int32_t Count() override { return static_cast<int32_t>(names_.size()); }
    dm::DocApplicationFormPtr Item(int32_t index) override { return std::make_shared<FormObject>(At(names_, index)); }

private:
    std::vector<std::string> names_;
};

class DocApplication : public dm::IDmDocApplication {
public:
    DocApplication(std::string name, std::vector<std::string> forms) : name_(std::move(name)), forms_(std::move(forms)) {}
    std::string Name() override { return name_; }
    dm::DocApplicationFormsPtr Forms() override { return std::make_shared<ApplicationFormList>(forms_); }

private:
    std::string name_;
    std::vector<std::string> forms_;
};

class DocApplicationList : public dm::IDmDocApplications {
public:
    explicit DocApplicationList(std::vector<dm::DocApplicationPtr> apps) : apps_(std::move(apps)) {}
    int32_t Count() override { return static_cast<int32_t>(apps_.size()); }
    dm::DocApplicationPtr Item(int32_t index) override { return At(apps_, index); }

private:
    std::vector<dm::DocApplicationPtr> apps_;
};

std::vector<std::string> Names(const std::vector<const Form*>& forms) {
    std::vector<std::string> names;
    for (const Form* f : forms) names.push_back(f->name);
    return names;
}

}  // namespace

dm::FormsPtr MakeForms(const LibrarySpec& library) { return std::make_shared<FormList>(Names(LibraryForms(library))); }

dm::DocApplicationsPtr MakeDocApplications(Session& session, const LibrarySpec& library) {
    LibraryDb& db = session.Db(library.name);
    auto rows = db.Query("SELECT APPLICATION, DISABLED FROM " + db.Table("APPS") +
                         " WHERE UPPER(APPLICATION) <> 'FOLDER' ORDER BY SYSTEM_ID");
    std::vector<dm::DocApplicationPtr> apps;
    for (const auto& r : rows.rows) {
        if (IsDisabledFlag(AsText(r[1]))) continue;
        std::string name = AsText(r[0]);
        apps.push_back(std::make_shared<DocApplication>(name, Names(ApplicationForms(library, name))));
    }
    return std::make_shared<DocApplicationList>(std::move(apps));
}

}  // namespace dmsim
