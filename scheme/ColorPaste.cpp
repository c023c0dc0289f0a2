#include "ColorPaste.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>
#include <vector>

#include "AsciiText.h"
#include "CssColor.h"
#include "LegacyColor.h"
#include "PageText.h"
#include "SchemeExport.h"

namespace {
constexpr int kPictureSlot = 5; // after the five roles
constexpr int kSlotCount = 6;
enum RoleSlot { SlotBackground, SlotText, SlotLink, SlotVisited, SlotActive };
// var() within var() is followed this deep, and a value grows no longer than this on the way.
constexpr int kDeepestVar = 16;
constexpr size_t kLongestValue = 4096;
// The work that var() may take: a fixed allowance and a few steps for each byte of the values.
constexpr size_t kVarWork = 1 << 16;
constexpr size_t kVarWorkPerByte = 4;
// Nesting that a token file may have; deeper files are not tokens that this program wrote.
constexpr int kDeepestJson = 32;
// A style attribute beats every rule of a style sheet.
constexpr int kStyleAttributeSpecificity = 1 << 20;
// How far a page's next tag is looked for byte by byte.
constexpr size_t kNearTag = 32;
// "xmp": no element whose content is raw text has a shorter name.
constexpr size_t kShortestRawTextName = 3;

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A value that a property's cascade keeps: the later of two equals wins.
struct Winner {
    bool set = false;
    std::tuple<bool, int, size_t> rank; // important, specificity, order
    uint32_t color = 0;
    std::string picture;
};
struct Cascade {
    Winner slots[kSlotCount];
    void Offer(int slot, std::tuple<bool, int, size_t> rank, uint32_t color, std::string picture) {
        Winner& winner = slots[slot];
        if (winner.set && rank < winner.rank) return;
        winner = {true, rank, color, std::move(picture)};
    }
};

// ---- CSS ----

// Which elements a selector matches: the page's root, its body, or links in some states.
enum class Target { None, Root, Body, Links };
struct Match {
    Target target = Target::None;
    bool roles[5] = {}; // for links: which of the three link roles
    int specificity = 0;
};

// One compound selector such as "a:link" or ":root": its type and pseudo-classes.
bool ParseCompound(std::string_view compound, std::string_view& type,
                   std::vector<std::string_view>& pseudos) {
    size_t i = 0;
    while (i < compound.size() && compound[i] != ':')
        ++i;
    type = compound.substr(0, i);
    if (type != "" && type != "a" && type != "body" && type != "html") return false;
    while (i < compound.size()) {
        size_t end = i + 1;
        while (end < compound.size() && compound[end] != ':')
            ++end;
        const std::string_view pseudo = compound.substr(i + 1, end - i - 1);
        if (pseudo != "root" && pseudo != "link" && pseudo != "visited" && pseudo != "active" &&
            pseudo != "any-link")
            return false;
        pseudos.push_back(pseudo);
        i = end;
    }
    return !type.empty() || !pseudos.empty();
}

// written (comments gone, any case) as one of the targets, or None where it could match
// something else as well or nothing of the sample page.
Match MatchSelector(std::string_view written) {
    Match match;
    // Classes, ids, attributes, the universal selector and siblings name other elements.
    for (char ch : written)
        if (ch == '.' || ch == '#' || ch == '[' || ch == '*' || ch == '+' || ch == '~')
            return match;
    const std::string lower = LowerCopy(written);
    const std::string_view selector = lower;
    std::vector<std::string_view> compounds;
    size_t i = 0;
    while (i < selector.size()) {
        if (IsBlank(selector[i]) || selector[i] == '>') {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < selector.size() && !IsBlank(selector[end]) && selector[end] != '>')
            ++end;
        compounds.push_back(selector.substr(i, end - i));
        i = end;
    }
    if (compounds.empty()) return match;
    int types = 0, classes = 0;
    for (size_t k = 0; k < compounds.size(); ++k) {
        std::string_view type;
        std::vector<std::string_view> pseudos;
        if (!ParseCompound(compounds[k], type, pseudos)) return {};
        types += !type.empty();
        classes += static_cast<int>(pseudos.size());
        const bool isRoot = (type == "html" || type.empty()) &&
                            std::all_of(pseudos.begin(), pseudos.end(),
                                        [](std::string_view p) { return p == "root"; });
        const bool isBody = type == "body" && pseudos.empty();
        const bool last = k + 1 == compounds.size();
        if (!last) {
            // An ancestor: the root, or the body above a link.
            if (!isRoot && !isBody) return {};
            continue;
        }
        if (isRoot)
            match.target = compounds.size() == 1 ? Target::Root : Target::None;
        else if (isBody)
            match.target = Target::Body;
        else if (type == "a" || type.empty()) {
            // The sample page's links: a new one, a visited one and an active new one.
            const std::vector<std::string_view> states[3] = {
                {"link", "any-link"}, {"visited", "any-link"}, {"link", "any-link", "active"}};
            for (int role = 0; role < 3; ++role)
                match.roles[SlotLink + role] =
                    std::all_of(pseudos.begin(), pseudos.end(), [&](std::string_view p) {
                        return std::find(states[role].begin(), states[role].end(), p) !=
                               states[role].end();
                    });
            if (match.roles[SlotLink] || match.roles[SlotVisited] || match.roles[SlotActive])
                match.target = Target::Links;
        }
    }
    if (match.target == Target::Body && compounds.size() > 1 &&
        compounds.end() != std::find(compounds.begin(), compounds.end() - 1, "body"))
        return {};
    match.specificity = classes * 1024 + types;
    return match;
}

struct Declaration {
    Target target;
    bool roles[5];
    std::tuple<bool, int, size_t> rank;
    std::string name; // lower case, except custom properties
    std::string value;
};

// The text with its comments gone (strings kept as they are).
std::string WithoutComments(std::string_view css) {
    std::string out;
    out.reserve(css.size());
    size_t i = 0;
    while (i < css.size()) {
        size_t special = i;
        while (special < css.size() && css[special] != '/' && css[special] != '"' &&
               css[special] != '\'')
            ++special;
        out.append(css, i, special - i);
        i = special;
        if (i >= css.size()) break;
        const char ch = css[i];
        if (ch == '/' && i + 1 < css.size() && css[i + 1] == '*') {
            const size_t end = css.find("*/", i + 2);
            if (end == std::string_view::npos) break;
            out += ' ';
            i = end + 2;
            continue;
        }
        size_t end = i + 1;
        if (ch != '/') {
            while (end < css.size() && css[end] != ch && css[end] != '\n')
                end += css[end] == '\\' ? 2 : 1;
            end = std::min(end + 1, css.size());
        }
        out.append(css, i, end - i);
        i = end;
    }
    return out;
}

// The characters that end a scan, and those that it must look at: the stops, quotes and
// brackets, and where comments are passed over, '/'; the rest pass at once.
struct Stops {
    std::array<bool, 256> special{}, stop{};
    bool comments = false;
    constexpr explicit Stops(std::string_view stops, bool passComments = false)
        : comments(passComments) {
        for (char ch : std::string_view("\"'()[]{}"))
            special[static_cast<unsigned char>(ch)] = true;
        for (char ch : stops)
            special[static_cast<unsigned char>(ch)] = stop[static_cast<unsigned char>(ch)] = true;
        if (comments) special['/'] = true;
    }
};
constexpr Stops kDeclarationEnd(";"), kListEnd(","), kCallEnd(")"), kWordEnd(" \t\n\r\f,/");
// A style sheet's rules are found in its text as written, comments and all, in one pass.
constexpr Stops kAtRuleEnd(";{", true), kBlockStart("{", true), kBlockEnd("}", true);

// The end of what starts at i: to the first of stops at depth 0, outside strings.
size_t ScanTo(std::string_view css, size_t i, const Stops& stops) {
    const auto& special = stops.special;
    const auto& stop = stops.stop;
    const auto isSpecial = [&](size_t at) -> int {
        return special[static_cast<unsigned char>(css[at])];
    };
    int depth = 0;
    for (; i < css.size(); ++i) {
        // Most bytes are plain: they pass four at a time, tested without a branch each.
        while (i + 4 <= css.size() &&
               !(isSpecial(i) | isSpecial(i + 1) | isSpecial(i + 2) | isSpecial(i + 3)))
            i += 4;
        if (i >= css.size()) break;
        const auto ch = static_cast<unsigned char>(css[i]);
        if (!special[ch]) continue;
        if (depth == 0 && stop[ch]) return i;
        if (ch == '/' && stops.comments) {
            if (i + 1 < css.size() && css[i + 1] == '*') {
                const size_t end = css.find("*/", i + 2);
                if (end == std::string_view::npos) return css.size();
                i = end + 1;
            }
        } else if (ch == '"' || ch == '\'') {
            for (++i; i < css.size() && static_cast<unsigned char>(css[i]) != ch && css[i] != '\n';
                 ++i)
                if (css[i] == '\\') ++i;
        } else if (ch == '(' || ch == '[' || ch == '{') {
            ++depth;
        } else if ((ch == ')' || ch == ']' || ch == '}') && depth > 0) {
            --depth;
        }
    }
    return css.size();
}

void ReadDeclarations(std::string_view block, const Match& match, size_t& order,
                      std::vector<Declaration>& out) {
    size_t i = 0;
    while (i < block.size()) {
        const size_t end = ScanTo(block, i, kDeclarationEnd);
        const std::string_view declaration = block.substr(i, end - i);
        i = end + 1;
        const size_t colon = declaration.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = Trim(declaration.substr(0, colon));
        std::string_view value = Trim(declaration.substr(colon + 1));
        bool important = false;
        const size_t bang = value.rfind('!');
        if (bang != std::string_view::npos &&
            EqualsNoCase(Trim(value.substr(bang + 1)), "important")) {
            important = true;
            value = Trim(value.substr(0, bang));
        }
        Declaration d{match.target,
                      {},
                      {important, match.specificity, order++},
                      name.substr(0, 2) == "--" ? std::string(name) : LowerCopy(name),
                      std::string(value)};
        std::copy(std::begin(match.roles), std::end(match.roles), d.roles);
        out.push_back(std::move(d));
    }
}

// piece with its comments gone, in store where it had any.
std::string_view WithoutComments(std::string_view piece, std::string& store) {
    if (piece.find("/*") == std::string_view::npos) return piece;
    store = WithoutComments(piece);
    return store;
}

void ReadStyleSheet(std::string_view text, size_t& order, std::vector<Declaration>& out) {
    size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
        } else if (text.compare(i, 2, "/*") == 0) {
            const size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos) break;
            i = end + 2;
        } else if (text.compare(i, 4, "<!--") == 0) {
            i += 4;
        } else if (text.compare(i, 3, "-->") == 0) {
            i += 3;
        } else if (text[i] == '@') {
            // Media queries and other at-rules may not apply to the page as shown.
            const size_t end = ScanTo(text, i, kAtRuleEnd);
            i = end < text.size() && text[end] == '{' ? ScanTo(text, end + 1, kBlockEnd) + 1
                                                      : end + 1;
        } else {
            const size_t open = ScanTo(text, i, kBlockStart);
            if (open >= text.size()) break;
            const size_t close = ScanTo(text, open + 1, kBlockEnd);
            std::string selectorsStore, blockStore;
            const std::string_view selectors =
                WithoutComments(text.substr(i, open - i), selectorsStore);
            const std::string_view written =
                text.substr(open + 1, std::min(close, text.size()) - open - 1);
            i = close + 1;
            // Each element takes the rule once, at the highest specificity among the
            // selectors that match it; so the block is read at most five times.
            int root = -1, body = -1, links[5] = {-1, -1, -1, -1, -1};
            for (size_t s = 0; s < selectors.size();) {
                const size_t comma = ScanTo(selectors, s, kListEnd);
                const Match match = MatchSelector(Trim(selectors.substr(s, comma - s)));
                s = comma + 1;
                if (match.target == Target::Root) root = std::max(root, match.specificity);
                if (match.target == Target::Body) body = std::max(body, match.specificity);
                for (int role = SlotLink; role <= SlotActive; ++role)
                    if (match.roles[role]) links[role] = std::max(links[role], match.specificity);
            }
            if (root < 0 && body < 0 && *std::max_element(std::begin(links), std::end(links)) < 0)
                continue;
            const std::string_view block = WithoutComments(written, blockStore);
            if (root >= 0) ReadDeclarations(block, Match{Target::Root, {}, root}, order, out);
            if (body >= 0) ReadDeclarations(block, Match{Target::Body, {}, body}, order, out);
            for (int role = SlotLink; role <= SlotActive; ++role) {
                if (links[role] < 0) continue;
                Match match{Target::Links, {}, links[role]};
                for (int other = role; other <= SlotActive; ++other)
                    if (links[other] == match.specificity)
                        match.roles[other] = true, links[other] = -1;
                ReadDeclarations(block, match, order, out);
            }
        }
    }
}

