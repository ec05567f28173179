#include "profile.h"

#include "encoding.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <functional>
#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

StoreError::StoreError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}

namespace {

// Anything larger is no reminder or geometry file; reading it whole every minute would
// only cost memory, so it reads as empty and is never rewritten.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

const QByteArray kBom("\xEF\xBB\xBF");

enum class Encoding { Utf8, Cp1252 };

struct Text {
    bool bom = false;
    Encoding encoding = Encoding::Utf8;
    QByteArray body; // without the BOM
    QString decoded; // the body as text
};

QString Decode(QByteArrayView bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? DecodeUtf8(bytes) : DecodeCp1252(bytes);
}

// Telling the encoding apart costs a full decode, so the decoded text is kept.
Text Classify(const QByteArray& raw)
{
    Text t;
    t.bom = raw.startsWith(kBom);
    t.body = t.bom ? raw.mid(kBom.size()) : raw;
    // Only the file's first mark is taken off; a second one is text, as it is to the
    // line-by-line decoding of a write.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    // The decoder is lazy: only the conversion to a QString runs it and sets the error.
    t.decoded = decoder.decode(t.body);
    if (decoder.hasError()) {
        t.encoding = Encoding::Cp1252;
        t.decoded = DecodeCp1252(t.body);
    }
    return t;
}

// One line of the file as byte offsets: [start, contentEnd) is the text, [contentEnd, end)
// its terminator (CR, LF or CRLF; empty on a last line without one).
struct LineSpan {
    qsizetype start;
    qsizetype contentEnd;
    qsizetype end;
};

std::vector<LineSpan> SplitLines(const QByteArray& body)
{
    std::vector<LineSpan> lines;
    const qsizetype n = body.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype i = start;
        while (i < n && body[i] != '\n' && body[i] != '\r')
            ++i;
        qsizetype end = i;
        if (end < n) {
            end += (body[end] == '\r' && end + 1 < n && body[end + 1] == '\n') ? 2 : 1;
        }
        lines.push_back({start, i, end});
        start = end;
    }
    return lines;
}

enum class LineKind { Other, Section, Key };

struct LineInfo {
    LineKind kind = LineKind::Other;
    QString name; // section or key name, trimmed
    QString value;
    qsizetype equalsAt = -1; // byte offset of the '=' within the body
};

LineInfo Classify(const QByteArray& body, const LineSpan& span, Encoding encoding)
{
    LineInfo info;
    const QByteArrayView bytes(body.constData() + span.start, span.contentEnd - span.start);
    const QString line = Decode(bytes, encoding);
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')))
        return info;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        info.kind = LineKind::Section;
        info.name = (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
        return info;
    }
    const qsizetype eqByte = bytes.indexOf('=');
    if (eqByte < 0)
        return info;
    info.kind = LineKind::Key;
    info.equalsAt = span.start + eqByte;
    info.name = Decode(bytes.first(eqByte), encoding).trimmed();
    info.value = Decode(bytes.sliced(eqByte + 1), encoding).trimmed();
    return info;
}

bool SameName(QStringView a, QStringView b)
{
    // Simple case folding keeps the length, so most names differ already there.
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray ReadFileBytes(const QByteArray& native, bool* ok)
{
    *ok = false;
    if (native.contains('\0'))
        return {};
    // O_NONBLOCK: a FIFO named like a reminder must not stall the reader.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat st {};
    QByteArray data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileSize) {
        data.resize(static_cast<qsizetype>(st.st_size));
        qsizetype got = 0;
        while (true) {
            if (got == data.size())
                data.resize(got + 4096); // the file grew since fstat
            const ssize_t r = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                *ok = r == 0 && got <= kMaxFileSize;
                break;
            }
            got += r;
        }
        data.resize(got);
    }
    ::close(fd);
    if (!*ok)
        return {};
    return data;
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

