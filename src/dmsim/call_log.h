#pragma once
// What the program handed to the emulator (window handles, tokens, flags):
// every recorded call in order, so that a test can assert it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dmclient/variant.h"

namespace dmsim {

struct RecordedCall {
    std::string op;  // an operation name of fault_ops.h
    std::string library;
    int32_t docNumber = 0;
    std::vector<dm::Variant> args;
};

class CallLog {
public:
    void Record(std::string_view op, std::string_view library, int32_t docNumber,
                std::vector<dm::Variant> args = {}) {
        if (suspended_ || !recording_) return;
        calls_.push_back(RecordedCall{std::string(op), std::string(library), docNumber, std::move(args)});
    }
    const std::vector<RecordedCall>& Calls() const { return calls_; }
    // The calls of one operation.
    std::vector<RecordedCall> Of(std::string_view op) const {
        std::vector<RecordedCall> out;
        for (const auto& c : calls_) {
            if (c.op == op) out.push_back(c);
        }
        return out;
    }
    void Clear() { calls_.clear(); }
    // While suspended (fixtures at work) nothing is recorded.
    void Suspend(bool on) { suspended_ = on; }
    bool Suspended() const { return suspended_; }
    // Off for good in the program: nobody reads the calls there.
    void Record(bool on) { recording_ = on; }

private:
    std::vector<RecordedCall> calls_;
    bool suspended_ = false;
    bool recording_ = true;
};

}  // namespace dmsim
