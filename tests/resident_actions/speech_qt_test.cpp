// The voice's thread and bounds, first against a scripted engine (so each engine
// behaviour can be staged), then against the real one when it is installed, pointed at a
// private, silent setup.
#include "linux/speech_qt.h"

#include "tempenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMutex>
#include <QSemaphore>
#include <QTest>
#include <QTextToSpeech>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// How the scripted engine behaves; read when it is made and at each text.
struct EngineScript {
    int createMs = 0;                // time it takes to come up
    QSemaphore* createGate = nullptr; // when set, coming up waits for a release
    bool none = false;               // no engine installed
    bool brokenOnCreate = false;     // comes up in its error state
    bool errorOnSay = false;         // refuses a text at once
    int errorAfterMs = -1;           // fails that long after it starts to speak
    int beginMs = 0;                 // from the text to its first sound
    int speakMs = 50;                // length of the speech; -1: it never ends
    int stopReadyMs = 0;             // a stop is reported as Ready this much later
    QSemaphore* stopGate = nullptr;  // when set, a stop hangs until a release
};

// What the engine was asked and did: "create", "created", "say:<text>",
// "overlap:<text>" (told to speak while still speaking), "end:<text>", "stop".
class EngineLog {
public:
    void Add(const QString& event)
    {
        QMutexLocker lock(&mutex_);
        events_ << event;
    }
    QStringList Events() const
    {
        QMutexLocker lock(&mutex_);
        return events_;
    }
    bool Has(const QString& event) const { return Events().contains(event); }
    // Any event about this text.
    bool Mentions(const QString& text) const
    {
        for (const QString& event : Events())
            if (event.endsWith(QLatin1Char(':') + text))
                return true;
        return false;
    }
    bool Overlapped() const { return !Events().filter(QStringLiteral("overlap:")).isEmpty(); }

private:
    mutable QMutex mutex_;
    QStringList events_;
};

class ScriptedEngine : public SpeechEngine {
public:
    ScriptedEngine(const EngineScript& script, EngineLog& log)
        : script_(script), log_(log),
          state_(script.brokenOnCreate ? QTextToSpeech::Error : QTextToSpeech::Ready)
    {
    }

    QTextToSpeech::State State() const override { return state_; }

    void Say(const QString& text) override
    {
        const EngineScript s = script_;
        log_.Add((busy_ ? QStringLiteral("overlap:") : QStringLiteral("say:")) + text);
        const int run = ++run_;
        if (s.errorOnSay) {
            Enter(QTextToSpeech::Error);
            return;
        }
        busy_ = true;
        Later(s.beginMs, run, [this, s, run, text] {
            Enter(QTextToSpeech::Speaking);
            if (s.errorAfterMs >= 0)
                Later(s.errorAfterMs, run, [this] {
                    busy_ = false;
                    Enter(QTextToSpeech::Error);
                });
            if (s.speakMs >= 0)
                Later(s.speakMs, run, [this, text] {
                    busy_ = false;
                    log_.Add(QStringLiteral("end:") + text);
                    Enter(QTextToSpeech::Ready);
                });
        });
    }

    void Stop() override
    {
        log_.Add(QStringLiteral("stop"));
        if (script_.stopGate)
            script_.stopGate->acquire();
        ++run_;
        busy_ = false;
        // The engine confirms a stop later, as speech-dispatcher does.
        QTimer::singleShot(script_.stopReadyMs, &context_, [this] { Enter(QTextToSpeech::Ready); });
    }

private:
    void Later(int ms, int run, std::function<void()> step)
    {
        QTimer::singleShot(ms, &context_, [this, run, step] {
            if (run == run_)
                step();
        });
    }
    void Enter(QTextToSpeech::State state)
    {
        state_ = state;
        if (onState)
            onState(state);
    }

    const EngineScript& script_;
    EngineLog& log_;
    QTextToSpeech::State state_;
    QObject context_; // made in the speech thread, so the steps run there
    int run_ = 0;
    bool busy_ = false;
};