QByteArray LineEnding(const QByteArray& body)
{
    const qsizetype i = body.indexOf('\n');
    const qsizetype j = body.indexOf('\r');
    if (j >= 0 && (i < 0 || j < i))
        return (j + 1 < body.size() && body[j + 1] == '\n') ? QByteArrayLiteral("\r\n")
                                                            : QByteArrayLiteral("\r");
    return QByteArrayLiteral("\n");
}

// One key write on the body bytes, as the classic routine does it.
void ApplyOne(QByteArray& body, Encoding encoding, const ProfileKeyWrite& w,
              const std::function<QByteArray(const QString&)>& encode)
{
    const QString section = w.section.trimmed();
    const QString key = w.key.trimmed();
    const QByteArray eol = LineEnding(body);
    const std::vector<LineSpan> lines = SplitLines(body);

    qsizetype headerIndex = -1;
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        const LineInfo info = Classify(body, lines[i], encoding);
        if (info.kind == LineKind::Section && SameName(info.name, section)) {
            headerIndex = i;
            break;
        }
    }

    if (headerIndex < 0) {
        QByteArray tail;
        if (!body.isEmpty() && !body.endsWith('\n') && !body.endsWith('\r'))
            tail += eol;
        tail += '[' + encode(section) + ']' + eol + encode(key) + '=' + encode(w.value) + eol;
        body += tail;
        return;
    }

    qsizetype lastKey = headerIndex;
    for (qsizetype i = headerIndex + 1; i < static_cast<qsizetype>(lines.size()); ++i) {
        const LineInfo info = Classify(body, lines[i], encoding);
        if (info.kind == LineKind::Section)
            break;
        if (info.kind != LineKind::Key)
            continue;
        if (SameName(info.name, key)) {
            const LineSpan& span = lines[i];
            body.replace(info.equalsAt + 1, span.contentEnd - info.equalsAt - 1, encode(w.value));
            return;
        }
        lastKey = i;
    }

    const LineSpan& after = lines[lastKey];
    QByteArray insert;
    if (after.end == after.contentEnd) // last line without a terminator
        insert += eol;
    insert += encode(key) + '=' + encode(w.value) + eol;
    body.insert(after.end, insert);
}

QByteArray Encode(const QString& s, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? s.toUtf8() : *EncodeCp1252(s);
}

bool HasHighBytes(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

QByteArray ApplyWrite(const QByteArray& original, const ProfileKeyWrite& w)
{
    const Text text = Classify(original);
    QByteArray body = text.body;
    Encoding encoding = text.encoding;
    // A file from the old program stays in its code page as long as the new text fits;
    // otherwise the whole file moves to UTF-8 so that it never mixes two encodings.
    if (encoding == Encoding::Cp1252 &&
        (!EncodeCp1252(w.section) || !EncodeCp1252(w.key) || !EncodeCp1252(w.value))) {
        body = text.decoded.toUtf8();
        encoding = Encoding::Utf8;
    }
    QByteArray updated = body;
    ApplyOne(updated, encoding, w, [encoding](const QString& s) { return Encode(s, encoding); });
    // Replacing the last byte that was not UTF-8 would make the rest of the file read as
    // UTF-8 and change its text ("\xC3\xA9" is two letters in the code page, one in
    // UTF-8): such a file moves to UTF-8 as a whole.
    if (encoding == Encoding::Cp1252 && HasHighBytes(updated) && IsUtf8(updated)) {
        updated = text.decoded.toUtf8();
        ApplyOne(updated, Encoding::Utf8, w, [](const QString& s) { return s.toUtf8(); });
    }
    return text.bom ? kBom + updated : updated;
}

struct DirLock {
    int fd = -1;
    explicit DirLock(const QByteArray& folder)
    {
        fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        while (::flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd);
                fd = -1;
                return;
            }
        }
    }
    ~DirLock()
    {
        if (fd >= 0)
            ::close(fd); // releases the lock
    }
    DirLock(const DirLock&) = delete;
    DirLock& operator=(const DirLock&) = delete;
};

bool WriteAllFd(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        done += w;
    }
    return true;
}

