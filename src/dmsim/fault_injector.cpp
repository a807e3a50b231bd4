#include "dmsim/fault_injector.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "dmclient/dm_error.h"
#include "dmsim/text.h"

namespace dmsim {

namespace {
int64_t callsSoFar = 0;
int64_t raiseAt = 0;
}  // namespace

int64_t FaultInjector::CallsSoFar() { return callsSoFar; }

void FaultInjector::RaiseAt(int64_t k) { raiseAt = k; }

FaultInjector::Rule::Rule(FaultInjector& injector, std::string op)
    : injector_(injector), op_(std::move(op)) {}

FaultInjector::Rule& FaultInjector::Rule::ForLibrary(std::string name) {
    library_ = std::move(name);
    return *this;
}

FaultInjector::Rule& FaultInjector::Rule::ForDocument(int32_t docNumber) {
    docNumber_ = docNumber;
    return *this;
}

FaultInjector::Rule& FaultInjector::Rule::ForStatement(std::string contains) {
    statement_ = ToUpper(contains);
    return *this;
}

FaultInjector::Rule& FaultInjector::Rule::ForName(std::string name) {
    name_ = std::move(name);
    return *this;
}

FaultInjector::Rule& FaultInjector::Rule::ForIndex(int32_t index) {
    index_ = index;
    return *this;
}

FaultInjector::Rule& FaultInjector::Rule::OnCall(int k) {
    onCall_ = k;
    return *this;
}

FaultInjector::Rule& FaultInjector::Rule::Times(int n) {
    times_ = n;
    return *this;
}

void FaultInjector::Rule::Arm(FaultAction action) {
    action_ = std::move(action);
    injector_.rules_.push_back(*this);
}

void FaultInjector::Rule::Raise(int32_t number, std::string source, std::string description) {
    FaultAction a;
    a.kind = FaultAction::Kind::Raise;
    a.number = number;
    a.source = std::move(source);
    a.description = std::move(description);
    Arm(std::move(a));
}

void FaultInjector::Rule::AnswerNothing() { Arm(FaultAction{}); }

void FaultInjector::Rule::Answer(dm::Variant value) {
    FaultAction a;
    a.kind = FaultAction::Kind::Answer;
    a.value = std::move(value);
    Arm(std::move(a));
}

void FaultInjector::Rule::Answer(dm::Variant value, int32_t errorNumber, std::string description) {
    FaultAction a;
    a.kind = FaultAction::Kind::Answer;
    a.value = std::move(value);
    a.number = errorNumber;
    a.description = std::move(description);
    Arm(std::move(a));
}

void FaultInjector::Rule::Refuse(int32_t errorNumber, std::string description) {
    FaultAction a;
    a.kind = FaultAction::Kind::Refuse;
    a.number = errorNumber;
    a.description = std::move(description);
    Arm(std::move(a));
}

void FaultInjector::Rule::Defer() {
    FaultAction a;
    a.kind = FaultAction::Kind::Defer;
    a.value = true;
    Arm(std::move(a));
}

void FaultInjector::Rule::FailStatement(int32_t code, std::string text) {
    FailStatus(code, code, std::move(text));
}

void FaultInjector::Rule::FailStatus(int32_t status, int32_t code, std::string text) {
    FaultAction a;
    a.kind = FaultAction::Kind::SqlFailure;
    a.status = status;
    a.code = code;
    a.text = std::move(text);
    Arm(std::move(a));
}

void FaultInjector::Rule::Crash() {
    FaultAction a;
    a.kind = FaultAction::Kind::Crash;
    Arm(std::move(a));
}

bool FaultInjector::CrashOn(const std::string& spec) {
    const size_t first = spec.find('|');
    const std::string op = spec.substr(0, first);
    if (op.empty()) return false;
    Rule rule = On(op);
    if (first != std::string::npos) {
        const size_t second = spec.find('|', first + 1);
        const std::string part = spec.substr(first + 1, second == std::string::npos ? second : second - first - 1);
        if (!part.empty()) rule.ForStatement(part);
        if (second != std::string::npos) rule.OnCall(std::max(1, std::atoi(spec.c_str() + second + 1)));
    }
    rule.Crash();
    return true;
}

std::optional<FaultAction> FaultInjector::Check(std::string_view op, const FaultContext& c) {
    std::optional<FaultAction> result;
    if (suspended_) return result;
    ++callsSoFar;
    if (crashAt_ > 0 && --crashAt_ == 0) _exit(137);
    if (raiseAt > 0 && callsSoFar == raiseAt) {
        throw dm::DmError(static_cast<int32_t>(0x80004005), "DOCSObjects",
                          "The call was refused on demand (DMSIM_RAISE_AT)");
    }
    for (auto& rule : rules_) {
        if (rule.op_ != op) continue;
        if (rule.library_ && !EqualsNoCase(*rule.library_, c.library)) continue;
        if (rule.docNumber_ && *rule.docNumber_ != c.docNumber) continue;
        if (rule.name_ && !EqualsNoCase(*rule.name_, c.name)) continue;
        if (rule.index_ && *rule.index_ != c.index) continue;
        if (rule.statement_ && ToUpper(c.statement).find(*rule.statement_) == std::string::npos) continue;
        ++rule.seen_;
        if (result) continue;
        if (rule.onCall_ > 0 && rule.seen_ != rule.onCall_) continue;
        if (rule.times_ >= 0 && rule.fired_ >= rule.times_) continue;
        ++rule.fired_;
        if (rule.action_.kind == FaultAction::Kind::Crash) _exit(137);
        result = rule.action_;
    }
    return result;
}

std::optional<FaultAction> FaultInjector::Hit(std::string_view op, const FaultContext& context) {
    auto action = Check(op, context);
    if (action && action->kind == FaultAction::Kind::Raise) {
        throw dm::DmError(action->number, action->source, action->description);
    }
    return action;
}

int FaultInjector::Fired(std::string_view op) const {
    int n = 0;
    for (const auto& rule : rules_) {
        if (rule.op_ == op) n += rule.fired_;
    }
    return n;
}

}  // namespace dmsim
