#pragma once
// Creates the emulated DM client's top-level objects by the identifiers the
// program uses.

#include <memory>

#include "dmclient/dm_factory.h"

namespace dmsim {

class Session;

class ObjectFactory : public dm::IDmObjectFactory {
public:
    explicit ObjectFactory(std::shared_ptr<Session> session) : session_(std::move(session)) {}

    // Unknown identifiers raise, as an unregistered class does.
    dm::ApplicationPtr CreateApplication(std::string_view id) override;
    dm::ClientPtr CreateClient() override;
    dm::SqlPtr CreateSql(std::string_view progId) override;
    dm::SearchDialogPtr CreateSearchDialog() override;

private:
    std::shared_ptr<Session> session_;
};

}  // namespace dmsim
