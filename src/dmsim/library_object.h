#pragma once
// A library of the site as the DM client shows it. Every object standing
// for the same library works on the same state, whichever library the SQL
// object is bound to and whether or not it was connected.

#include <memory>

#include "dmclient/dm_interfaces.h"
#include "dmsim/fault_injector.h"

namespace dmsim {

class Session;
struct LibrarySpec;

class LibraryObject : public dm::IDmLibrary {
public:
    LibraryObject(std::shared_ptr<Session> session, const LibrarySpec& spec)
        : session_(std::move(session)), spec_(spec) {}

    std::string Name() override;
    std::string UserId() override;
    std::string PrimaryGroup() override;
    dm::Variant IsPrimary() override;
    void Connect() override;
    dm::PropertiesPtr Properties() override;

    // Documents, folders and forms of the library (form_catalog.h).
    dm::FormsPtr Forms() override;
    dm::DocApplicationsPtr DocApplications() override;
    // Nothing for no such document (0 included) or, for GetFolder, an item
    // that is not a folder.
    dm::ProfilePtr GetProfile(int32_t docNumber) override;
    dm::FolderPtr GetFolder(int32_t docNumber) override;
    // Nothing for a form the library does not offer (the folder form
    // included: new folders come from NewFolder).
    dm::ProfilePtr NewProfile(const std::string& formName) override;
    dm::FolderPtr NewFolder() override;

    const LibrarySpec& Spec() const { return spec_; }
    Session& GetSession() const { return *session_; }

private:
    FaultContext Context(int32_t docNumber = 0) const;

    std::shared_ptr<Session> session_;
    const LibrarySpec& spec_;
};

}  // namespace dmsim
