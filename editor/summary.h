#pragma once
// The texts of the main window's summary panel, worked out without any widget.

#include <QString>

struct TReminderSummary;

// What the seven summary labels show for one reminder (Label1, the name, is the
// caller's: it is the selected list entry).
struct ReminderSummaryTexts {
    QString Label5; // schedule heading
    QString Label4; // when line
    QString Label3; // time line
    QString Label2; // yearly-repeat line
    QString Label8; // features heading
    QString Label6; // features text
};

// The 12-hour text followed by the 24-hour one, e.g. "1:05 PM  (Military Time : 13:05)".
QString ReminderTimeText(int hour, int minute);

// The three kinds of schedule a reminder file holds, each in a section of its own.
enum class ScheduleKind { Date, Days, Monthly };

// The time line of one kind of schedule of a read file.
QString AppendReminderTime(const TReminderSummary& file, ScheduleKind kind);

ReminderSummaryTexts ReminderSummary(const TReminderSummary& file);
