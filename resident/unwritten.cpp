#include "unwritten.h"

#include "files.h"
#include "folders.h"
#include "profile.h"

#include <QFileInfo>
#include <QList>

#include <type_traits>
#include <utility>

namespace {

const QString kFileKey = QStringLiteral("File");
const QString kReadKey = QStringLiteral("Read");
const QString kUnwrittenKey = QStringLiteral("Unwritten");
const QString kErrorShownKey = QStringLiteral("ErrorShown");

// Every field of a schedule, in the one order the state file lists them.
template <typename Schedule, typename Visit>
void ForEachField(Schedule& s, Visit visit)
{
    visit(s.Date.Ck);
    visit(s.Date.Year);
    visit(s.Date.Month);
    visit(s.Date.Day);
    visit(s.Date.Hr);
    visit(s.Date.Min);
    visit(s.Date.Repeat);
    visit(s.Days.Ck);
    visit(s.Days.Mon);
    visit(s.Days.Tue);
    visit(s.Days.Wed);
    visit(s.Days.Thu);
    visit(s.Days.Fri);
    visit(s.Days.Sat);
    visit(s.Days.Sun);
    visit(s.Days.Hr);
    visit(s.Days.Min);
    visit(s.Monthly.Ck);
    visit(s.Monthly.Year);
    visit(s.Monthly.Month);
    visit(s.Monthly.Day);
    visit(s.Monthly.Hr);
    visit(s.Monthly.Min);
    visit(s.LastProc.YR);
    visit(s.LastProc.MO);
    visit(s.LastProc.DY);
    visit(s.LastProc.HR);
    visit(s.LastProc.MN);
}

QString ScheduleText(const TResidentSchedule& s)
{
    QStringList numbers;
    ForEachField(s, [&numbers](auto field) { numbers << QString::number(static_cast<int>(field)); });
    return numbers.join(QLatin1Char(' '));
}

std::optional<TResidentSchedule> ParseSchedule(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    const QStringList numbers = text->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    TResidentSchedule s;
    qsizetype at = 0;
    bool ok = true;
    ForEachField(s, [&](auto& field) {
        const std::optional<int> n = at < numbers.size() ? ParseProfileInteger(numbers.at(at)) : std::nullopt;
        ++at;
        if (n)
            field = static_cast<std::remove_reference_t<decltype(field)>>(*n);
        else
            ok = false;
    });
    if (!ok || at != numbers.size())
        return std::nullopt;
    return s;
}

QString SectionName(int n) { return QStringLiteral("Kept%1").arg(n); }

} // namespace

UnwrittenTable::UnwrittenTable(QString stateFile) : stateFile_(std::move(stateFile))
{
    if (stateFile_.isEmpty())
        return;
    const ProfileSnapshot f = ProfileSnapshot::Read(stateFile_);
    // Save numbers the sections from 1 on; the first missing one ends the table.
    for (int n = 1;; ++n) {
        const QString section = SectionName(n);
        if (!f.Value(section, kFileKey))
            break;
        const QByteArray file = QByteArray::fromPercentEncoding(f.ReadString(section, kFileKey, {}).toLatin1());
        const std::optional<TResidentSchedule> onDisk = ParseSchedule(f.Value(section, kReadKey));
        const std::optional<TResidentSchedule> pending = ParseSchedule(f.Value(section, kUnwrittenKey));
        // What does not make sense is forgotten: at worst that reminder fires once more.
        if (file.isEmpty() || !onDisk || !pending)
            continue;
        const QDate shown = QDate::fromString(f.ReadString(section, kErrorShownKey, {}), Qt::ISODate);
        entries_.insert(file, {*onDisk, *pending, shown});
    }
}

QString UnwrittenTable::DefaultStateFile(const ISpecialFolders& folders)
{
    // The reminder folder is Velmaro under the roaming data.
    if (QFileInfo(folders.StateHome()) == QFileInfo(folders.RoamingData()))
        return {};
    return folders.StateHome() + QStringLiteral("/Velmaro/unwritten.ini");
}

std::optional<Unwritten> UnwrittenTable::Find(const QByteArray& file) const
{
    const auto it = entries_.constFind(file);
    if (it == entries_.cend())
        return std::nullopt;
    return *it;
}

void UnwrittenTable::Put(const QByteArray& file, const Unwritten& entry)
{
    const auto it = entries_.constFind(file);
    if (it != entries_.cend() && *it == entry)
        return;
    entries_.insert(file, entry);
    Save();
}

void UnwrittenTable::Remove(const QByteArray& file)
{
    if (entries_.remove(file))
        Save();
}

void UnwrittenTable::KeepOnly(const QSet<QByteArray>& files)
{
    const bool removed = entries_.removeIf([&files](const auto& it) { return !files.contains(it.key()); }) > 0;
    if (removed)
        Save();
}

void UnwrittenTable::SaveIfBehind()
{
    if (behind_)
        Save();
}

void UnwrittenTable::Save()
{
    behind_ = false;
    if (stateFile_.isEmpty())
        return;
    QList<ProfileKeyWrite> writes;
    int n = 0;
    for (auto it = entries_.cbegin(); it != entries_.cend(); ++it) {
        const QString file = QString::fromLatin1(it.key().toPercentEncoding("/"));
        // A value is read back cut at this length: such a file stays in memory only.
        if (file.size() > kMaxProfileValueLength)
            continue;
        const QString section = SectionName(++n);
        writes.append({section, kFileKey, file});
        writes.append({section, kReadKey, ScheduleText(it->onDisk)});
        writes.append({section, kUnwrittenKey, ScheduleText(it->pending)});
        if (it->errorShown.isValid())
            writes.append({section, kErrorShownKey, it->errorShown.toString(Qt::ISODate)});
    }
    const std::optional<QByteArray> text = ApplyProfileWrites(QByteArray(), writes);
    try {
        if (!text || !MakePrivateFolders(QFileInfo(stateFile_).path()))
            throw StoreError(stateFile_);
        ReplaceProfileFile(stateFile_, *text);
    } catch (const StoreError&) {
        // The table goes on in memory, so no reminder is silenced; only a restart before
        // the next try may fire one again.
        behind_ = true;
    }
}
