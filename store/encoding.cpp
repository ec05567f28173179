#include "encoding.h"

#include <QStringDecoder>

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
