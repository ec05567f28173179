// Writing private-profile files: placement, byte preservation, refusals, batches.
#include "storetest.h"

#include "codepage.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
// The system's own profile routine of that name is not the store's.
#undef WriteProfileString
#endif

namespace {

QByteArray Apply(const QByteArray& original, const QList<ProfileKeyWrite>& writes)
{
    return ApplyProfileWrites(original, writes).value_or("<refused>");
}

// `after` must be `before` with only the line holding `line` replaced by one line.
void ExpectOnlyLineChanged(const QByteArray& before, const QByteArray& after, const QByteArray& line)
{
    const qsizetype start = before.indexOf(line), end = start + line.size();
    const QByteArray middle = after.mid(start, after.size() - start - (before.size() - end));
    EXPECT_TRUE(after.startsWith(before.left(start)) && after.endsWith(before.mid(end)) && !middle.contains('\n') &&
                !middle.contains('\r'))
        << ::testing::PrintToString(after);
}

const QByteArray kHandFile = "\xEF\xBB\xBF; by hand\r\n  [ date ]  \r\nck = 0\r\n  YEAR\t=\t2027 \r\nMonth=3\r\nmonth=4\r\n"
                             "; note\r\n\r\n[DATE]\r\nCk=0\r\n[Reminder]\r\nMsg=caf\xe9\r\n";

} // namespace

TEST(ProfileWrite, PlacesNewKeysAndSections)
{
    EXPECT_EQ(Apply("", {{"A", "k1", "1"}, {"B", "x", "2"}, {"A", "k2", "3"}, {"a", "K1", "9"}}),
              "[A]\nk1=9\nk2=3\n[B]\nx=2\n");
    // After the last key line, so before the section's trailing comment and blank line.
    EXPECT_EQ(Apply("[A]\nk=1\n; c\n\n[B]\n", {{"a", "j", "2"}}), "[A]\nk=1\nj=2\n; c\n\n[B]\n");
    EXPECT_EQ(Apply("[A]\n\n[B]\n", {{"A", "j", "2"}}), "[A]\nj=2\n\n[B]\n");
    // New lines end like the file's first line.
    EXPECT_EQ(Apply("[A]\r\nk=1\r\n", {{"A", "j", "2"}, {"B", "x", "3"}}), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=3\r\n");
    EXPECT_EQ(Apply("[A]\rk=1\r", {{"A", "j", "2"}, {"B", "x", "3"}}), "[A]\rk=1\rj=2\r[B]\rx=3\r");
    EXPECT_EQ(Apply("[A]\nk=1\r\n", {{"B", "x", "3"}}), "[A]\nk=1\r\n[B]\nx=3\n");
    // An unterminated last line must not swallow what is appended.
    for (const char* original : {"[A]\nk=1", "[A]", "[A]\nk=1\n; note"}) {
        const auto f = ProfileSnapshot::FromBytes(Apply(original, {{"A", "j", "2"}, {"B", "x", "3"}}));
        EXPECT_EQ(f.ReadString("A", "k", "1") + f.ReadString("A", "j", "") + f.ReadString("B", "x", ""), "123")
            << original;
    }
}

TEST(ProfileWrite, ChangesOnlyItsOwnLine)
{
    // Names in other case and blanks; the first of duplicate keys and sections.
    ExpectOnlyLineChanged(kHandFile, Apply(kHandFile, {{"Date", "Year", "2030"}}), "  YEAR\t=\t2027 ");
    ExpectOnlyLineChanged(kHandFile, Apply(kHandFile, {{"Date", "Month", "5"}}), "Month=3");
    ExpectOnlyLineChanged(kHandFile, Apply(kHandFile, {{"DATE", "CK", "1"}}), "ck = 0");
    const auto f = ProfileSnapshot::FromBytes(Apply(kHandFile, {{"Date", "Year", "2030"}, {"date", "ck", "1"}}));
    EXPECT_EQ(f.ReadInteger("Date", "Year", 0) + f.ReadInteger("Date", "Ck", 0), 2031);

    // A Windows-1252 file keeps its bytes, and a new value reads back as written.
    const QByteArray added = Apply(kHandFile, {{"Reminder", "Open", QString::fromUtf8("née")}});
    EXPECT_TRUE(added.startsWith(kHandFile)) << ::testing::PrintToString(added);
    const auto g = ProfileSnapshot::FromBytes(added);
    EXPECT_EQ(g.ReadString("Reminder", "Msg", "") + g.ReadString("Reminder", "Open", ""), QString::fromUtf8("cafénée"));
}

TEST_F(StoreTest, RefusedWritesLeaveTheFileAlone)
{
    const QString path = File("r.ini");
    WriteAll(path, kHandFile);
    const ProfileKeyWrite bad[] = {
        {"Reminder", "Msg", "a\nMP3=forged"}, {"Reminder", "Msg", "a\rb"}, {"Reminder", "M\nX", "1"},
        {"Remi\nnder", "Msg", "1"}, {"Reminder\r", "Msg", "1"}, {"Rem]inder", "Msg", "1"}, {"Reminder", "a=b", "1"},
        {"Reminder", "[x", "1"},    {"Reminder", ";x", "1"},    {"Reminder", "", "1"},
    };
    for (const auto& w : bad) {
        EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(path, w.section, w.key, w.value); }), WriteError(path))
            << w.section.toStdString() << '/' << w.key.toStdString() << '=' << w.value.toStdString();
        EXPECT_EQ(StoreErrorOf([&] { WriteProfileStrings(path, {{"Date", "Ck", "1"}, w}); }), WriteError(path));
        EXPECT_FALSE(ApplyProfileWrites(kHandFile, {w}).has_value());
    }
    for (const mode_t mode : {mode_t(0444), mode_t(0)}) { // by the mode bits, even for root
        chmod(QFile::encodeName(path).constData(), mode);
        EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(path, "Date", "Ck", "1"); }), WriteError(path));
    }
    EXPECT_EQ(ReadAll(path), kHandFile);

    for (const QString& elsewhere : {File("no/such/folder.ini"), File(QString("a") + QChar(0) + "b.ini")})
        EXPECT_EQ(StoreErrorOf([&] { WriteProfileString(elsewhere, "A", "k", "1"); }), WriteError(elsewhere));
    EXPECT_EQ(QDir(env.Folder()).entryList({"a*", "no"}, QDir::AllEntries | QDir::Hidden), QStringList());
}

