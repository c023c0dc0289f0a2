#include "String.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

CString& CString::operator=(const char* text) {
    m_text = text ? text : "";
    return *this;
}

CString& CString::operator+=(const CString& text) {
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text) m_text += text;
    return *this;
}

CString& CString::operator+=(char ch) {
    m_text += ch;
    return *this;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        va_end(args);
        m_text.clear();
        return;
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    text.resize(static_cast<size_t>(length));
    m_text = std::move(text);
}

size_t AfxFileNameOffset(std::string_view path) {
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

std::string AfxFolderOf(std::string_view path) {
    return std::string(path.substr(0, AfxFileNameOffset(path)));
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_text.resize(static_cast<size_t>(minLength));
    return m_text.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) newLength = static_cast<int>(std::strlen(m_text.c_str()));
    m_text.resize(static_cast<size_t>(newLength));
}

namespace {
constexpr UINT kWesternCodePage = 1252;

std::wstring WideFrom(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

// No default character may be asked about for UTF-8 (a system whose code page is UTF-8).
std::string BytesFrom(UINT codePage, std::wstring_view wide, BOOL* usedDefault) {
    if (wide.empty()) return {};
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    if (codePage == CP_UTF8) usedDefault = nullptr;
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr,
                          nullptr);
    return bytes;
}
} // namespace

std::wstring AfxWide(std::string_view utf8) {
    return WideFrom(CP_UTF8, utf8);
}

std::string AfxUtf8(std::wstring_view utf16) {
    return BytesFrom(CP_UTF8, utf16, nullptr);
}

std::optional<std::string> AfxCodePageText(std::string_view utf8) {
    return AfxCodePageTextIn(::GetACP(), utf8);
}

std::string AfxCodePageToUtf8(std::string_view bytes) {
    return AfxCodePageToUtf8In(::GetACP(), bytes);
}

std::optional<std::string> AfxCodePageTextIn(unsigned codePage, std::string_view utf8) {
    // Where the code page is UTF-8, text beyond ASCII is left to the marked form: unmarked, a
    // machine of another code page would read it garbled.
    if (codePage == CP_UTF8) {
        if (std::any_of(utf8.begin(), utf8.end(), [](char ch) { return ch & 0x80; }))
            return std::nullopt;
        return std::string(utf8);
    }
    BOOL usedDefault = FALSE;
    std::string bytes = BytesFrom(codePage, AfxWide(utf8), &usedDefault);
    if (usedDefault) return std::nullopt;
    return bytes;
}

std::string AfxCodePageToUtf8In(unsigned codePage, std::string_view bytes) {
    if (codePage == CP_UTF8) {
        // Unmarked text that is not UTF-8 was written on a Western machine.
        const bool valid =
            bytes.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                   static_cast<int>(bytes.size()), nullptr, 0) > 0;
        if (valid) return std::string(bytes);
        codePage = kWesternCodePage;
    }
    return AfxUtf8(WideFrom(codePage, bytes));
}
