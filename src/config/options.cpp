#include "config/options.h"

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
    auto check = [&](const char* key, const char* r, const char* t, forms::CheckBox* (*c)(Dorvane&),
                     bool inTable = true) {
        BodyOption o{key, key, Kind::Check, inTable, r, t};
        o.check = c;
        rows.push_back(o);
    };
    auto choice = [&](const char* key, forms::OptionButton* (*c)(Dorvane&)) {
        BodyOption o{key, key, Kind::Choice, true, "0", "0"};
        o.choice = c;
        rows.push_back(o);
    };
    auto number = [&](const char* key, const char* readKey, NumberForm form, forms::TextBox* (*t)(Dorvane&)) {
        BodyOption o{key, readKey, Kind::Number, true, "0", "0", form};
        o.text = t;
        rows.push_back(o);
    };
    auto time = [&](const char* key, forms::TextBox* (*t)(Dorvane&)) {
        BodyOption o{key, key, Kind::Time, true, "12:00", "12:00"};
        o.text = t;
        rows.push_back(o);
    };
    check("TargetMakeReadOnly", "0", "0", CHECK(CheckMakeReadOnlyTarget));
    check("SourceMakeReadOnly", "0", "0", CHECK(CheckMakeReadOnlySource));
    check("TargetOverWriteReadOnly", "0", "0", CHECK(CheckOverwriteReadOnly));
    check("TargetAllAudits", "1", "1", CHECK(CheckAllAudits));
    choice("OptionMove", CHOICE(OptionMove));
    choice("OptionTransfer", CHOICE(OptionTransfer));
    choice("OptionCopy", CHOICE(OptionCopy));
    check("TargetActLogOption", "1", "1", CHECK(CheckActivityLog));
    check("TargetAppendLibName", "1", "1", CHECK(CheckAppendLibName));
    check("TargetMetaData", "1", "1", CHECK(CheckMetaData));
    check("TargetRemoveDeletedDocs", "1", "1", CHECK(CheckRemoveDeletedDocs));
    check("TargetSkipMissingColumns", "0", "0", CHECK(CheckForMissingColumns));
    check("TargetFolderOption", "1", "1", CHECK(CheckFolders));
    check("TargetRetainNumberOption", "1", "1", CHECK(CheckRetainNumber));
    check("UseAlternateDateFormat", "1", "1", CHECK(CheckUseAlternateDateFormat));
    number("MaxActlogRows", "MaxActLogRows", NumberForm::WholeIfNumeric, TEXT(TextMaxActLogRows));
    check("TargetEncryption", "0", "0", CHECK(CheckEncryption), false);
    number("BatchSize", "BatchSize", NumberForm::LeadingWhole, TEXT(TextBatchSize));
    check("Loop", "0", "0", CHECK(CheckLoop));
    number("Loop_Delay", "Loop_Delay", NumberForm::Text, TEXT(TextLoopDelay));
    number("Retry_Count", "Retry_Count", NumberForm::Text, TEXT(TextRetryCount));
    check("Display_Errors", "0", "0", CHECK(CheckDisplayErrors));
    check("Lock_Computer", "0", "0", CHECK(CheckLockComputer));
    check("UsePauseTime", "0", "0", CHECK(CheckPauseTime));
    time("PauseStart", TEXT(TextPauseStart));
    time("PauseEnd", TEXT(TextPauseEnd));
    return rows;
}

}  // namespace

const std::vector<BodyOption>& BodyOptions() {
    static const std::vector<BodyOption> rows = MakeBody();
    return rows;
}

const BodyOption* FindBodyOption(const std::string& readKey) {
    for (auto& o : BodyOptions()) {
        if (readKey == o.readKey) return &o;
    }
    return nullptr;
}

const std::vector<std::string>& RestoreOrder() {
    static const std::vector<std::string> order = {
        "Loop", "Loop_Delay", "Retry_Count", "Display_Errors", "BatchSize", "Lock_Computer",
        "UseAlternateDateFormat", "MaxActLogRows", "*PauseTimer*", "TargetRetainNumberOption",
        "TargetRemoveDeletedDocs", "TargetActLogOption", "TargetAppendLibName", "TargetMetaData",
        "TargetFolderOption", "UsePauseTime", "PauseStart", "PauseEnd", "TargetMakeReadOnly",
        "SourceMakeReadOnly", "TargetOverWriteReadOnly", "TargetAllAudits", "TargetEncryption",
        "TargetSkipMissingColumns"};
    return order;
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
        case Kind::Choice: break;  // by the choice rule
    }
}

}  // namespace config
