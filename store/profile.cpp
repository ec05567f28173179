#include "profile.h"

#include "codepage.h"
#include "encoding.h"
#include "filenames.h"
#include "files.h"

#include <QStringDecoder>

#include <algorithm>
#include <climits>

StoreError::StoreError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}

namespace {

// Anything larger is no reminder or geometry file; reading it whole every minute would
// only cost memory, so it reads as empty and is never rewritten.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

const QByteArray kBom("\xEF\xBB\xBF");

enum class Encoding { Utf8, Legacy };

// A file as text. A write edits the text and keeps every byte it does not change, which
// holds as long as encoding the text back gives the file's bytes again: always for UTF-8
// and for Windows-1252, not for every file in a multi-byte code page.
struct FileText {
    bool bom = false;
    Encoding encoding = Encoding::Utf8;
    QString text; // without the file's first byte order mark
};

FileText DecodeFile(const QByteArray& raw, const ICodePage& codePage)
{
    FileText f;
    f.bom = raw.startsWith(kBom);
    const QByteArrayView body = QByteArrayView(raw).sliced(f.bom ? kBom.size() : 0);
    // Only the file's first mark is taken off; a second one is text.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    // The decoder is lazy: only the conversion to a QString runs it and sets the error.
    f.text = decoder.decode(body);
    if (decoder.hasError()) {
        f.encoding = Encoding::Legacy;
        f.text = codePage.Decode(body);
    }
    return f;
}

// One line as the profile routines see it; places are offsets in the text.
struct ProfileLine {
    enum Kind { Other, Section, Key };
    Kind kind = Other;
    QStringView name;          // the section's or key's name, trimmed
    QStringView value;         // a key's value, trimmed
    qsizetype valueStart = 0;  // a key's text after its '='
    qsizetype contentEnd = 0;  // where the line break begins
    qsizetype end = 0;         // after the line break (CR, LF or CRLF; none on a last line)
};

// The one parser of the layer: the reader and the writer both walk a file's lines through
// it, so they can never disagree on what is a section or a key. Calls visit(line) in file
// order until it returns false. A key line before the first section is no key.
template <typename Visit>
void ParseLines(QStringView text, Visit&& visit)
{
    const qsizetype n = text.size();
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < n) {
        ProfileLine line;
        qsizetype end = pos;
        while (end < n && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        line.contentEnd = end;
        if (end < n)
            end += (text[end] == QLatin1Char('\r') && end + 1 < n && text[end + 1] == QLatin1Char('\n')) ? 2 : 1;
        line.end = end;
        const QStringView trimmed = text.sliced(pos, line.contentEnd - pos).trimmed();
        pos = end;
        if (trimmed.isEmpty() || trimmed.front() == QLatin1Char(';')) {
            // a comment or a blank line
        } else if (trimmed.front() == QLatin1Char('[')) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            line.kind = ProfileLine::Section;
            line.name = (close < 0 ? trimmed.sliced(1) : trimmed.sliced(1, close - 1)).trimmed();
            inSection = true;
        } else if (const qsizetype eq = trimmed.indexOf(QLatin1Char('=')); eq >= 0 && inSection) {
            line.kind = ProfileLine::Key;
            line.name = trimmed.first(eq).trimmed();
            line.value = trimmed.sliced(eq + 1).trimmed();
            line.valueStart = trimmed.data() - text.data() + eq + 1;
        }
        if (!visit(line))
            return;
    }
}

