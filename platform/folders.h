#pragma once
// The desktop's special folders, reached through an interface: the programs are handed the
// desktop's own, and tests a set of temporary folders.

#include <QString>

#include <memory>

class ISpecialFolders {
public:
    virtual ~ISpecialFolders() = default;
    // The user's roaming application data; the reminder folder is "Velmaro" in it.
    // Linux: $XDG_DATA_HOME, else ~/.local/share. Windows: the roaming application-data
    // folder.
    virtual QString RoamingData() const = 0;
    // Where the scheduler's geometry file is read from while it has written none, and where
    // it writes it. Linux: both $XDG_CONFIG_HOME, else ~/.config. Windows: the Windows
    // folder, where the old program kept it, and %LOCALAPPDATA%\Velmaro, as a standard
    // user cannot write the Windows folder; that one is to be made when it is missing.
    virtual QString ResidentGeometryReadFolder() const = 0;
    virtual QString ResidentGeometryWriteFolder() const = 0;
    // What a program keeps for itself between runs, apart from the user's files. Linux:
    // $XDG_STATE_HOME, else ~/.local/state.
    virtual QString StateHome() const = 0;
    // The running executable's folder, ending with the path separator.
    virtual QString ProgramFolder() const = 0;
};

std::unique_ptr<ISpecialFolders> MakeDesktopFolders();

// The file name of one of the two programs in ProgramFolder(): "Velmaro" on Linux,
// "Velmaro.exe" on Windows.
QString ExecutableName(const QString& program);
