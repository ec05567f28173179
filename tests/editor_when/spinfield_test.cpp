// The numeric field: typed values stay as typed until the focus leaves.
#include "spinfield.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

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

} // namespace