bool SameName(QStringView a, QStringView b)
{
    // Simple case folding keeps the length, so most names differ already there.
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool ValidName(const QString& name)
{
    return !name.trimmed().isEmpty() && !name.contains(QLatin1Char('\n')) &&
           !name.contains(QLatin1Char('\r')) && !name.contains(QChar(0));
}

bool Writable(const ProfileKeyWrite& w)
{
    if (!ValidName(w.section) || !ValidName(w.key))
        return false;
    // A lone surrogate has no bytes in either encoding and would not read back.
    if (!w.section.isValidUtf16() || !w.key.isValidUtf16() || !w.value.isValidUtf16())
        return false;
    if (w.section.contains(QLatin1Char(']')))
        return false;
    const QString key = w.key.trimmed();
    if (key.contains(QLatin1Char('=')) || key.startsWith(QLatin1Char('[')) ||
        key.startsWith(QLatin1Char(';')))
        return false;
    return !w.value.contains(QLatin1Char('\n')) && !w.value.contains(QLatin1Char('\r')) &&
           !w.value.contains(QChar(0));
}

// New lines end like the file's first line.
QString LineEnding(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n'))
            return QStringLiteral("\n");
        if (text[i] == QLatin1Char('\r'))
            return (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ? QStringLiteral("\r\n")
                                                                            : QStringLiteral("\r");
    }
    return QStringLiteral("\n");
}

// One key write on the text, as the classic routine does it: the first section and key of
// the name, the value replaced where it stands, a new key after the last key line of its
// section, a new section at the end.
QString WithWrite(const QString& text, const ProfileKeyWrite& w)
{
    const QString section = w.section.trimmed();
    const QString key = w.key.trimmed();
    bool found = false;
    qsizetype replaceAt = -1, replaceEnd = -1, insertAt = -1;
    bool insertAfterBreak = true;
    ParseLines(text, [&](const ProfileLine& line) {
        if (!found) {
            found = line.kind == ProfileLine::Section && SameName(line.name, section);
        } else if (line.kind == ProfileLine::Section) {
            return false;
        } else if (line.kind == ProfileLine::Key && SameName(line.name, key)) {
            replaceAt = line.valueStart;
            replaceEnd = line.contentEnd;
            return false;
        } else if (line.kind != ProfileLine::Key) {
            return true;
        }
        if (found) { // the header, or a key line of its section
            insertAt = line.end;
            insertAfterBreak = line.end > line.contentEnd;
        }
        return true;
    });
    QString out = text;
    if (replaceAt >= 0)
        return out.replace(replaceAt, replaceEnd - replaceAt, w.value);
    const QString eol = LineEnding(text);
    if (!found) {
        if (!out.isEmpty() && !out.endsWith(QLatin1Char('\n')) && !out.endsWith(QLatin1Char('\r')))
            out += eol;
        return out + QLatin1Char('[') + section + QLatin1Char(']') + eol + key + QLatin1Char('=') + w.value + eol;
    }
    // A last line without a break must not swallow the new key.
    return out.insert(insertAt, (insertAfterBreak ? QString() : eol) + key + QLatin1Char('=') + w.value + eol);
}

bool HasHighBytes(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Nothing when the file's text would not give its bytes back: rewriting it would change
// lines the write does not touch.
std::optional<QByteArray> ApplyWrite(const QByteArray& original, const ProfileKeyWrite& w,
                                     const ICodePage& codePage)
{
    const FileText file = DecodeFile(original, codePage);
    if (file.encoding == Encoding::Legacy &&
        codePage.Encode(file.text) != QByteArrayView(original).sliced(file.bom ? kBom.size() : 0))
        return std::nullopt;
    const QString edited = WithWrite(file.text, w);
    // A file from the old program stays in its code page as long as the new text fits;
    // otherwise the whole file moves to UTF-8 so that it never mixes two encodings.
    std::optional<QByteArray> body;
    if (file.encoding == Encoding::Legacy && codePage.Encode(w.section) &&
        codePage.Encode(w.key) && codePage.Encode(w.value))
        body = codePage.Encode(edited);
    // Replacing the last byte that was not UTF-8 would make the rest of the file read as
    // UTF-8 and change its text ("\xC3\xA9" is two letters in the code page, one in
    // UTF-8): such a file moves to UTF-8 as a whole.
    if (!body || (HasHighBytes(*body) && IsUtf8(*body)))
        body = edited.toUtf8();
    return file.bom ? kBom + *body : *body;
}

std::optional<int> ParseInteger(QStringView t)
{
    t = t.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool negative = false;
    if (t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+')) {
        negative = t.front() == QLatin1Char('-');
        t = t.sliced(1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        base = 16;
        t = t.sliced(1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t = t.sliced(2);
    }
    if (t.isEmpty())
        return std::nullopt;
    long long value = 0;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        int digit = 0;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

QStringView TruncatedView(QStringView value)
{
    if (value.size() <= kMaxProfileValueLength)
        return value;
    qsizetype n = kMaxProfileValueLength;
    if (value.at(n - 1).isHighSurrogate())
        --n;
    return value.first(n);
}

} // namespace

std::optional<int> ParseProfileInteger(const QString& text) { return ParseInteger(text); }

StoreError UnableToWrite(const QString& path)
{
    return StoreError(QStringLiteral("Unable to write to %1").arg(DisplayFileName(path)));
}

ProfileSnapshot ProfileSnapshot::Read(const QString& path)
{
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxFileSize);
    return bytes ? FromBytes(*bytes) : ProfileSnapshot();
}

ProfileSnapshot ProfileSnapshot::FromBytes(const QByteArray& raw)
{
    ProfileSnapshot snap;
    snap.text_ = DecodeFile(raw, DesktopCodePage()).text;
    const QStringView view(snap.text_);
    const auto span = [&view](QStringView part) { return Span{part.data() - view.data(), part.size()}; };
    // Room for a reminder file written by the editor, so it costs no regrowth.
    snap.sections_.reserve(16);
    snap.keys_.reserve(48);
    ParseLines(view, [&](const ProfileLine& line) {
        if (line.kind == ProfileLine::Section) {
            const auto keys = static_cast<qsizetype>(snap.keys_.size());
            snap.sections_.push_back({span(line.name), keys, keys});
        } else if (line.kind == ProfileLine::Key) {
            snap.keys_.push_back({span(line.name), span(line.value)});
            snap.sections_.back().endKey = static_cast<qsizetype>(snap.keys_.size());
        }
        return true;
    });
    return snap;
}

const ProfileSnapshot::Key* ProfileSnapshot::FindKey(const QString& section, const QString& key) const
{
    const QStringView sectionName = QStringView(section).trimmed();
    for (const Section& s : sections_) {
        if (!SameName(View(s.name), sectionName))
            continue;
        const QStringView keyName = QStringView(key).trimmed();
        for (qsizetype i = s.firstKey; i < s.endKey; ++i) {
            const Key& k = keys_[static_cast<size_t>(i)];
            if (SameName(View(k.name), keyName))
                return &k;
        }
        return nullptr;
    }
    return nullptr;
}

std::optional<QString> ProfileSnapshot::Value(const QString& section, const QString& key) const
{
    const Key* k = FindKey(section, key);
    if (!k)
        return std::nullopt;
    return TruncatedView(View(k->value)).toString();
}

QString ProfileSnapshot::ReadString(const QString& section, const QString& key, const QString& def) const
{
    return Value(section, key).value_or(def);
}

int ProfileSnapshot::ReadInteger(const QString& section, const QString& key, int def) const
{
    const Key* k = FindKey(section, key);
    if (!k)
        return def;
    return ParseInteger(TruncatedView(View(k->value))).value_or(def);
}

bool ProfileSnapshot::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

QString ReadProfileString(const QString& path, const QString& section, const QString& key, const QString& def)
{
    return ProfileSnapshot::Read(path).ReadString(section, key, def);
}

int ReadProfileInteger(const QString& path, const QString& section, const QString& key, int def)
{
    return ProfileSnapshot::Read(path).ReadInteger(section, key, def);
}

std::optional<QByteArray> ApplyProfileWrites(const QByteArray& original, const QList<ProfileKeyWrite>& writes,
                                             const ICodePage& codePage)
{
    for (const ProfileKeyWrite& w : writes)
        if (!Writable(w))
            return std::nullopt;
    // One write after the other, each judging the encoding afresh: an earlier write can
    // change it, and a batch must give the bytes of the single writes.
    QByteArray bytes = original;
    for (const ProfileKeyWrite& w : writes) {
        std::optional<QByteArray> next = ApplyWrite(bytes, w, codePage);
        if (!next)
            return std::nullopt;
        bytes = std::move(*next);
    }
    return bytes;
}

bool WriteProfileStrings(const QString& path, const QList<ProfileKeyWrite>& writes, ProfileFile which)
{
    bool refused = false;
    const bool written = UpdateFileLocked(path, kMaxFileSize, [&](const std::optional<QByteArray>& current) {
        // Judged under the lock: a file another program made or deleted meanwhile is never
        // joined or made again.
        if ((which == ProfileFile::New && current) || (which == ProfileFile::Existing && !current)) {
            refused = true;
            return std::optional<QByteArray>();
        }
        return ApplyProfileWrites(current.value_or(QByteArray()), writes);
    });
    if (refused)
        return false;
    if (!written)
        throw UnableToWrite(path);
    return true;
}

void ReplaceProfileFile(const QString& path, const QByteArray& bytes)
{
    if (!ReplaceFileLocked(path, bytes))
        throw UnableToWrite(path);
}
