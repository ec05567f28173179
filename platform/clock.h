#pragma once
#include <QDateTime>

// The local clock, replaced by tests.
class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime Now() const = 0;
};

class SystemClock : public IClock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
