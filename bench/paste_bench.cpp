// Paste Colors on a 1 MiB page, and Enter Color's reading as the user types a long colour
// (each prefix read in turn), each beside one case-insensitive search for "<body" over the same
// text in the same run: the search passes over the whole text, counting every match.
// Usage: paste_bench [runs] (native, Release; see docs/performance.md)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/ColorPaste.h"
#include "scheme/CssColor.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr size_t kPageBytes = 1 << 20;
constexpr size_t kColourDigits = 16000;
volatile size_t g_sink;

char AsciiLower(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

size_t CountBodyTags(std::string_view text) {
    constexpr std::string_view needle = "<body";
    size_t count = 0;
    for (auto at = text.begin();; ++at) {
        at = std::search(at, text.end(), needle.begin(), needle.end(),
                         [](char a, char b) { return AsciiLower(a) == b; });
        if (at == text.end()) return count;
        ++count;
    }
}

// A page as an editor saves one: a head with its style rules and a script, the body tag, then
// paragraphs of text with links, entities, comments and inline markup.
std::string MakePage() {
    std::string page =
        "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n"
        "<meta charset=\"utf-8\">\r\n<title>A page &amp; its colours</title>\r\n"
        "<style>\r\n/* site colours */\r\n"
        "body { background: #FFEBD7 url(\"paper.png\") repeat; color: #222; }\r\n"
        "h1, h2 { font-family: Georgia, serif; }\r\n"
        "a:link { color: #008200 } a:visited { color: #551A8B }\r\n"
        "a:active { color: oklch(60% 0.2 30) !important }\r\n"
        "@media print { body { color: black } }\r\n</style>\r\n"
        "<script>if (a < b && c > d) document.write('<body bgcolor=red>');</script>\r\n"
        "</head>\r\n<BODY BGCOLOR=\"#FFEBD7\" TEXT=\"#000000\" LINK=\"#008200\" "
        "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >\r\n";
    for (int n = 0; page.size() < kPageBytes; ++n) {
        page += "<h2 id=\"s" + std::to_string(n) + "\">Section " + std::to_string(n) +
                "</h2>\r\n<p class=\"lead\">Some text about colours &mdash; with <a href=\"p" +
                std::to_string(n) + ".htm\" title='Page " + std::to_string(n) +
                "'>a link</a>, <em>emphasis</em> and <code>&lt;body&gt;</code>.</p>\r\n"
                "<!-- section end --><ul><li>One</li><li>Two &amp; three</li></ul>\r\n";
    }
    return page + "</BODY>\r\n</html>\r\n";
}

// A site's style sheet: many rules for other elements, a few for the body and the links.
std::string MakeStyleSheet() {
    std::string css =
        "/* site */\r\nbody { background-color: #FFEBD7; color: rgb(34 34 34); }\r\n"
        ":root { --brand: oklch(60% 0.2 250); }\r\na:link { color: var(--brand); }\r\n";
    for (int n = 0; css.size() < kPageBytes; ++n) {
        const std::string id = std::to_string(n);
        css += ".btn-" + id + ":hover, .nav > li.item-" + id +
               " a { color: #fff; background-color: #0b5ed7; border: 1px solid #0a58ca; }\r\n"
               "@media (min-width: 768px) { .col-" +
               id + " { flex: 0 0 auto; width: 50%; } }\r\n";
    }
    return css + "a:visited { color: #551A8B }\r\n";
}

template <class Work> double Milliseconds(Work work) {
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <class Read, class Search>
void Compare(const char* what, int runs, Read read, Search search) {
    std::vector<double> reads, searches;
    for (int run = 0; run < runs; ++run) {
        reads.push_back(Milliseconds(read));
        searches.push_back(Milliseconds(search));
    }
    const double r = Median(reads), s = Median(searches);
    std::printf("%-40s %9.3f ms   search %9.3f ms   ratio %.2f\n", what, r, s, r / s);
}
} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const std::string page = MakePage();
    if (!ReadPastedColors(page)) return 1;
    Compare(
        "Paste Colors, 1 MiB page", runs,
        [&] { g_sink = ReadPastedColors(page)->roles[0].value_or(0); },
        [&] { g_sink = CountBodyTags(page); });

    const std::string css = MakeStyleSheet();
    if (!ReadPastedColors(css)) return 1;
    Compare(
        "Paste Colors, 1 MiB style sheet", runs,
        [&] { g_sink = ReadPastedColors(css)->roles[0].value_or(0); },
        [&] { g_sink = CountBodyTags(css); });

    // A colour typed out to many digits, read after every key as Enter Color reads it.
    std::string colour = "color(display-p3 0.";
    for (size_t i = 0; i < kColourDigits; ++i)
        colour += static_cast<char>('0' + (i * 7 + 3) % 10);
    colour += " 0.5 0.25)";
    if (!ReadCssColor(colour).rgb) return 1;
    char what[64];
    std::snprintf(what, sizeof what, "Enter Color, each prefix of %zu bytes", colour.size());
    Compare(
        what, std::max(1, runs / 4),
        [&] {
            for (size_t n = 1; n <= colour.size(); ++n)
                g_sink = ReadCssColor(std::string_view(colour).substr(0, n)).reason.size();
        },
        [&] {
            for (size_t n = 1; n <= colour.size(); ++n)
                g_sink = CountBodyTags(std::string_view(colour).substr(0, n));
        });

    // The same for a colour as people type one: the time that one key costs.
    const std::string_view typed = "oklch(80% 0.35 30)";
    Compare(
        "Enter Color, each prefix of oklch(80% 0.35 30)", runs,
        [&] {
            for (size_t n = 1; n <= typed.size(); ++n)
                g_sink = ReadCssColor(typed.substr(0, n)).reason.size();
        },
        [&] {
            for (size_t n = 1; n <= typed.size(); ++n)
                g_sink = CountBodyTags(typed.substr(0, n));
        });
    return 0;
}
