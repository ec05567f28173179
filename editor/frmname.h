#pragma once
// The name dialog: the first step of creating a reminder. It has no cancel button; the
// create flow reads Edit1 however the dialog was closed. The close box and Escape skip the
// name check, so the flow runs it again before it takes the name.

#include <QDialog>

class IMessages;
class QLabel;
class QLineEdit;
class QPushButton;

class TFrmName : public QDialog {
    Q_OBJECT
public:
    TFrmName(IMessages& messages, QWidget* parent);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

public Q_SLOTS:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    IMessages& messages_;
};
