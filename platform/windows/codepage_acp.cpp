#include "codepage.h"

#include <climits>

#include <windows.h>

namespace {

// Code pages that take no flags in WideCharToMultiByte and report no default character:
// the UTF ones, the stateful ISO-2022 family and the symbol page.
bool TakesNoFlags(UINT cp)
{
    return cp == CP_UTF7 || cp == CP_UTF8 || cp == 42 || cp == 54936 || (cp >= 50220 && cp <= 50229) ||
           (cp >= 57002 && cp <= 57011);
}

class AnsiCodePage : public ICodePage {
public:
    QString Decode(QByteArrayView bytes) const override
    {
        if (bytes.isEmpty() || bytes.size() > INT_MAX)
            return {};
        const int n = static_cast<int>(bytes.size());
        const int need = MultiByteToWideChar(cp_, 0, bytes.data(), n, nullptr, 0);
        if (need <= 0)
            return {};
        QString out(need, Qt::Uninitialized);
        const int got = MultiByteToWideChar(cp_, 0, bytes.data(), n, reinterpret_cast<wchar_t*>(out.data()), need);
        out.resize(got > 0 ? got : 0);
        return out;
    }

    std::optional<QByteArray> Encode(QStringView text) const override
    {
        if (text.isEmpty())
            return QByteArray();
        if (text.size() > INT_MAX / 4)
            return std::nullopt;
        const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
        const int n = static_cast<int>(text.size());
        // No best fit: a character without bytes of its own must not turn into a look-alike.
        const bool plain = TakesNoFlags(cp_);
        const DWORD flags = cp_ == CP_UTF8 ? WC_ERR_INVALID_CHARS : plain ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        BOOL* usedDefaultOut = plain ? nullptr : &usedDefault;
        const int need = WideCharToMultiByte(cp_, flags, wide, n, nullptr, 0, nullptr, usedDefaultOut);
        if (need <= 0 || usedDefault)
            return std::nullopt;
        QByteArray out(need, Qt::Uninitialized);
        if (WideCharToMultiByte(cp_, flags, wide, n, out.data(), need, nullptr, usedDefaultOut) != need || usedDefault)
            return std::nullopt;
        // The flags are not reliable in every code page (and absent in some): only bytes that
        // read back as this very text count as its encoding.
        if (Decode(out) != text)
            return std::nullopt;
        return out;
    }

private:
    // Read once: the system code page changes only with a restart.
    const UINT cp_ = GetACP();
};

} // namespace

const ICodePage& DesktopCodePage()
{
    static const AnsiCodePage codePage;
    return codePage;
}