class ScriptedSpeech : public ::testing::Test {
protected:
    ~ScriptedSpeech() override
    {
        // Nothing may stay blocked in the speech thread when the voice is destroyed.
        createGate.release(100);
        stopGate.release(100);
    }

    QtSpeech& Make(SpeechBounds bounds)
    {
        speech = std::make_unique<QtSpeech>(bounds, [this]() -> std::unique_ptr<SpeechEngine> {
            log.Add(QStringLiteral("create"));
            if (script.createGate)
                script.createGate->acquire();
            QThread::msleep(script.createMs);
            log.Add(QStringLiteral("created"));
            if (script.none)
                return nullptr;
            return std::make_unique<ScriptedEngine>(script, log);
        });
        return *speech;
    }

    // Speaks and tells how long it took.
    bool Speak(const QString& text, qint64* elapsedMs = nullptr)
    {
        QElapsedTimer timer;
        timer.start();
        const bool ok = speech->Speak(text);
        if (elapsedMs)
            *elapsedMs = timer.elapsed();
        return ok;
    }

    // Lets the speech thread's answer to a given-up speech arrive.
    static void Settle() { QTest::qWait(150); }

    EngineScript script;
    EngineLog log;
    QSemaphore createGate;
    QSemaphore stopGate;
    std::unique_ptr<QtSpeech> speech;
};

} // namespace

TEST_F(ScriptedSpeech, SpeaksAndEndsWithTheEngine)
{
    Make({.baseMs = 5000, .perCharMs = 0});
    script.speakMs = 200;
    qint64 ms = 0;
    EXPECT_TRUE(Speak(QStringLiteral("Today is MONDAY"), &ms));
    EXPECT_GE(ms, 190);
    EXPECT_TRUE(log.Has(QStringLiteral("end:Today is MONDAY")));
    EXPECT_TRUE(Speak(QStringLiteral("Again")));
    EXPECT_EQ(log.Events().count(QStringLiteral("create")), 1); // one engine for the run
}

TEST_F(ScriptedSpeech, EngineErrorsAreFailures)
{
    Make({.baseMs = 5000, .perCharMs = 0});
    qint64 ms = 0;

    script.none = true;
    EXPECT_FALSE(Speak(QStringLiteral("no engine"), &ms));
    EXPECT_LT(ms, 2500);
    script.none = false;

    script.brokenOnCreate = true;
    EXPECT_FALSE(Speak(QStringLiteral("broken engine"), &ms));
    EXPECT_LT(ms, 2500);
    EXPECT_FALSE(log.Mentions(QStringLiteral("broken engine")));
    // Once the speech service is back, a fresh engine speaks.
    script.brokenOnCreate = false;
    EXPECT_TRUE(Speak(QStringLiteral("engine back")));
    EXPECT_TRUE(log.Has(QStringLiteral("end:engine back")));

    script.errorOnSay = true;
    EXPECT_FALSE(Speak(QStringLiteral("refused"), &ms));
    EXPECT_LT(ms, 2500);
    script.errorOnSay = false;

    // An error while speaking ends the wait then, not at the bound.
    script.speakMs = -1;
    script.errorAfterMs = 100;
    EXPECT_FALSE(Speak(QStringLiteral("fails midway"), &ms));
    EXPECT_GE(ms, 90);
    EXPECT_LT(ms, 2500);
}

TEST_F(ScriptedSpeech, SpeechThatDoesNotEndFailsAtItsBound)
{
    Make({.baseMs = 300, .perCharMs = 100});
    script.speakMs = -1;
    qint64 ms = 0;
    EXPECT_FALSE(Speak(QStringLiteral("12345"), &ms)); // 300 + 5 * 100
    EXPECT_GE(ms, 790);
    EXPECT_LT(ms, 3000);
    Settle();
    EXPECT_TRUE(log.Has(QStringLiteral("stop")));
}