TEST_F(StoreTest, BatchIsTheSameAsSingleWrites)
{
    const QList<ProfileKeyWrite> writes = {{"Date", "Year", "2031"}, {"New", "a", "1"}, {"Reminder", "Open", "/x y"},
                                           {"date", "Hr", "7"},      {"New", "b", ""},  {"Date", "Year", "2032"}};
    const QString single = File("single.ini"), batch = File("batch.ini"), fresh = File("fresh.ini");
    WriteAll(single, kHandFile);
    WriteAll(batch, kHandFile);
    for (const auto& w : writes)
        WriteProfileString(single, w.section, w.key, w.value);
    WriteProfileStrings(batch, writes);
    WriteProfileStrings(fresh, writes);
    EXPECT_EQ(ReadAll(batch), ReadAll(single));
    EXPECT_EQ(Apply(kHandFile, writes), ReadAll(single));
    EXPECT_EQ(ReadAll(fresh), Apply("", writes));
    EXPECT_EQ(ReadProfileString(batch, "New", "a", ""), "1");
}

// Inputs the fuzz target found: each write must read back, leave the other keys' text
// alone, and give the same bytes when repeated or batched.
TEST(ProfileWrite, MarksAndCodePagesKeepEveryKeysText)
{
    // A byte order mark other than the file's first is text, for the reader and the writer.
    const QString mark(QChar(0xFEFF));
    const QByteArray windows = Bytes("\0%\xC0\\\xAB");
    const QByteArray once = Apply(windows, {{"e", mark + " ", ""}});
    EXPECT_EQ(Apply(once, {{"e", mark, ""}}), once);
    EXPECT_EQ(ProfileSnapshot::FromBytes(once).Value("e", mark), QString(""));
    const QByteArray marked = "[A]\nk=1\n\xEF\xBB\xBF[B]\nx=1\n";
    const auto m = ProfileSnapshot::FromBytes(Apply(marked, {{"B", "x", "2"}}));
    EXPECT_EQ(m.ReadString("B", "x", "") + m.ReadString("A", "k", ""), "21");
    EXPECT_EQ(ProfileSnapshot::FromBytes(Apply("\xEF\xBB\xBF\xEF\xBB\xBF[A]\nk=1\n", {{"A", "k", "2"}})).ReadString("A", "k", ""),
              "2");

    // Replacing the only byte that is not UTF-8 must not turn "Ã©" into "é".
    const QByteArray cp1252 = "[A]\r\nx=\xC3\xA9\r\ny=\xE9\r\n";
    const QByteArray replaced = Apply(cp1252, {{"A", "y", "e"}});
    const auto r = ProfileSnapshot::FromBytes(replaced);
    EXPECT_EQ(r.ReadString("A", "x", "") + r.ReadString("A", "y", ""), QString::fromUtf8("Ã©e")) << ::testing::PrintToString(replaced);
    EXPECT_EQ(Apply(replaced, {{"A", "y", "e"}}), replaced);

    // The first write of a batch changes the encoding the second is written in.
    const QList<ProfileKeyWrite> batch = {{"S", "k", "1"}, {"S", "j", QString::fromUtf8("Î")}};
    const QByteArray single = Apply(Apply("[S]\nk=\xFF\n", {batch[0]}), {batch[1]});
    EXPECT_EQ(Apply("[S]\nk=\xFF\n", batch), single);
    EXPECT_EQ(ProfileSnapshot::FromBytes(single).ReadString("S", "j", ""), QString::fromUtf8("Î"));

    // Half a surrogate pair has no bytes in either encoding.
    EXPECT_FALSE(ApplyProfileWrites(cp1252, {{"A", "y", QString(QChar(0xD800)) + "x"}}).has_value());
}

