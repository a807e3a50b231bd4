#pragma once
// A document's versions (IDmVersions) and one version (IDmVersion), known
// by its VERSION_ID: label, file path and profile are read from the rows as
// they are when asked, so a version follows renumbering and re-pointing of
// its document's storage.

#include <memory>
#include <vector>

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_item.h"
#include "dmsim/version_store.h"

namespace dmsim {

class VersionCollection : public dm::IDmVersions {
public:
    VersionCollection(ItemPtr item, std::vector<VersionRow> rows) : item_(std::move(item)), rows_(std::move(rows)) {}
    int32_t Count() override;
    // Out of range raises.
    dm::VersionPtr Item(int32_t index) override;

private:
    ItemPtr item_;
    std::vector<VersionRow> rows_;
};

class VersionObject : public dm::IDmVersion {
public:
    VersionObject(std::shared_ptr<Session> session, const LibrarySpec& library, int32_t versionId)
        : session_(std::move(session)), library_(library), versionId_(versionId) {}

    std::string Label() override;
    int32_t VersionId() override { return versionId_; }
    std::string FilePath() override;
    dm::ProfilePtr Profile() override;
    // A copy of the file in the folder under its own name, with the
    // check-out recorded (version_store.h); True when the copy was made.
    dm::Variant CheckOut(const dm::Variant& due, const std::string& comment, const std::string& directory) override;
    dm::Variant Release(int32_t flags) override;
    void Unlock() override;

private:
    std::optional<FaultAction> Call(std::string_view op, std::vector<dm::Variant> args);

    std::shared_ptr<Session> session_;
    const LibrarySpec& library_;
    int32_t versionId_;
};

}  // namespace dmsim