// The picture of a url() at the start of value, its escapes decoded; nullopt for another value.
std::optional<std::string> ReadUrl(std::string_view value) {
    if (!StartsWithNoCase(value, 0, "url(")) return std::nullopt;
    size_t i = 4;
    while (i < value.size() && IsBlank(value[i]))
        ++i;
    const char quote = i < value.size() && (value[i] == '"' || value[i] == '\'') ? value[i] : 0;
    if (quote) ++i;
    std::string out;
    while (i < value.size()) {
        const char ch = value[i];
        if (quote ? ch == quote : (ch == ')' || IsBlank(ch))) break;
        if (ch != '\\') {
            out += ch;
            ++i;
            continue;
        }
        ++i;
        if (i >= value.size()) break;
        if (value[i] == '\n') {
            ++i;
            continue;
        }
        if (HexValue(value[i]) < 0) {
            out += value[i++];
            continue;
        }
        uint32_t cp = 0;
        for (int k = 0; k < 6 && i < value.size() && HexValue(value[i]) >= 0; ++k)
            cp = cp * 16 + static_cast<uint32_t>(HexValue(value[i++]));
        if (i < value.size() && IsBlank(value[i])) ++i;
        AppendUtf8(out, cp);
    }
    return out;
}

// A colour value as a style sheet reads it: hex digits need their '#'.
std::optional<uint32_t> ReadStyleColor(std::string_view value) {
    value = Trim(value);
    // No colour's name is all hex digits.
    if (std::all_of(value.begin(), value.end(), [](char ch) { return HexValue(ch) >= 0; }))
        return std::nullopt;
    return ReadCssColor(value).rgb;
}

