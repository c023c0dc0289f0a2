// CString: the framework's 8-bit ANSI string, a thin value type over std::string.
#pragma once
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
