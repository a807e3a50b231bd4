#pragma once
// The login object (DmClientObject).

#include <memory>

#include "dmclient/dm_interfaces.h"

namespace dmsim {

class Session;

class ClientObject : public dm::IDmClient {
public:
    explicit ClientObject(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    std::string Name() override;
    // Logs the site's user on; the application's token is there already.
    void Logon() override;
    // Harmless on a client that never logged on.
    void Logoff() override;

private:
    std::shared_ptr<Session> session_;
};

}  // namespace dmsim
