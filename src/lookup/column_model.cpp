#include "lookup/column_model.h"

#include <algorithm>

#include "dmclient/variant.h"

namespace lookup {

const std::string& AliasCounter::Current() const {
    if (exhausted_) throw std::length_error("No table alias is left after ZZ");
    return alias_;
}

void AliasCounter::Advance() {
    do {
        if (alias_ == "ZZ") {
            exhausted_ = true;
            return;
        }
        if (alias_[1] == 'Z') {
            ++alias_[0];
            alias_[1] = 'A';
        } else {
            ++alias_[1];
        }
    } while (alias_ == "AS" || alias_ == "BY");
}

std::string ColumnDictionary(const std::string& table) {
    return table.rfind("QZ_", 0) == 0 ? "QZ_DOCSCOLUMN" : "DOCSCOLUMN";
}

int CmsTypeValue(const std::string& cmsType) { return static_cast<int>(dm::LeadingNumber(cmsType)); }

std::vector<const ColumnModelRow*> VisitingOrder(const ColumnModel& model) {
    std::vector<const ColumnModelRow*> order;
    order.reserve(model.size());
    for (const auto& row : model) order.push_back(&row);
    std::stable_sort(order.begin(), order.end(),
                     [](const ColumnModelRow* a, const ColumnModelRow* b) { return a->OrderNumber < b->OrderNumber; });
    return order;
}

}  // namespace lookup
