/* A small console program that answers, under Wine or on Windows, what a shell script on
   the host cannot see itself: what the Windows API reads from an executable's resources,
   which top-level windows and processes exist. scripts/wine-lib.sh builds and runs it.

   winprobe version FILE       the version resource as Windows reads it: one line
                               "Key=value" each for the fixed file and product version and
                               the strings of the first translation; exit 1 without one
   winprobe icon FILE          "icons=N first=ID": how many icons ExtractIconEx counts and
                               the id of the first icon group; exit 1 when ExtractIcon(FILE,
                               0) gives no icon
   winprobe window CLASS TITLE "pid=N" and exit 0 when FindWindow finds a top-level window
                               of that class and title (N: its process), exit 1 when not;
                               an empty CLASS matches any
   winprobe close CLASS TITLE  post WM_CLOSE to each such window; exit 1 when none was found
   winprobe shown TITLE        exit 0 when a shown top-level window has that title, else 1
   winprobe close-shown TITLE  post WM_CLOSE to each shown top-level window of that title
                               (a box, not the hidden window of the same title); exit 1
                               when none was found
   winprobe copy TITLE         the text Ctrl+C copies in the shown window of that title (a
                               box); exit 3 when nothing reaches the clipboard in 10 s
   winprobe copy-field TITLE   the same after Tab and Ctrl+A: the next field's whole text
   winprobe process NAME       exit 0 when a process whose executable is named NAME
                               (without regard to case) runs, 1 when not
   winprobe shortcut LNK       the target, arguments and icon of a shell link, a line each
   winprobe hold FILE          keep FILE open for reading, sharing reading and writing but
                               not deletion (as a virus scanner or an indexer may), until a
                               WM_CLOSE reaches its hidden window titled "winprobe hold FILE"
   winprobe pose CLASS TITLE   a hidden top-level window of that class and title (a stand-in
                               for another program's), until a WM_CLOSE reaches it
   Any other use prints the usage and exits 2. */
#define COBJMACROS
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static void put(const wchar_t *text)
{
    char buffer[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    if (n > 0)
        fputs(buffer, stdout);
}

static int version(const wchar_t *file)
{
    static const wchar_t *const keys[] = {L"CompanyName", L"FileDescription", L"FileVersion",
                                          L"InternalName", L"LegalCopyright", L"OriginalFilename",
                                          L"ProductName", L"ProductVersion"};
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0)
        return 1;
    void *data = malloc(size);
    if (!data || !GetFileVersionInfoW(file, 0, size, data))
        return 1;
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    if (!VerQueryValueW(data, L"\\", (void **)&fixed, &length) || length < sizeof *fixed)
        return 1;
    printf("Fixed.FileVersion=%lu.%lu.%lu.%lu\n", (unsigned long)HIWORD(fixed->dwFileVersionMS),
           (unsigned long)LOWORD(fixed->dwFileVersionMS), (unsigned long)HIWORD(fixed->dwFileVersionLS),
           (unsigned long)LOWORD(fixed->dwFileVersionLS));
    printf("Fixed.ProductVersion=%lu.%lu.%lu.%lu\n", (unsigned long)HIWORD(fixed->dwProductVersionMS),
           (unsigned long)LOWORD(fixed->dwProductVersionMS), (unsigned long)HIWORD(fixed->dwProductVersionLS),
           (unsigned long)LOWORD(fixed->dwProductVersionLS));
    struct { WORD language, codepage; } *translation = NULL;
    if (!VerQueryValueW(data, L"\\VarFileInfo\\Translation", (void **)&translation, &length)
        || length < sizeof *translation)
        return 1;
    for (size_t i = 0; i < sizeof keys / sizeof *keys; i++) {
        wchar_t path[128];
        wchar_t *value = NULL;
        swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language,
                 translation->codepage, keys[i]);
        if (VerQueryValueW(data, path, (void **)&value, &length) && value) {
            put(keys[i]);
            fputs("=", stdout);
            put(value);
            fputs("\n", stdout);
        }
    }
    return 0;
}

