// The real voice, when an engine is installed: it ends within its bound instead of
// hanging. The speech service is pointed at a private, silent setup.
#include "speech_qt.h"

#include "tempenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextToSpeech>
#include <QTimer>
#include <gtest/gtest.h>

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
    QtSpeech speech(10000, 150);
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
    QtSpeech speech(400, 0);
    // Far too long to be spoken in 0.4 s, even once the engine is up.
    const QString text = QString(QStringLiteral("This sentence takes a while to say. ")).repeated(40);
    QElapsedTimer timer;
    timer.start();
    bool speakingSeen = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { speakingSeen = speakingSeen || speech.IsSpeaking(); });
    probe.start(50);
    EXPECT_FALSE(speech.Speak(text));
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, 390);
    EXPECT_LT(elapsed, 2000);
    EXPECT_TRUE(speakingSeen); // timers kept running while it waited
    EXPECT_FALSE(speech.IsSpeaking());
}
