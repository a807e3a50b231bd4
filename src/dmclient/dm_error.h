#pragma once
// A DM call that the client refuses outright: the run-time error of the
// boundary. Each procedure catches it at its own edge.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace dm {

class DmError : public std::runtime_error {
public:
    DmError(int32_t number, std::string source, std::string description)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {
        ++RaisedCount();
    }

    // How many were raised in this process: work that must not pass over
    // one compares the count at its end with the count at its start,
    // whoever caught them on the way.
    static int64_t Raised() { return RaisedCount(); }

    int32_t Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

private:
    static int64_t& RaisedCount() {
        static int64_t raised = 0;
        return raised;
    }

    int32_t number_;
    std::string source_;
    std::string description_;
};

// Status the DM client reports when its server interface cannot be reached.
inline constexpr int32_t kServerInterfaceUnreachable = static_cast<int32_t>(0x80010105u);

}  // namespace dm
