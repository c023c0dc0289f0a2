// A fresh folder under the system's temp folder for tests on real files, removed with its files.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class TempFolder {
public:
    // pathLength, when given, pads the folder's name until its full path is that long.
    explicit TempFolder(size_t pathLength = 0) {
        char base[MAX_PATH];
        ::GetTempPathA(sizeof base, base);
        char name[64];
        static int counter = 0;
        wsprintfA(name, "tw-test-%lu-%d", ::GetCurrentProcessId(), ++counter);
        m_path = std::string(base) + name;
        if (m_path.size() < pathLength) m_path.append(pathLength - m_path.size(), 'x');
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    // The folder of this name in the temp folder, as a program of its own would make it.
    explicit TempFolder(const std::string& name) {
        char base[MAX_PATH];
        ::GetTempPathA(sizeof base, base);
        m_path = base + name;
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::string& file : Files()) {
            std::string path = m_path + "\\" + file;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        }
        ::RemoveDirectoryA(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

    // The names of the files in the folder.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((m_path + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        return names;
    }

    static std::string ReadAll(const std::string& path) {
        std::string bytes;
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        ::CloseHandle(file);
        return bytes;
    }

    static void WriteAll(const std::string& path, const std::string& bytes) {
        HANDLE file =
            ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }

private:
    std::string m_path;
};

// Another handle on path, opened for reading and writing without sharing, closed at scope end.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : m_handle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_ALWAYS, 0, nullptr)) {}
    ~HeldOpen() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    HANDLE Handle() const { return m_handle; }

private:
    HANDLE m_handle;
};
