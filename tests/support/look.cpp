#include "look.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

double Luminance(const QColor& c)
{
    const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// The window's own controls: the parts of a spin box or a calendar are Qt's.
QList<const QWidget*> Controls(const QWidget* window)
{
    QList<const QWidget*> controls;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        const QWidget* p = w->parentWidget();
        while (p != window && !qobject_cast<const QAbstractSpinBox*>(p) && !qobject_cast<const QCalendarWidget*>(p))
            p = p->parentWidget();
        if (p == window)
            controls << w;
    }
    return controls;
}

std::string CutControls(const QWidget* window)
{
    std::string cut;
    for (const QWidget* w : Controls(window)) {
        const QSize need = w->minimumSizeHint();
        const QSizePolicy policy = w->sizePolicy();
        if (w->isVisible() &&
            ((policy.horizontalPolicy() != QSizePolicy::Ignored && w->width() < need.width()) ||
             (policy.verticalPolicy() != QSizePolicy::Ignored && w->height() < need.height()) ||
             (qobject_cast<const QLabel*>(w) && w->hasHeightForWidth() && w->height() < w->heightForWidth(w->width()))))
            cut += w->objectName().toStdString() + ' ' + std::to_string(w->height()) + "px, ";
    }
    return cut;
}

} // namespace

AppLook::AppLook(Look look)
{
    QFont large = font_;
    large.setPointSize(15);
    // Near-white text on near-black; disabled text dimmer.
    const QBrush text(QColor(238, 238, 236)), back(QColor(48, 48, 48));
    QPalette dark(text, back, back, back, back, text, text, back, back);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(146, 149, 149));
    if (look == Look::LargeFont)
        QApplication::setFont(large);
    else
        QApplication::setPalette(dark);
}

AppLook::~AppLook()
{
    QApplication::setPalette(palette_);
    QApplication::setFont(font_);
}

std::string FaintTexts(const QWidget* window)
{
    std::string faint;
    for (const QWidget* w : Controls(window)) {
        const bool textBox = qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QLineEdit*>(w);
        if (!textBox && !qobject_cast<const QLabel*>(w) && !qobject_cast<const QGroupBox*>(w) &&
            (!qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QPushButton*>(w)))
            continue;
        // What the text is drawn on: the nearest widget, itself first, that fills its background.
        const QWidget* back = w;
        while (!textBox && !back->autoFillBackground() && !back->isWindow())
            back = back->parentWidget();
        const auto backRole = textBox ? QPalette::Base : back->backgroundRole();
        const auto textRole = textBox ? QPalette::Text : w->foregroundRole();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const double a = Luminance(w->palette().color(group, textRole));
            const double b = Luminance(back->palette().color(group, backRole));
            const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
            if (ratio < 4.5 && (group != QPalette::Disabled || back->palette().isBrushSet(QPalette::Active, backRole)))
                faint += w->objectName().toStdString() + ' ' + std::to_string(group) + ' ' + std::to_string(ratio) + ", ";
        }
    }
    return faint;
}

void ExpectReadableAndWholeInEveryLook(const std::function<QWidget*()>& show,
                                       const std::function<void()>& alsoExpect)
{
    for (const Look look : {Look::DarkScheme, Look::LargeFont}) {
        SCOPED_TRACE(look == Look::DarkScheme ? "dark scheme" : "15 pt font");
        const AppLook applied(look);
        // Built under the look, as the desktop's settings are there before the program.
        const QWidget* window = show();
        EXPECT_TRUE(QTest::qWaitFor([window] { return CutControls(window).empty(); })) << CutControls(window);
        EXPECT_EQ(FaintTexts(window), "");
        if (alsoExpect)
            alsoExpect();
    }
}