// A multi-byte code page (a Windows system's ANSI one) may not give every byte sequence
// back from its text: such a file is never rewritten, as that would change lines the
// write does not touch. Here a trail byte alone stands for a character it cannot encode.
TEST(ProfileWrite, FileWhoseCodePageTextLosesBytesIsRefused)
{
    class LossyCodePage : public ICodePage {
    public:
        QString Decode(QByteArrayView bytes) const override
        {
            QString text;
            for (const char c : bytes)
                text += static_cast<unsigned char>(c) < 0x80 ? QChar(c) : QChar(0xFFFD);
            return text;
        }
        std::optional<QByteArray> Encode(QStringView text) const override
        {
            return text.toString().replace(QChar(0xFFFD), QLatin1Char('?')).toLatin1();
        }
    } lossy;
    const QByteArray file = "[A]\r\nx=\x81\r\ny=1\r\n";
    EXPECT_FALSE(ApplyProfileWrites(file, {{"A", "y", "2"}}, lossy).has_value());
    EXPECT_EQ(ApplyProfileWrites("[A]\r\ny=1\r\n", {{"A", "y", "2"}}, lossy).value_or("<refused>"),
              "[A]\r\ny=2\r\n");
    EXPECT_EQ(Apply(file, {{"A", "y", "2"}}), "[A]\r\nx=\x81\r\ny=2\r\n") << "Windows-1252 keeps every byte";
}

// No look-alike stands in for a character the code page lacks ("\u0100" is no "A",
// "\u221E" no "8"): a value with one moves a legacy file to UTF-8 instead.
TEST(ProfileWrite, DesktopCodePageKeepsBytesAndTakesNoLookAlike)
{
#ifdef _WIN32
    if (GetACP() != 1252)
        GTEST_SKIP() << "system code page " << GetACP();
#endif
    QByteArray every;
    for (int i = 0; i < 256; ++i)
        every += char(i);
    EXPECT_EQ(DesktopCodePage().Encode(DesktopCodePage().Decode(every)).value_or("<none>"), every);
    for (const char16_t c : {u'\u0100', u'\u221E', u'\u4E2D'})
        EXPECT_FALSE(DesktopCodePage().Encode(QString(QChar(c))).has_value()) << int(c);
    EXPECT_EQ(Apply("[A]\r\nx=\xE9\r\n", {{"A", "y", QString(QChar(0x100))}}), "[A]\r\nx=\xC3\xA9\r\ny=\xC4\x80\r\n");
}
