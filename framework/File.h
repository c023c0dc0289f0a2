// CFile: a file over the Win32 file API, owning its handle; every failure is thrown as a
// CFileException whose cause is mapped from the system's error code.
#pragma once
#include <windows.h>
#include <functional>

#include "Exception.h"
#include "String.h"

class CFileException : public CException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    explicit CFileException(int cause = none, LONG osError = -1, const char* fileName = nullptr);

    // The cause's message with %1 replaced by the file name, cut to 127 characters (never inside
    // one).
    bool GetErrorMessage(CString& message) const override;

    // The cause for a GetLastError code.
    static int OsErrorToException(LONG osError);
    // The cause's message with its %1 still in it; nullptr for none.
    static const char* CauseMessage(int cause);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

// Throws the CFileException for the system error code osError.
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1,
                                        const char* fileName = nullptr);

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010, // also what no share flag means
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000, // create, or empty an existing file
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens or throws; the exception names fileName as given.
    CFile(const char* fileName, UINT openFlags);
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens; on failure returns FALSE and fills error, if given, instead of throwing.
    BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
    // Bytes read; 0 at the end. Throws on failure, naming no file.
    UINT Read(void* buffer, UINT count);
    // Writes every byte or throws; a short write counts as a full disk. Names the full path.
    void Write(const void* data, UINT count);
    // Throws on failure, naming no file.
    ULONGLONG Seek(LONGLONG offset, UINT from);
    // Commits the written bytes to the disk.
    void Flush();
    // Closes; a failure to close throws. Closing a closed file does nothing.
    void Close();
    // Closes without throwing.
    void Abort();

    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    const CString& GetFilePath() const { return m_strFilePath; }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

private:
    CString m_strFileName; // as given to Open
    CString m_strFilePath; // the full path
};

// Saves through a new file beside path: write fills it, it is flushed, and only then does it
// replace path. On any failure path is left as it was, the new file is removed and the
// CFileException names path. Where the folder takes no new file (its name too long, or the folder
// refusing new entries), path is written in place instead, as a plain save would.
void AfxWriteFileReplacing(const char* path, const std::function<void(CFile&)>& write);

// Whether path names a file that exists (not a folder).
bool AfxIsFile(const std::wstring& path);
