#pragma once
// A numeric field whose typed value may leave its range until the keyboard focus leaves
// it; only then is it pulled to the nearest bound. Qt's own spin box clamps at once,
// which would hide what the user typed from the summaries that follow every keystroke.

#include <QSpinBox>

class TSpinField : public QSpinBox {
    Q_OBJECT
    // The spin box itself runs over a wide range so that typing is not cut short. The
    // accessibility layer reads and writes a spin box through these properties by name,
    // so a screen reader sees the field's real range and step, and a value it sets goes
    // through SetValue like any value set by the program.
    Q_PROPERTY(int value READ BoundedValue WRITE SetValue)
    Q_PROPERTY(int minimum READ MinValue)
    Q_PROPERTY(int maximum READ MaxValue)
    Q_PROPERTY(int stepSize READ StepSize)

public:
    TSpinField(int minimum, int maximum, int start, QWidget* parent = nullptr);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    static int StepSize() { return 1; }

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
    // Digits of any script are taken as the Latin digits the field shows.
    QValidator::State validate(QString& input, int& pos) const override;

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
