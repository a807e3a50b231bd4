#include "config/options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/date_text.h"
#include "dmclient/variant.h"
#include "forms/main_window.h"

namespace config {

namespace {

using forms::Dorvane;

#define CHECK(member) [](Dorvane& w) -> forms::CheckBox* { return &w.member; }
#define TEXT(member) [](Dorvane& w) -> forms::TextBox* { return &w.member; }
#define CHOICE(member) [](Dorvane& w) -> forms::OptionButton* { return &w.member; }

std::vector<BodyOption> MakeBody() {
    std::vector<BodyOption> rows;
    auto check = [&](const char* key, int rank, const char* r, const char* t, forms::CheckBox* (*c)(Dorvane&),
                     bool inTable = true) {
        BodyOption o{key, key, Kind::Check, rank, inTable, r, t};
        o.check = c;
        rows.push_back(o);
    };
    auto choice = [&](const char* key, int rank, forms::OptionButton* (*c)(Dorvane&)) {
        BodyOption o{key, key, Kind::Choice, rank, true, "0", "0"};
        o.choice = c;
        rows.push_back(o);
    };
    auto number = [&](const char* key, const char* readKey, int rank, NumberForm form,
                      forms::TextBox* (*t)(Dorvane&)) {
        BodyOption o{key, readKey, Kind::Number, rank, true, "0", "0", form};
        o.text = t;
        rows.push_back(o);
    };
    auto time = [&](const char* key, int rank, forms::TextBox* (*t)(Dorvane&)) {
        BodyOption o{key, key, Kind::Time, rank, true, "12:00", "12:00"};
        o.text = t;
        rows.push_back(o);
    };
    // In the order of the save; the second column is the restore's order.
    check("TargetMakeReadOnly", 19, "0", "0", CHECK(CheckMakeReadOnlyTarget));
    check("SourceMakeReadOnly", 20, "0", "0", CHECK(CheckMakeReadOnlySource));
    check("TargetOverWriteReadOnly", 21, "0", "0", CHECK(CheckOverwriteReadOnly));
    check("TargetAllAudits", 22, "1", "1", CHECK(CheckAllAudits));
    choice("OptionMove", 25, CHOICE(OptionMove));
    choice("OptionTransfer", 26, CHOICE(OptionTransfer));
    choice("OptionCopy", 27, CHOICE(OptionCopy));
    check("TargetActLogOption", 12, "1", "1", CHECK(CheckActivityLog));
    check("TargetAppendLibName", 13, "1", "1", CHECK(CheckAppendLibName));
    check("TargetMetaData", 14, "1", "1", CHECK(CheckMetaData));
    check("TargetRemoveDeletedDocs", 11, "1", "1", CHECK(CheckRemoveDeletedDocs));
    check("TargetSkipMissingColumns", 24, "0", "0", CHECK(CheckForMissingColumns));
    check("TargetFolderOption", 15, "1", "1", CHECK(CheckFolders));
    check("TargetRetainNumberOption", 10, "1", "1", CHECK(CheckRetainNumber));
    check("UseAlternateDateFormat", 7, "1", "1", CHECK(CheckUseAlternateDateFormat));
    number("MaxActlogRows", "MaxActLogRows", 8, NumberForm::WholeIfNumeric, TEXT(TextMaxActLogRows));
    check("TargetEncryption", 23, "0", "0", CHECK(CheckEncryption), false);
    number("BatchSize", "BatchSize", 5, NumberForm::LeadingWhole, TEXT(TextBatchSize));
    check("Loop", 1, "0", "0", CHECK(CheckLoop));
    number("Loop_Delay", "Loop_Delay", 2, NumberForm::Text, TEXT(TextLoopDelay));
    number("Retry_Count", "Retry_Count", 3, NumberForm::Text, TEXT(TextRetryCount));
    check("Display_Errors", 4, "0", "0", CHECK(CheckDisplayErrors));
    check("Lock_Computer", 6, "0", "0", CHECK(CheckLockComputer));
    check("UsePauseTime", 16, "0", "0", CHECK(CheckPauseTime));
    time("PauseStart", 17, TEXT(TextPauseStart));
    time("PauseEnd", 18, TEXT(TextPauseEnd));
    rows.push_back(BodyOption{kSectionPauseTimer, kSectionPauseTimer, Kind::PauseDays, 9, true, "-1", "-1"});
    return rows;
}

}  // namespace

const std::vector<BodyOption>& BodyOptions() {
    static const std::vector<BodyOption> rows = MakeBody();
    return rows;
}

const std::vector<const BodyOption*>& RestoreSequence() {
    static const std::vector<const BodyOption*> sequence = [] {
        std::vector<const BodyOption*> order;
        for (const auto& option : BodyOptions()) order.push_back(&option);
        std::stable_sort(order.begin(), order.end(),
                         [](const BodyOption* a, const BodyOption* b) { return a->restoreRank < b->restoreRank; });
        return order;
    }();
    return sequence;
}

std::string WholeNumberText(const std::string& text) { return dm::FormatWhole(dm::LeadingNumber(text)); }

bool IsNumeric(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    std::string t = text.substr(b, text.find_last_not_of(' ') - b + 1);
    char* end = nullptr;
    std::strtod(t.c_str(), &end);
    return end && *end == '\0' && t.find_first_of("0123456789") != std::string::npos &&
           t.find_first_of("xXeEnNiI") == std::string::npos;
}

std::string TimeText(const std::string& text) { return core::ReadTimeOfDay(text).value_or(text); }

long CheckValueOf(const std::string& text) {
    return static_cast<long>(std::nearbyint(dm::LeadingNumber(text)));  // halves to even
}

bool MarkOf(const std::string& text) { return dm::LeadingNumber(text) != 0; }

std::string WrittenText(const BodyOption& option, Dorvane& window) {
    switch (option.kind) {
        case Kind::Check: return std::to_string(option.check(window)->Value());
        case Kind::Choice: return MarkText(option.choice(window)->Value());
        case Kind::PauseDays: {
            std::string marks;
            for (const auto& node : window.TVPause.Nodes()) {
                if (!marks.empty()) marks += ',';
                marks += MarkText(node.checked);
            }
            return marks;
        }
        case Kind::Time: return TimeText(option.text(window)->Text());
        case Kind::Number: {
            const std::string& text = option.text(window)->Text();
            switch (option.numberForm) {
                case NumberForm::Text: return text;
                case NumberForm::WholeIfNumeric: return IsNumeric(text) ? WholeNumberText(text) : text;
                case NumberForm::LeadingWhole: return WholeNumberText(text);
            }
        }
    }
    return "";
}

void ApplyStored(const BodyOption& option, Dorvane& window, const std::string& stored) {
    switch (option.kind) {
        case Kind::Check: {
            long v = CheckValueOf(stored);
            if (v >= 0 && v <= 2) option.check(window)->SetValue(static_cast<int>(v));
            break;
        }
        case Kind::Number: option.text(window)->SetText(WholeNumberText(stored)); break;
        case Kind::Time: option.text(window)->SetText(stored); break;
        case Kind::Choice: break;     // by the choice rule
        case Kind::PauseDays: break;  // node by node
    }
}

}  // namespace config
