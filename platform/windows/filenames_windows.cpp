#include "filenames.h"

#include <QDir>

// Windows names files in UTF-16, which a QString holds as it is, unpaired surrogates
// included: nothing is carried, nothing mapped.

QString DecodeFileName(QByteArrayView name) { return QString::fromUtf8(name); }

// The code units of the path as it was listed or typed, with '\' for '/' only. No case is
// folded although NTFS matches names without regard to case: a listing never gives two
// names that differ in case alone for one entry, and in a folder marked case-sensitive two
// such names are two files, which a folded key would merge.
QByteArray NativeFilePath(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    return QByteArray(reinterpret_cast<const char*>(native.utf16()), native.size() * 2);
}

QString DisplayFileName(const QString& path) { return path; }
