#include "core/held_check.h"

#include "core/program.h"
#include "forms/check_box.h"

namespace core {

HeldCheck::HeldCheck(Program& program, forms::CheckBox& box, int value)
    : p_(program), box_(box), saved_(box.Value()), outer_(program.putBackRunOverrides) {
    p_.putBackRunOverrides = [&box = box_, saved = saved_, outer = outer_] {
        box.SetValue(saved);
        if (outer) outer();
    };
    box_.SetValue(value);
}

HeldCheck::~HeldCheck() {
    box_.SetValue(saved_);
    p_.putBackRunOverrides = outer_;
}

}  // namespace core