// value with each var() replaced by its custom property's value or its fallback; budget is the
// work left for all values together, so that properties naming each other many times over cost
// no more than a few passes over the text.
bool Substitute(std::string_view value, const std::map<std::string, std::string>& custom, int depth,
                size_t& budget, std::string& out) {
    if (depth > kDeepestVar) return false;
    for (size_t i = 0; i < value.size();) {
        if (budget == 0) return false;
        --budget;
        if (!StartsWithNoCase(value, i, "var(")) {
            out += value[i++];
            if (out.size() > kLongestValue) return false;
            continue;
        }
        const size_t close = ScanTo(value, i + 4, kCallEnd);
        if (close >= value.size()) return false;
        const std::string_view inner = value.substr(i + 4, close - i - 4);
        const size_t comma = ScanTo(inner, 0, kListEnd);
        const auto found = custom.find(std::string(Trim(inner.substr(0, comma))));
        if (found != custom.end()) {
            if (!Substitute(found->second, custom, depth + 1, budget, out)) return false;
        } else if (comma >= inner.size() ||
                   !Substitute(inner.substr(comma + 1), custom, depth + 1, budget, out)) {
            return false;
        }
        i = close + 1;
    }
    return true;
}

void ApplyStyleSheet(const std::vector<Declaration>& declarations, Cascade& cascade) {
    // Custom properties: the body's own beat those it inherits from the root.
    std::map<std::string, std::pair<std::tuple<bool, bool, int, size_t>, std::string>> best;
    for (const Declaration& d : declarations) {
        if (d.name.substr(0, 2) != "--" || d.target == Target::Links) continue;
        const auto rank = std::tuple_cat(std::make_tuple(d.target == Target::Body), d.rank);
        auto& entry = best[d.name];
        if (entry.second.empty() || !(rank < entry.first)) entry = {rank, d.value};
    }
    std::map<std::string, std::string> custom;
    for (auto& [name, entry] : best)
        custom[name] = entry.second;

    size_t budget = kVarWork;
    for (const Declaration& d : declarations)
        budget += kVarWorkPerByte * d.value.size();
    for (const Declaration& d : declarations) {
        if (d.target == Target::Root || d.name.substr(0, 2) == "--") continue;
        std::string value;
        if (!Substitute(d.value, custom, 0, budget, value)) continue;
        if (d.target == Target::Links) {
            if (d.name != "color") continue;
            if (const auto color = ReadStyleColor(value))
                for (int role = SlotLink; role <= SlotActive; ++role)
                    if (d.roles[role]) cascade.Offer(role, d.rank, *color, {});
            continue;
        }
        if (d.name == "color" || d.name == "background-color") {
            if (const auto color = ReadStyleColor(value))
                cascade.Offer(d.name == "color" ? SlotText : SlotBackground, d.rank, *color, {});
        } else if (d.name == "background-image") {
            if (auto picture = ReadUrl(Trim(value)))
                cascade.Offer(kPictureSlot, d.rank, 0, std::move(*picture));
        } else if (d.name == "background") {
            // The shorthand's words: a url() names the picture, a colour is the colour.
            for (size_t i = 0; i < value.size();) {
                const size_t end = ScanTo(value, i, kWordEnd);
                const std::string_view word = std::string_view(value).substr(i, end - i);
                i = end + 1;
                if (auto picture = ReadUrl(word))
                    cascade.Offer(kPictureSlot, d.rank, 0, std::move(*picture));
                else if (const auto color = ReadStyleColor(word))
                    cascade.Offer(SlotBackground, d.rank, *color, {});
            }
        }
    }
}

