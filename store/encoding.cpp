#include "encoding.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {

// Windows-1252 for 0x80..0x9F; the other bytes map to the same code point. The five
// unassigned bytes keep their C1 code point, so every byte decodes and encodes back.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The lone surrogates that carry the bytes of a name that is not UTF-8.
constexpr char16_t kCarrierFirst = 0xDC80;
constexpr char16_t kCarrierLast = 0xDCFF;
constexpr char16_t kCarrierBase = 0xDC00;

bool IsCarrier(QStringView text, qsizetype i)
{
    const char16_t u = text[i].unicode();
    return u >= kCarrierFirst && u <= kCarrierLast && (i == 0 || !text[i - 1].isHighSurrogate());
}

QChar Cp1252Char(unsigned char b) { return (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b); }

// Nothing for text that is neither valid nor a carried name: a lone surrogate typed or
// made up must not become raw bytes that name another file.
std::optional<QByteArray> EncodeFileName(QStringView name)
{
    if (name.isValidUtf16())
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (u < 0x80)
            bytes += static_cast<char>(u);
        else if (IsCarrier(name, i))
            bytes += static_cast<char>(u - kCarrierBase);
        else
            return std::nullopt;
    }
    // A carried name is never UTF-8: such bytes are listed as their text.
    if (IsUtf8(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace

bool IsUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder is lazy: only the conversion to a QString runs it and sets the error.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString DecodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString DecodeCp1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        out += Cp1252Char(static_cast<unsigned char>(c));
    return out;
}

std::optional<QByteArray> EncodeCp1252(QStringView text)
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

QString DecodeFileName(QByteArrayView name)
{
    // A name may begin with a byte order mark like any other character.
    if (IsUtf8(name))
        return DecodeUtf8(name);
    QString carried;
    carried.reserve(name.size());
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        carried += b < 0x80 ? QChar(b) : QChar(static_cast<char16_t>(kCarrierBase + b));
    }
    return carried;
}

QByteArray NativeFilePath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const std::optional<QByteArray> name = EncodeFileName(QStringView(path).sliced(slash + 1));
    if (!name)
        return {};
    return QFile::encodeName(path.first(slash + 1)) + *name;
}

QString DisplayFileName(const QString& path)
{
    if (path.isValidUtf16())
        return path;
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (IsCarrier(path, i))
            shown[i] = Cp1252Char(static_cast<unsigned char>(path[i].unicode() - kCarrierBase));
    }
    return shown;
}
