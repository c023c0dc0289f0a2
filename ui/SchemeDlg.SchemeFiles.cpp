// "&Open A Scheme" and "&Save A Scheme": the scheme and its background in a scheme file.
#include "SchemeDlg.h"

#include <algorithm>
#include <iterator>

#include "scheme/SchemeFile.h"

namespace {
// The scheme codec's view of a file on disk; its failures stay the CFile's exceptions.
class DiskFile : public ByteFile {
public:
    explicit DiskFile(CFile& file) : m_file(file) {}
    uint32_t Read(void* buffer, uint32_t count) override { return m_file.Read(buffer, count); }
    void Write(const void* data, uint32_t count) override { m_file.Write(data, count); }
    uint64_t Seek(int64_t offset, uint32_t origin) override { return m_file.Seek(offset, origin); }

private:
    CFile& m_file; // borrowed
};

// A scheme whose components are those of ColorTable.
SchemeFileData SchemeOfColorTable() {
    SchemeFileData data;
    std::copy(std::begin(ColorTable), std::end(ColorTable), data.components);
    return data;
}

constexpr const char* kSchemeFileName = "*.colors";
constexpr DWORD kSchemeDialogFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
// The description as it always read, the pattern without blanks: with them Wine lists no file.
constexpr const char* kSchemeFilter = "TWR Files (*.colors) |*.colors|All Files (*.*)|*.*|";
// Added to a typed name without an extension, so that the file shows under the filter.
constexpr const char* kSchemeExtension = "colors";
constexpr const char* kNotASchemeFile =
    "The file you attempted to load\nis not a valid TWR scheme file.";
constexpr const char* kCutShortSchemeFile =
    "The file you attempted to load\n"
    "is not a valid TWR scheme file.\n"
    "It is cut short: the file ends before its scheme does.";
constexpr const char* kPictureNotShown =
    "The scheme's colors are applied; its background picture %s is not shown.";
constexpr const char* kBackgroundTooLong =
    "The background image's path or name is longer than 255 characters\n"
    "and cannot be saved in a scheme file. Nothing was saved.";
constexpr const char* kBackgroundTooLongInUtf8 =
    "The background image's path or name takes more than 255 bytes in a scheme file\n"
    "(as UTF-8, since it has characters outside the system's code page)\n"
    "and cannot be saved in it. Nothing was saved.";
} // namespace

void CSchemeDlg::OnSaveScheme() {
    SaveScheme();
}

bool CSchemeDlg::SaveScheme() {
    CFileDialog dialog(FALSE, kSchemeExtension, kSchemeFileName, kSchemeDialogFlags, kSchemeFilter,
                       nullptr);
    if (dialog.DoModal() != IDOK) return false;

    SchemeFileData data = SchemeOfColorTable();
    data.path = EncodeSchemeField(m_backgroundPath.str(), AfxCodePageText);
    data.name = EncodeSchemeField(m_backgroundName.str(), AfxCodePageText);
    // The bytes are made first, so that a scheme the format cannot hold touches no file.
    MemoryFile bytes;
    if (!WriteSchemeFile(bytes, data, m_solidBackground == 0)) {
        const bool utf8 = IsUtf8SchemeField(data.path) || IsUtf8SchemeField(data.name);
        AfxMessageBox(utf8 ? kBackgroundTooLongInUtf8 : kBackgroundTooLong,
                      MB_OK | MB_ICONEXCLAMATION, 0);
        return false;
    }
    AfxWriteFileReplacing(dialog.GetPathName(), [&](CFile& file) {
        file.Write(bytes.Bytes().data(), static_cast<UINT>(bytes.Bytes().size()));
    });
    m_schemeFile = dialog.GetPathName();
    m_savedScheme = CurrentScheme();
    return true;
}

void CSchemeDlg::OnOpenScheme() {
    CFileDialog dialog(TRUE, kSchemeExtension, kSchemeFileName, kSchemeDialogFlags, kSchemeFilter,
                       nullptr);
    if (dialog.DoModal() != IDOK) return;
    OpenSchemeFile(dialog.GetPathName());
}

void CSchemeDlg::OpenSchemeFile(const CString& schemePath) {
    SchemeStep step(*this, "Open A Scheme");
    // The whole file is read before any of it is applied, so a failed read changes nothing.
    SchemeFileData data = SchemeOfColorTable();
    bool valid;
    bool cutShort = false;
    {
        CFile file(schemePath, CFile::modeRead);
        DiskFile disk(file);
        valid = ReadSchemeFile(disk, data, &cutShort);
    }
    if (!valid) {
        AfxMessageBox(cutShort ? kCutShortSchemeFile : kNotASchemeFile, MB_OK | MB_ICONEXCLAMATION,
                      0);
        return;
    }

    m_schemeFile = schemePath;
    std::copy(std::begin(data.components), std::end(data.components), ColorTable);
    if (!data.namesBackground) {
        m_savedScheme = CurrentScheme();
        Refresh(RefreshScope::AllRolesReselected);
        return;
    }
    const CString name(DecodeSchemeField(data.name, AfxCodePageToUtf8));
    const CString path(DecodeSchemeField(data.path, AfxCodePageToUtf8));
    // The scheme's colours and its picture's name show everywhere, under a message as well;
    // another scheme's picture is not this one's.
    m_backgroundPath = path;
    m_backgroundName = name;
    SetBackgroundBitmap(nullptr);
    m_backgroundLoaded = 0;
    Refresh(RefreshScope::AllRolesReselected);
    CString more;
    more.Format(kPictureNotShown, name.str().c_str());
    if (LoadBackgroundFile(path, name, more)) Refresh(RefreshScope::CurrentRole);
    m_savedScheme = CurrentScheme();
}
