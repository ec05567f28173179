#pragma once
// UTF-8, the encoding the programs write. Text that is not UTF-8 is in the desktop's legacy
// code page (codepage.h); file names are carried as filenames.h says.

#include <QByteArrayView>
#include <QString>

// True when every byte sequence is valid UTF-8.
bool IsUtf8(QByteArrayView bytes);
// UTF-8 with every byte order mark kept as U+FEFF, so that a piece of a file decodes to
// the same text as the whole file does.
QString DecodeUtf8(QByteArrayView bytes);
