// libFuzzer target for the private-profile layer: arbitrary file bytes and one to three
// key writes. A write that is accepted must read back, must leave the text of every other
// key as it was, must add no key but its own, and must give the same bytes when repeated;
// a batch must give the bytes of the single writes.
#include "codepage.h"
#include "encoding.h"
#include "profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

QString Text(FuzzedDataProvider& in, size_t maxBytes)
{
    const std::string bytes = in.ConsumeRandomLengthString(maxBytes);
    // Latin-1 reaches the Windows-1252 range and the C1 controls as easily as ASCII.
    return in.ConsumeBool() ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))
                            : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

QString Expected(const QString& value)
{
    QString v = value.trimmed();
    if (v.size() > kMaxProfileValueLength)
        v.truncate(v.at(kMaxProfileValueLength - 1).isHighSurrogate() ? kMaxProfileValueLength - 1
                                                                      : kMaxProfileValueLength);
    return v;
}

bool Same(const QString& a, const QString& b) { return a.trimmed().toCaseFolded() == b.trimmed().toCaseFolded(); }

[[noreturn]] void Fail(const char* what, const QByteArray& file, const QList<ProfileKeyWrite>& writes)
{
    std::fprintf(stderr, "%s\n  file: %s\n", what, file.toPercentEncoding().constData());
    for (const ProfileKeyWrite& w : writes)
        std::fprintf(stderr, "  write: [%s] %s = %s\n", w.section.toUtf8().toPercentEncoding().constData(),
                     w.key.toUtf8().toPercentEncoding().constData(), w.value.toUtf8().toPercentEncoding().constData());
    std::abort();
}

// Every text that a line could name as a section (after a '[', up to a ']') or as a key
// (before a '='), whatever the line is. The reader's keys are among their pairs, so asking
// the snapshot for each pair lists them without a second parser in the oracle.
struct Names {
    std::set<QString> sections, keys;
};

Names NamesIn(const QByteArray& file)
{
    const QByteArray body = file.startsWith("\xEF\xBB\xBF") ? file.sliced(3) : file;
    QString text = IsUtf8(body) ? DecodeUtf8(body) : DesktopCodePage().Decode(body);
    Names names;
    for (const QString& line : text.replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'))) {
        if (const qsizetype open = line.indexOf(QLatin1Char('[')); open >= 0)
            names.sections.insert(line.sliced(open + 1).section(QLatin1Char(']'), 0, 0).trimmed());
        if (line.contains(QLatin1Char('=')))
            names.keys.insert(line.section(QLatin1Char('='), 0, 0).trimmed());
    }
    return names;
}

void CheckOneWrite(const QByteArray& original, const ProfileKeyWrite& w)
{
    const std::optional<QByteArray> once = ApplyProfileWrites(original, {w});
    if (!once)
        return;
    const ProfileSnapshot before = ProfileSnapshot::FromBytes(original);
    const ProfileSnapshot after = ProfileSnapshot::FromBytes(*once);
    if (after.Value(w.section, w.key) != Expected(w.value))
        Fail("the written key does not read back", original, {w});
    const auto written = [&w](const QString& section, const QString& key) {
        return Same(section, w.section) && Same(key, w.key);
    };
    const Names old = NamesIn(original);
    for (const QString& section : old.sections) {
        for (const QString& key : old.keys) {
            const std::optional<QString> value = before.Value(section, key);
            if (value && !written(section, key) && after.Value(section, key) != value)
                Fail("another key changed its text", original, {w});
        }
    }
    const Names now = NamesIn(*once);
    for (const QString& section : now.sections) {
        for (const QString& key : now.keys) {
            if (!written(section, key) && after.Value(section, key) && !before.Value(section, key))
                Fail("a key appeared that was not written", original, {w});
        }
    }
    if (ApplyProfileWrites(*once, {w}) != once)
        Fail("writing twice differs from writing once", original, {w});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    QList<ProfileKeyWrite> writes;
    const int count = in.ConsumeIntegralInRange(1, 3);
    for (int i = 0; i < count; ++i) {
        ProfileKeyWrite w;
        w.section = Text(in, 24);
        w.key = Text(in, 24);
        w.value = Text(in, 2100);
        writes << w;
    }
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray original(rest.data(), qsizetype(rest.size()));

    for (const ProfileKeyWrite& w : writes)
        CheckOneWrite(original, {w});

    std::optional<QByteArray> single = original;
    for (const ProfileKeyWrite& w : writes) {
        single = ApplyProfileWrites(*single, {w});
        if (!single)
            break;
    }
    if (ApplyProfileWrites(original, writes) != single)
        Fail("a batch differs from its single writes", original, writes);
    return 0;
}
