#pragma once
// Failures on demand: a test arms a rule for a named operation (fault_ops.h)
// and the emulator then fails that operation the way a real DM client
// fails: it raises DmError, answers nothing, answers a chosen value, or (for
// statements) reports an SQL error or status.
//
//   faults.On(op::kLibraryConnect).ForLibrary("ARCHIVE").Raise(-2147221504, "DOCSObjects", "No server");
//   faults.On(op::kSqlGetNextKey).ForName("SYSTEMKEY").Answer(0);
//   faults.On(op::kSqlExecute).ForStatement("NEEDS_ARCHIVING").OnCall(2).FailStatement(208, "...");
//   faults.On(op::kSqlExecute).FailStatus(dm::kServerInterfaceUnreachable, dm::kServerInterfaceUnreachable, "...");
//   faults.On(op::kProfileAddVersion).ForDocument(12).OnCall(2).Refuse(-2147217900, "Version refused");
//   faults.On(op::kFolderRemoveDocument).Answer(true);   // answers True, the item stays
//   faults.On(op::kLinksRemove).Defer();                 // takes effect at the next Refresh
//   faults.On(op::kSqlExecute).ForStatement("SET DOCNUMBER").OnCall(2).Crash();  // ends the process there
//
// On the DM's document and folder objects an armed call never does its
// work: Raise throws; AnswerNothing answers the call's "nothing" (no object,
// Empty, 0) with no error number; Answer(v) answers v, optionally with an
// IDmErrorInfo number; Refuse answers the call's failure value (False, 0 or
// no object) with the error number set. Defer is for removals that take
// effect only at the collection's next Refresh.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dmclient/variant.h"

namespace dmsim {

// What an operation knows about its call, for rules to match.
struct FaultContext {
    std::string_view library;
    int32_t docNumber = 0;
    std::string_view statement;
    std::string_view name;  // key, property, column or identifier name
    int32_t index = 0;      // collection item (from 1)
};

struct FaultAction {
    enum class Kind { Raise, Nothing, Answer, SqlFailure, Refuse, Defer, Crash };
    Kind kind = Kind::Nothing;
    // Raise: the error number; Answer and Refuse: the IDmErrorInfo number
    // (0: none) with the description.
    int32_t number = 0;
    std::string source;
    std::string description;
    dm::Variant value;  // Answer
    int32_t status = 0;  // SqlFailure: what Execute answers
    int32_t code = 0;    // SqlFailure: ErrorCode
    std::string text;    // SqlFailure: ErrorText

    // The answer of an operation that answers a text, a number or a value:
    // nothing reads as "", 0 and Empty.
    std::string Text() const { return kind == Kind::Answer ? value.ToText() : std::string(); }
    int32_t Number() const { return kind == Kind::Answer ? value.ToLong() : 0; }
    dm::Variant Value() const { return kind == Kind::Answer ? value : dm::Variant(); }
};

class FaultInjector {
public:
    class Rule {
    public:
        Rule(FaultInjector& injector, std::string op);
        Rule& ForLibrary(std::string name);       // case-insensitive
        Rule& ForDocument(int32_t docNumber);
        Rule& ForStatement(std::string contains);  // case-insensitive part
        Rule& ForName(std::string name);           // case-insensitive
        Rule& ForIndex(int32_t index);             // a collection item (from 1)
        Rule& OnCall(int k);                       // only the k-th matching call (from 1)
        Rule& Times(int n);                        // at most n times

        void Raise(int32_t number, std::string source, std::string description);
        void AnswerNothing();
        void Answer(dm::Variant value);
        // Answers the value and leaves the error number on the object.
        void Answer(dm::Variant value, int32_t errorNumber, std::string description);
        // The call's failure value with the error number on the object.
        void Refuse(int32_t errorNumber, std::string description);
        // A removal that answers True and takes effect at the next Refresh.
        void Defer();
        // Execute answers the code as its status; ErrorCode and ErrorText.
        void FailStatement(int32_t code, std::string text);
        void FailStatus(int32_t status, int32_t code, std::string text);
        // Ends the process before the call does anything, as a kill would.
        void Crash();

    private:
        friend class FaultInjector;
        void Arm(FaultAction action);

        FaultInjector& injector_;
        std::string op_;
        std::optional<std::string> library_;
        std::optional<int32_t> docNumber_;
        std::optional<std::string> statement_;
        std::optional<std::string> name_;
        std::optional<int32_t> index_;
        int onCall_ = 0;
        int times_ = -1;
        int seen_ = 0;
        int fired_ = 0;
        FaultAction action_;
    };

    Rule On(std::string_view op) { return Rule(*this, std::string(op)); }
    void Clear() { rules_.clear(); }

    // The armed action for this call, if any; counts the call for every
    // matching rule.
    std::optional<FaultAction> Check(std::string_view op, const FaultContext& context);
    // Check, raising DmError when the action is Raise.
    std::optional<FaultAction> Hit(std::string_view op, const FaultContext& context);
    // How often faults of an operation fired.
    int Fired(std::string_view op) const;
    // While suspended (fixtures at work) no rule is checked or counted.
    void Suspend(bool on) { suspended_ = on; }
    // Ends the process abruptly, as a kill does, at the calls-th DM call
    // from now (0: never), so that crash recovery can be tried at every
    // step of a run.
    void CrashAt(int64_t calls) { crashAt_ = calls; }
    // The same at a named call: "op", "op|part of the statement" or
    // "op|part of the statement|k" (the k-th such call); false when the
    // text names no operation.
    bool CrashOn(const std::string& spec);
    // Raises a DM error at the k-th DM call of this process (0: never), so
    // that the handling of a refused call can be tried at every step.
    static void RaiseAt(int64_t k);
    // DM calls checked in this process so far, over every injector.
    static int64_t CallsSoFar();
    bool Suspended() const { return suspended_; }

private:
    std::vector<Rule> rules_;
    int64_t crashAt_ = 0;
    bool suspended_ = false;
};

}  // namespace dmsim
