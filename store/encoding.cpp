#include "encoding.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <sys/stat.h>

namespace {

// Windows-1252 for 0x80..0x9F; the other bytes map to the same code point. The five
// unassigned bytes keep their C1 code point, so every byte decodes and encodes back.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Exists(const QByteArray& native)
{
    struct stat st {};
    // Anything but "no such entry" (a dangling link, no permission) counts as there.
    return ::lstat(native.constData(), &st) == 0 || errno != ENOENT;
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
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
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

QByteArray NativeFilePath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView name = QStringView(path).sliced(slash + 1);
    const QByteArray folder = QFile::encodeName(path.first(slash + 1));
    const QByteArray utf8 = folder + name.toUtf8();
    // Plain ASCII names, the usual case, are spelt alike in both and cost no look-up.
    const std::optional<QByteArray> cp1252 = EncodeCp1252(name);
    if (!cp1252 || folder + *cp1252 == utf8 || Exists(utf8))
        return utf8;
    const QByteArray windows = folder + *cp1252;
    return Exists(windows) ? windows : utf8;
}

QString DecodeFileName(QByteArrayView name)
{
    // A name may begin with a byte order mark like any other character.
    return IsUtf8(name) ? DecodeUtf8(name) : DecodeCp1252(name);
}