static BOOL CALLBACK first_group(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found)
{
    (void)module;
    (void)type;
    *(LONG_PTR *)found = IS_INTRESOURCE(name) ? (LONG_PTR)(ULONG_PTR)name : -1;
    return FALSE;
}

static int icon(const wchar_t *file)
{
    UINT count = ExtractIconExW(file, -1, NULL, NULL, 0);
    LONG_PTR first = 0;
    HMODULE module = LoadLibraryExW(file, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module) {
        EnumResourceNamesW(module, (LPCWSTR)RT_GROUP_ICON, first_group, (LONG_PTR)&first);
        FreeLibrary(module);
    }
    printf("icons=%u first=%ld\n", count, (long)first);
    HICON handle = ExtractIconW(GetModuleHandleW(NULL), file, 0);
    if (!handle || handle == (HICON)1)
        return 1;
    DestroyIcon(handle);
    return 0;
}

static int process(const wchar_t *name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 2;
    PROCESSENTRY32W entry = {.dwSize = sizeof entry};
    int found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szExeFile, name) == 0;
    CloseHandle(snapshot);
    return found ? 0 : 1;
}

static HWND find(const wchar_t *cls, const wchar_t *title, HWND after)
{
    return FindWindowExW(NULL, after, *cls ? cls : NULL, title);
}

/* Posts WM_CLOSE to each such window (only to those shown when shown_only); exit 1 when
   none was found. */
static int close_windows(const wchar_t *cls, const wchar_t *title, int shown_only)
{
    int found = 0;
    for (HWND window = find(cls, title, NULL); window; window = find(cls, title, window)) {
        if (shown_only && !IsWindowVisible(window))
            continue;
        PostMessageW(window, WM_CLOSE, 0, 0);
        found = 1;
    }
    return found ? 0 : 1;
}

static int shown(const wchar_t *title)
{
    for (HWND window = find(L"", title, NULL); window; window = find(L"", title, window))
        if (IsWindowVisible(window))
            return 0;
    return 1;
}

static int window(const wchar_t *cls, const wchar_t *title)
{
    HWND found = find(cls, title, NULL);
    if (!found)
        return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(found, &pid);
    printf("pid=%lu\n", (unsigned long)pid);
    return 0;
}

/* Brings the shown window of that title to the front, types Ctrl+C there as the user would
   (with next_field: first Tab to the next field and Ctrl+A in it), and prints the text that
   lands on the clipboard: what a program that draws its own controls shows, which no other
   call can read. Exit 1 without such a window, 3 when nothing lands within ten seconds. */
static int copy_text(const wchar_t *title, int next_field)
{
    HWND target = NULL;
    for (HWND window = find(L"", title, NULL); window && !target; window = find(L"", title, window))
        if (IsWindowVisible(window))
            target = window;
    if (!target)
        return 1;
    /* Keys go to the window in front: wait until it is this one. */
    for (int waited = 0; GetForegroundWindow() != target; waited += 50) {
        if (waited >= 10000)
            return 3;
        SetForegroundWindow(target);
        Sleep(50);
    }
    const DWORD before = GetClipboardSequenceNumber();
    INPUT keys[8] = {0};
    int n = 0;
    WORD order[4] = {VK_TAB, VK_CONTROL, 'A', 'C'};
    for (int i = 0; i < 4; ++i) {
        if ((order[i] == 'A' || order[i] == VK_TAB) && !next_field)
            continue;
        keys[n].type = INPUT_KEYBOARD;
        keys[n++].ki.wVk = order[i];
        if (order[i] != VK_CONTROL) {
            keys[n].type = INPUT_KEYBOARD;
            keys[n].ki.wVk = order[i];
            keys[n++].ki.dwFlags = KEYEVENTF_KEYUP;
        }
    }
    keys[n].type = INPUT_KEYBOARD;
    keys[n].ki.wVk = VK_CONTROL;
    keys[n++].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(n, keys, sizeof(INPUT));
    for (int waited = 0; GetClipboardSequenceNumber() == before; waited += 50) {
        if (waited >= 10000)
            return 3;
        Sleep(50);
    }
    int result = 3;
    if (OpenClipboard(NULL)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t *text = data ? GlobalLock(data) : NULL;
        if (text) {
            put(text);
            put(L"\n");
            GlobalUnlock(data);
            result = 0;
        }
        CloseClipboard();
    }
    return result;
}

