#include "PageText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "AsciiText.h"

namespace {
// What a browser's prescan reads of a page for its encoding.
constexpr size_t kPrescanLength = 1024;

// The bytes of a word that are zero, each marked by its top bit; exact, with no false marks.
constexpr uint64_t ZeroBytes(uint64_t word) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The first '<' at or after from that may open a comment or a script or style element ("<!",
// "<s", "<S"), or npos. A page's other tags, most of its '<', are passed over eight bytes at a
// time: one search call each made this scan cost as much as copying the page.
size_t FindCommentOrElement(std::string_view page, size_t from) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const char* const data = page.data();
    const size_t n = page.size();
    size_t at = from;
    for (; at + 9 <= n; at += 8) {
        uint64_t here = 0;
        uint64_t next = 0;
        std::memcpy(&here, data + at, 8);
        std::memcpy(&next, data + at + 1, 8); // the byte after each, the next word's first too
        const uint64_t opens = ZeroBytes(here ^ kOnes * '<');
        const uint64_t follows =
            ZeroBytes(next ^ kOnes * '!') | ZeroBytes((next | kOnes * 0x20) ^ kOnes * 's');
        if (opens & follows) break; // found in these eight bytes, whatever their order in the word
    }
    for (; at + 1 < n; ++at) {
        const char following = data[at + 1];
        if (data[at] == '<' && (following == '!' || following == 's' || following == 'S'))
            return at;
    }
    return std::string_view::npos;
}

// ---- The encoding ----

struct Label {
    const char* name;
    int codePage;
};
// The labels that pages use, as the Encoding Standard reads them; ISO-2022-JP, UTF-7 and the like
// are left out: their characters can hold '<' and '"'.
constexpr Label kLabels[] = {
    {"utf-8", kCodePageUtf8},
    {"utf8", kCodePageUtf8},
    {"unicode-1-1-utf-8", kCodePageUtf8},
    // A page that says it is UTF-16 in its own ASCII bytes is not: browsers read UTF-8.
    {"utf-16", kCodePageUtf8},
    {"utf-16le", kCodePageUtf8},
    {"utf-16be", kCodePageUtf8},
    {"unicode", kCodePageUtf8},
    {"windows-1252", 1252},
    {"iso-8859-1", 1252},
    {"latin1", 1252},
    {"l1", 1252},
    {"us-ascii", 1252},
    {"ascii", 1252},
    {"cp1252", 1252},
    {"x-cp1252", 1252},
    {"iso8859-1", 1252},
    {"iso_8859-1", 1252},
    {"cp819", 1252},
    {"ibm819", 1252},
    {"x-user-defined", 1252},
    {"windows-1250", 1250},
    {"cp1250", 1250},
    {"windows-1251", 1251},
    {"cp1251", 1251},
    {"windows-1253", 1253},
    {"cp1253", 1253},
    {"windows-1254", 1254},
    {"iso-8859-9", 1254},
    {"latin5", 1254},
    {"cp1254", 1254},
    {"windows-1255", 1255},
    {"cp1255", 1255},
    {"windows-1256", 1256},
    {"cp1256", 1256},
    {"windows-1257", 1257},
    {"cp1257", 1257},
    {"windows-1258", 1258},
    {"cp1258", 1258},
    {"windows-874", 874},
    {"tis-620", 874},
    {"iso-8859-11", 874},
    {"iso-8859-2", 28592},
    {"latin2", 28592},
    {"iso-8859-3", 28593},
    {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},
    {"iso-8859-6", 28596},
    {"iso-8859-7", 28597},
    {"greek", 28597},
    {"iso-8859-8", 28598},
    {"iso-8859-13", 28603},
    {"iso-8859-15", 28605},
    {"latin9", 28605},
    {"koi8-r", 20866},
    {"koi8", 20866},
    {"koi8-u", 21866},
    {"ibm866", 866},
    {"cp866", 866},
    {"macintosh", 10000},
    {"mac", 10000},
    {"shift_jis", 932},
    {"sjis", 932},
    {"ms_kanji", 932},
    {"windows-31j", 932},
    {"x-sjis", 932},
    {"csshiftjis", 932},
    {"euc-jp", 20932},
    {"gbk", 936},
    {"gb2312", 936},
    {"x-gbk", 936},
    {"cp936", 936},
    {"gb18030", 54936},
    {"big5", 950},
    {"big5-hkscs", 950},
    {"x-x-big5", 950},
    {"euc-kr", 949},
    {"ks_c_5601-1987", 949},
    {"windows-949", 949},
    {"cseuckr", 949},
};

// The name and value of one attribute, lower case, as the prescan gets them; nullopt at '>' or at
// the end of the bytes it reads.
struct PrescanAttribute {
    std::string name, value;
};
std::optional<PrescanAttribute> GetAttribute(std::string_view p, size_t& pos) {
    const size_t n = p.size();
    while (pos < n && (IsBlank(p[pos]) || p[pos] == '/'))
        ++pos;
    if (pos >= n || p[pos] == '>') return std::nullopt;
    PrescanAttribute attribute;
    for (;; ++pos) {
        if (pos >= n) return std::nullopt;
        const char ch = p[pos];
        if (ch == '=' && !attribute.name.empty()) break;
        if (IsBlank(ch)) {
            while (pos < n && IsBlank(p[pos]))
                ++pos;
            if (pos >= n) return std::nullopt;
            if (p[pos] != '=') return attribute;
            break;
        }
        if (ch == '/' || ch == '>') return attribute;
        attribute.name += Lower(ch);
    }
    ++pos; // the '='
    while (pos < n && IsBlank(p[pos]))
        ++pos;
    if (pos >= n) return std::nullopt;
    if (p[pos] == '"' || p[pos] == '\'') {
        const char quote = p[pos++];
        for (; pos < n; ++pos) {
            if (p[pos] == quote) {
                ++pos;
                return attribute;
            }
            attribute.value += Lower(p[pos]);
        }
        return std::nullopt;
    }
    if (p[pos] == '>') return attribute;
    for (; pos < n; ++pos) {
        if (IsBlank(p[pos]) || p[pos] == '>') return attribute;
        attribute.value += Lower(p[pos]);
    }
    return std::nullopt;
}

// The encoding named by a Content-Type's "charset=", as the prescan takes it from content.
std::optional<std::string> CharsetOfContent(std::string_view content) {
    size_t pos = 0;
    for (;;) {
        pos = content.find("charset", pos);
        if (pos == std::string_view::npos) return std::nullopt;
        pos += 7;
        while (pos < content.size() && IsBlank(content[pos]))
            ++pos;
        if (pos < content.size() && content[pos] == '=') break;
    }
    ++pos;
    while (pos < content.size() && IsBlank(content[pos]))
        ++pos;
    if (pos >= content.size()) return std::nullopt;
    if (content[pos] == '"' || content[pos] == '\'') {
        const size_t close = content.find(content[pos], pos + 1);
        if (close == std::string_view::npos) return std::nullopt;
        return std::string(content.substr(pos + 1, close - pos - 1));
    }
    size_t end = pos;
    while (end < content.size() && !IsBlank(content[end]) && content[end] != ';')
        ++end;
    return std::string(content.substr(pos, end - pos));
}

// The code page that a <meta> names, from the attributes after "<meta"; 0 for none.
int MetaCodePage(std::string_view p, size_t& pos) {
    std::vector<std::string> seen;
    bool gotPragma = false;
    std::optional<bool> needPragma;
    int codePage = 0;
    while (auto attribute = GetAttribute(p, pos)) {
        if (std::find(seen.begin(), seen.end(), attribute->name) != seen.end()) continue;
        seen.push_back(attribute->name);
        if (attribute->name == "http-equiv") {
            gotPragma = gotPragma || attribute->value == "content-type";
        } else if (attribute->name == "content" && !needPragma) {
            if (auto charset = CharsetOfContent(attribute->value)) {
                codePage = CodePageOfLabel(*charset);
                needPragma = true;
            }
        } else if (attribute->name == "charset") {
            codePage = CodePageOfLabel(attribute->value);
            needPragma = false;
        }
    }
    if (!needPragma || (*needPragma && !gotPragma)) return 0;
    return codePage;
}

int PrescanCodePage(std::string_view p) {
    size_t pos = 0;
    while (pos < p.size()) {
        if (p.compare(pos, 4, "<!--") == 0) {
            const size_t close = p.find("-->", pos + 2);
            if (close == std::string_view::npos) return 0;
            pos = close + 3;
            continue;
        }
        if (StartsWithNoCase(p, pos, "<meta") && pos + 5 < p.size() &&
            (IsBlank(p[pos + 5]) || p[pos + 5] == '/')) {
            pos += 5;
            if (const int codePage = MetaCodePage(p, pos)) return codePage;
            continue;
        }
        const bool endTag = p.compare(pos, 2, "</") == 0;
        if (p[pos] == '<' && pos + 1 < p.size() &&
            (IsAsciiLetter(p[pos + 1]) ||
             (endTag && pos + 2 < p.size() && IsAsciiLetter(p[pos + 2])))) {
            while (pos < p.size() && !IsBlank(p[pos]) && p[pos] != '>')
                ++pos;
            while (GetAttribute(p, pos)) {
            }
            continue;
        }
        if (p.compare(pos, 2, "<!") == 0 || endTag || p.compare(pos, 2, "<?") == 0) {
            pos = p.find('>', pos + 1);
            if (pos == std::string_view::npos) return 0;
        }
        ++pos;
    }
    return 0;
}

// ---- Tags as a browser's tokenizer meets them ----

struct Attribute {
    size_t nameBegin = 0, nameEnd = 0;
    size_t end = 0;            // after its value and the value's closing quote
    bool valueMissing = false; // "name=" cut off by the tag's '>'
    bool Is(std::string_view page, std::string_view lower) const {
        return EqualsNoCase(page.substr(nameBegin, nameEnd - nameBegin), lower);
    }
};
struct Tag {
    size_t begin = 0, end = 0;
    size_t insertAt = 0; // where a new attribute goes: before '>', or before "/>"
    bool endTag = false;
    std::string_view name; // as written
    bool Is(std::string_view lower) const { return EqualsNoCase(name, lower); }
    std::vector<Attribute> attributes;
    std::vector<std::string_view> values; // each attribute's value as written, unquoted
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view page) : m_page(page) {}

