// An HTML page's bytes as a browser reads them: its encoding, its first BODY start tag and the
// program's style element, rewritten so that every other byte stays. Portable: standard library
// only; every scan is linear in the page's length.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BodyTag.h"

// Code page numbers as Windows names them.
inline constexpr int kCodePageUtf8 = 65001;
inline constexpr int kCodePageUtf16LE = 1200;
inline constexpr int kCodePageUtf16BE = 1201;

struct PageEncoding {
    int codePage = 0;
    size_t bomLength = 0; // the byte order mark's bytes at the start, 0 without one
};

// A byte order mark; else the first <meta charset> or http-equiv Content-Type among the first
// 1024 bytes, read as a browser prescans them; else systemCodePage.
PageEncoding FindPageEncoding(std::string_view page, int systemCodePage);
// The code page of an encoding label ("utf-8", "Shift_JIS", ...) as a browser reads it; 0 for a
// label it does not know and for encodings whose bytes could pass for markup ('<' inside a
// character), which cannot be rewritten byte for byte.
int CodePageOfLabel(std::string_view label);

// The elements whose text no tag can stand in; <plaintext> ends all tags.
inline constexpr std::string_view kRawTextElements[9] = {
    "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "noscript"};

// A start tag: from its '<' to just after its '>'.
struct PageTag {
    size_t begin = 0;
    size_t end = 0;
};
// The first <body> start tag that a browser's tokenizer meets: none inside a comment, a script,
// a style element, a title, a text area and the like.
std::optional<PageTag> FindBodyStartTag(std::string_view page);

// What a page's colours come from, for a reader of whole pages: the page up to the end of its first
// BODY start tag, then each later style element (none in a comment or a script); the whole page
// without a BODY tag. Many times quicker than reading every tag of a large page.
std::string PageColorSource(std::string_view page);

// The page's text in the page's encoding for UTF-8 text; nullopt where the encoding cannot hold it.
using PageTextEncoder = std::function<std::optional<std::string>(std::string_view utf8)>;

enum class PageEditStatus { Done, NoBody, NotEncodable };
// The page's bytes from begin to end replaced by text.
struct PageSplice {
    size_t begin = 0, end = 0;
    std::string text;
};
struct PageEdit {
    PageEditStatus status = PageEditStatus::Done;
    std::vector<PageSplice> splices; // in the page's order, none overlapping, when Done
};
// The page with the edit made; a large page is better written part by part (ForEachEditedPart).
std::string EditedPage(std::string_view page, const PageEdit& edit);
// The edited page's parts in order: the page's own bytes between the splices, and their texts.
void ForEachEditedPart(std::string_view page, const PageEdit& edit,
                       const std::function<void(std::string_view)>& part);

// The first BODY start tag with TEXT, LINK, VLINK, ALINK and BGCOLOR, or BACKGROUND in the
// background form, as Copy Tag gives them (the other of BGCOLOR and BACKGROUND removed). An
// attribute already there keeps its place and name and takes the value; a new one goes before the
// tag's '>'.
PageEdit ApplyBodyColors(std::string_view page, const BodyTagInputs& colors,
                         const PageTextEncoder& encode);

// The id of the style element that the program writes.
inline constexpr const char* kPageStyleId = "tintwright-colors";
// rules (UTF-8, lines ended by CR LF) in <style id="tintwright-colors">: that element replaced
// where the page has one; else added at the end of the head, or before the BODY start tag when the
// head has no end tag before it. Lines end as the page's first line does.
PageEdit ApplyStyleElement(std::string_view page, std::string_view rules,
                           const PageTextEncoder& encode);
