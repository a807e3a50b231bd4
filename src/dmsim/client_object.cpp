#include "dmsim/client_object.h"

#include "dmsim/fault_ops.h"
#include "dmsim/session.h"

namespace dmsim {

std::string ClientObject::Name() {
    if (auto f = session_->Faults().Hit(op::kClientName, {})) return f->Text();
    return session_->Site().clientName;
}

void ClientObject::Logon() {
    session_->Faults().Hit(op::kClientLogon, {});
    session_->Calls().Record(op::kClientLogon, {}, 0);
    session_->loggedOn = true;
}

void ClientObject::Logoff() {
    session_->Faults().Hit(op::kClientLogoff, {});
    session_->Calls().Record(op::kClientLogoff, {}, 0);
    session_->loggedOn = false;
}

}  // namespace dmsim
