// The Windows voice: SAPI's SpVoice through COM, spoken asynchronously and waited on in
// slices, so that timers still arrive and a voice that never ends is cut off.

#include "speech.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <objbase.h>
#include <sapi.h>

#include <algorithm>
#include <climits>
#include <string>

namespace {

constexpr DWORD kWaitSliceMs = 25;

class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT hr_;
};

class SapiSpeech : public ISpeech {
public:
    bool Speak(const QString& text) override
    {
        if (speaking_)
            return false;
        if (text.trimmed().isEmpty())
            return true;
        const ComApartment com;
        // A new voice for each text, as the system's defaults may have changed meanwhile.
        ISpVoice* voice = nullptr;
        if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                    reinterpret_cast<void**>(&voice))) ||
            !voice)
            return false;
        const bool spoken = SpeakWith(*voice, text);
        voice->Release();
        return spoken;
    }

    bool IsSpeaking() const override { return speaking_; }

private:
    bool SpeakWith(ISpVoice& voice, const QString& text)
    {
        const std::wstring wide = text.toStdWString();
        // As written: a message starting with "<" is no markup.
        if (FAILED(voice.Speak(wide.c_str(), SPF_ASYNC | SPF_IS_NOT_XML, nullptr)))
            return false;
        const SpeechBounds bounds;
        // The engine's start (the audio service waking) comes first and is not told apart
        // here, so its allowance is added to the text's.
        const qint64 bound = qint64(bounds.startupMs) + bounds.baseMs + qint64(bounds.perCharMs) * text.size();
        speaking_ = true;
        QElapsedTimer waited;
        waited.start();
        bool done = false;
        for (;;) {
            const HRESULT hr = voice.WaitUntilDone(kWaitSliceMs);
            if (hr == S_OK) {
                done = true;
                break;
            }
            if (FAILED(hr) || waited.elapsed() >= bound)
                break;
            // Like a blocking call: input waits, timers (the minute tick) still arrive.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        speaking_ = false;
        if (!done)
            // Asynchronous: a stuck audio output must not hold the scheduler here too.
            voice.Speak(nullptr, SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
        return done;
    }

    bool speaking_ = false;
};

} // namespace

std::unique_ptr<ISpeech> MakeDesktopSpeech() { return std::make_unique<SapiSpeech>(); }
