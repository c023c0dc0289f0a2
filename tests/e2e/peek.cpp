// Prints every visible top-level window of the Wine session as JSON: its caption, class,
// process, frame and client rectangles in screen pixels, and its child controls with their
// ids, classes, texts and rectangles in the top window's client pixels. The end-to-end
// tests read window texts and control positions with it; it sends no input.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT kTextTimeoutMs = 2000;
constexpr int kMaxText = 4096;

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : text) {
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (ch < 0x20 || ch >= 0x80) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
                out += escaped;
            } else {
                out += static_cast<char>(ch);
            }
        }
    }
    return out + "\"";
}

// WM_GETTEXT crosses processes; the internal window name does not hold an edit box's text.
std::string TextOf(HWND hwnd) {
    std::vector<char> buffer(kMaxText, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                               kTextTimeoutMs, &copied))
        return {};
    return std::string(buffer.data());
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

struct Top {
    HWND hwnd;
    std::string json;
};

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
                 ",\"enabled\":" + (::IsWindowEnabled(child) ? "true" : "false") + "}";
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
    char head[160];
    std::snprintf(head, sizeof head,
                  "{\"hwnd\":%llu,\"pid\":%lu,\"client\":[%ld,%ld,%ld,%ld],\"frame\":",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), pid,
                  origin.x, origin.y, client.right, client.bottom);
    Top top{hwnd, "["};
    ::EnumChildWindows(hwnd, AddChild, reinterpret_cast<LPARAM>(&top));
    if (out->back() != '[') *out += ",";
    *out += std::string(head) + RectJson(frame) + ",\"title\":" + Json(TextOf(hwnd)) +
            ",\"class\":" + Json(ClassOf(hwnd)) +
            ",\"iconic\":" + (::IsIconic(hwnd) ? "true" : "false") +
            ",\"children\":" + top.json + "]}";
    return TRUE;
}

} // namespace

int main() {
    std::string out = "{\"metrics\":{";
    char metrics[160];
    std::snprintf(metrics, sizeof metrics,
                  "\"cxsize\":%d,\"cysize\":%d,\"cycaption\":%d,\"cxdlgframe\":%d,"
                  "\"cydlgframe\":%d},\"windows\":[",
                  ::GetSystemMetrics(SM_CXSIZE), ::GetSystemMetrics(SM_CYSIZE),
                  ::GetSystemMetrics(SM_CYCAPTION), ::GetSystemMetrics(SM_CXDLGFRAME),
                  ::GetSystemMetrics(SM_CYDLGFRAME));
    out += metrics;
    ::EnumWindows(AddTop, reinterpret_cast<LPARAM>(&out));
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
    return 0;
}
