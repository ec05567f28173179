#include "spinfield.h"

#include "whentexts.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>

#include <algorithm>

namespace {
// Wide enough for anything typed into a field of up to two digits, and never negative,
// so the field still takes digits only.
constexpr int kTypedMaximum = 99999;
} // namespace

TSpinField::TSpinField(int minimum, int maximum, int start, QWidget* parent)
    : QSpinBox(parent), min_(minimum), max_(maximum)
{
    // The field is read back as Latin digits and every summary beside it is written
    // with them; in a locale with digits of its own the field would otherwise show one
    // number and save another.
    setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    setRange(0, kTypedMaximum);
    setValue(ClampToRange(start, min_, max_));
    setWrapping(false);
    setAccelerated(false);
    // The spin box updates its text with the editor's signals blocked; the user's own
    // edits arrive here, the program's changes are reported by ShowValue.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (!applying_)
            Q_EMIT Changed();
    });
}

int TSpinField::Value() const
{
    return FieldValue(lineEdit()->text(), min_);
}

int TSpinField::BoundedValue() const
{
    return ClampToRange(Value(), min_, max_);
}

void TSpinField::SetValue(int value)
{
    ShowValue(ClampToRange(value, min_, max_));
}

void TSpinField::Commit()
{
    const QString text = lineEdit()->text();
    bool ok = false;
    const int typed = text.trimmed().toInt(&ok, 10);
    if (!ok || typed < min_ || typed > max_)
        ShowValue(BoundedValue());
}

void TSpinField::ShowValue(int value)
{
    const QString before = lineEdit()->text();
    const QString wanted = QString::number(value);
    if (before == wanted)
        return;
    applying_ = true;
    setValue(value);
    if (lineEdit()->text() != wanted)
        lineEdit()->setText(wanted);
    applying_ = false;
    Q_EMIT Changed();
}

void TSpinField::stepBy(int steps)
{
    // Steps stop at the bounds; a typed out-of-range value steps back into the range.
    const qint64 target = qint64(Value()) + steps;
    ShowValue(int(std::clamp<qint64>(target, min_, max_)));
}

QValidator::State TSpinField::validate(QString& input, int& pos) const
{
    for (QChar& c : input) {
        if (c.unicode() > 0x7f && c.isDigit())
            c = QChar(u'0' + c.digitValue());
    }
    return QSpinBox::validate(input, pos);
}

QAbstractSpinBox::StepEnabled TSpinField::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    const int value = Value();
    if (value < max_)
        enabled |= StepUpEnabled;
    if (value > min_)
        enabled |= StepDownEnabled;
    return enabled;
}

void TSpinField::focusOutEvent(QFocusEvent* event)
{
    // A message box or another window taking the focus is not the user leaving the field.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        Commit();
    QSpinBox::focusOutEvent(event);
}
