// Replacing a file safely: a new file beside the target takes the target's place only once it is
// complete. Shared by the program's saves and ImgLib's PNG copies; Win32 only, wide paths.
#pragma once
#include <windows.h>

#include <string>

// Whether path is a read-only file, which Windows refuses to write or replace; Wine running as
// root would not refuse, so callers check first.
bool IsReadOnlyFile(const wchar_t* path);

class NewFileBeside {
public:
    // Makes a new, empty file "<target>.~XXXX.tmp" beside target (a full path), open for
    // writing: recognisable when a crash leaves it behind. When the folder takes none (its name
    // too long, or the folder refusing new entries) IsOpen() is false and Error() says why.
    explicit NewFileBeside(const std::wstring& target);
    ~NewFileBeside(); // closes it and, unless it took the target's place, removes it
    NewFileBeside(const NewFileBeside&) = delete;
    NewFileBeside& operator=(const NewFileBeside&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    DWORD Error() const { return m_error; }
    const std::wstring& Path() const { return m_path; }
    HANDLE Handle() const { return m_handle; } // owned by this object

    // Closes the handle and keeps the file, for writing through a handle of one's own.
    void Close();
    // Commits what was written through Handle() to the disk, closes it, and moves the file into
    // the target's place: ERROR_SUCCESS, or the system's code; the file is removed on failure.
    DWORD ReplaceTarget();

private:
    std::wstring m_target;
    std::wstring m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    DWORD m_error = ERROR_SUCCESS;
    bool m_committed = false;
};
