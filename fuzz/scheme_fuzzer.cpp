// The scheme file reader on arbitrary bytes: reading must stay inside its buffers, and a file
// that it accepts must survive a write and a second read unchanged.
#include <cstdlib>
#include <cstring>

#include "scheme/SchemeFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    SchemeFileData scheme;
    if (!ReadSchemeFile(file, scheme)) return 0;

    MemoryFile written;
    if (!WriteSchemeFile(written, scheme, scheme.namesBackground)) std::abort();
    MemoryFile again(written.Bytes());
    SchemeFileData reread;
    if (!ReadSchemeFile(again, reread)) std::abort();
    if (std::memcmp(reread.components, scheme.components, sizeof scheme.components) != 0)
        std::abort();
    // An empty path is written as length 0, which ends the file for the reader.
    bool expectBackground = !scheme.path.empty();
    if (reread.namesBackground != expectBackground) std::abort();
    if (expectBackground && (reread.path != scheme.path || reread.name != scheme.name))
        std::abort();
    return 0;
}