    // The next start or end tag; false at the end of the page.
    bool Next(Tag& tag) {
        const std::string_view p = m_page;
        for (;;) {
            if (!m_rawTextOf.empty() && !SkipRawText()) return false;
            const size_t open = p.find('<', m_pos);
            if (open == std::string_view::npos || open + 1 >= p.size()) return false;
            const char next = p[open + 1];
            if (next == '!' && p.compare(open, 4, "<!--") == 0) {
                if (!SkipComment(open + 4)) return false;
            } else if (next == '!' || next == '?') {
                if (!SkipPast('>', open + 2)) return false;
            } else if (next == '/') {
                if (open + 2 < p.size() && IsAsciiLetter(p[open + 2])) {
                    tag.endTag = true;
                    return ReadTag(open, open + 2, tag);
                }
                if (!SkipPast('>', open + 2)) return false;
            } else if (IsAsciiLetter(next)) {
                tag.endTag = false;
                if (!ReadTag(open, open + 1, tag)) return false;
                if (tag.Is("plaintext")) m_pos = p.size();
                for (std::string_view element : kRawTextElements)
                    if (tag.Is(element)) m_rawTextOf = element;
                return true;
            } else {
                m_pos = open + 1;
            }
        }
    }

private:
    bool SkipPast(char ch, size_t from) {
        const size_t at = m_page.find(ch, from);
        if (at == std::string_view::npos) return false;
        m_pos = at + 1;
        return true;
    }