// ---- HTML ----

// The value of a character reference at text[i] == '&' in an attribute value, and its length;
// the named ones that attribute values carry in practice, and every numeric one.
size_t ReadCharacterReference(std::string_view text, size_t i, std::string& out) {
    static constexpr std::pair<std::string_view, uint32_t> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    size_t j = i + 1;
    if (j < text.size() && text[j] == '#') {
        ++j;
        const bool hex = j < text.size() && Lower(text[j]) == 'x';
        if (hex) ++j;
        const size_t digits = j;
        uint32_t cp = 0;
        while (j < text.size() &&
               (hex ? HexValue(text[j]) >= 0 : text[j] >= '0' && text[j] <= '9')) {
            cp = std::min<uint32_t>(cp * (hex ? 16 : 10) + static_cast<uint32_t>(HexValue(text[j])),
                                    0x110000);
            ++j;
        }
        if (j == digits) return 0;
        if (j < text.size() && text[j] == ';') ++j;
        AppendUtf8(out, cp);
        return j - i;
    }
    for (const auto& [name, cp] : kNamed) {
        if (text.compare(j, name.size(), name) != 0) continue;
        const size_t end = j + name.size();
        const bool semicolon = end < text.size() && text[end] == ';';
        // Without ';' an attribute value keeps "&amp=" and "&ampx" as they stand.
        if (!semicolon && end < text.size() &&
            (text[end] == '=' || IsAsciiLetter(text[end]) ||
             (text[end] >= '0' && text[end] <= '9')))
            return 0;
        AppendUtf8(out, cp);
        return end - i + (semicolon ? 1 : 0);
    }
    return 0;
}