TEST_F(ScriptedSpeech, SlowStartUpDoesNotCountAgainstTheSpeakingBound)
{
    // The engine takes three times the speaking bound to come up, as speech-dispatcher
    // does when it starts on a loaded machine.
    Make({.baseMs = 600, .perCharMs = 0});
    script.createMs = 1800;
    script.speakMs = 100;
    qint64 ms = 0;
    EXPECT_TRUE(Speak(QStringLiteral("The current time is 09:05 AM"), &ms));
    EXPECT_GE(ms, 1890);
    EXPECT_TRUE(log.Has(QStringLiteral("end:The current time is 09:05 AM")));
}

TEST_F(ScriptedSpeech, EngineThatNeverComesUpFailsAtTheStartUpBound)
{
    Make({.baseMs = 5000, .perCharMs = 0, .startupMs = 500});
    script.createGate = &createGate;
    qint64 ms = 0;
    EXPECT_FALSE(Speak(QStringLiteral("first"), &ms));
    EXPECT_GE(ms, 490);
    EXPECT_LT(ms, 3000);
    // While the engine is still coming up, nothing else is queued behind it.
    EXPECT_FALSE(Speak(QStringLiteral("second"), &ms));
    EXPECT_LT(ms, 200);
    createGate.release();
    QTest::qWait(300);
    ASSERT_TRUE(log.Has(QStringLiteral("created")));
    // The engine is kept for the next text; the given-up ones are never said late.
    EXPECT_TRUE(Speak(QStringLiteral("third")));
    EXPECT_EQ(log.Events(), (QStringList{QStringLiteral("create"), QStringLiteral("created"),
                                         QStringLiteral("say:third"), QStringLiteral("end:third")}));
}

TEST_F(ScriptedSpeech, EndingTheProgramDoesNotWaitForAStuckEngine)
{
    Make({.baseMs = 5000, .perCharMs = 0, .startupMs = 200});
    script.createGate = &createGate;
    EXPECT_FALSE(Speak(QStringLiteral("first")));
    QElapsedTimer timer;
    timer.start();
    speech.reset(); // neither hangs nor aborts with the thread stuck in the library
    EXPECT_LT(timer.elapsed(), 6000);
    // Let the left-over thread leave the scripted engine before the test's state goes.
    createGate.release();
    for (int i = 0; i < 100 && !log.Has(QStringLiteral("created")); ++i)
        QThread::msleep(20);
    QThread::msleep(100);
    EXPECT_FALSE(log.Mentions(QStringLiteral("first")));
}

TEST_F(ScriptedSpeech, NoSpeechStartsWhileAnotherIsSpoken)
{
    Make({.baseMs = 5000, .perCharMs = 0});
    script.speakMs = 400;
    // A timer that runs during the wait (the minute tick) asks for a second speech.
    bool nestedResult = true;
    qint64 nestedMs = -1;
    QTimer::singleShot(100, [&] { nestedResult = Speak(QStringLiteral("second"), &nestedMs); });
    EXPECT_TRUE(Speak(QStringLiteral("first")));
    EXPECT_FALSE(nestedResult);
    EXPECT_GE(nestedMs, 0);
    EXPECT_LT(nestedMs, 200);
    EXPECT_TRUE(log.Has(QStringLiteral("end:first")));
    EXPECT_FALSE(log.Mentions(QStringLiteral("second")));
}

TEST_F(ScriptedSpeech, StuckEngineFailsTheNextSpeechAtOnce)
{
    // The first speech never ends and the engine hangs in its stop, as a wedged speech
    // service does.
    Make({.baseMs = 400, .perCharMs = 0});
    script.speakMs = -1;
    script.stopGate = &stopGate;
    EXPECT_FALSE(Speak(QStringLiteral("first")));
    Settle();
    // The engine comes free while the next speech would still be waiting.
    QTimer::singleShot(250, [this] { stopGate.release(); });
    qint64 ms = 0;
    EXPECT_FALSE(Speak(QStringLiteral("second"), &ms));
    EXPECT_LT(ms, 200);
    QTest::qWait(400);
    EXPECT_FALSE(log.Mentions(QStringLiteral("second")));
    // Once the engine has let go of the first, speech works again.
    script.stopGate = nullptr;
    script.speakMs = 50;
    EXPECT_TRUE(Speak(QStringLiteral("third")));
    EXPECT_TRUE(log.Has(QStringLiteral("say:third")));
}

