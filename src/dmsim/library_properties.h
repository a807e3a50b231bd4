#pragma once
// A library's user rights and parameters (IDmProperties), in the site's
// order, with the values the site gives them.

#include <memory>

#include "dmclient/dm_interfaces.h"

namespace dmsim {

class Session;
struct LibrarySpec;

class LibraryProperties : public dm::IDmProperties {
public:
    LibraryProperties(std::shared_ptr<Session> session, const LibrarySpec& spec)
        : session_(std::move(session)), spec_(spec) {}
    int32_t Count() override;
    dm::PropertyPtr Item(int32_t index) override;
    // Unknown names raise.
    dm::PropertyPtr Item(const std::string& name) override;

private:
    dm::PropertyPtr Make(size_t position);

    std::shared_ptr<Session> session_;
    const LibrarySpec& spec_;
};

}  // namespace dmsim
