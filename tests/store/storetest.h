#pragma once
// Shared by the store tests: a fresh reminder folder per test and readable failures.

#include "folder.h"
#include "profile.h"
#include "reminder.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << b.left(400).toPercentEncoding(" []=;/").toStdString(); }

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InitReminderFolder(env.Folders())); }
    QString File(const QString& name) const { return env.Folder() + '/' + name; }
    TempXdg env;
};

inline QString WriteError(const QString& path) { return "Unable to write to " + path; }

// The text of the StoreError `fn` throws, or "<no error>".
template <class Fn>
QString StoreErrorOf(Fn&& fn)
{
    try {
        fn();
    } catch (const StoreError& e) {
        return e.text();
    }
    return "<no error>";
}

// Bytes of a literal, embedded NULs included.
template <std::size_t N>
QByteArray Bytes(const char (&s)[N]) { return QByteArray(s, int(N - 1)); }
