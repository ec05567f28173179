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

// The desktop's voice: Qt's text to speech on Linux, the speech interface of the system on
// Windows.
std::unique_ptr<ISpeech> MakeDesktopSpeech();
