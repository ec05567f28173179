#pragma once
// Answers modal windows in GUI tests: polls QApplication::activeModalWidget() with a
// short timer and hands each new one to a handler. When the handler gives up or time
// runs out, the modal window is rejected so a failing test never hangs.

#include <QString>
#include <QWidget>
#include <functional>

class ModalAnswerer {
public:
    // handler returns true when it has dealt with the widget (closed it or scheduled
    // a close); it is called once per modal widget that appears.
    explicit ModalAnswerer(std::function<bool(QWidget*)> handler, int timeoutMs = 10000);
    ~ModalAnswerer();
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    int handled() const { return handled_; }

private:
    struct Impl;
    Impl* impl_;
    int handled_ = 0;
};

// The text of a QMessageBox, or empty for another widget.
QString MessageBoxText(QWidget* w);
// Presses the button with this text (or standard role text like "&Yes") in a dialog.
bool ClickButton(QWidget* dialog, const QString& text);
