// Prints every visible top-level window of the Wine session as JSON: its caption, class,
// process, frame and client rectangles in screen pixels, its X window, a client point where a
// click reaches the window itself, and its child controls with their ids, classes, texts and
// rectangles in the top window's client pixels, with a tree view's item texts; and which window
// is the foreground one. With --clipboard-sequence or --clipboard-text it prints that of the
// Windows clipboard instead. The end-to-end tests read the program with it; it sends no input
// and changes nothing, except that --set-clipboard-text puts a text (its UTF-8 in hexadecimal)
// on the clipboard, as a user copies a path that cannot be typed.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr UINT kTextTimeoutMs = 2000;
constexpr int kMaxText = 4096;
// Wine keeps the X window of a top-level window in this property.
constexpr char kXWindowProperty[] = "__wine_x11_whole_window";
// How far inside the client area the candidate points for a neutral click lie.
constexpr int kNeutralInset = 2;
constexpr int kMaxTreeItems = 1000;

// Text as JSON; every unit outside ASCII is escaped, so a UTF-16 pair reads back as one character.
template <typename Char> std::string Json(const std::basic_string<Char>& text) {
    std::string out = "\"";
    for (Char unit : text) {
        const auto ch = static_cast<std::make_unsigned_t<Char>>(unit);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (ch < 0x20 || ch >= 0x80) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(ch));
                out += escaped;
            } else {
                out += static_cast<char>(ch);
            }
        }
    }
    return out + "\"";
}

// A message that may reach a hung window: its result, or 0 when it timed out.
LRESULT SendWithTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kTextTimeoutMs,
                               &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// WM_GETTEXT crosses processes; the internal window name does not hold an edit box's text.
