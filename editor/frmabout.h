#pragma once
// The About window: product name, version and a way back.

#include <QDialog>

class QPushButton;

class TFrmabout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmabout(QWidget* parent = nullptr);

    // The version line, e.g. "Version 2.05".
    static QString VersionText();

    QPushButton* CmdReturn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
