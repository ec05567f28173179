#pragma once
// A numeric field whose typed value may leave its range until the keyboard focus leaves
// it; only then is it pulled to the nearest bound. Qt's own spin box clamps at once,
// which would hide what the user typed from the summaries that follow every keystroke.

#include <QSpinBox>

class TSpinField : public QSpinBox {
    Q_OBJECT
public:
    TSpinField(int minimum, int maximum, int start, QWidget* parent = nullptr);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }

    // The integer the text holds, as typed (possibly out of range); text that is not a
    // number reads as the minimum.
    int Value() const;
    // Value() pulled into the range.
    int BoundedValue() const;
    // Sets the value pulled into the range; nothing happens when it is already shown.
    void SetValue(int value);
    // Pulls a typed out-of-range or non-numeric value to the range, as losing the focus does.
    void Commit();

    void stepBy(int steps) override;

Q_SIGNALS:
    // Every change of the text: typed, stepped or set by the program.
    void Changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowValue(int value);

    int min_;
    int max_;
    bool applying_ = false;
};