std::wstring TextOf(HWND hwnd) {
    std::vector<wchar_t> buffer(kMaxText, L'\0');
    SendWithTimeout(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data());
}

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string RectJson(const RECT& r) {
    char out[96];
    std::snprintf(out, sizeof out, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return out;
}

// The items of a tree view in another process, in display order, as [depth, text] pairs. The
// control reads and writes a TVITEM in its own address space, so the request is placed there.
class TreeReader {
public:
    explicit TreeReader(HWND tree) : tree_(tree) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(tree, &pid);
        process_ =
            ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            remote_ = static_cast<Remote*>(::VirtualAllocEx(
                process_, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~TreeReader() {
        if (remote_) ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
        if (process_) ::CloseHandle(process_);
    }
    TreeReader(const TreeReader&) = delete;
    TreeReader& operator=(const TreeReader&) = delete;

    std::string ItemsJson() {
        std::string out = "[";
        if (remote_) Add(Next(nullptr, TVGN_ROOT), 0, out);
        return out + "]";
    }

private:
    struct Remote {
        TVITEMA item;
        char text[kMaxText];
    };

    HTREEITEM Next(HTREEITEM item, UINT relation) {
        return reinterpret_cast<HTREEITEM>(
            SendWithTimeout(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }

    std::string Text(HTREEITEM item) {
        Remote request = {};
        request.item.mask = TVIF_TEXT;
        request.item.hItem = item;
        request.item.pszText = remote_->text;
        request.item.cchTextMax = kMaxText;
        Remote answer = {};
        if (!::WriteProcessMemory(process_, remote_, &request, sizeof request, nullptr) ||
            !SendWithTimeout(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&remote_->item)) ||
            !::ReadProcessMemory(process_, remote_, &answer, sizeof answer, nullptr))
            return {};
        answer.text[kMaxText - 1] = '\0';
        return answer.text;
    }

    void Add(HTREEITEM item, int depth, std::string& out) {
        for (; item && count_ < kMaxTreeItems; item = Next(item, TVGN_NEXT)) {
            ++count_;
            if (out.back() != '[') out += ",";
            out += "[" + std::to_string(depth) + "," + Json(Text(item)) + "]";
            Add(Next(item, TVGN_CHILD), depth + 1, out);
        }
    }

    HWND tree_;
    HANDLE process_ = nullptr;
    Remote* remote_ = nullptr;
    int count_ = 0;
};

// The item texts of a list view in another process (a file dialog's files), in order.
std::string ListItemsJson(HWND list) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return "[]";
    struct Remote {
        LVITEMA item;
        char text[kMaxText];
    };
    auto* remote = static_cast<Remote*>(::VirtualAllocEx(process, nullptr, sizeof(Remote),
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::string out = "[";
    const auto count = static_cast<int>(SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; remote && i < count && i < kMaxTreeItems; ++i) {
        Remote request = {};
        request.item.iSubItem = 0;
        request.item.pszText = remote->text;
        request.item.cchTextMax = kMaxText;
        Remote answer = {};
        if (!::WriteProcessMemory(process, remote, &request, sizeof request, nullptr) ||
            !SendWithTimeout(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&remote->item)) ||
            !::ReadProcessMemory(process, remote, &answer, sizeof answer, nullptr))
            break;
        answer.text[kMaxText - 1] = '\0';
        out += (out.size() > 1 ? "," : "") + Json(std::string(answer.text));
    }
    if (remote) ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    ::CloseHandle(process);
    return out + "]";
}

struct Top {
    HWND hwnd;
    std::string json;
};

// A client point where a click lands on the window itself, not on a control or on another
// window: the corners and edge midpoints, a little inside. [-1,-1] when none is free.
std::string NeutralPointJson(HWND hwnd, const RECT& client) {
    const LONG w = client.right, h = client.bottom, d = kNeutralInset;
    const POINT candidates[] = {
        {d, d},     {w - 1 - d, d}, {d, h - 1 - d},     {w - 1 - d, h - 1 - d},
        {w / 2, d}, {d, h / 2},     {w - 1 - d, h / 2}, {w / 2, h - 1 - d}};
    for (POINT p : candidates) {
        if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) continue;
        if (::RealChildWindowFromPoint(hwnd, p) != hwnd) continue;
        POINT screen = p;
        ::ClientToScreen(hwnd, &screen);
        if (::WindowFromPoint(screen) != hwnd) continue;
        char out[48];
        std::snprintf(out, sizeof out, "[%ld,%ld]", p.x, p.y);
        return out;
    }
    return "[-1,-1]";
}

BOOL CALLBACK AddChild(HWND child, LPARAM param) {
    auto* top = reinterpret_cast<Top*>(param);
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, top->hwnd, reinterpret_cast<POINT*>(&r), 2);
    char head[64];
    std::snprintf(head, sizeof head, "{\"id\":%d,", static_cast<int>(::GetDlgCtrlID(child)));
    if (top->json.back() != '[') top->json += ",";
    top->json += std::string(head) + "\"class\":" + Json(ClassOf(child)) +
                 ",\"text\":" + Json(TextOf(child)) + ",\"rect\":" + RectJson(r) +
                 ",\"visible\":" + (::IsWindowVisible(child) ? "true" : "false") +
                 ",\"enabled\":" + (::IsWindowEnabled(child) ? "true" : "false");
    if (ClassOf(child) == WC_TREEVIEWA) top->json += ",\"items\":" + TreeReader(child).ItemsJson();
    if (ClassOf(child) == WC_LISTVIEWA) top->json += ",\"items\":" + ListItemsJson(child);
    top->json += "}";
    return TRUE;
}

BOOL CALLBACK AddTop(HWND hwnd, LPARAM param) {
    if (!::IsWindowVisible(hwnd)) return TRUE;
    auto* out = reinterpret_cast<std::string*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    RECT frame, client;
    ::GetWindowRect(hwnd, &frame);
    ::GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ::ClientToScreen(hwnd, &origin);
    char head[200];
    std::snprintf(head, sizeof head,
                  "{\"hwnd\":%llu,\"pid\":%lu,\"xwindow\":%llu,\"client\":[%ld,%ld,%ld,%ld],"
                  "\"frame\":",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), pid,
                  static_cast<unsigned long long>(
                      reinterpret_cast<UINT_PTR>(::GetPropA(hwnd, kXWindowProperty))),
                  origin.x, origin.y, client.right, client.bottom);
    Top top{hwnd, "["};
    ::EnumChildWindows(hwnd, AddChild, reinterpret_cast<LPARAM>(&top));
    // The id of the control of this window that has its thread's keyboard focus; 0 for none.
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    int focus = 0;
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &thread) &&
        thread.hwndFocus && ::IsChild(hwnd, thread.hwndFocus))
        focus = ::GetDlgCtrlID(thread.hwndFocus);
    if (out->back() != '[') *out += ",";
    *out += std::string(head) + RectJson(frame) + ",\"title\":" + Json(TextOf(hwnd)) +
            ",\"class\":" + Json(ClassOf(hwnd)) +
            ",\"iconic\":" + (::IsIconic(hwnd) ? "true" : "false") +
            ",\"enabled\":" + (::IsWindowEnabled(hwnd) ? "true" : "false") +
            ",\"neutral\":" + NeutralPointJson(hwnd, client) +
            ",\"focus\":" + std::to_string(focus) + ",\"children\":" + top.json + "]}";
    return TRUE;
}

