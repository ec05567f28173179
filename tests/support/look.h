#pragma once
// Two desktop settings many people use, applied to the whole application for one test,
// and what a user would find wrong in a window under them.

#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

#include <string>

class QWidget;

enum class Look { DarkScheme, LargeFont };
inline const auto kLooks = ::testing::Values(Look::DarkScheme, Look::LargeFont);
inline std::string LookName(const ::testing::TestParamInfo<Look>& info)
{
    return info.param == Look::DarkScheme ? "DarkScheme" : "LargeFont";
}

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
// No faint text, and no shown control below its minimum size hint or wrapped label
// lower than its width needs, once the window has grown to its content.
void ExpectReadableAndWhole(const QWidget* window);
