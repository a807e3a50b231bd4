#include "dmsim/object_factory.h"

#include "dmclient/dm_error.h"
#include "dmsim/application_object.h"
#include "dmsim/client_object.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/search_dialog.h"
#include "dmsim/session.h"
#include "dmsim/sql_object.h"

namespace dmsim {

namespace {

[[noreturn]] void InvalidClass(std::string_view id) {
    throw dm::DmError(kErrInvalidClass, kObjectsSource, "Invalid class string: " + std::string(id));
}

}  // namespace

dm::ApplicationPtr ObjectFactory::CreateApplication(std::string_view id) {
    if (id != dm::kApplicationClass && id != dm::kApplicationProgId) InvalidClass(id);
    FaultContext c;
    c.name = id;
    if (session_->Faults().Hit(op::kCreateApplication, c)) return nullptr;
    session_->Calls().Record(op::kCreateApplication, {}, 0, {std::string(id)});
    return std::make_shared<ApplicationObject>(session_);
}

dm::ClientPtr ObjectFactory::CreateClient() {
    if (session_->Faults().Hit(op::kCreateClient, {})) return nullptr;
    session_->Calls().Record(op::kCreateClient, {}, 0);
    return std::make_shared<ClientObject>(session_);
}

dm::SqlPtr ObjectFactory::CreateSql(std::string_view progId) {
    if (progId != dm::kSqlProgId) InvalidClass(progId);
    FaultContext c;
    c.name = progId;
    if (session_->Faults().Hit(op::kCreateSql, c)) return nullptr;
    session_->Calls().Record(op::kCreateSql, {}, 0);
    auto sql = std::make_shared<SqlObject>(session_);
    session_->lastSql = sql;
    return sql;
}

dm::SearchDialogPtr ObjectFactory::CreateSearchDialog() {
    if (session_->Faults().Hit(op::kCreateSearchDialog, {})) return nullptr;
    session_->Calls().Record(op::kCreateSearchDialog, {}, 0);
    return std::make_shared<SearchDialog>(session_);
}

}  // namespace dmsim
