#pragma once
// The documents the queue administration queues by hand: the dates of
// closed matters as an administrator writes them, and the statements that
// count and queue the available documents, all of them or those of the
// closed matters (the queue's own parts come from the queue module). Every
// name placed between apostrophes has its apostrophes doubled.

#include <optional>
#include <string>

namespace queueadmin {

// A calendar day, as read from an administrator's answer.
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const CalendarDate&) const = default;
};

// "YYYY-MM-DD".
std::string IsoDate(const CalendarDate& date);
// The day after.
CalendarDate NextDay(const CalendarDate& date);
// Reads "YYYY-MM-DD", "YYYY/MM/DD" or "M/D/YYYY" (blanks around it
// ignored); nothing for any other text or a day that does not exist.
std::optional<CalendarDate> ReadCalendarDate(const std::string& text);

// Matters closed up to and including `to`, or from `from` through `to`;
// both ends take the whole day.
struct ClosedMatterDates {
    std::optional<CalendarDate> from;
    CalendarDate to;
};
// The dates of an answer to the closed-matters question: one date, or two
// dates separated by a hyphen between blanks (a hyphen alone can stand
// inside a date). Nothing with the reason in `error` otherwise.
std::optional<ClosedMatterDates> ReadClosedMatterDates(const std::string& answer, std::string& error);

// The date columns of MATTER, a close date among them.
std::string MatterDateColumnsQuery();

// Available documents (STATUS 0, no folder) not yet queued for the target;
// with a close-date column, only those of matters closed in the dates.
struct DocumentChoice {
    std::string target;
    std::string closeDateColumn;  // empty: every matter
    ClosedMatterDates dates;
    bool oracle = false;          // the source library's dialect
};
std::string CountAvailableDocumentsStatement(const DocumentChoice& choice);
std::string QueueAvailableDocumentsStatement(const DocumentChoice& choice);

}  // namespace queueadmin
