#include "modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

struct ModalAnswerer::Impl {
    QTimer timer;
    QElapsedTimer clock;
    QPointer<QWidget> last;
};

ModalAnswerer::ModalAnswerer(std::function<bool(QWidget*)> handler, int timeoutMs)
    : impl_(new Impl)
{
    impl_->clock.start();
    impl_->timer.setInterval(20);
    QObject::connect(&impl_->timer, &QTimer::timeout, [this, handler, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            return;
        if (w == impl_->last) {
            if (impl_->clock.elapsed() > timeoutMs) {
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->reject();
                else
                    w->close();
            }
            return;
        }
        impl_->last = w;
        impl_->clock.restart();
        if (handler(w))
            ++handled_;
        else if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    });
    impl_->timer.start();
}

ModalAnswerer::~ModalAnswerer() { delete impl_; }

QString MessageBoxText(QWidget* w)
{
    if (auto* box = qobject_cast<QMessageBox*>(w))
        return box->text();
    return {};
}

bool ClickButton(QWidget* dialog, const QString& text)
{
    const auto buttons = dialog->findChildren<QAbstractButton*>();
    for (QAbstractButton* b : buttons) {
        QString t = b->text();
        t.remove(QLatin1Char('&'));
        QString want = text;
        want.remove(QLatin1Char('&'));
        if (t == want) {
            b->click();
            return true;
        }
    }
    return false;
}