TEST_F(ScriptedSpeech, LateReadyOfAStoppedSpeechDoesNotEndTheNext)
{
    Make({.baseMs = 1200, .perCharMs = 0});
    script.speakMs = -1;
    script.stopReadyMs = 250;
    EXPECT_FALSE(Speak(QStringLiteral("first")));
    Settle();
    // The stop of the first is confirmed while the second has not begun to sound.
    script.beginMs = 500;
    script.speakMs = 200;
    script.stopReadyMs = 0;
    EXPECT_TRUE(Speak(QStringLiteral("second")));
    EXPECT_TRUE(log.Has(QStringLiteral("end:second")));
    EXPECT_FALSE(log.Overlapped());
}

namespace {

// A private runtime folder (so no running service is reused) and a configuration that
// sends audio nowhere.
class SilentSpeechEnv {
public:
    SilentSpeechEnv() : oldRuntime_(qgetenv("XDG_RUNTIME_DIR")), hadRuntime_(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
    {
        runtime_ = xdg_.Root() + QStringLiteral("/run");
        QDir().mkpath(runtime_);
        QFile::setPermissions(runtime_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime_.toLocal8Bit());
        const QString conf = xdg_.ConfigHome() + QStringLiteral("/speech-dispatcher");
        QDir().mkpath(conf + QStringLiteral("/modules"));
        WriteAll(conf + QStringLiteral("/speechd.conf"),
                 "AudioOutputMethod \"alsa\"\nAudioALSADevice \"null\"\n"
                 "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\nDefaultModule espeak-ng\n"
                 "Timeout 5\n");
    }
    ~SilentSpeechEnv()
    {
        if (hadRuntime_)
            qputenv("XDG_RUNTIME_DIR", oldRuntime_);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }

private:
    TempXdg xdg_;
    QString runtime_;
    QByteArray oldRuntime_;
    bool hadRuntime_;
};

} // namespace

TEST(QtSpeechBound, BoundGrowsWithTheText)
{
    QtSpeech speech;
    EXPECT_EQ(speech.BoundMs(QString()), 10000);
    EXPECT_EQ(speech.BoundMs(QString(100, QLatin1Char('a'))), 25000);
    EXPECT_FALSE(speech.IsSpeaking());
    EXPECT_TRUE(speech.Speak(QStringLiteral("   "))); // nothing to say, nothing started
}

TEST(QtSpeechBound, RealEngineFailsWithinItsBoundInsteadOfHanging)
{
    if (QTextToSpeech::availableEngines().isEmpty())
        GTEST_SKIP() << "no speech engine installed";
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer's string interceptors make the speech library's voice listing take
    // minutes; the bound is shown by the plain build.
    GTEST_SKIP() << "speech library too slow under the address sanitizer";
#endif
    SilentSpeechEnv env;
    QtSpeech speech({.baseMs = 400, .perCharMs = 0, .startupMs = 30000});
    // Far too long to be spoken in 0.4 s.
    const QString text = QString(QStringLiteral("This sentence takes a while to say. ")).repeated(40);
    bool speakingSeen = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { speakingSeen = speakingSeen || speech.IsSpeaking(); });
    probe.start(50);
    QElapsedTimer timer;
    timer.start();
    // The first one also starts the speech service, which takes seconds on a loaded
    // machine.
    EXPECT_FALSE(speech.Speak(text));
    EXPECT_GE(timer.elapsed(), 390);
    EXPECT_LT(timer.elapsed(), 32000);
    EXPECT_TRUE(speakingSeen); // timers kept running while it waited
    EXPECT_FALSE(speech.IsSpeaking());

    QTest::qWait(1000); // the stop of the first reaches the engine
    timer.start();
    EXPECT_FALSE(speech.Speak(text));
    EXPECT_GE(timer.elapsed(), 390);
    EXPECT_LT(timer.elapsed(), 2000);
}