// The clipboard's sequence number, which changes with every change of its contents; reading it
// leaves the clipboard alone, so it cannot make a program's copy fail.
int PrintClipboardSequence() {
    std::printf("%lu\n", ::GetClipboardSequenceNumber());
    return 0;
}

// The clipboard's text (CF_UNICODETEXT) as JSON; null while another program holds the clipboard
// open or when it holds no text.
int PrintClipboardText() {
    std::string text = "null";
    if (::OpenClipboard(nullptr)) {
        if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
                text = Json(std::wstring(chars, ::wcsnlen(chars, ::GlobalSize(data) / 2)));
                ::GlobalUnlock(data);
            }
        }
        ::CloseClipboard();
    }
    std::printf("%s\n", text.c_str());
    return 0;
}

// Puts the UTF-8 text given in hexadecimal on the clipboard as CF_UNICODETEXT.
int SetClipboardText(const char* hex) {
    std::string utf8;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        utf8 += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(units) * sizeof(wchar_t));
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, static_cast<wchar_t*>(::GlobalLock(data)),
                          units);
    ::GlobalUnlock(data);
    if (!::OpenClipboard(nullptr)) return 1;
    const bool placed = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, data);
    ::CloseClipboard();
    if (!placed) return 1;
    std::printf("true\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--clipboard-sequence") return PrintClipboardSequence();
    if (mode == "--clipboard-text") return PrintClipboardText();
    if (mode == "--set-clipboard-text" && argc > 2) return SetClipboardText(argv[2]);
    std::string out = "{\"metrics\":{";
    char metrics[256];
    std::snprintf(metrics, sizeof metrics,
                  "\"cxsize\":%d,\"cysize\":%d,\"cycaption\":%d,\"cxdlgframe\":%d,"
                  "\"cydlgframe\":%d,\"cmonitors\":%d,\"xvirtualscreen\":%d,"
                  "\"yvirtualscreen\":%d},\"windows\":[",
                  ::GetSystemMetrics(SM_CXSIZE), ::GetSystemMetrics(SM_CYSIZE),
                  ::GetSystemMetrics(SM_CYCAPTION), ::GetSystemMetrics(SM_CXDLGFRAME),
                  ::GetSystemMetrics(SM_CYDLGFRAME), ::GetSystemMetrics(SM_CMONITORS),
                  ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN));
    out += metrics;
    ::EnumWindows(AddTop, reinterpret_cast<LPARAM>(&out));
    char foreground[48];
    std::snprintf(
        foreground, sizeof foreground, "],\"foreground\":%llu}\n",
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(::GetForegroundWindow())));
    out += foreground;
    std::fputs(out.c_str(), stdout);
    return 0;
}
