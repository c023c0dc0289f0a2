// The PNG copy's file: WIC's PNG encoder writes into a new file beside the target, which takes
// the target's place only once it is complete.
#pragma once
#include <string>

#include "Decoders.h"

namespace imglib::win {

class PngFile {
public:
    // Refuses at once, with IMGLIB_ERR_WRITE, a target that cannot be replaced: a read-only
    // file or a folder.
    explicit PngFile(const wchar_t* path);

    // Writes image as a PNG, 24-bit or, with alpha, 32-bit, into a new file beside the target and
    // moves it into place. Throws Failure; the target is then as it was and the new file gone.
    void Write(const Image& image) const;

private:
    std::wstring m_path; // full
};

} // namespace imglib::win
