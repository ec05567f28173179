#include "filenames.h"

#include "codepage.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace {

// The lone surrogates that carry the bytes of a name that is not UTF-8.
constexpr char16_t kCarrierFirst = 0xDC80;
constexpr char16_t kCarrierLast = 0xDCFF;
constexpr char16_t kCarrierBase = 0xDC00;

bool IsCarrier(QStringView text, qsizetype i)
{
    const char16_t u = text[i].unicode();
    return u >= kCarrierFirst && u <= kCarrierLast && (i == 0 || !text[i - 1].isHighSurrogate());
}

// The text of a name that is valid UTF-8, with a byte order mark kept as U+FEFF.
std::optional<QString> Utf8Name(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    // The decoder is lazy: only the conversion to a QString runs it and sets the error.
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

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
    if (Utf8Name(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace

QString DecodeFileName(QByteArrayView name)
{
    // A name may begin with a byte order mark like any other character.
    if (std::optional<QString> text = Utf8Name(name))
        return *text;
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
        if (IsCarrier(path, i)) {
            const char byte = static_cast<char>(path[i].unicode() - kCarrierBase);
            shown[i] = DesktopCodePage().Decode(QByteArrayView(&byte, 1)).at(0);
        }
    }
    return shown;
}
