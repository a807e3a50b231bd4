#pragma once
// A check box held at a value for a stretch of work and put back on every
// way out. Should the program end in the middle (a session lost, a signal),
// its end saves the user's value, not the held one.

#include <functional>

namespace forms {
class CheckBox;
}

namespace core {

class Program;

class HeldCheck {
public:
    HeldCheck(Program& program, forms::CheckBox& box, int value);
    ~HeldCheck();
    HeldCheck(const HeldCheck&) = delete;
    HeldCheck& operator=(const HeldCheck&) = delete;

private:
    Program& p_;
    forms::CheckBox& box_;
    int saved_;
    std::function<void()> outer_;
};

}  // namespace core
