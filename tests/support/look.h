#pragma once
// Two desktop settings many people use, applied to the whole application, and what a
// user would find wrong in a window under them.

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <functional>
#include <string>

class QWidget;

enum class Look { DarkScheme, LargeFont };

// A dark scheme's palette, or a 15 pt font, for the application while it lives.
class AppLook {
public:
    explicit AppLook(Look look);
    ~AppLook();

private:
    QPalette palette_ = QGuiApplication::palette();
    QFont font_ = QGuiApplication::font();
};

// Texts whose colour reads at less than 4.5:1 (WCAG) on what lies behind them, as
// "name colour-group ratio, ...". Disabled texts count only where the window fixed the
// colour behind them.
std::string FaintTexts(const QWidget* window);
// Under a dark scheme and at a 15 pt font in turn, the window `show` builds and shows: no
// faint text and, once it has grown to its content, no shown control below its minimum
// size hint nor wrapped label lower than its width needs. `alsoExpect` adds the window's
// own checks.
void ExpectReadableAndWholeInEveryLook(const std::function<QWidget*()>& show,
                                       const std::function<void()>& alsoExpect = {});
