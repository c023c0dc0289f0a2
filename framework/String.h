// CString: the framework's 8-bit string, a thin value type over std::string, holding UTF-8.
// The framework speaks UTF-16 to Windows and converts at that boundary with AfxWide and AfxUtf8.
#pragma once
#include <optional>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(std::string_view text) : m_text(text) {}
    CString(std::string text) : m_text(std::move(text)) {}

    operator const char*() const { return m_text.c_str(); }
    const std::string& str() const { return m_text; }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }

    CString& operator=(const char* text);
    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    // printf-style formatting of the whole string.
    void Format(const char* format, ...);

    // Writable buffer of at least minLength characters; ReleaseBuffer(-1) takes the text up to its
    // NUL.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    friend CString operator+(const CString& a, const CString& b) {
        return CString(a.m_text + b.m_text);
    }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_text + b); }
    friend CString operator+(const char* a, const CString& b) { return CString(a + b.m_text); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }

private:
    std::string m_text;
};

// Where the file name starts in path: after its last '\\', '/' or ':'.
size_t AfxFileNameOffset(std::string_view path);
// The folder of path with its final separator, empty when it names none.
std::string AfxFolderOf(std::string_view path);

// UTF-8 to UTF-16 for the system's wide functions; a byte that is no UTF-8 becomes U+FFFD.
std::wstring AfxWide(std::string_view utf8);
// UTF-16 from the system's wide functions to UTF-8.
std::string AfxUtf8(std::wstring_view utf16);
// utf8 in the system code page (CP_ACP), or nothing when a character has no exact form there.
std::optional<std::string> AfxCodePageText(std::string_view utf8);
// Text in the system code page (CP_ACP) as UTF-8.
std::string AfxCodePageToUtf8(std::string_view bytes);
// The two above as on a system whose code page is codePage. Where that is UTF-8 (65001), text
// beyond ASCII has no code-page form, and bytes that are not UTF-8 are read as Windows-1252.
std::optional<std::string> AfxCodePageTextIn(unsigned codePage, std::string_view utf8);
std::string AfxCodePageToUtf8In(unsigned codePage, std::string_view bytes);
