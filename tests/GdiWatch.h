// Follows what the program asks of GDI while a GdiWatch is in place, by patching the program's
// imports: the objects it makes and deletes, its copies, texts and icons.
#pragma once
#include <windows.h>

#include <cstring>
#include <set>
#include <vector>

// Replaces one function that this program imports from a system DLL, until destroyed. The
// program's own code (the dialog and the framework are linked in) calls through these slots.
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, const void* replacement) {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        for (; module->Name; ++module) {
            if (_stricmp(reinterpret_cast<char*>(base + module->Name), dll) != 0) continue;
            auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
            for (; name->u1.AddressOfData; ++name, ++slot) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
                auto* byName =
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
                slot_ = &slot->u1.Function;
                original_ = *slot_;
                Write(reinterpret_cast<ULONG_PTR>(replacement));
                return;
            }
        }
    }
    ~ImportPatch() {
        if (slot_) Write(original_);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool patched() const { return slot_ != nullptr; }
    template <typename F> F original() const { return reinterpret_cast<F>(original_); }

private:
    void Write(ULONG_PTR value) {
        DWORD protection;
        ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = value;
        ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }
    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

// What the program asked of GDI while a GdiWatch was in place. GetGuiResources cannot count
// objects under Wine (it returns 0), so the objects are followed from creation to deletion.
struct GdiRecord {
    std::set<HGDIOBJ> live; // made and not yet deleted
    int fonts = 0, memoryDcs = 0, bitmaps = 0, blits = 0, texts = 0;
    struct Icon {
        HDC dc;
        int x, y;
        HICON icon;
        int cx, cy;
    };
    std::vector<Icon> icons;
};
inline GdiRecord g_gdi;

struct GdiWatch;
inline GdiWatch* g_watch = nullptr;

struct GdiWatch {
    GdiWatch() {
        g_gdi = {};
        g_watch = this;
    }
    ~GdiWatch() { g_watch = nullptr; }
    bool patched() const {
        for (const ImportPatch* p : {&font, &dc, &bitmap, &dib, &deleteObject, &deleteDc, &blit,
                                     &textOut, &drawText, &drawIcon})
            if (!p->patched()) return false;
        return true;
    }

    static HFONT WINAPI CreateFontHook(int h, int w, int e, int o, int wt, DWORD i, DWORD u,
                                       DWORD s, DWORD cs, DWORD op, DWORD cp, DWORD q, DWORD pf,
                                       LPCWSTR face) {
        HFONT made = g_watch->font.original<decltype(&::CreateFontW)>()(h, w, e, o, wt, i, u, s, cs,
                                                                        op, cp, q, pf, face);
        ++g_gdi.fonts;
        g_gdi.live.insert(made);
        return made;
    }
    static HDC WINAPI CreateCompatibleDCHook(HDC dc) {
        HDC made = g_watch->dc.original<decltype(&::CreateCompatibleDC)>()(dc);
        ++g_gdi.memoryDcs;
        g_gdi.live.insert(made);
        return made;
    }
    static HBITMAP WINAPI CreateCompatibleBitmapHook(HDC dc, int w, int h) {
        HBITMAP made = g_watch->bitmap.original<decltype(&::CreateCompatibleBitmap)>()(dc, w, h);
        ++g_gdi.bitmaps;
        g_gdi.live.insert(made);
        return made;
    }
    static HBITMAP WINAPI CreateDIBSectionHook(HDC dc, const BITMAPINFO* info, UINT usage,
                                               void** bits, HANDLE section, DWORD offset) {
        HBITMAP made = g_watch->dib.original<decltype(&::CreateDIBSection)>()(dc, info, usage, bits,
                                                                              section, offset);
        g_gdi.live.insert(made);
        return made;
    }
    static BOOL WINAPI DeleteObjectHook(HGDIOBJ object) {
        g_gdi.live.erase(object);
        return g_watch->deleteObject.original<decltype(&::DeleteObject)>()(object);
    }
    static BOOL WINAPI DeleteDCHook(HDC dc) {
        g_gdi.live.erase(dc);
        return g_watch->deleteDc.original<decltype(&::DeleteDC)>()(dc);
    }
    static BOOL WINAPI BitBltHook(HDC dc, int x, int y, int w, int h, HDC src, int xs, int ys,
                                  DWORD rop) {
        ++g_gdi.blits;
        return g_watch->blit.original<decltype(&::BitBlt)>()(dc, x, y, w, h, src, xs, ys, rop);
    }
    static BOOL WINAPI ExtTextOutHook(HDC dc, int x, int y, UINT options, const RECT* rect,
                                      LPCWSTR text, UINT count, const INT* dx) {
        ++g_gdi.texts;
        return g_watch->textOut.original<decltype(&::ExtTextOutW)>()(dc, x, y, options, rect, text,
                                                                     count, dx);
    }
    static int WINAPI DrawTextHook(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
        ++g_gdi.texts;
        return g_watch->drawText.original<decltype(&::DrawTextW)>()(dc, text, count, rect, format);
    }
    static BOOL WINAPI DrawIconHook(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step,
                                    HBRUSH flicker, UINT flags) {
        g_gdi.icons.push_back({dc, x, y, icon, cx, cy});
        return g_watch->drawIcon.original<decltype(&::DrawIconEx)>()(dc, x, y, icon, cx, cy, step,
                                                                     flicker, flags);
    }

    ImportPatch font{"gdi32.dll", "CreateFontW", reinterpret_cast<const void*>(&CreateFontHook)};
    ImportPatch dc{"gdi32.dll", "CreateCompatibleDC",
                   reinterpret_cast<const void*>(&CreateCompatibleDCHook)};
    ImportPatch bitmap{"gdi32.dll", "CreateCompatibleBitmap",
                       reinterpret_cast<const void*>(&CreateCompatibleBitmapHook)};
    ImportPatch dib{"gdi32.dll", "CreateDIBSection",
                    reinterpret_cast<const void*>(&CreateDIBSectionHook)};
    ImportPatch deleteObject{"gdi32.dll", "DeleteObject",
                             reinterpret_cast<const void*>(&DeleteObjectHook)};
    ImportPatch deleteDc{"gdi32.dll", "DeleteDC", reinterpret_cast<const void*>(&DeleteDCHook)};
    ImportPatch blit{"gdi32.dll", "BitBlt", reinterpret_cast<const void*>(&BitBltHook)};
    ImportPatch textOut{"gdi32.dll", "ExtTextOutW", reinterpret_cast<const void*>(&ExtTextOutHook)};
    ImportPatch drawText{"user32.dll", "DrawTextW", reinterpret_cast<const void*>(&DrawTextHook)};
    ImportPatch drawIcon{"user32.dll", "DrawIconEx", reinterpret_cast<const void*>(&DrawIconHook)};
};
