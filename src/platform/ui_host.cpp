#include "platform/ui_host.h"

namespace platform::mb {

int FirstButtonAnswer(int buttons) {
    switch (buttons & 7) {
        case AbortRetryIgnore: return AnswerAbort;
        case YesNoCancel:
        case YesNo: return AnswerYes;
        case RetryCancel: return AnswerRetry;
        default: return AnswerOk;
    }
}

}  // namespace platform::mb
