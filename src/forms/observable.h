#pragma once
// Change notification for the plain control models: views and the program's
// handlers subscribe; a model notifies after every change of its state.

#include <functional>
#include <map>

namespace forms {

template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    int Connect(Slot slot) {
        slots_.emplace(++lastId_, std::move(slot));
        return lastId_;
    }
    void Disconnect(int id) { slots_.erase(id); }

    void Emit(Args... args) const {
        // Copy so that a slot may connect or disconnect while we emit; a slot
        // disconnected meanwhile is not called any more, its owner may be
        // gone. (Not named "slots": Qt defines that word as a macro.)
        auto snapshot = slots_;
        for (auto& [id, slot] : snapshot) {
            if (slots_.count(id)) slot(args...);
        }
    }

private:
    std::map<int, Slot> slots_;
    int lastId_ = 0;
};

}  // namespace forms
