#pragma once
// File names as the programs hold them. A path is a QString on every desktop; where the
// file system names files with bytes (Linux) a name that is not UTF-8 rides in it
// losslessly, and where it names them in UTF-16 (Windows) a name is simply its text and
// these functions have nothing to map.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The name a folder listing gives for a file system name of these bytes. A name that is
// valid UTF-8 is its text (a leading byte order mark included). Any other name (an archive
// made on Windows unpacks names in its code page) keeps its bytes: each byte from 0x80 up
// rides as the lone surrogate U+DC00 + byte, which no decoded text holds, so every listed
// file keeps its own path even when two names show alike. Windows: the UTF-8 text.
QString DecodeFileName(QByteArrayView name);

// The bytes the file system knows `path` by: its file name through the inverse of
// DecodeFileName, its folders in the local encoding. No look-up on disk, so a name never
// reaches a file other than the one it was listed from or typed for. Empty when the name
// is neither text nor a name DecodeFileName makes. Two paths give the same bytes exactly
// when they name the same listed entry, so the bytes serve as a file's key. Windows: the
// path's UTF-16 code units.
QByteArray NativeFilePath(const QString& path);

// A name or path as the user sees it: carried bytes shown in the legacy code page
// (DesktopCodePage), the rest as is. Windows: the path itself.
QString DisplayFileName(const QString& path);
