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
#include <QStringList>
#include <QTest>

#include <cmath>

namespace {

double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The controls of this window; the parts of a spin box or a calendar are Qt's.
QList<const QWidget*> Controls(const QWidget* window)
{
    QList<const QWidget*> controls;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        bool own = true;
        for (const QWidget* p = w->parentWidget(); p != window; p = p->parentWidget())
            own = own && !qobject_cast<const QAbstractSpinBox*>(p) && !qobject_cast<const QCalendarWidget*>(p);
        if (own)
            controls << w;
    }
    return controls;
}

QString Name(const QWidget* w)
{
    return w->objectName().isEmpty() ? w->property("text").toString() : w->objectName();
}

} // namespace

AppLook::AppLook(Look look)
{
    if (look == Look::LargeFont) {
        QFont large = font_;
        large.setPointSize(15);
        QApplication::setFont(large);
        return;
    }
    QPalette dark;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = group == QPalette::Disabled ? QColor(146, 149, 149) : QColor(238, 238, 236);
        for (const auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase, QPalette::Base})
            dark.setColor(group, role, QColor(48, 48, 48));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(group, role, text);
    }
    QApplication::setPalette(dark);
}

AppLook::~AppLook()
{
    QApplication::setPalette(palette_);
    QApplication::setFont(font_);
}

std::string FaintTexts(const QWidget* window)
{
    QStringList faint;
    for (const QWidget* w : Controls(window)) {
        const bool textBox = qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QLineEdit*>(w);
        const bool caption = qobject_cast<const QLabel*>(w) || qobject_cast<const QGroupBox*>(w) ||
                             (qobject_cast<const QAbstractButton*>(w) && !qobject_cast<const QPushButton*>(w));
        if (!textBox && !caption)
            continue;
        // What the text is drawn on: the nearest widget, itself first, that fills its background.
        const QWidget* back = w;
        while (!textBox && !back->autoFillBackground() && !back->isWindow())
            back = back->parentWidget();
        const auto backRole = textBox ? QPalette::Base : back->backgroundRole();
        const auto textRole = textBox ? QPalette::Text : w->foregroundRole();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const double ratio = Contrast(w->palette().color(group, textRole), back->palette().color(group, backRole));
            if (ratio < 4.5 && (group != QPalette::Disabled || back->palette().isBrushSet(QPalette::Active, backRole)))
                faint << QStringLiteral("%1 %2 %3").arg(Name(w)).arg(group).arg(ratio, 0, 'f', 2);
        }
    }
    return faint.join(QLatin1String(", ")).toStdString();
}

void ExpectReadableAndWhole(const QWidget* window)
{
    const auto cut = [window] {
        QStringList cut;
        for (const QWidget* w : Controls(window)) {
            const QSize need = w->minimumSizeHint();
            const QSizePolicy policy = w->sizePolicy();
            if (w->isVisible() &&
                ((policy.horizontalPolicy() != QSizePolicy::Ignored && w->width() < need.width()) ||
                 (policy.verticalPolicy() != QSizePolicy::Ignored && w->height() < need.height()) ||
                 (qobject_cast<const QLabel*>(w) && w->hasHeightForWidth() && w->height() < w->heightForWidth(w->width()))))
                cut << QStringLiteral("%1 %2x%3").arg(Name(w)).arg(w->width()).arg(w->height());
        }
        return cut.join(QLatin1String(", ")).toStdString();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return cut().empty(); })) << cut();
    EXPECT_EQ(FaintTexts(window), "");
}