    // After "<!--": to the end of "-->" or "--!>"; "<!-->" and "<!--->" end at once.
    bool SkipComment(size_t from) {
        const std::string_view p = m_page;
        if (p.compare(from, 1, ">") == 0) return m_pos = from + 1, true;
        if (p.compare(from, 2, "->") == 0) return m_pos = from + 2, true;
        for (;;) {
            const size_t dashes = p.find("--", from);
            if (dashes == std::string_view::npos) return false;
            size_t after = dashes + 2;
            while (after < p.size() && p[after] == '-')
                ++after;
            if (p.compare(after, 1, ">") == 0) return m_pos = after + 1, true;
            if (p.compare(after, 2, "!>") == 0) return m_pos = after + 2, true;
            from = after;
        }
    }

    // To the '<' of the end tag of the raw text element just begun.
    bool SkipRawText() {
        const std::string_view p = m_page;
        for (size_t at = m_pos;; ++at) {
            at = p.find("</", at);
            if (at == std::string_view::npos) return false;
            const size_t after = at + 2 + m_rawTextOf.size();
            if (StartsWithNoCase(p, at + 2, m_rawTextOf) && after < p.size() &&
                (IsBlank(p[after]) || p[after] == '/' || p[after] == '>')) {
                m_pos = at;
                m_rawTextOf = {};
                return true;
            }
        }
    }

