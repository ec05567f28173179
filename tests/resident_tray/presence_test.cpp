// The marker the editor looks for: seen while held, gone the moment its holder is.

#include "presence.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace {

// A name no real copy or other test run uses.
QString TestName(const char* which)
{
    return QStringLiteral("Nelvora-test-%1-%2").arg(getpid()).arg(QLatin1String(which));
}

} // namespace

TEST(Presence, NameIsPerUser)
{
    EXPECT_EQ(PresenceName(), QStringLiteral("Nelvora-%1").arg(getuid()));
}

TEST(Presence, SeenWhileHeldAndGoneAfter)
{
    const QString name = TestName("held");
    EXPECT_FALSE(IsResidentRunning(name));
    auto marker = std::make_unique<PresenceMarker>();
    ASSERT_TRUE(marker->Hold(name));
    EXPECT_TRUE(marker->Hold(name)); // holding twice is harmless
    EXPECT_TRUE(IsResidentRunning(name));
    marker.reset();
    EXPECT_FALSE(IsResidentRunning(name));
    // Nothing was left behind: the name can be taken again at once.
    PresenceMarker again;
    EXPECT_TRUE(again.Hold(name));
    EXPECT_TRUE(IsResidentRunning(name));
}

TEST(Presence, SecondHolderRunsWithoutIt)
{
    const QString name = TestName("second");
    PresenceMarker first;
    ASSERT_TRUE(first.Hold(name));
    PresenceMarker second;
    EXPECT_FALSE(second.Hold(name));
    EXPECT_TRUE(IsResidentRunning(name));
}

TEST(Presence, NotAFileOnDisk)
{
    const QString name = TestName("disk");
    PresenceMarker marker;
    ASSERT_TRUE(marker.Hold(name));
    // A plain (path) socket of that name is not the marker; a stale file could never
    // make the program look alive.
    QLocalSocket plain;
    plain.connectToServer(name);
    EXPECT_FALSE(plain.waitForConnected(500));
}

TEST(Presence, BusyHolderIsStillSeenAndDropsEveryLook)
{
    const QString name = TestName("busy");
    PresenceMarker marker;
    ASSERT_TRUE(marker.Hold(name));
    // The holder handles no events meanwhile, as while it is busy: its queue of waiting
    // connections fills up and later looks can no longer connect.
    for (int i = 0; i < 53; ++i)
        ASSERT_TRUE(IsResidentRunning(name)) << i;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Once it runs again it drops every connection it accepted.
    EXPECT_EQ(marker.findChildren<QLocalSocket*>().size(), 0);
    EXPECT_TRUE(IsResidentRunning(name));
}
