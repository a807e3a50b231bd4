#pragma once
// The DM application object (DmApplicationObject, "DOCSObjects.Application").

#include <memory>

#include "dmclient/dm_interfaces.h"

namespace dmsim {

class Session;

class ApplicationObject : public dm::IDmApplication {
public:
    explicit ApplicationObject(std::shared_ptr<Session> session) : session_(std::move(session)) {}

    dm::LibrariesPtr Libraries() override;
    dm::LibraryPtr CurrentLibrary() override;
    dm::LibraryPtr PrimaryLibrary() override;
    // The site's token, whether or not Logon was called.
    std::string SecurityToken() override;
    void SetParentWindow(intptr_t windowHandle) override;
    // The library chooser through the dialog host; nothing on cancel or
    // without a host.
    dm::LibraryPtr SelectLibrary() override;

private:
    dm::LibraryPtr Library(const std::string& name);

    std::shared_ptr<Session> session_;
};

}  // namespace dmsim
