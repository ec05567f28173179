#pragma once
// Private-profile (INI) files as the reminder files and the geometry files use them.
//
// Reads behave like the classic private-profile routines: section and key names match
// without regard to case or surrounding blanks, the first of two equal sections or keys
// wins, a value is at most 2047 characters. Writes keep every byte of the file except
// the line they change, and always replace the file atomically under a lock, so a file
// is never seen half-written and two processes never lose each other's keys.

#include "codepage.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

// The error of a failed write ("Unable to write to <path>") and of LoadReminder.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& text);
    QString text() const { return text_; }

private:
    QString text_;
};

// The write error, "Unable to write to <path>", with the path as the user sees it.
StoreError UnableToWrite(const QString& path);

constexpr int kMaxProfileValueLength = 2047;

// Integer value forms: decimal with optional sign, or hexadecimal after "0x" / "$".
// Surrounding blanks are ignored; anything else (empty, "yes", "12abc", overflow) fails.
std::optional<int> ParseProfileInteger(const QString& text);

// One consistent read of a whole file. An absent, unreadable or oversized file, or a
// directory, reads as empty, so every lookup yields the caller's default.
class ProfileSnapshot {
public:
    ProfileSnapshot() = default;
    static ProfileSnapshot Read(const QString& path);
    static ProfileSnapshot FromBytes(const QByteArray& bytes);

    // The value as stored (blanks around it removed, cut at 2047 characters), or
    // nothing when the section or key is absent.
    std::optional<QString> Value(const QString& section, const QString& key) const;

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Absent key or text that is not an integer: def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // The integer read with default 0 or 1; true when it is not 0.
    bool ReadBool(const QString& section, const QString& key, bool def) const;

private:
    // Names and values are kept as places in the decoded text: the scheduler reads every
    // file each minute, and a copy per key would cost more than reading the file.
    struct Span {
        qsizetype at = 0;
        qsizetype size = 0;
    };
    struct Key {
        Span name;  // trimmed, case kept
        Span value; // trimmed, full length
    };
    struct Section {
        Span name;
        qsizetype firstKey = 0; // its keys are keys_[firstKey, endKey)
        qsizetype endKey = 0;
    };
    QStringView View(Span span) const { return QStringView(text_).sliced(span.at, span.size); }
    // The first section or key of that name: a repeated one is shadowed, keys and all.
    const Key* FindKey(const QString& section, const QString& key) const;
    QString text_;
    std::vector<Section> sections_;
    std::vector<Key> keys_;
};

// Single-key operations: each is a complete operation on the file by itself.
QString ReadProfileString(const QString& path, const QString& section, const QString& key,
                          const QString& def);
int ReadProfileInteger(const QString& path, const QString& section, const QString& key, int def);

struct ProfileKeyWrite {
    QString section;
    QString key;
    QString value;
};

// Applies the writes in order as one locked, atomic update whose result is byte for byte
// what single key writes, one after the other, would give. Throws StoreError("Unable to
// write to <path>") when the file cannot be written (folder missing, file read-only, a
// directory in its place, a line break or a forging character in a section, key or
// value, text the code page would not give back), and leaves the file as it was.
// A file to make, or one to change only: false, and nothing written, when the file is there
// (New) or is not (Existing), judged under the lock.
enum class ProfileFile { Any, New, Existing };
bool WriteProfileStrings(const QString& path, const QList<ProfileKeyWrite>& writes,
                         ProfileFile which = ProfileFile::Any);

// Replaces the whole file with these bytes under the same lock and atomic replacement as
// the key writes, for a program's own file that it rewrites from scratch. Throws
// StoreError("Unable to write to <path>") and leaves the file as it was on failure.
void ReplaceProfileFile(const QString& path, const QByteArray& bytes);

// The pure text transformation behind the writes, for callers that already hold the bytes.
// Returns nothing when a name or value cannot be written, or when the file is not UTF-8
// and its bytes do not come back from their text in `codePage` (a rewrite would mangle it).
std::optional<QByteArray> ApplyProfileWrites(const QByteArray& original,
                                             const QList<ProfileKeyWrite>& writes,
                                             const ICodePage& codePage = DesktopCodePage());
