// Character tests and small text helpers shared by the readers of colours, style sheets and
// pages, which all work on ASCII in UTF-8 text. Portable: standard library only.
#pragma once
#include <string>
#include <string_view>

// The blanks of HTML and CSS: space, tab, line feed, carriage return and form feed.
inline bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f';
}
inline char Lower(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}
inline bool IsAsciiLetter(char ch) {
    ch = Lower(ch);
    return ch >= 'a' && ch <= 'z';
}
// The value of a hexadecimal digit in either case, or -1.
inline int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    ch = Lower(ch);
    return ch >= 'a' && ch <= 'f' ? ch - 'a' + 10 : -1;
}
inline std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}
inline std::string LowerCopy(std::string_view text) {
    std::string out(text);
    for (char& ch : out)
        ch = Lower(ch);
    return out;
}
// Whether text holds lower (lower case ASCII) at at, in any case; a plain loop, as the pieces
// are too short for a library call to pay.
inline bool StartsWithNoCase(std::string_view text, size_t at, std::string_view lower) {
    if (at > text.size() || text.size() - at < lower.size()) return false;
    for (size_t i = 0; i < lower.size(); ++i)
        if (Lower(text[at + i]) != lower[i]) return false;
    return true;
}
// Whether text is lower (lower case ASCII) in any case.
inline bool EqualsNoCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() && StartsWithNoCase(text, 0, lower);
}
