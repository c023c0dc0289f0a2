// The shell's functions, loaded from shell32.dll at their first use: the program starts without
// the library and what it brings in under Wine.
#pragma once
#include <windows.h>

// The function name of shell32.dll, or nullptr when the library or the function is missing.
template <typename Function> Function AfxShellFunction(const char* name) {
    static const HMODULE module = ::LoadLibraryW(L"shell32.dll"); // a known system library
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
               : nullptr;
}
