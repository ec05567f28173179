#include "folder.h"

#include "filenames.h"
#include "files.h"
#include "folders.h"
#include "profile.h"

#include <QFileInfo>

const char* const kFolderCreateWarning =
    "Could not create a folder as you do not have authority on your system. Please right click "
    "this software icon on your desktop, and choose the option to \"Run as Admin\" (only needs to "
    "be done one time), as you currently do not have authority to create a new folder.";
const char* const kGeometryFileName = "Velmaro6.ini";

namespace {
QString g_reminderFolder;
QString g_geometryReadFile;
QString g_geometryWriteFile;
} // namespace

bool InitReminderFolder(const ISpecialFolders& folders)
{
    g_reminderFolder = folders.RoamingData() + QStringLiteral("/Velmaro");
    // Reminders are private: the folder is readable by its owner only. A new account may
    // not have its data folder yet; it is made private too, so no one else can swap the
    // reminder folder under it.
    return MakePrivateFolders(g_reminderFolder);
}

const QString& ReminderFolder() { return g_reminderFolder; }

std::optional<QStringList> ReminderFolderEntries(const QString& folder)
{
    std::optional<QStringList> names = ListFolder(folder);
    if (names)
        names->removeIf([](const QString& name) { return !name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive); });
    return names;
}

bool DeleteReminderFile(const QString& path) { return RemoveFileOnly(path); }

QList<ListedReminder> ListReminders()
{
    QList<ListedReminder> list;
    if (g_reminderFolder.isEmpty())
        return list;
    // A folder that cannot be read lists nothing, as an empty one does.
    for (const QString& entry : ReminderFolderEntries(g_reminderFolder).value_or(QStringList())) {
        QString name = DisplayFileName(entry);
        const qsizetype at = name.indexOf(QLatin1String(".ini"));
        if (at >= 0)
            name.remove(at, 4);
        if (name.toUpper().contains(QLatin1String("VELMARO")))
            continue;
        list.append({name, g_reminderFolder + QLatin1Char('/') + entry});
    }
    return list;
}

QString EditorGeometryFile()
{
    return g_reminderFolder + QLatin1Char('/') + QLatin1String(kGeometryFileName);
}

void SetGeometryFile(const QString& path)
{
    g_geometryReadFile = path;
    g_geometryWriteFile = path;
}

void UseResidentGeometry(const ISpecialFolders& folders)
{
    const QString name = QLatin1Char('/') + QLatin1String(kGeometryFileName);
    g_geometryWriteFile = folders.ResidentGeometryWriteFolder() + name;
    // Where the write folder is another, the sizes stored there are the newer ones.
    g_geometryReadFile = QFileInfo::exists(g_geometryWriteFile)
                             ? g_geometryWriteFile
                             : folders.ResidentGeometryReadFolder() + name;
}

int ReadFormWidth(const QString& section)
{
    return g_geometryReadFile.isEmpty() ? 0 : ReadProfileInteger(g_geometryReadFile, section, QStringLiteral("W"), 0);
}

int ReadFormHeight(const QString& section)
{
    return g_geometryReadFile.isEmpty() ? 0 : ReadProfileInteger(g_geometryReadFile, section, QStringLiteral("H"), 0);
}

bool WriteFormSize(const QString& section, int width, int height)
{
    if (g_geometryWriteFile.isEmpty())
        return false;
    try {
        WriteProfileStrings(g_geometryWriteFile, {{section, QStringLiteral("W"), QString::number(width)},
                                                  {section, QStringLiteral("H"), QString::number(height)}});
        return true;
    } catch (const StoreError&) {
        // The size is a convenience: a window that cannot store it still closes.
        return false;
    }
}

QSize RestoredFormSize(const QString& section, const QSize& design)
{
    // Applied as read, as the old program did, even a size no window can take: the window
    // keeps to what its content needs all the same.
    const int width = ReadFormWidth(section);
    const int height = ReadFormHeight(section);
    return {width != 0 ? width : design.width(), height != 0 ? height : design.height()};
}
