#pragma once
// The code page of text files that are not UTF-8: the files the old Windows program left.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

class ICodePage {
public:
    virtual ~ICodePage() = default;
    virtual QString Decode(QByteArrayView bytes) const = 0;
    // Nothing when a character has no bytes in the code page.
    virtual std::optional<QByteArray> Encode(QStringView text) const = 0;
};

// The desktop's legacy code page. Linux: Windows-1252, in which every byte decodes and
// encodes back (the five unassigned bytes keep their C1 code points). Windows: the system
// ANSI code page (GetACP), as the profile routines of that desktop read such files; a
// multi-byte code page need not give every byte sequence back, and the profile writer
// refuses to rewrite a file whose text would not.
const ICodePage& DesktopCodePage();