std::string DecodeAttributeValue(std::string_view raw) {
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        if (raw[i] == '&') {
            if (const size_t length = ReadCharacterReference(raw, i, out)) {
                i += length;
                continue;
            }
        }
        out += raw[i++];
    }
    return out;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

// A set of ASCII characters, looked up in one step where a scan tests every byte of a page.
struct CharSet {
    std::array<bool, 256> has{};
    constexpr explicit CharSet(std::string_view chars) {
        for (char ch : chars)
            has[static_cast<unsigned char>(ch)] = true;
    }
    bool operator()(char ch) const { return has[static_cast<unsigned char>(ch)]; }
};
constexpr CharSet kBlank(" \t\n\r\f"), kAttributeGap(" \t\n\r\f/"), kTagNameEnd(" \t\n\r\f/>"),
    kAttributeNameEnd(" \t\n\r\f/>="), kUnquotedValueEnd(" \t\n\r\f>");

// The attributes of a start tag whose name ends at i, up to and past its '>'. The first of a
// repeated attribute counts.
size_t ReadAttributes(std::string_view html, size_t i, Attributes* attributes) {
    while (i < html.size()) {
        while (i < html.size() && kAttributeGap(html[i]))
            ++i;
        if (i >= html.size()) break;
        if (html[i] == '>') return i + 1;
        const size_t nameStart = i++;
        while (i < html.size() && !kAttributeNameEnd(html[i]))
            ++i;
        const std::string_view name = html.substr(nameStart, i - nameStart);
        while (i < html.size() && kBlank(html[i]))
            ++i;
        std::string_view value;
        if (i < html.size() && html[i] == '=') {
            ++i;
            while (i < html.size() && kBlank(html[i]))
                ++i;
            if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
                const size_t end = html.find(html[i], i + 1);
                const size_t stop = end == std::string_view::npos ? html.size() : end;
                value = html.substr(i + 1, stop - i - 1);
                i = stop + 1;
            } else {
                const size_t start = i;
                while (i < html.size() && !kUnquotedValueEnd(html[i]))
                    ++i;
                value = html.substr(start, i - start);
            }
        }
        if (!attributes) continue;
        std::string lower = LowerCopy(name);
        if (std::none_of(attributes->begin(), attributes->end(),
                         [&](const auto& a) { return a.first == lower; }))
            attributes->emplace_back(std::move(lower), DecodeAttributeValue(value));
    }
    return html.size();
}

