#pragma once
// Small pieces every editor window is made of: placing a window and its buttons.

#include <QRect>

class QPushButton;
class QWidget;

// A button with its control name, caption and, when given, its tooltip.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        const char* hint = nullptr);

// Moves a window so that its frame is centred in `area` (global coordinates).
void CentreIn(QWidget* window, const QRect& area);
// Centred in the free area of the window's screen (the primary one before it has any).
void CentreOnScreen(QWidget* window);
