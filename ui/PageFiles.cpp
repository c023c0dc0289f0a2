// The file work of the page commands: a page mapped for reading, read in its encoding, and
// written back through a new file beside it.
#include "PageFiles.h"

#include <algorithm>

#include "shared/FileBeside.h"

namespace {
// What one WriteFile call is given at most.
constexpr size_t kWriteChunk = 16u << 20;

[[noreturn]] void ThrowSystemError(DWORD systemError, const CString& path) {
    const auto error = static_cast<LONG>(systemError);
    AfxThrowFileException(CFileException::OsErrorToException(error), error, path);
}

std::wstring WideFromCodePage(int codePage, std::string_view bytes) {
    const int count = static_cast<int>(bytes.size());
    const int length =
        count ? ::MultiByteToWideChar(codePage, 0, bytes.data(), count, nullptr, 0) : 0;
    std::wstring wide(length, L'\0');
    if (length) ::MultiByteToWideChar(codePage, 0, bytes.data(), count, wide.data(), length);
    return wide;
}
} // namespace

std::wstring FullPath(const std::wstring& path) {
    const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
    return full;
}

MappedPage::MappedPage(const CString& path) {
    const auto fail = [&](DWORD error) {
        Close();
        ThrowSystemError(error, path);
    };
    m_file = ::CreateFileW(AfxWide(path.str()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) ThrowSystemError(::GetLastError(), path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_file, &size)) fail(::GetLastError());
    if (static_cast<uint64_t>(size.QuadPart) > kMaxPageBytes) {
        m_tooLarge = true;
        return;
    }
    if (size.QuadPart == 0) return; // an empty file cannot be mapped
    m_mapping = ::CreateFileMappingW(m_file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!m_mapping) fail(::GetLastError());
    m_view = static_cast<const char*>(::MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 0));
    if (!m_view) fail(::GetLastError());
    m_size = static_cast<size_t>(size.QuadPart);
}

void MappedPage::Close() {
    if (m_view) ::UnmapViewOfFile(m_view);
    if (m_mapping) ::CloseHandle(m_mapping);
    if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    m_view = nullptr;
    m_mapping = nullptr;
    m_file = INVALID_HANDLE_VALUE;
    m_size = 0;
}

std::optional<std::string> EncodeForPage(int codePage, std::string_view utf8) {
    if (codePage == kCodePageUtf8) return std::string(utf8);
    const std::wstring wide = AfxWide(utf8);
    if (wide.empty()) return std::string();
    const int count = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(codePage, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
    if (length == 0) return std::nullopt;
    std::string bytes(length, '\0');
    ::WideCharToMultiByte(codePage, 0, wide.data(), count, bytes.data(), length, nullptr, nullptr);
    // A character without an exact form comes back as another one, a '?' or a best fit.
    if (WideFromCodePage(codePage, bytes) != wide) return std::nullopt;
    return bytes;
}

std::string PageTextAsUtf8(std::string_view page, const PageEncoding& encoding) {
    const std::string_view text = page.substr(encoding.bomLength);
    const int codePage = encoding.codePage;
    if (codePage == kCodePageUtf8) return std::string(text);
    if (codePage == kCodePageUtf16LE || codePage == kCodePageUtf16BE) {
        std::wstring wide(text.size() / 2, L'\0');
        for (size_t i = 0; i < wide.size(); ++i) {
            const auto first = static_cast<unsigned char>(text[2 * i]);
            const auto second = static_cast<unsigned char>(text[2 * i + 1]);
            wide[i] = static_cast<wchar_t>(codePage == kCodePageUtf16BE ? first << 8 | second
                                                                        : second << 8 | first);
        }
        return AfxUtf8(wide);
    }
    CPINFO info{};
    if (!::GetCPInfo(codePage, &info) || info.MaxCharSize != 1)
        return AfxUtf8(WideFromCodePage(codePage, text));
    // One byte, one character: a table of the 256 characters' UTF-8 is many times faster.
    std::array<std::string, 256> forms;
    for (int byte = 0; byte < 256; ++byte) {
        const char ch = static_cast<char>(byte);
        forms[byte] = AfxUtf8(WideFromCodePage(codePage, std::string_view(&ch, 1)));
    }
    std::string utf8;
    utf8.reserve(text.size());
    for (char ch : text) {
        const std::string& form = forms[static_cast<unsigned char>(ch)];
        if (form.size() == 1)
            utf8 += form[0];
        else
            utf8 += form;
    }
    return utf8;
}

std::optional<PastedColors> ReadPageColors(std::string_view page, const PageEncoding& encoding) {
    // UTF-16 keeps its markup out of reach of a scan of bytes until it is read.
    if (encoding.codePage == kCodePageUtf16LE || encoding.codePage == kCodePageUtf16BE)
        return ReadPastedColors(PageColorSource(PageTextAsUtf8(page, encoding)));
    const std::string source = PageColorSource(page.substr(encoding.bomLength));
    if (encoding.codePage == kCodePageUtf8) return ReadPastedColors(source);
    return ReadPastedColors(PageTextAsUtf8(source, {encoding.codePage, 0}));
}

void WritePageFile(const CString& path, MappedPage& page, const PageEdit& edit) {
    NewFileBeside newFile(FullPath(AfxWide(path.str())));
    if (!newFile.IsOpen()) ThrowSystemError(newFile.Error(), path);
    ForEachEditedPart(page.Bytes(), edit, [&](std::string_view part) {
        while (!part.empty()) {
            const auto count = static_cast<DWORD>(std::min<size_t>(part.size(), kWriteChunk));
            DWORD written = 0;
            if (!::WriteFile(newFile.Handle(), part.data(), count, &written, nullptr))
                ThrowSystemError(::GetLastError(), path);
            if (written == 0) ThrowSystemError(ERROR_DISK_FULL, path);
            part.remove_prefix(written);
        }
    });
    page.Close();
    if (const DWORD error = newFile.ReplaceTarget()) ThrowSystemError(error, path);
}
