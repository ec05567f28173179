#include "codepage.h"

#include <algorithm>
#include <array>

namespace {

// Windows-1252 for 0x80..0x9F; the other bytes map to the same code point. The five
// unassigned bytes keep their C1 code point, so every byte decodes and encodes back.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

class Cp1252 : public ICodePage {
public:
    QString Decode(QByteArrayView bytes) const override
    {
        QString out;
        out.reserve(bytes.size());
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            out += (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
        }
        return out;
    }

    std::optional<QByteArray> Encode(QStringView text) const override
    {
        QByteArray out;
        out.reserve(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
                out += static_cast<char>(u);
                continue;
            }
            const auto* it = std::find(kCp1252High.begin(), kCp1252High.end(), u);
            if (it == kCp1252High.end())
                return std::nullopt;
            out += static_cast<char>(0x80 + (it - kCp1252High.begin()));
        }
        return out;
    }
};

} // namespace

const ICodePage& DesktopCodePage()
{
    static const Cp1252 codePage;
    return codePage;
}