    // A tag whose name starts at nameBegin; false when the page ends inside it.
    bool ReadTag(size_t begin, size_t nameBegin, Tag& tag) {
        const std::string_view p = m_page;
        const size_t n = p.size();
        tag.begin = begin;
        tag.attributes.clear();
        tag.values.clear();
        size_t k = nameBegin;
        while (k < n && !IsBlank(p[k]) && p[k] != '/' && p[k] != '>')
            ++k;
        tag.name = p.substr(nameBegin, k - nameBegin);
        for (;;) {
            while (k < n && IsBlank(p[k]))
                ++k;
            if (k >= n) return false;
            if (p[k] == '>') {
                tag.insertAt = k;
                break;
            }
            if (p[k] == '/') {
                if (k + 1 < n && p[k + 1] == '>') {
                    tag.insertAt = k;
                    ++k;
                    break;
                }
                ++k;
                continue;
            }
            Attribute attribute;
            attribute.nameBegin = k++;
            while (k < n && !IsBlank(p[k]) && p[k] != '/' && p[k] != '>' && p[k] != '=')
                ++k;
            attribute.nameEnd = attribute.end = k;
            std::string_view value;
            size_t m = k;
            while (m < n && IsBlank(p[m]))
                ++m;
            if (m < n && p[m] == '=') {
                ++m;
                while (m < n && IsBlank(p[m]))
                    ++m;
                if (m >= n) return false;
                if (p[m] == '"' || p[m] == '\'') {
                    const size_t close = p.find(p[m], m + 1);
                    if (close == std::string_view::npos) return false;
                    value = p.substr(m + 1, close - m - 1);
                    k = close + 1;
                } else {
                    size_t v = m;
                    while (v < n && !IsBlank(p[v]) && p[v] != '>')
                        ++v;
                    value = p.substr(m, v - m);
                    attribute.valueMissing = v == m;
                    k = v;
                }
                attribute.end = k;
            }
            tag.attributes.push_back(attribute);
            tag.values.push_back(value);
        }
        tag.end = k + 1;
        m_pos = tag.end;
        return true;
    }

    std::string_view m_page;
    size_t m_pos = 0;
    std::string_view m_rawTextOf; // the raw text element whose end tag comes next, lower case
};

std::optional<Tag> FindBody(std::string_view page) {
    Tokenizer tokens(page);
    Tag tag;
    while (tokens.Next(tag))
        if (!tag.endTag && tag.Is("body")) return tag;
    return std::nullopt;
}

// ---- Rewriting ----

using Edit = PageSplice;

PageEdit Sorted(std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        // An insertion goes before a removal that starts where it stands.
        return a.begin < b.begin || (a.begin == b.begin && a.end < b.end);
    });
    return {PageEditStatus::Done, std::move(edits)};
}

// The page's first line ending; CR LF for a page of one line.
std::string_view LineEnd(std::string_view page) {
    const size_t lf = page.find('\n');
    const size_t cr = page.find('\r');
    if (lf == std::string_view::npos && cr == std::string_view::npos) return "\r\n";
    if (cr != std::string_view::npos && (lf == std::string_view::npos || cr < lf))
        return cr + 1 == lf ? "\r\n" : "\r";
    return "\n";
}

std::string WithLineEnds(std::string_view crlfText, std::string_view lineEnd) {
    std::string out;
    out.reserve(crlfText.size());
    for (size_t at = 0; at < crlfText.size();) {
        if (crlfText.compare(at, 2, "\r\n") == 0) {
            out += lineEnd;
            at += 2;
        } else {
            out += crlfText[at++];
        }
    }
    return out;
}

// Where a line of its own goes before the tag at at: the start of its line when only blanks stand
// before the tag there.
size_t LineStartBefore(std::string_view page, size_t at) {
    size_t start = at;
    while (start > 0 && (page[start - 1] == ' ' || page[start - 1] == '\t'))
        --start;
    return start == 0 || page[start - 1] == '\n' || page[start - 1] == '\r' ? start : at;
}

struct NewAttribute {
    const char* name;
    std::string value; // UTF-8, escaped
};
} // namespace

