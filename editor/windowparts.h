#pragma once
// Small pieces every editor window is made of: placing a window and its buttons, its
// colours and its size.

#include <QRect>

class QColor;
class QPushButton;
class QWidget;

// A button with its control name, caption and, when given, its tooltip.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        const char* hint = nullptr);

// Moves a window so that its frame is centred in `area` (global coordinates).
void CentreIn(QWidget* window, const QRect& area);
// Centred in the free area of the window's screen (the primary one before it has any).
void CentreOnScreen(QWidget* window);

// Fills `widget` with a background of its own, and gives the texts on it (labels, boxes,
// option buttons, group titles; active, inactive and disabled) a colour that reads there
// whatever the desktop's colour scheme.
void FixBackground(QWidget* widget, const QColor& background);

// Keeps `window` as large as its content needs, wrapped texts included, at any font: it
// opens at the size it was given and grows when that is too small.
void KeepContentWhole(QWidget* window);
