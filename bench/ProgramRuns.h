// What the benchmarks that start Tintwright.exe share: finding a process's
// windows and knowing when they are painted, starting and ending a program.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchTiming.h"

inline constexpr DWORD kProgramTimeoutMs = 30000;

// The visible top-level window of process pid with exactly this title, or nullptr.
inline HWND FindVisibleWindow(DWORD pid, const char* title) {
    struct Search {
        DWORD pid;
        const char* title;
        HWND found;
    } search = {pid, title, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            char text[128] = {};
            ::GetWindowTextA(hwnd, text, sizeof text);
            if (owner != s->pid || !::IsWindowVisible(hwnd) || std::string(text) != s->title)
                return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Whether neither the window nor any of its visible descendants has anything left to paint.
inline bool NothingLeftToPaint(HWND hwnd) {
    if (::GetUpdateRect(hwnd, nullptr, FALSE)) return false;
    bool pending = false;
    ::EnumChildWindows(
        hwnd,
        [](HWND child, LPARAM param) -> BOOL {
            if (!::IsWindowVisible(child) || !::GetUpdateRect(child, nullptr, FALSE)) return TRUE;
            *reinterpret_cast<bool*>(param) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

// The folder of this benchmark, with its final backslash: the programs it starts are there.
inline std::string ProgramFolder() {
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self);
    return folder.erase(folder.find_last_of('\\') + 1);
}

// Starts exe; false, with the reason on stderr, when it cannot.
inline bool StartProgram(const std::string& exe, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    if (::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         nullptr, &startup, &process))
        return true;
    std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
    return false;
}

// Closes the program's main window (when it has one) and waits for it to end, or ends it.
inline void EndProgram(PROCESS_INFORMATION& process, HWND mainWindow) {
    if (mainWindow) ::PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, kProgramTimeoutMs) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}
