#include "FileBeside.h"

#include <cwchar>
#include <iterator>
#include <utility>

namespace {
constexpr const wchar_t* kNewFileSuffix = L".~%04X.tmp";
constexpr unsigned kNewFileAttempts = 16;
constexpr DWORD kReplaceFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
} // namespace

bool IsReadOnlyFile(const wchar_t* path) {
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

NewFileBeside::NewFileBeside(const std::wstring& target) : m_target(target) {
    const unsigned seed = static_cast<unsigned>(::GetCurrentProcessId() ^ ::GetTickCount());
    for (unsigned attempt = 0; attempt < kNewFileAttempts; ++attempt) {
        wchar_t suffix[16];
        std::swprintf(suffix, std::size(suffix), kNewFileSuffix, (seed + attempt) & 0xFFFFu);
        m_path = target + suffix;
        m_handle = ::CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_handle != INVALID_HANDLE_VALUE) return;
        m_error = ::GetLastError();
        if (m_error != ERROR_FILE_EXISTS && m_error != ERROR_ALREADY_EXISTS) break;
    }
    m_path.clear(); // nothing of ours to remove
}

NewFileBeside::~NewFileBeside() {
    Close();
    if (!m_committed && !m_path.empty()) ::DeleteFileW(m_path.c_str());
}

void NewFileBeside::Close() {
    if (IsOpen()) ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
}

DWORD NewFileBeside::ReplaceTarget() {
    if (IsOpen()) {
        if (!::FlushFileBuffers(m_handle)) return ::GetLastError();
        if (!::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE))) return ::GetLastError();
    }
    if (!::MoveFileExW(m_path.c_str(), m_target.c_str(), kReplaceFlags)) return ::GetLastError();
    m_committed = true;
    return ERROR_SUCCESS;
}
