#include "gui/message_box_codes.h"

#include "platform/ui_host.h"

namespace gui {

MessageBoxLayout LayoutForCode(int buttons) {
    namespace mb = platform::mb;
    MessageBoxLayout layout;
    switch (buttons & 0x70) {
        case mb::Critical: layout.icon = QMessageBox::Critical; break;
        case mb::Question: layout.icon = QMessageBox::Question; break;
        case mb::Exclamation: layout.icon = QMessageBox::Warning; break;
        case mb::Information: layout.icon = QMessageBox::Information; break;
        default: layout.icon = QMessageBox::NoIcon; break;
    }
    switch (buttons & 7) {
        case mb::OkCancel:
            layout.buttons = {QMessageBox::Ok, QMessageBox::Cancel};
            layout.escape = QMessageBox::Cancel;
            break;
        case mb::AbortRetryIgnore:
            layout.buttons = {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
            layout.escape = QMessageBox::Abort;
            break;
        case mb::YesNoCancel:
            layout.buttons = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
            layout.escape = QMessageBox::Cancel;
            break;
        case mb::YesNo:
            layout.buttons = {QMessageBox::Yes, QMessageBox::No};
            layout.escape = QMessageBox::No;
            break;
        case mb::RetryCancel:
            layout.buttons = {QMessageBox::Retry, QMessageBox::Cancel};
            layout.escape = QMessageBox::Cancel;
            break;
        default:
            layout.buttons = {QMessageBox::Ok};
            layout.escape = QMessageBox::Ok;
            break;
    }
    return layout;
}

int AnswerFor(QMessageBox::StandardButton button) {
    namespace mb = platform::mb;
    switch (button) {
        case QMessageBox::Ok: return mb::AnswerOk;
        case QMessageBox::Cancel: return mb::AnswerCancel;
        case QMessageBox::Abort: return mb::AnswerAbort;
        case QMessageBox::Retry: return mb::AnswerRetry;
        case QMessageBox::Ignore: return mb::AnswerIgnore;
        case QMessageBox::Yes: return mb::AnswerYes;
        case QMessageBox::No: return mb::AnswerNo;
        default: return 0;
    }
}

}  // namespace gui
