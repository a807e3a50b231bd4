#pragma once
// The libraries of the site (IDmLibraries) in the site's stable order.

#include <memory>

#include "dmclient/dm_interfaces.h"

namespace dmsim {

class Session;

class LibraryCollection : public dm::IDmLibraries {
public:
    explicit LibraryCollection(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    int32_t Count() override;
    // Out of range raises.
    dm::LibraryPtr Item(int32_t index) override;

private:
    std::shared_ptr<Session> session_;
};

}  // namespace dmsim