// Temporary files are ".<file name>.tmp-" and six characters; the name never ends in
// ".ini", so no one lists or scans it.
const QByteArray kTempInfix(".tmp-");
constexpr qsizetype kTempSuffixLength = 6;

// A temporary file left by a killed writer is removed by a later writer once it is this old.
constexpr qint64 kStaleTempSeconds = 10 * 60;

bool IsTempName(QByteArrayView n)
{
    const qsizetype at = n.size() - kTempSuffixLength - kTempInfix.size();
    if (!n.startsWith('.') || at < 5 || !n.sliced(at).startsWith(kTempInfix))
        return false;
    // Only what this store leaves: the temporary of an ".ini" file, in any letter case.
    return qstrnicmp(n.data() + at - 4, ".ini", 4) == 0;
}

// Run with the folder locked. Every writer of this store holds that lock while its
// temporary file exists, so one found now belongs to a writer that died; the age and the
// file's own lock also keep away from a writer that did not take the folder lock.
void RemoveStaleTemporaries(int dirFd)
{
    const qint64 now = ::time(nullptr);
    const int scanFd = ::dup(dirFd);
    if (scanFd < 0)
        return;
    DIR* dir = ::fdopendir(scanFd);
    if (!dir) {
        ::close(scanFd);
        return;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempName(entry->d_name))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || now - st.st_mtime < kStaleTempSeconds)
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Replaces the file through a temporary file in the same folder and a rename, so readers
// and a killed writer only ever leave the old or the new content.
bool ReplaceFile(const QByteArray& target, const QByteArray& bytes, mode_t mode, int dirFd)
{
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray tmpl = target.first(slash + 1) + '.' + target.sliced(slash + 1) + kTempInfix +
                      QByteArray(kTempSuffixLength, 'X');
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // Held while it is written, so a cleaner never takes a file still being written.
    ::flock(fd, LOCK_EX | LOCK_NB);
    bool ok = ::fchmod(fd, mode) == 0 && WriteAllFd(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        return false;
    }
    ::fsync(dirFd);
    return true;
}

// The file a write goes to, as an absolute native path: a link is followed to its target.
std::optional<QByteArray> WriteTarget(const QString& path)
{
    QByteArray native = NativeFilePath(path);
    if (native.isEmpty() || native.contains('\0'))
        return std::nullopt;
    if (!native.startsWith('/'))
        native = QFile::encodeName(QDir::currentPath()) + '/' + native;
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(native.constData(), resolved))
            return std::nullopt; // a dangling link
        native = resolved;
    }
    return native;
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

ProfileSnapshot ProfileSnapshot::Read(const QString& path)
{
    bool ok = false;
    const QByteArray bytes = ReadFileBytes(NativeFilePath(path), &ok);
    return ok ? FromBytes(bytes) : ProfileSnapshot();
}

ProfileSnapshot ProfileSnapshot::FromBytes(const QByteArray& raw)
{
    ProfileSnapshot snap;
    snap.text_ = Classify(raw).decoded;
    const QStringView view(snap.text_);
    const auto span = [&view](QStringView part) { return Span{part.data() - view.data(), part.size()}; };
    const qsizetype n = view.size();
    // Room for a reminder file written by the editor, so it costs no regrowth.
    snap.sections_.reserve(16);
    snap.keys_.reserve(48);
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && view[end] != QLatin1Char('\n') && view[end] != QLatin1Char('\r'))
            ++end;
        const QStringView line = view.sliced(pos, end - pos).trimmed();
        pos = end;
        if (pos < n)
            pos += (view[pos] == QLatin1Char('\r') && pos + 1 < n && view[pos + 1] == QLatin1Char('\n')) ? 2 : 1;
        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.front() == QLatin1Char('[')) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QStringView name = (close < 0 ? line.sliced(1) : line.sliced(1, close - 1)).trimmed();
            const auto keys = static_cast<qsizetype>(snap.keys_.size());
            snap.sections_.push_back({span(name), keys, keys});
            inSection = true;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || !inSection)
            continue;
        snap.keys_.push_back({span(line.first(eq).trimmed()), span(line.sliced(eq + 1).trimmed())});
        snap.sections_.back().endKey = static_cast<qsizetype>(snap.keys_.size());
    }
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

