#pragma once
#include <QString>

#include <memory>

// The speech voice. Speak returns once the text has been spoken; false when there is no
// engine, the engine does not come up in time, the engine reports an error, or the speech
// does not end within a bound that grows with the text's length. Never hangs.
class ISpeech {
public:
    virtual ~ISpeech() = default;
    virtual bool Speak(const QString& text) = 0;
    // True while Speak is waiting for the engine (ticks wait for it to end).
    virtual bool IsSpeaking() const = 0;
};

// How long a voice may take, the same on every desktop. A speech that has not ended
// baseMs + perCharMs per character after the engine was ready has failed; so has an engine
// that is not ready startupMs after the request. Starting the speech service took 4.7 s on
// a loaded machine; the start-up bound leaves several times that. Once the engine is up,
// later texts find it ready at once.
struct SpeechBounds {
    int baseMs = 10000;
    int perCharMs = 150;
    int startupMs = 30000;
};

// The desktop's voice: Qt's text to speech on Linux, the speech interface of the system on
// Windows.
std::unique_ptr<ISpeech> MakeDesktopSpeech();
