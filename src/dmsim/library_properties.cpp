#include "dmsim/library_properties.h"

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

class PropertyObject : public dm::IDmProperty {
public:
    PropertyObject(std::shared_ptr<Session> session, const LibrarySpec& spec, size_t position)
        : session_(std::move(session)), spec_(spec), position_(position) {}

    std::string Name() override { return spec_.properties[position_].first; }

    dm::Variant Value() override {
        const auto& [name, value] = spec_.properties[position_];
        FaultContext c;
        c.library = spec_.name;
        c.name = name;
        if (auto f = session_->Faults().Hit(op::kPropertyValue, c)) return f->Value();
        return value;
    }

private:
    std::shared_ptr<Session> session_;
    const LibrarySpec& spec_;
    size_t position_;
};

}  // namespace

int32_t LibraryProperties::Count() {
    FaultContext c;
    c.library = spec_.name;
    if (auto f = session_->Faults().Hit(op::kPropertiesCount, c)) return f->Number();
    return static_cast<int32_t>(spec_.properties.size());
}

dm::PropertyPtr LibraryProperties::Make(size_t position) {
    FaultContext c;
    c.library = spec_.name;
    c.name = spec_.properties[position].first;
    if (session_->Faults().Hit(op::kPropertiesItem, c)) return nullptr;
    return std::make_shared<PropertyObject>(session_, spec_, position);
}

dm::PropertyPtr LibraryProperties::Item(int32_t index) {
    if (index < 1 || static_cast<size_t>(index) > spec_.properties.size()) {
        throw dm::DmError(kErrBadIndex, kObjectsSource, "Invalid index " + std::to_string(index) + ".");
    }
    return Make(static_cast<size_t>(index) - 1);
}

dm::PropertyPtr LibraryProperties::Item(const std::string& name) {
    for (size_t i = 0; i < spec_.properties.size(); ++i) {
        if (EqualsNoCase(spec_.properties[i].first, name)) return Make(i);
    }
    throw dm::DmError(kErrUnknownName, kObjectsSource, "Unknown property '" + name + "'.");
}

}  // namespace dmsim