bool ProfileSnapshot::HasSection(const QString& section) const
{
    const QStringView name = QStringView(section).trimmed();
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const Section& s) { return SameName(View(s.name), name); });
}

std::vector<ProfileSnapshot::Entry> ProfileSnapshot::Entries() const
{
    // Only the first of two equal sections or keys is listed, as only it is found.
    std::vector<Entry> out;
    for (auto s = sections_.begin(); s != sections_.end(); ++s) {
        if (std::any_of(sections_.begin(), s, [&](const Section& o) { return SameName(View(o.name), View(s->name)); }))
            continue;
        const auto first = keys_.begin() + s->firstKey;
        for (auto k = first; k != keys_.begin() + s->endKey; ++k) {
            if (std::none_of(first, k, [&](const Key& o) { return SameName(View(o.name), View(k->name)); }))
                out.push_back({View(s->name).toString(), View(k->name).toString(),
                               TruncatedView(View(k->value)).toString()});
        }
    }
    return out;
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

bool ReadProfileBool(const QString& path, const QString& section, const QString& key, bool def)
{
    return ProfileSnapshot::Read(path).ReadBool(section, key, def);
}

std::optional<QByteArray> ApplyProfileWrites(const QByteArray& original, const QList<ProfileKeyWrite>& writes)
{
    for (const ProfileKeyWrite& w : writes)
        if (!Writable(w))
            return std::nullopt;
    // One write after the other, each judging the encoding afresh: an earlier write can
    // change it, and a batch must give the bytes of the single writes.
    QByteArray bytes = original;
    for (const ProfileKeyWrite& w : writes)
        bytes = ApplyWrite(bytes, w);
    return bytes;
}

void WriteProfileString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    WriteProfileStrings(path, {{section, key, value}});
}

void WriteProfileStrings(const QString& path, const QList<ProfileKeyWrite>& writes)
{
    const StoreError failure(QStringLiteral("Unable to write to %1").arg(path));
    const std::optional<QByteArray> target = WriteTarget(path);
    if (!target)
        throw failure;
    const qsizetype slash = target->lastIndexOf('/');
    const QByteArray folder = slash == 0 ? QByteArray("/") : target->first(slash);
    DirLock lock(folder);
    if (lock.fd < 0)
        throw failure;
    RemoveStaleTemporaries(lock.fd);

    struct stat st {};
    QByteArray original;
    bool existed = false;
    mode_t mode = 0600;
    if (::stat(target->constData(), &st) == 0) {
        // The owner's write bit stands for the read-only attribute, also for root.
        if (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))
            throw failure;
        bool ok = false;
        original = ReadFileBytes(*target, &ok);
        if (!ok)
            throw failure;
        mode = st.st_mode & 07777;
        existed = true;
    } else if (errno != ENOENT) {
        throw failure;
    }

    const std::optional<QByteArray> updated = ApplyProfileWrites(original, writes);
    if (!updated)
        throw failure;
    if (existed && *updated == original)
        return;
    if (!ReplaceFile(*target, *updated, mode, lock.fd))
        throw failure;
}

void ReplaceProfileFile(const QString& path, const QByteArray& bytes)
{
    const StoreError failure(QStringLiteral("Unable to write to %1").arg(path));
    const std::optional<QByteArray> target = WriteTarget(path);
    if (!target)
        throw failure;
    const qsizetype slash = target->lastIndexOf('/');
    DirLock lock(slash == 0 ? QByteArray("/") : target->first(slash));
    if (lock.fd < 0)
        throw failure;
    RemoveStaleTemporaries(lock.fd);
    struct stat st {};
    mode_t mode = 0600;
    if (::stat(target->constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))
            throw failure;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        throw failure;
    }
    if (!ReplaceFile(*target, bytes, mode, lock.fd))
        throw failure;
}