// The end of an element whose content is raw text: just past its end tag, or the end of the
// text.
size_t SkipRawText(std::string_view html, size_t i, std::string_view name, size_t& contentEnd) {
    for (size_t at = html.find('<', i); at != std::string_view::npos; at = html.find('<', at + 1)) {
        if (at + 2 + name.size() > html.size()) break;
        if (html[at + 1] != '/' || !StartsWithNoCase(html, at + 2, name)) continue;
        const size_t after = at + 2 + name.size();
        if (after < html.size() && !IsBlank(html[after]) && html[after] != '/' &&
            html[after] != '>')
            continue;
        contentEnd = at;
        return ReadAttributes(html, after, nullptr);
    }
    contentEnd = html.size();
    return html.size();
}

struct Page {
    std::optional<Attributes> body;
    std::vector<std::string_view> styles;
};

Page ReadPage(std::string_view html) {
    Page page;
    size_t i = 0;
    while (i < html.size()) {
        // Tags stand close together in most pages: a few bytes are looked at before the
        // library's search, which pays only over longer text.
        size_t lt = i;
        const size_t near = std::min(html.size(), i + kNearTag);
        while (lt < near && html[lt] != '<')
            ++lt;
        if (lt == near) lt = html.find('<', lt);
        if (lt == std::string_view::npos || lt + 1 >= html.size()) break;
        i = lt + 1;
        if (StartsWithNoCase(html, i, "!--")) {
            // A comment: "<!-->" and "<!--->" end at once; else at "-->" or "--!>".
            i += 3;
            if (StartsWithNoCase(html, i, ">") || StartsWithNoCase(html, i, "->")) {
                i = html.find('>', i) + 1;
                continue;
            }
            for (size_t end = i;; ++end) {
                end = html.find('-', end);
                if (end == std::string_view::npos) return page;
                if (!StartsWithNoCase(html, end + 1, "-")) continue;
                if (StartsWithNoCase(html, end + 2, ">") || StartsWithNoCase(html, end + 2, "!>")) {
                    i = end + (html[end + 2] == '>' ? 3 : 4);
                    break;
                }
            }
            continue;
        }
        if (html[i] == '!' || html[i] == '?') {
            const size_t end = html.find('>', i);
            if (end == std::string_view::npos) break;
            i = end + 1;
            continue;
        }
        const bool endTag = html[i] == '/';
        if (endTag) ++i;
        if (i >= html.size() || !IsAsciiLetter(html[i])) continue;
        const size_t nameStart = i;
        while (i < html.size() && !kTagNameEnd(html[i]))
            ++i;
        const std::string_view name = html.substr(nameStart, i - nameStart);
        if (!endTag && !page.body && EqualsNoCase(name, "body")) {
            page.body.emplace();
            i = ReadAttributes(html, i, &*page.body);
            continue;
        }
        i = ReadAttributes(html, i, nullptr);
        // The common tags' names are shorter than those of the elements looked at here.
        if (endTag || name.size() < kShortestRawTextName) continue;
        if (EqualsNoCase(name, "plaintext")) break;
        for (std::string_view rawText : kRawTextElements) {
            if (!EqualsNoCase(name, rawText)) continue;
            size_t contentEnd = 0;
            const size_t after = SkipRawText(html, i, rawText, contentEnd);
            if (rawText == "style") page.styles.push_back(html.substr(i, contentEnd - i));
            i = after;
            break;
        }
    }
    return page;
}

// ---- design tokens ----

struct Json {
    enum Type { Null, Bool, Number, String, Array, Object } type = Null;
    double number = 0;
    std::string text;
    std::vector<std::string> names; // of an object's members
    std::vector<Json> items;        // an object's members or an array's items
    const Json* Find(std::string_view name) const {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return &items[i];
        return nullptr;
    }
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}
    bool ReadDocument(Json& out) {
        if (!ReadValue(out, 0)) return false;
        SkipBlanks();
        return i_ == text_.size();
    }