int CodePageOfLabel(std::string_view label) {
    label = Trim(label);
    for (const Label& known : kLabels)
        if (EqualsNoCase(label, known.name)) return known.codePage;
    return 0;
}

PageEncoding FindPageEncoding(std::string_view page, int systemCodePage) {
    if (page.compare(0, 3, "\xEF\xBB\xBF") == 0) return {kCodePageUtf8, 3};
    if (page.compare(0, 2, "\xFE\xFF") == 0) return {kCodePageUtf16BE, 2};
    if (page.compare(0, 2, "\xFF\xFE") == 0) return {kCodePageUtf16LE, 2};
    if (const int codePage = PrescanCodePage(page.substr(0, kPrescanLength))) return {codePage, 0};
    return {systemCodePage, 0};
}

std::optional<PageTag> FindBodyStartTag(std::string_view page) {
    const std::optional<Tag> body = FindBody(page);
    if (!body) return std::nullopt;
    return PageTag{body->begin, body->end};
}

std::string PageColorSource(std::string_view page) {
    const std::optional<Tag> body = FindBody(page);
    if (!body) return std::string(page);
    std::string source(page.substr(0, body->end));
    const size_t n = page.size();
    for (size_t at = body->end; at < n;) {
        at = FindCommentOrElement(page, at);
        if (at == std::string_view::npos) break;
        const char next = page[at + 1];
        if (next == '!' && page.compare(at, 4, "<!--") == 0) {
            const size_t close = page.find("-->", at + 4);
            if (close == std::string_view::npos) break;
            at = close + 3;
            continue;
        }
        if (next != 's' && next != 'S') {
            ++at;
            continue;
        }
        const std::string_view name = StartsWithNoCase(page, at + 1, "script")  ? "script"
                                      : StartsWithNoCase(page, at + 1, "style") ? "style"
                                                                                : "";
        const size_t after = at + 1 + name.size();
        if (name.empty() || after >= n ||
            !(IsBlank(page[after]) || page[after] == '>' || page[after] == '/')) {
            ++at;
            continue;
        }
        // The element runs to the end of its end tag, or of the page.
        size_t end = n;
        for (size_t close = page.find("</", after); close != std::string_view::npos;
             close = page.find("</", close + 2)) {
            const size_t delimiter = close + 2 + name.size();
            if (StartsWithNoCase(page, close + 2, name) && delimiter < n &&
                (IsBlank(page[delimiter]) || page[delimiter] == '>' || page[delimiter] == '/')) {
                const size_t greater = page.find('>', delimiter);
                end = greater == std::string_view::npos ? n : greater + 1;
                break;
            }
        }
        if (name == "style") source.append(page, at, end - at);
        at = end;
    }
    return source;
}

