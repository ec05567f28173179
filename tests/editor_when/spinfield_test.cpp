// The numeric field: typed values stay as typed until the focus leaves.
#include "spinfield.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

class SpinField : public ::testing::Test {
protected:
    SpinField()
    {
        auto* layout = new QVBoxLayout(&window);
        day = new TSpinField(1, 28, 1, &window);
        other = new TSpinField(0, 59, 0, &window);
        layout->addWidget(day);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QString Text() const { return day->text(); }

    QWidget window;
    TSpinField* day = nullptr;
    TSpinField* other = nullptr;
};

TEST_F(SpinField, TypedOutOfRangeStaysUntilFocusLeaves)
{
    QSignalSpy changed(day, &TSpinField::Changed);
    day->setFocus(Qt::TabFocusReason);
    day->selectAll();
    QTest::keyClicks(day, "30");
    EXPECT_EQ(Text(), "30");
    EXPECT_EQ(day->Value(), 30);
    EXPECT_EQ(day->BoundedValue(), 28);
    EXPECT_EQ(changed.count(), 2); // "3", then "30"

    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Text(), "28");
    EXPECT_EQ(day->Value(), 28);
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(SpinField, AnotherWindowTakingFocusDoesNotPullTheValue)
{
    day->setFocus(Qt::TabFocusReason);
    day->selectAll();
    QTest::keyClicks(day, "0");
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(day, &out);
    EXPECT_EQ(Text(), "0");
    QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(day, &left);
    EXPECT_EQ(Text(), "1");
}

TEST_F(SpinField, EmptyTextReadsAsMinimumAndIsFilledOnLeaving)
{
    day->SetValue(12);
    day->setFocus(Qt::TabFocusReason);
    day->selectAll();
    QTest::keyClick(day, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(day->Value(), 1);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Text(), "1");
}

TEST_F(SpinField, StepsStopAtTheBoundsAndRaiseOneChangeEach)
{
    QSignalSpy changed(day, &TSpinField::Changed);
    day->setFocus(Qt::TabFocusReason);
    QTest::keyClick(day, Qt::Key_Down); // already at 1
    EXPECT_EQ(Text(), "1");
    EXPECT_EQ(changed.count(), 0);
    QTest::keyClick(day, Qt::Key_Up);
    QTest::keyClick(day, Qt::Key_Up);
    EXPECT_EQ(Text(), "3");
    EXPECT_EQ(changed.count(), 2);
    day->SetValue(28);
    QTest::keyClick(day, Qt::Key_Up);
    EXPECT_EQ(Text(), "28");
    QTest::keyClick(day, Qt::Key_PageUp);
    EXPECT_EQ(Text(), "28");
    QTest::keyClick(day, Qt::Key_PageDown);
    EXPECT_EQ(Text(), "18");
}

TEST_F(SpinField, ProgramValuesArePulledIntoRangeAndEqualValuesRaiseNothing)
{
    QSignalSpy changed(other, &TSpinField::Changed);
    other->SetValue(75);
    EXPECT_EQ(other->text(), "59");
    EXPECT_EQ(changed.count(), 1);
    other->SetValue(59);
    other->SetValue(60); // pulled to 59: the same value again
    EXPECT_EQ(changed.count(), 1);
    other->SetValue(-3);
    EXPECT_EQ(other->text(), "0");
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(SpinField, OnlyDigitsCanBeTyped)
{
    day->setFocus(Qt::TabFocusReason);
    day->selectAll();
    QTest::keyClicks(day, "-a7");
    EXPECT_EQ(Text(), "7");
}

// A locale with digits of its own: the fields show and read Latin digits, as every other
// text of the editor does, so a shown value is the value saved.
class SpinFieldInArabic : public ::testing::Test {
protected:
    SpinFieldInArabic() : before(QLocale())
    {
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        hour = std::make_unique<TSpinField>(0, 23, 1);
        minute = std::make_unique<TSpinField>(0, 59, 0);
    }
    ~SpinFieldInArabic() override { QLocale::setDefault(before); }
    static void Type(TSpinField& field, const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&field, &press);
        }
    }

    QLocale before;
    std::unique_ptr<TSpinField> hour;
    std::unique_ptr<TSpinField> minute;
};

TEST_F(SpinFieldInArabic, StartSetAndSteppedValuesAreShownAndReadAlike)
{
    ASSERT_EQ(QLocale().toString(9), QString::fromUtf8("\u0669")); // the locale's own nine
    EXPECT_EQ(hour->text(), "1");
    EXPECT_EQ(hour->Value(), 1);
    hour->SetValue(9);
    EXPECT_EQ(hour->text(), "9");
    EXPECT_EQ(hour->BoundedValue(), 9);
    hour->stepBy(1);
    EXPECT_EQ(hour->text(), "10");
    EXPECT_EQ(hour->Value(), 10);
    hour->Commit();
    EXPECT_EQ(hour->Value(), 10);
}

TEST_F(SpinFieldInArabic, TypedDigitsOfAnyScriptAreTakenAsTheirValue)
{
    minute->selectAll();
    Type(*minute, QString::fromUtf8("\u0664\u0665")); // Arabic-Indic 4 and 5
    EXPECT_EQ(minute->text(), "45");
    EXPECT_EQ(minute->Value(), 45);
    minute->selectAll();
    Type(*minute, QString::fromUtf8("\u06f7")); // Persian 7
    EXPECT_EQ(minute->text(), "7");
    minute->selectAll();
    Type(*minute, QString::fromUtf8("\u09e9\u09e8")); // Bengali 3 and 2
    EXPECT_EQ(minute->Value(), 32);
}

// What a screen reader reads and sets: the real range, steps of one, and values that go
// through the range and the change signal as the program's own do.
TEST_F(SpinField, AccessibleValueHasTheRealRangeAndSetsLikeTheProgram)
{
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(other);
    ASSERT_NE(access, nullptr);
    QAccessibleValueInterface* value = access->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 59);
    EXPECT_EQ(value->minimumStepSize().toInt(), 1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(day)->valueInterface()->minimumValue().toInt(), 1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(day)->valueInterface()->maximumValue().toInt(), 28);

    QSignalSpy changed(other, &TSpinField::Changed);
    value->setCurrentValue(75.0);
    EXPECT_EQ(other->text(), "59");
    EXPECT_EQ(value->currentValue().toInt(), 59);
    EXPECT_EQ(changed.count(), 1);
    value->setCurrentValue(12);
    EXPECT_EQ(other->text(), "12");
    EXPECT_EQ(access->text(QAccessible::Value), "12");
    value->setCurrentValue(-5);
    EXPECT_EQ(other->text(), "0");
    EXPECT_EQ(changed.count(), 3);
    value->setCurrentValue(0);
    EXPECT_EQ(changed.count(), 3);

    // A typed value outside the range is reported as the value it will be kept as.
    day->setFocus(Qt::TabFocusReason);
    day->selectAll();
    QTest::keyClicks(day, "30");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(day)->valueInterface()->currentValue().toInt(), 28);
    EXPECT_EQ(Text(), "30");
}

} // namespace
