#pragma once
// A profile's columns (IDmColumns, IDmColumn): the form's columns with the
// values of the row when Columns was fetched and the edits since. Setting a
// value checks it as the DM does: a read-only column, a text too long, a
// date or number it cannot read raise; a lookup id that is unknown or
// disabled is kept but leaves IsValid False (and the save refuses it).
// Setting Empty or Null clears the column; an empty column reads as Empty.

#include <map>
#include <string>

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_item.h"

namespace dmsim {

class ColumnCollection : public dm::IDmColumns {
public:
    ColumnCollection(ItemPtr item, std::map<std::string, dm::Variant> values)
        : item_(std::move(item)), values_(std::move(values)) {}
    int32_t Count() override;
    // Out of range raises.
    dm::ColumnPtr Item(int32_t index) override;

private:
    ItemPtr item_;
    std::map<std::string, dm::Variant> values_;
};

}  // namespace dmsim