static int shortcut(const wchar_t *file)
{
    IShellLinkW *link = NULL;
    IPersistFile *persist = NULL;
    wchar_t text[MAX_PATH * 2];
    int index = 0, rc = 1;
    if (FAILED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)))
        return 2;
    if (SUCCEEDED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkW,
                                   (void **)&link))
        && SUCCEEDED(IShellLinkW_QueryInterface(link, &IID_IPersistFile, (void **)&persist))
        && SUCCEEDED(IPersistFile_Load(persist, file, STGM_READ))
        && SUCCEEDED(IShellLinkW_GetPath(link, text, MAX_PATH * 2, NULL, SLGP_RAWPATH))) {
        fputs("Target=", stdout);
        put(text);
        text[0] = 0;
        IShellLinkW_GetArguments(link, text, MAX_PATH * 2);
        fputs("\nArguments=", stdout);
        put(text);
        text[0] = 0;
        IShellLinkW_GetIconLocation(link, text, MAX_PATH * 2, &index);
        fputs("\nIcon=", stdout);
        put(text);
        printf(",%d\n", index);
        rc = 0;
    }
    if (persist)
        IPersistFile_Release(persist);
    if (link)
        IShellLinkW_Release(link);
    CoUninitialize();
    return rc;
}

static LRESULT CALLBACK hold_proc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

/* A hidden top-level window of that class and title, until WM_CLOSE reaches it. */
static int hidden_window_until_closed(const wchar_t *cls, const wchar_t *title)
{
    WNDCLASSW type = {.lpfnWndProc = hold_proc, .hInstance = GetModuleHandleW(NULL),
                      .lpszClassName = cls};
    if (!RegisterClassW(&type)
        || !CreateWindowExW(0, cls, title, WS_OVERLAPPED, 0, 0, 1, 1, NULL, NULL,
                            type.hInstance, NULL))
        return 2;
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

static int hold(const wchar_t *file)
{
    HANDLE handle = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return 1;
    wchar_t title[MAX_PATH + 16];
    swprintf(title, MAX_PATH + 16, L"winprobe hold %ls", file);
    int result = hidden_window_until_closed(L"winprobe", title);
    CloseHandle(handle);
    return result;
}

int main(void)
{
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && wcscmp(argv[1], L"version") == 0)
        return version(argv[2]);
    if (argv && argc == 3 && wcscmp(argv[1], L"icon") == 0)
        return icon(argv[2]);
    if (argv && argc == 4 && wcscmp(argv[1], L"window") == 0)
        return window(argv[2], argv[3]);
    if (argv && argc == 4 && wcscmp(argv[1], L"close") == 0)
        return close_windows(argv[2], argv[3], 0);
    if (argv && argc == 3 && wcscmp(argv[1], L"shown") == 0)
        return shown(argv[2]);
    if (argv && argc == 3 && wcscmp(argv[1], L"close-shown") == 0)
        return close_windows(L"", argv[2], 1);
    if (argv && argc == 3 && wcscmp(argv[1], L"copy") == 0)
        return copy_text(argv[2], 0);
    if (argv && argc == 3 && wcscmp(argv[1], L"copy-field") == 0)
        return copy_text(argv[2], 1);
    if (argv && argc == 3 && wcscmp(argv[1], L"process") == 0)
        return process(argv[2]);
    if (argv && argc == 3 && wcscmp(argv[1], L"shortcut") == 0)
        return shortcut(argv[2]);
    if (argv && argc == 3 && wcscmp(argv[1], L"hold") == 0)
        return hold(argv[2]);
    if (argv && argc == 4 && wcscmp(argv[1], L"pose") == 0)
        return hidden_window_until_closed(argv[2], argv[3]);
    fputs("usage: winprobe version FILE | icon FILE | window CLASS TITLE | close CLASS TITLE"
          " | shown TITLE | close-shown TITLE | copy TITLE | copy-field TITLE | process NAME | shortcut LNK | hold FILE"
          " | pose CLASS TITLE\n", stderr);
    return 2;
}
