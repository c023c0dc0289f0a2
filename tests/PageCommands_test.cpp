// Apply to Page and Apply Style Sheet to Page on the real dialog with real files: the pages
// refused, and a picture outside the page's folder copied beside the page. Preview in Browser's
// cleaning up of the preview folders that ended runs left.
#include <algorithm>
#include <memory>

#include "DialogHarness.h"
#include "TempFolder.h"

#include <tlhelp32.h> // after windows.h

namespace {
constexpr UINT kExclamation = MB_OK | MB_ICONEXCLAMATION;
} // namespace

class PageCommandsTest : public DialogTest {
protected:
    TempFolder folder;
};

TEST_F(PageCommandsTest, RefusedPagesAreLeftAsTheyWereWithTheReason) {
    const std::string noBody = folder / "no body.htm", locked = folder / "locked.htm";
    const std::string large = folder / "large.htm";
    TempFolder::WriteAll(noBody, "<p><!-- <body> -->");
    TempFolder::WriteAll(locked, "<body>");
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE file =
        ::CreateFileA(large.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = (64 << 20) + 1;
    ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
    ::CloseHandle(file);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {noBody, " has no <BODY> start tag for the colours.\nNothing was written."},
        {locked, " is read-only.\nNothing was written."},
        {large, " is larger than 64 MiB (67,108,864 bytes), the most that Tintwright reads of a "
                "page.\nNothing was written."},
    };
    for (int command : {ID_SCHEMES_APPLYPAGE, ID_SCHEMES_APPLYSTYLE}) {
        for (const auto& c : cases) {
            host.messageBoxes.clear();
            host.fileAnswers.push_back(c.path);
            Command(command);
            ASSERT_EQ(host.messageBoxes.size(), 1u) << c.path;
            EXPECT_EQ(host.messageBoxes[0].text, c.path + c.reason);
            EXPECT_EQ(host.messageBoxes[0].type, kExclamation);
        }
    }
    EXPECT_EQ(TempFolder::ReadAll(noBody), "<p><!-- <body> -->");
    EXPECT_EQ(TempFolder::ReadAll(locked), "<body>");
    EXPECT_EQ(folder.Files().size(), 3u);
    // Wine lists no file for a pattern with blanks in it.
    EXPECT_EQ(host.fileDialogs[0].filterBlock,
              std::string("Web Pages (*.htm;*.html)\0*.htm;*.html\0All Files (*.*)\0*.*\0\0", 59));
}

TEST_F(PageCommandsTest, APictureOutsideThePagesFolderIsCopiedBesideItAndTheCopyNamed) {
    TempFolder pictures;
    TempFolder::WriteAll(pictures / "tile.bmp", "the picture's bytes");
    TempFolder::WriteAll(folder / "page.htm", "<body>\r\n");
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    dlg->m_backgroundPath = (pictures / "tile.bmp").c_str();
    dlg->m_backgroundName = "tile.bmp";
    host.fileAnswers.push_back(folder / "page.htm");
    host.messageBoxAnswers.push_back(IDYES);
    host.fileAnswers.push_back(folder / "tile copy.bmp");
    Command(ID_SCHEMES_APPLYPAGE);

    ASSERT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_EQ(host.fileDialogs[1].initialDir, folder.Path() + "\\");
    EXPECT_EQ(host.fileDialogs[1].initialFile, "tile.bmp");
    EXPECT_EQ(TempFolder::ReadAll(folder / "tile copy.bmp"), "the picture's bytes");
    EXPECT_EQ(TempFolder::ReadAll(folder / "page.htm"),
              "<body BACKGROUND=\"tile copy.bmp\" TEXT=\"#000000\" LINK=\"#008200\" "
              "VLINK=\"#551A8B\" ALINK=\"#EE0000\">\r\n");
}

TEST_F(PageCommandsTest, AStyleSheetThatBeatsTheTagIsNamedAndCancelWritesNothing) {
    const std::string page = folder / "styled.htm";
    const std::string bytes = "<style>body { color: red } a:visited { color: blue }</style><body>";
    TempFolder::WriteAll(page, bytes);
    host.fileAnswers.push_back(page);
    host.messageBoxAnswers.push_back(IDCANCEL);
    Command(ID_SCHEMES_APPLYPAGE);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text,
              "The style sheet of " + page +
                  " sets colours that the tag sets, and browsers show the style sheet's:\n"
                  "    Text Color\n    Visited Link Color\n\nWrite the tag all the same?");
    EXPECT_EQ(TempFolder::ReadAll(page), bytes);
}

TEST_F(PageCommandsTest, TheFirstPreviewRemovesThePageAndPictureThatEndedRunsLeft) {
    std::vector<DWORD> others; // the running processes of other programs
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID != ::GetCurrentProcessId()) others.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    DWORD ended = 0x1000; // an id that no process has
    while (std::count(others.begin(), others.end(), ended))
        ended += 4;
    const std::string page = "tintwright-preview.html", tile = "a tile.bmp",
                      run = "Tintwright Preview ";
    const struct {
        std::string name;
        std::vector<std::string> files, left; // sorted
    } cases[] = {
        {run + std::to_string(ended), {tile, page}, {}},
        {run + std::to_string(others.at(0)) + "-2", {tile, page}, {}},
        {run + std::to_string(ended) + "-1", {tile, "notes.txt", page}, {"notes.txt"}},
        {run + std::to_string(::GetCurrentProcessId()) + "-7", {tile, page}, {tile, page}},
        {run + std::to_string(ended) + " copy", {tile, page}, {tile, page}},
    };
    std::vector<std::unique_ptr<TempFolder>> folders;
    for (const auto& c : cases) {
        folders.push_back(std::make_unique<TempFolder>(c.name));
        for (const std::string& file : c.files)
            TempFolder::WriteAll(
                *folders.back() / file,
                file == page ? "<!DOCTYPE html>\r\n<BODY BACKGROUND=\"a tile.bmp\" >" : "");
    }
    Command(ID_TOOLS_PREVIEWBROWSER);
    for (size_t i = 0; i < folders.size(); ++i) {
        std::vector<std::string> left = folders[i]->Files();
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, cases[i].left) << cases[i].name;
        EXPECT_EQ(::GetFileAttributesA(folders[i]->Path().c_str()) == INVALID_FILE_ATTRIBUTES,
                  cases[i].left.empty())
            << cases[i].name;
    }
}