private:
    void SkipBlanks() {
        while (i_ < text_.size() && IsBlank(text_[i_]))
            ++i_;
    }
    bool ReadString(std::string& out) {
        if (i_ >= text_.size() || text_[i_] != '"') return false;
        for (++i_; i_ < text_.size(); ++i_) {
            const char ch = text_[i_];
            if (ch == '"') {
                ++i_;
                return true;
            }
            if (static_cast<unsigned char>(ch) < 0x20) return false;
            if (ch != '\\') {
                out += ch;
                continue;
            }
            if (++i_ >= text_.size()) return false;
            const char escaped = text_[i_];
            const char* simple = "\"\\/bfnrt";
            const char* meaning = "\"\\/\b\f\n\r\t";
            if (const char* at = std::char_traits<char>::find(simple, 8, escaped)) {
                out += meaning[at - simple];
                continue;
            }
            if (escaped != 'u') return false;
            uint32_t cp = 0;
            if (!ReadHex4(cp)) return false;
            if (cp >= 0xD800 && cp < 0xDC00 && text_.compare(i_ + 1, 2, "\\u") == 0) {
                i_ += 2;
                uint32_t low = 0;
                if (!ReadHex4(low)) return false;
                cp = low >= 0xDC00 && low < 0xE000
                         ? 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00)
                         : 0xFFFD;
            }
            AppendUtf8(out, cp);
        }
        return false;
    }
    bool ReadHex4(uint32_t& cp) {
        for (int k = 0; k < 4; ++k) {
            if (++i_ >= text_.size() || HexValue(text_[i_]) < 0) return false;
            cp = cp * 16 + static_cast<uint32_t>(HexValue(text_[i_]));
        }
        return true;
    }
    bool ReadValue(Json& out, int depth) {
        SkipBlanks();
        if (i_ >= text_.size() || depth > kDeepestJson) return false;
        const char ch = text_[i_];
        if (ch == '"') {
            out.type = Json::String;
            return ReadString(out.text);
        }
        if (ch == '{' || ch == '[') {
            const bool object = ch == '{';
            out.type = object ? Json::Object : Json::Array;
            ++i_;
            SkipBlanks();
            if (i_ < text_.size() && text_[i_] == (object ? '}' : ']')) {
                ++i_;
                return true;
            }
            for (;;) {
                std::string key;
                if (object) {
                    SkipBlanks();
                    if (!ReadString(key)) return false;
                    SkipBlanks();
                    if (i_ >= text_.size() || text_[i_++] != ':') return false;
                }
                Json value;
                if (!ReadValue(value, depth + 1)) return false;
                if (object) out.names.push_back(std::move(key));
                out.items.push_back(std::move(value));
                SkipBlanks();
                if (i_ >= text_.size()) return false;
                const char next = text_[i_++];
                if (next == (object ? '}' : ']')) return true;
                if (next != ',') return false;
            }
        }
        for (const auto& [word, type] :
             {std::pair<std::string_view, Json::Type>{"true", Json::Bool},
              {"false", Json::Bool},
              {"null", Json::Null}})
            if (text_.compare(i_, word.size(), word) == 0) {
                out.type = type;
                out.number = word == "true";
                i_ += word.size();
                return true;
            }
        const size_t start = i_;
        while (i_ < text_.size() &&
               std::string_view("+-.0123456789eE").find(text_[i_]) != std::string_view::npos)
            ++i_;
        if (i_ == start) return false;
        out.type = Json::Number;
        const auto result = std::from_chars(text_.data() + start, text_.data() + i_, out.number);
        return result.ec == std::errc() && result.ptr == text_.data() + i_;
    }

    std::string_view text_;
    size_t i_ = 0;
};

