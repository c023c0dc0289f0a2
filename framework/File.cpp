#include "File.h"

#include <iterator>
#include <string>

#include "shared/FileBeside.h"

namespace {
constexpr size_t kMaxNameInMessage = 127;
constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;

DWORD DesiredAccess(UINT flags) {
    switch (flags & kAccessMask) {
    case CFile::modeWrite: return GENERIC_WRITE;
    case CFile::modeReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
    }
}

DWORD ShareMode(UINT flags) {
    switch (flags & kShareMask) {
    case CFile::shareDenyWrite: return FILE_SHARE_READ;
    case CFile::shareDenyRead: return FILE_SHARE_WRITE;
    case CFile::shareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;
    }
}

std::wstring FullPathOf(const std::wstring& fileName) {
    wchar_t full[MAX_PATH * 2];
    DWORD length = ::GetFullPathNameW(fileName.c_str(), std::size(full), full, nullptr);
    if (length == 0 || length >= std::size(full)) return fileName;
    return std::wstring(full, length);
}

// name cut after kMaxNameInMessage characters, never inside one.
std::string NameForMessage(const std::string& name) {
    size_t characters = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        // A UTF-8 character starts at every byte that is not a continuation byte (10xxxxxx).
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80 &&
            characters++ == kMaxNameInMessage)
            return name.substr(0, i);
    }
    return name;
}

[[noreturn]] void ThrowLastError(const char* fileName) {
    LONG error = static_cast<LONG>(::GetLastError());
    AfxThrowFileException(CFileException::OsErrorToException(error), error, fileName);
}
} // namespace

// ---- CFileException ----

CFileException::CFileException(int cause, LONG osError, const char* fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

const char* CFileException::CauseMessage(int cause) {
    switch (cause) {
    case genericException: return "An unknown error occurred while accessing %1.";
    case fileNotFound: return "%1 was not found.";
    case badPath: return "%1 contains an invalid path.";
    case tooManyOpenFiles: return "%1 could not be opened because there are too many open files.";
    case accessDenied: return "Access to %1 was denied.";
    case invalidFile: return "An invalid file handle was associated with %1.";
    case removeCurrentDir: return "%1 could not be removed because it is the current directory.";
    case directoryFull: return "%1 could not be created because the directory is full.";
    case badSeek: return "Seek failed on %1";
    case hardIO: return "A hardware I/O error was reported while accessing %1.";
    case sharingViolation: return "A sharing violation occurred while accessing %1.";
    case lockViolation: return "A locking violation occurred while accessing %1.";
    case diskFull: return "Disk full while accessing %1.";
    case endOfFile: return "An attempt was made to access %1 past its end.";
    default: return nullptr;
    }
}

bool CFileException::GetErrorMessage(CString& message) const {
    const char* text = CauseMessage(m_cause);
    if (!text) return false;
    std::string result(text);
    std::string name = NameForMessage(m_strFileName.str());
    size_t marker = result.find("%1");
    if (marker != std::string::npos) result.replace(marker, 2, name);
    message = CString(std::move(result));
    return true;
}

int CFileException::OsErrorToException(LONG osError) {
    switch (static_cast<DWORD>(osError)) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_NETWORK_ACCESS_DENIED: return accessDenied;
    case ERROR_INVALID_HANDLE:
    case ERROR_INVALID_TARGET_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK:
    case ERROR_SEEK_ON_DEVICE: return badSeek;
    case ERROR_NOT_READY:
    case ERROR_BAD_UNIT:
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_WRONG_DISK:
    case ERROR_NOT_DOS_DISK:
    case ERROR_IO_DEVICE: return hardIO;
    case ERROR_SHARING_VIOLATION:
    case ERROR_SHARING_BUFFER_EXCEEDED: return sharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED:
    case ERROR_LOCK_FAILED: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

void AfxThrowFileException(int cause, LONG osError, const char* fileName) {
    throw CFileException(cause, osError, fileName);
}

// ---- CFile ----

CFile::CFile(const char* fileName, UINT openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() {
    Abort();
}

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    Abort();
    auto fail = [&](LONG osError) {
        if (error)
            *error = CFileException(CFileException::OsErrorToException(osError), osError, fileName);
        return FALSE;
    };
    const std::wstring wideName = AfxWide(fileName);
    if ((openFlags & kAccessMask) != modeRead && IsReadOnlyFile(wideName.c_str()))
        return fail(ERROR_ACCESS_DENIED);
    DWORD creation = (openFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE handle = ::CreateFileW(wideName.c_str(), DesiredAccess(openFlags), ShareMode(openFlags),
                                  nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return fail(static_cast<LONG>(::GetLastError()));
    m_hFile = handle;
    m_strFileName = fileName;
    m_strFilePath = CString(AfxUtf8(FullPathOf(wideName)));
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (count == 0) return 0;
    DWORD read = 0;
    if (!::ReadFile(m_hFile, buffer, count, &read, nullptr)) ThrowLastError(nullptr);
    return read;
}

void CFile::Write(const void* data, UINT count) {
    if (count == 0) return;
    DWORD written = 0;
    if (!::WriteFile(m_hFile, data, count, &written, nullptr)) ThrowLastError(m_strFilePath);
    if (written < count) AfxThrowFileException(CFileException::diskFull, -1, m_strFilePath);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, distance, &position, from)) ThrowLastError(nullptr);
    return static_cast<ULONGLONG>(position.QuadPart);
}

void CFile::Flush() {
    if (!::FlushFileBuffers(m_hFile)) ThrowLastError(m_strFileName);
}

void CFile::Close() {
    if (!IsOpen()) return;
    HANDLE handle = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) ThrowLastError(m_strFileName);
}

void CFile::Abort() {
    if (!IsOpen()) return;
    ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

// ---- Saving through a new file ----

namespace {
void WriteAndClose(CFile& file, const std::function<void(CFile&)>& write) {
    write(file);
    file.Flush();
    file.Close();
}
} // namespace

void AfxWriteFileReplacing(const char* path, const std::function<void(CFile&)>& write) {
    // The target must be one that could be opened for writing: a read-only file, a folder or a
    // file held open by another handle fails here, before anything is written.
    {
        CFile target;
        CFileException error;
        if (!target.Open(path, CFile::modeWrite | CFile::shareExclusive, &error) &&
            error.m_cause != CFileException::fileNotFound)
            throw error;
    }
    const std::wstring fullPath = FullPathOf(AfxWide(path));
    try {
        NewFileBeside newFile(fullPath);
        if (!newFile.IsOpen()) {
            // Where no file can be made beside the target, it is written in place.
            CFile file(path, CFile::modeCreate | CFile::modeWrite);
            WriteAndClose(file, write);
            return;
        }
        newFile.Close(); // written through a CFile of its own, whose failures carry its name
        CFile file(AfxUtf8(newFile.Path()).c_str(), CFile::modeCreate | CFile::modeWrite);
        WriteAndClose(file, write);
        if (const DWORD error = newFile.ReplaceTarget()) {
            AfxThrowFileException(CFileException::OsErrorToException(static_cast<LONG>(error)),
                                  static_cast<LONG>(error), path);
        }
    } catch (CFileException& error) {
        error.m_strFileName = path;
        throw;
    }
}

bool AfxIsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
