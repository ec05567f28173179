// The Windows side of the desktop: the Run value, the presence window as others see it,
// WM_CLOSE ending the tray form, the shell's results and the voice's failure path.

#include "fakes.h"
#include "folder.h"
#include "form1.h"
#include "scheduler.h"
#include "session.h"
#include "tempenv.h"
#include "windows/presence_window.h"
#include "windows/run_autostart.h"
#include "windows/shell_windows.h"

#include <QDir>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

namespace {

QString UniqueName(const char* what)
{
    static int serial = 0;
    return QStringLiteral("Nelvora-%1-%2-%3").arg(QLatin1String(what)).arg(GetCurrentProcessId()).arg(++serial);
}

HWND FindPresence(const QString& className)
{
    return FindWindowW(className.toStdWString().c_str(), L"Nelvora");
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"); }

} // namespace

TEST(WindowsRunValue, WrittenQuotedReadBackAndRemoved)
{
    const QString key = QStringLiteral("Software\\") + UniqueName("run");
    RunValueAutostart missing(key);
    EXPECT_EQ(missing.State(), AutostartState::Unavailable);
    EXPECT_FALSE(missing.SetRunAtStartup(QStringLiteral("C:\\Velmaro.exe")));
    HKEY made = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.toStdWString().c_str(), 0, KEY_READ, &made),
              ERROR_FILE_NOT_FOUND) << "the key is opened, never made";

    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.toStdWString().c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &made, nullptr), ERROR_SUCCESS);
    RunValueAutostart run(key);
    EXPECT_EQ(run.State(), AutostartState::Absent);
    ASSERT_TRUE(run.SetRunAtStartup(QStringLiteral("C:/Users/Ann Lee/Nelvora/Velmaro.exe")));
    const QString expected = QStringLiteral("\"C:\\Users\\Ann Lee\\Nelvora\\Velmaro.exe\"");
    wchar_t data[200] = {};
    DWORD type = 0, bytes = sizeof data;
    ASSERT_EQ(RegQueryValueExW(made, L"Nelvora", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(bytes, DWORD((expected.size() + 1) * sizeof(wchar_t))) << "with its NUL";
    EXPECT_EQ(QString::fromWCharArray(data), expected);
    EXPECT_EQ(run.State(), AutostartState::Present);
    EXPECT_FALSE(run.SetRunAtStartup(QStringLiteral("C:\\a\" /evil")));
    EXPECT_EQ(run.Data(), expected);

    // Another copy's path is still the registration "Disable Nelvora" removes.
    const wchar_t other[] = L"D:\\Other\\Velmaro.exe";
    RegSetValueExW(made, L"Nelvora", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
    EXPECT_EQ(run.State(), AutostartState::Present);
    EXPECT_TRUE(run.Remove());
    EXPECT_EQ(run.State(), AutostartState::Absent);
    EXPECT_TRUE(run.Remove());
    RegCloseKey(made);
    RegDeleteKeyW(HKEY_CURRENT_USER, key.toStdWString().c_str());
}

TEST(WindowsPresence, TheWindowIsSeenByOthersAndGoesWithRelease)
{
    const QString name = UniqueName("presence");
    WindowPresence mine(name), editor(name);
    EXPECT_EQ(editor.LookForResident(), ResidentPresence::NotRunning);
    ASSERT_TRUE(mine.Hold());
    const HWND window = FindPresence(name);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow()) << "top-level, not message-only";
    EXPECT_EQ(editor.LookForResident(), ResidentPresence::Running);
    EXPECT_FALSE(editor.Hold()) << "a running copy is never taken over";
    // With no one watching, a WM_CLOSE must not take the window away from a running copy.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    mine.Release();
    EXPECT_EQ(FindPresence(name), nullptr);
    EXPECT_EQ(editor.LookForResident(), ResidentPresence::NotRunning);
}

TEST(WindowsPresence, AnyWindowOfTheClassAndTitleCounts)
{
    const QString name = UniqueName("stand-in");
    const std::wstring className = name.toStdWString();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className.c_str();
    ASSERT_NE(RegisterClassW(&wc), 0);
    const HWND untitled = CreateWindowExW(0, className.c_str(), L"Nelvora Reminder", WS_OVERLAPPED,
                                          0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    WindowPresence look(name);
    EXPECT_EQ(look.LookForResident(), ResidentPresence::NotRunning) << "the title must match too";
    const HWND standIn = CreateWindowExW(0, className.c_str(), L"Nelvora", WS_OVERLAPPED, 0, 0, 0,
                                         0, nullptr, nullptr, wc.hInstance, nullptr);
    EXPECT_EQ(look.LookForResident(), ResidentPresence::Running);
    EXPECT_FALSE(look.Hold());
    DestroyWindow(standIn);
    DestroyWindow(untitled);
    EXPECT_EQ(look.LookForResident(), ResidentPresence::NotRunning);
}

TEST(WindowsTrayForm, CloseMessageToThePresenceEndsTheFormNormally)
{
    TempXdg xdg;
    FakeClock clock{QDateTime(QDate(2026, 6, 10), QTime(9, 58))};
    FakeMessages messages;
    FakeShell shell;
    FakeSpeech speech;
    FakeAutostart autostart;
    const QString name = UniqueName("form");
    WindowPresence presence(name);
    auto form = std::make_unique<TForm1>(
        Form1Env{clock, messages, shell, speech, xdg.Folders(), autostart, presence});
    WatchEndOfSession(form.get(), [&form] { form->CloseOnRequest(); });
    form->TrayIcon()->show();
    QSignalSpy closed(form.get(), &TForm1::Closed);
    const HWND window = FindPresence(name);
    ASSERT_NE(window, nullptr);
    // As the installer does it: from another process's thread, twice.
    std::thread installer([window] {
        SendMessageW(window, WM_CLOSE, 0, 0);
        SendMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(closed.wait(20000));
    installer.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(form->TrayIcon()->isVisible());
    EXPECT_FALSE(form->Timer1()->isActive());
    form.reset();
    EXPECT_EQ(FindPresence(name), nullptr);
}

// "Disable Nelvora", No then Yes, on the Run value and the presence window themselves.
TEST(WindowsTrayForm, DisableNoThenYesRemovesTheRunValueAndEnds)
{
    const QString key = QStringLiteral("Software\\") + UniqueName("disable");
    HKEY made = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.toStdWString().c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &made, nullptr), ERROR_SUCCESS);
    RegCloseKey(made);
    RunValueAutostart autostart(key);
    ASSERT_TRUE(autostart.SetRunAtStartup(QStringLiteral("C:/Programs/Nelvora/Velmaro.exe")));
    TempXdg xdg;
    FakeClock clock{QDateTime(QDate(2026, 6, 10), QTime(9, 58))};
    FakeMessages messages;
    FakeShell shell;
    FakeSpeech speech;
    const QString name = UniqueName("disable");
    WindowPresence presence(name);
    auto form = std::make_unique<TForm1>(
        Form1Env{clock, messages, shell, speech, xdg.Folders(), autostart, presence});
    QSignalSpy closed(form.get(), &TForm1::Closed);
    messages.answers = {false, true};
    form->DisableNelvora1Click();
    EXPECT_EQ(autostart.State(), AutostartState::Absent);
    EXPECT_EQ(messages.Texts(),
              (QStringList{"You have chosen to disable Nelvora. Would you like this to start "
                           "automatically for you the next time you reboot? (If you choose no, it "
                           "will not automatically notify you of your reminders unless you start it "
                           "yourself separately).",
                           "Nelvora was successfully removed from startup. If you wish to activate "
                           "it again, simply select it from your desktop or start menu. Note that "
                           "none of your reminders will alert you now that this has been removed "
                           "from startup.",
                           "You are about to remove Nelvora from your system tray, turning off any "
                           "active reminders. You can manually start the program by clicking the "
                           "icon on your desktop to reactivate it. Click Yes to disable, or click "
                           "No to return."}));
    EXPECT_EQ(closed.count(), 1);
    form.reset();
    EXPECT_EQ(FindPresence(name), nullptr);
    RegDeleteKeyW(HKEY_CURRENT_USER, key.toStdWString().c_str());
}

TEST(WindowsShell, ResultsMapToFileNotFoundAndFailed)
{
    EXPECT_EQ(ShellResultOf(SE_ERR_FNF), ShellResult::FileNotFound);
    EXPECT_EQ(ShellResultOf(SE_ERR_NOASSOC), ShellResult::Failed);
    EXPECT_EQ(ShellResultOf(SE_ERR_PNF), ShellResult::Failed);
    EXPECT_EQ(ShellResultOf(0), ShellResult::Failed);
    EXPECT_EQ(ShellResultOf(33), ShellResult::Done);
    EXPECT_EQ(CommandLineArguments({QStringLiteral("a"), QStringLiteral("b c\\"), QStringLiteral("d\\\"e")}),
              QStringLiteral("a \"b c\\\\\" \"d\\\\\\\"e\""));

    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/missing.exe");
    const std::unique_ptr<IShell> shell = MakeDesktopShell();
    // Not checked ahead: this is the shell's own answer.
    EXPECT_EQ(shell->StartDetached(missing, ShellShow::Hidden), ShellResult::FileNotFound);
    EXPECT_EQ(shell->OpenPath(missing, ShellShow::Maximized), ShellResult::FileNotFound);
    EXPECT_EQ(shell->OpenPath(dir.path(), ShellShow::Maximized), ShellResult::FileNotFound) << "a folder";
    EXPECT_EQ(shell->OpenUrl(QUrl::fromLocalFile(missing), ShellShow::Normal), ShellResult::FileNotFound);
    EXPECT_FALSE(shell->FileExists(dir.path()));
}

TEST(WindowsSpeech, AFailedVoiceShowsItsBoxAndNothingHangs)
{
    if (!UnderWine())
        GTEST_SKIP() << "a real voice speaks here";
    const std::unique_ptr<ISpeech> voice = MakeDesktopSpeech();
    EXPECT_FALSE(voice->Speak(QStringLiteral("<pills> at nine")));
    EXPECT_FALSE(voice->IsSpeaking());

    TempXdg xdg;
    FakeClock clock{QDateTime(QDate(2026, 6, 10), QTime(9, 58))};
    FakeMessages messages;
    FakeShell shell;
    QTimer timer1;
    ResidentScheduler scheduler(timer1, clock, messages, *voice, shell, xdg.Root() + QStringLiteral("/state.ini"));
    ASSERT_TRUE(InitReminderFolder(xdg.Folders()));
    WriteAll(xdg.Folder() + QStringLiteral("/Pills.ini"),
             "[LastProc]\nYR=2026\nMO=6\nDY=9\n[Days]\nCk=1\nWed=1\nHr=9\n[SayDay]\nCk=1\n");
    scheduler.Timer1Timer();
    EXPECT_EQ(shell.calls.first(), QStringLiteral("beep"));
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral(
        "Nelvora was setup by you to have a \"voice\" reminder to say the current day, however your "
        "pc does not support voice activation (Windows XP or later contain voice activation). Please "
        "use the other reminder option to display the day, time, or message instead of saying it. "
        "The day is: WEDNESDAY")});
}
