#pragma once
// Start at log-in on Windows: the string value "Nelvora" under the current user's
// Software\Microsoft\Windows\CurrentVersion\Run key. The key is only ever opened, never
// made: where it does not open, nothing is registered.

#include "autostart.h"

#include <QString>

#include <string>

// The value's data: the path in double quotes. Unquoted, a path with a blank in it
// (C:\Users\Ann Lee\...) lets Windows try C:\Users\Ann.exe first.
QString RunValueData(const QString& residentPath);

class RunValueAutostart : public IAutostart {
public:
    // Tests pass a key of their own under the current user's hive.
    explicit RunValueAutostart(
        const QString& keyPath = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        const QString& valueName = QStringLiteral("Nelvora"));

    bool SetRunAtStartup(const QString& residentPath) override;
    // Unavailable when the key does not open; Present whenever the value exists, whatever
    // it holds (another copy's path, another type): the scheduler only tests and deletes
    // it, and the next start of an editor writes its own path over it.
    AutostartState State() override;
    bool Remove() override;

    // The value's data as stored; empty when it is missing or not a string.
    QString Data() const;

private:
    std::wstring key_;
    std::wstring value_;
};