PageEdit ApplyBodyColors(std::string_view page, const BodyTagInputs& colors,
                         const PageTextEncoder& encode) {
    const std::optional<Tag> body = FindBody(page);
    if (!body) return {PageEditStatus::NoBody, {}};

    const auto hex = [](std::string_view digits) { return "#" + std::string(digits); };
    std::vector<NewAttribute> wanted;
    if (colors.backgroundForm)
        wanted.push_back({"BACKGROUND", EscapeAttributeValue(colors.backgroundName)});
    else
        wanted.push_back({"BGCOLOR", hex(colors.bgcolorHex)});
    wanted.push_back({"TEXT", hex(colors.textHex)});
    wanted.push_back({"LINK", hex(colors.linkHex)});
    wanted.push_back({"VLINK", hex(colors.vlinkHex)});
    wanted.push_back({"ALINK", hex(colors.alinkHex)});
    const std::string_view dropped = colors.backgroundForm ? "bgcolor" : "background";

    std::vector<Edit> edits;
    std::string added;
    for (const NewAttribute& attribute : wanted) {
        std::optional<std::string> value = encode(attribute.value);
        if (!value) return {PageEditStatus::NotEncodable, {}};
        const std::string lowerName = LowerCopy(attribute.name);
        // A browser takes the first of repeated attributes and ignores the rest.
        const auto there = std::find_if(body->attributes.begin(), body->attributes.end(),
                                        [&](const Attribute& a) { return a.Is(page, lowerName); });
        if (there != body->attributes.end()) {
            edits.push_back({there->nameEnd, there->end, "=\"" + *value + "\""});
        } else {
            if (!added.empty()) added += ' ';
            added += std::string(attribute.name) + "=\"" + *value + "\"";
        }
    }
    const auto isEdited = [&](const Attribute& a) {
        return std::any_of(edits.begin(), edits.end(),
                           [&](const Edit& edit) { return edit.end == a.end; });
    };
    for (size_t i = 0; i < body->attributes.size(); ++i) {
        const Attribute& a = body->attributes[i];
        if (!a.Is(page, dropped)) continue;
        // The blanks before it go too, unless they part what stood on either side of it.
        const char after = page[a.end];
        size_t from = a.nameBegin;
        while (from > body->begin && IsBlank(page[from - 1]) &&
               (IsBlank(after) || after == '>' || after == '/'))
            --from;
        // A name without a value before it would take a following "=..." for its value.
        size_t next = a.end;
        while (IsBlank(page[next]))
            ++next;
        size_t before = i;
        while (before > 0 && body->attributes[before - 1].Is(page, dropped))
            --before;
        if (page[next] == '=' && before > 0) {
            const Attribute& named = body->attributes[before - 1];
            if (named.end == named.nameEnd && !isEdited(named))
                edits.push_back({named.end, named.end, "=\"\""});
        }
        edits.push_back({from, a.end, {}});
    }
    if (!added.empty()) {
        const bool blankBefore = IsBlank(page[body->insertAt - 1]);
        // A last "name=" left as it was would take the first new attribute for its value.
        const Attribute* last = body->attributes.empty() ? nullptr : &body->attributes.back();
        const std::string value = last && last->valueMissing && !isEdited(*last) ? "\"\"" : "";
        edits.push_back({body->insertAt, body->insertAt,
                         blankBefore ? value + added + " " : value + " " + added});
    }
    return Sorted(std::move(edits));
}

PageEdit ApplyStyleElement(std::string_view page, std::string_view rules,
                           const PageTextEncoder& encode) {
    std::optional<Tag> body;
    std::optional<size_t> headEnd;
    std::optional<Edit> replaced;
    Tokenizer tokens(page);
    Tag tag;
    // The whole page is read: an element of ours after the BODY tag is still the one replaced.
    while (tokens.Next(tag)) {
        if (tag.endTag) {
            if (tag.Is("head") && !body && !headEnd) headEnd = tag.begin;
            continue;
        }
        if (tag.Is("body") && !body) body = tag;
        if (!tag.Is("style") || replaced) continue;
        bool ours = false;
        for (size_t i = 0; i < tag.attributes.size(); ++i) {
            const Attribute& a = tag.attributes[i];
            if (a.Is(page, "id")) {
                ours = tag.values[i] == kPageStyleId;
                break;
            }
        }
        if (!ours) continue;
        const size_t begin = tag.begin;
        // Its end tag comes next, or the page ends inside it.
        const size_t end = tokens.Next(tag) ? tag.end : page.size();
        replaced = Edit{begin, end, {}};
        if (end == page.size()) break;
    }
    if (!body) return {PageEditStatus::NoBody, {}};

    const std::string_view lineEnd = LineEnd(page);
    std::optional<std::string> element =
        encode(std::string("<style id=\"") + kPageStyleId + "\">" + std::string(lineEnd) +
               WithLineEnds(rules, lineEnd) + "</style>");
    if (!element) return {PageEditStatus::NotEncodable, {}};
    std::vector<Edit> edits;
    if (replaced) {
        replaced->text = std::move(*element);
        edits.push_back(std::move(*replaced));
    } else {
        const size_t before = headEnd ? *headEnd : body->begin;
        const size_t at = LineStartBefore(page, before);
        edits.push_back({at, at, *element + std::string(at == before ? "" : lineEnd)});
    }
    return Sorted(std::move(edits));
}

void ForEachEditedPart(std::string_view page, const PageEdit& edit,
                       const std::function<void(std::string_view)>& part) {
    size_t at = 0;
    for (const PageSplice& splice : edit.splices) {
        if (splice.begin > at) part(page.substr(at, splice.begin - at));
        if (!splice.text.empty()) part(splice.text);
        at = splice.end;
    }
    if (at < page.size()) part(page.substr(at));
}

std::string EditedPage(std::string_view page, const PageEdit& edit) {
    std::string out;
    ForEachEditedPart(page, edit, [&](std::string_view part) { out += part; });
    return out;
}
