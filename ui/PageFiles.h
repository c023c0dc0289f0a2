// The file work of the page commands (ui/PageFiles.cpp), apart from their dialogs, so that the
// bench times what the commands do.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "framework/Afx.h"
#include "scheme/ColorPaste.h"
#include "scheme/PageText.h"

// The largest page that the page commands read.
inline constexpr uint64_t kMaxPageBytes = 64ull << 20;

// A page's bytes, mapped for reading while the object lives: a page of 64 MiB is read no faster
// into memory than it is copied.
class MappedPage {
public:
    // Opens the page, or throws the CFileException; a page over kMaxPageBytes is left unmapped.
    explicit MappedPage(const CString& path);
    ~MappedPage() { Close(); }
    MappedPage(const MappedPage&) = delete;
    MappedPage& operator=(const MappedPage&) = delete;

    bool IsTooLarge() const { return m_tooLarge; }
    std::string_view Bytes() const { return {m_view, m_size}; }
    // Unmaps and closes the file, so that it can be replaced; Bytes() is empty after.
    void Close();

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_mapping = nullptr;
    const char* m_view = nullptr;
    size_t m_size = 0;
    bool m_tooLarge = false;
};

// path made full, as the system resolves it; path itself where it cannot.
std::wstring FullPath(const std::wstring& path);
// utf8 in the code page, or nullopt where a character has no exact form there.
std::optional<std::string> EncodeForPage(int codePage, std::string_view utf8);
// The page's text (its mark left off) as UTF-8, read in its encoding.
std::string PageTextAsUtf8(std::string_view page, const PageEncoding& encoding);
// The page's colours as Paste Colors reads a whole page, the page read in its encoding.
std::optional<PastedColors> ReadPageColors(std::string_view page, const PageEncoding& encoding);
// The edited page in path's place, through a new file beside it moved there once complete; the
// page is closed just before. A failure throws the CFileException and leaves the page whole.
void WritePageFile(const CString& path, MappedPage& page, const PageEdit& edit);
