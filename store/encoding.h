#pragma once
// The two text encodings reminder files and their names come in: UTF-8, and Windows-1252
// for what the old Windows program left behind.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// True when every byte sequence is valid UTF-8.
bool IsUtf8(QByteArrayView bytes);
// UTF-8 with every byte order mark kept as U+FEFF, so that a piece of a file decodes to
// the same text as the whole file does.
QString DecodeUtf8(QByteArrayView bytes);
QString DecodeCp1252(QByteArrayView bytes);
// Nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> EncodeCp1252(QStringView text);

// File names. A name read from a folder that is valid UTF-8 is its text. Any other name
// (an archive made on Windows unpacks names in its code page) is carried losslessly: each
// byte from 0x80 up rides as the lone surrogate U+DC00 + byte, which no decoded text
// holds, so every file listed keeps its own path even when two names show alike.
QString DecodeFileName(QByteArrayView name);
// The bytes the file system knows `path` by: its file name through the inverse of
// DecodeFileName, its folders in UTF-8. No look-up on disk, so a name never reaches a file
// other than the one it was listed from or typed for. Empty when the name is neither
// text nor a name DecodeFileName makes.
QByteArray NativeFilePath(const QString& path);
// A name or path as the user sees it: carried bytes shown as Windows-1252, the rest as is.
QString DisplayFileName(const QString& path);