// A colour token's value: the components in its colour space (as a CSS colour of the same
// space), else its hex.
std::optional<uint32_t> ReadTokenColor(const Json& token) {
    const Json* value = token.Find("$value");
    if (!value) return std::nullopt;
    if (value->type == Json::String) return ReadCssColor(value->text).rgb;
    if (value->type != Json::Object) return std::nullopt;
    if (const Json* alpha = value->Find("alpha");
        alpha && alpha->type == Json::Number && alpha->number < 1)
        return std::nullopt;
    const Json* space = value->Find("colorSpace");
    const Json* components = value->Find("components");
    if (space && space->type == Json::String && components && components->type == Json::Array &&
        components->items.size() == 3) {
        std::string css;
        static constexpr std::string_view kFunctions[] = {"hsl", "hwb",   "lab",
                                                          "lch", "oklab", "oklch"};
        const bool function = std::find(std::begin(kFunctions), std::end(kFunctions),
                                        space->text) != std::end(kFunctions);
        css = function ? space->text + "(" : "color(" + space->text;
        for (const Json& component : components->items) {
            if (component.type == Json::Number) {
                // Written as the C locale writes it, whatever the process's locale.
                char number[32];
                const auto written =
                    std::to_chars(number, number + sizeof number, component.number);
                css += (css.back() == '(' ? "" : " ") + std::string(number, written.ptr);
            } else if (component.type == Json::String && component.text == "none") {
                css += css.back() == '(' ? "none" : " none";
            } else {
                return std::nullopt;
            }
        }
        if (const auto rgb = ReadCssColor(css + ")").rgb) return rgb;
    }
    if (const Json* hex = value->Find("hex");
        hex && hex->type == Json::String && !hex->text.empty() && hex->text[0] == '#')
        return ReadCssColor(hex->text).rgb;
    return std::nullopt;
}

std::optional<PastedColors> ReadTokens(std::string_view text) {
    Json document;
    if (!JsonReader(text).ReadDocument(document) || document.type != Json::Object)
        return std::nullopt;
    const Json* group = document.Find("tintwright");
    if (!group || group->type != Json::Object) return std::nullopt;
    PastedColors colors;
    bool any = false;
    for (int role = 0; role < 5; ++role) {
        const Json* token = group->Find(kSchemeTokenNames[role]);
        if (!token || token->type != Json::Object) continue;
        colors.roles[role] = ReadTokenColor(*token);
        any |= colors.roles[role].has_value();
        const Json* extensions = token->Find("$extensions");
        const Json* picture = extensions ? extensions->Find(kPictureExtension) : nullptr;
        if (picture && picture->type == Json::String && !picture->text.empty()) {
            colors.picture = picture->text;
            any = true;
        }
    }
    return any ? std::optional(colors) : std::nullopt;
}

std::optional<PastedColors> Result(const Cascade& cascade, const Attributes* body) {
    PastedColors colors;
    bool any = false;
    if (body) {
        static constexpr std::string_view kAttributes[5] = {"bgcolor", "text", "link", "vlink",
                                                            "alink"};
        for (const auto& [name, value] : *body) {
            for (int role = 0; role < 5; ++role)
                if (name == kAttributes[role]) colors.roles[role] = ReadLegacyColor(value);
            if (name == "background" && !value.empty()) colors.picture = value;
        }
    }
    for (int role = 0; role < 5; ++role) {
        if (cascade.slots[role].set) {
            colors.roles[role] = cascade.slots[role].color;
            colors.fromStyleSheet[role] = true;
        }
        any |= colors.roles[role].has_value();
    }
    if (cascade.slots[kPictureSlot].set) colors.picture = cascade.slots[kPictureSlot].picture;
    any |= colors.picture.has_value();
    return any ? std::optional(colors) : std::nullopt;
}
} // namespace

std::optional<PastedColors> ReadPastedColors(std::string_view utf8) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    const std::string_view text = Trim(utf8);
    if (text.empty()) return std::nullopt;
    Cascade cascade;
    size_t order = 0;
    std::vector<Declaration> declarations;
    if (text[0] == '<') {
        Page page = ReadPage(text);
        for (std::string_view style : page.styles)
            ReadStyleSheet(style, order, declarations);
        if (page.body) {
            for (const auto& [name, value] : *page.body)
                if (name == "style")
                    ReadDeclarations(value, Match{Target::Body, {}, kStyleAttributeSpecificity},
                                     order, declarations);
        }
        ApplyStyleSheet(declarations, cascade);
        return Result(cascade, page.body ? &*page.body : nullptr);
    }
    if (text[0] == '{') return ReadTokens(text);
    if (const auto single = ReadCssColor(text).rgb) {
        PastedColors colors;
        colors.single = single;
        return colors;
    }
    ReadStyleSheet(text, order, declarations);
    ApplyStyleSheet(declarations, cascade);
    return Result(cascade, nullptr);
}
