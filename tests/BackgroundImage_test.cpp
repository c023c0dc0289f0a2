// "&Load Background" through the real main dialog, the file dialog answered by the test host.
#include "DialogHarness.h"
#include "TempFolder.h"
#include "TestValues.h"
#include "imglib/ImgLib.h"

namespace {

// The block up to and including its final double string end.
constexpr char kFilterText[] =
    "All Supported Images\0"
    "*.bmp;*.jpg;*.tga;*.pcd;*.pcx;*.tif;*.dib;*.jpeg;*.jpe;*.jfif;*.tiff;*.png;*.gif\0"
    "Bitmaps (*.bmp;*.dib)\0*.bmp;*.dib\0"
    "JPEG Files (*.jpg;*.jpeg;*.jpe;*.jfif)\0*.jpg;*.jpeg;*.jpe;*.jfif\0"
    "Targa (*.tga)\0*.tga\0Photo CD (*.pcd)\0*.pcd\0PCX Files (*.pcx)\0*.pcx\0"
    "TIFF Files (*.tif;*.tiff)\0*.tif;*.tiff\0PNG Files (*.png)\0*.png\0"
    "GIF Files (*.gif)\0*.gif\0All Files (*.*)\0*.*\0";
const std::string kFilterBlock(kFilterText, sizeof kFilterText);
const std::string kFailure = "An error has occured.";

// A 24-bit BMP of one colour; compression 4 (JPEG inside) makes it a variant ImgLib refuses.
std::string SolidBmpBytes(int width, int height, COLORREF color, uint32_t compression) {
    int rowBytes = (width * 3 + 3) & ~3;
    std::string b(54 + size_t(rowBytes) * height, '\0');
    auto put32 = [&](size_t at, uint32_t value) { b.replace(at, 4, Le32(int32_t(value))); };
    b[0] = 'B', b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1, b[28] = 24;
    put32(30, compression);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            char* p = &b[54 + size_t(y) * rowBytes + x * 3];
            p[0] = char(GetBValue(color)), p[1] = char(GetGValue(color)),
            p[2] = char(GetRValue(color));
        }
    }
    return b;
}

class BackgroundImageTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Command(ID_TOOLS_SHOWBACKGROUNDS); // the command is offered only with backgrounds shown
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        TempFolder::WriteAll(folder / name, bytes);
        return folder / name;
    }
    std::string SolidBmp(const std::string& name, int width, int height, COLORREF color,
                         uint32_t compression = BI_RGB) {
        return WriteFile(name, SolidBmpBytes(width, height, color, compression));
    }

    void Load(const std::optional<std::string>& answer) {
        host.fileAnswers.push_back(answer);
        Command(ID_TOOLS_LOADBACKGROUND);
    }

    COLORREF PreviewPixel(int x, int y) {
        ::UpdateWindow(Wnd());
        HDC dc = ::GetDC(Wnd());
        COLORREF color = ::GetPixel(dc, PreviewRect.left + x, PreviewRect.top + y);
        ::ReleaseDC(Wnd(), dc);
        return color;
    }

    void ExpectFailureMessage(const std::string& text) {
        ASSERT_EQ(host.messageBoxes.size(), 1u);
        EXPECT_EQ(host.messageBoxes[0].text, text);
        EXPECT_EQ(host.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(host.messageBoxes[0].caption, std::string(TestApp().m_appName));
        EXPECT_EQ(host.messageBoxes[0].owner, Wnd());
        host.messageBoxes.clear();
    }

    TempFolder folder;
};

TEST_F(BackgroundImageTest, ALoadNamesTheFileInTheTagAndHoldsTheBitmap) {
    std::string path = SolidBmp("green.bmp", 5, 3, RGB(0, 200, 0));
    Load(path);

    ASSERT_EQ(host.fileDialogs.size(), 1u);
    const auto& dialog = host.fileDialogs[0];
    EXPECT_TRUE(dialog.open);
    EXPECT_EQ(dialog.filterBlock, kFilterBlock);
    EXPECT_EQ(dialog.flags & ~static_cast<DWORD>(OFN_EXPLORER),
              static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_FALSE(dialog.hasDefaultExt);
    EXPECT_EQ(dialog.initialFile, "");

    EXPECT_TRUE(host.messageBoxes.empty());
    EXPECT_EQ(dlg->m_backgroundPath.str(), path);
    EXPECT_EQ(dlg->m_backgroundName.str(), "green.bmp");
    EXPECT_EQ(dlg->m_backgroundLoaded, 1);
    EXPECT_EQ(dlg->m_backgroundAux, 24u);
    ASSERT_NE(dlg->m_hBackground, nullptr);
    BITMAP info = {};
    ASSERT_TRUE(::GetObjectA(dlg->m_hBackground, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_NE(Tag().find("BACKGROUND=\"green.bmp\""), std::string::npos) << Tag();
}

TEST_F(BackgroundImageTest, TheNextImageReplacesTheFirstInTagAndMemory) {
    Load(SolidBmp("green.bmp", 5, 3, RGB(0, 200, 0)));
    HBITMAP first = dlg->m_hBackground;
    Load(SolidBmp("blue.bmp", 7, 2, RGB(0, 0, 180)));

    EXPECT_NE(Tag().find("BACKGROUND=\"blue.bmp\""), std::string::npos) << Tag();
    BITMAP info = {};
    EXPECT_EQ(::GetObjectA(first, sizeof info, &info), 0) << "the replaced bitmap is released";
}

TEST_F(BackgroundImageTest, ThePreviewTilesTheLoadedImage) {
    Load(SolidBmp("blue.bmp", 7, 2, RGB(0, 0, 180)));
    // The first tile, and one several tiles further on.
    EXPECT_EQ(PreviewPixel(0, 0), RGB(0, 0, 180));
    EXPECT_EQ(PreviewPixel(7 * 20 + 3, 2 * 30 + 1), RGB(0, 0, 180));
}

TEST_F(BackgroundImageTest, AFailedLoadChangesNothing) {
    const std::string green = SolidBmp("green.bmp", 5, 3, RGB(0, 200, 0));
    Load(green);
    const HBITMAP bitmap = dlg->m_hBackground;
    std::string tag = Tag();
    std::string path = WriteFile("notes.bmp", "plain text, not an image\n");
    Load(path);

    ExpectFailureMessage(kFailure + "\nYou attempted to load an unsupported image.");
    EXPECT_EQ(dlg->m_backgroundPath.str(), green);
    EXPECT_EQ(dlg->m_backgroundName.str(), "green.bmp");
    EXPECT_EQ(dlg->m_hBackground, bitmap);
    EXPECT_EQ(PreviewPixel(0, 0), RGB(0, 200, 0)) << "the picture before stays";
    // A later rebuild still names the picture shown, never the local path that failed.
    dlg->RebuildTag();
    EXPECT_EQ(Tag(), tag);
}

TEST_F(BackgroundImageTest, TheMessageNamesTheFileAndSaysWhy) {
    Load(SolidBmp("jpeg-inside.bmp", 4, 4, RGB(1, 2, 3), BI_JPEG));
    ExpectFailureMessage(kFailure + "\nYou attempted to load an incompatible image.");
    const std::string missing = folder / "missing.bmp";
    Load(missing);
    ExpectFailureMessage(kFailure + "\n" + missing + " was not found.");
    std::string cut = SolidBmp("cut.bmp", 40, 40, RGB(1, 2, 3));
    Load(WriteFile("cut.bmp", TempFolder::ReadAll(cut).substr(0, 100)));
    ExpectFailureMessage(kFailure + "\n" + cut + " is damaged or cut short.");
    const std::string wide = SolidBmp("wide.bmp", 33000, 1, RGB(1, 2, 3));
    Load(wide);
    ExpectFailureMessage(kFailure + "\n" + wide +
                         " is too large: a picture may have at most 32768 pixels across and down "
                         "and 64 Mi (67,108,864) pixels in all, and its file at most 512 MiB.");

    // Held open by another program that shares it with nobody: the system's reason.
    const std::string held = SolidBmp("held.bmp", 4, 4, RGB(1, 2, 3));
    HANDLE file = ::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    Load(held);
    ::CloseHandle(file);
    ExpectFailureMessage(kFailure + "\nA sharing violation occurred while accessing " + held + ".");
}

// ---- The PNG copy ----

std::string CopyQuestion(const std::string& format) {
    return "Web browsers do not show " + format +
           " pictures, so your page would have no background.\n\nSave a PNG copy to use instead?";
}

// Pictures of each format, written by make_test_images.sh.
const std::string kTestImages = "testimages\\";

TEST_F(BackgroundImageTest, OnlyFormatsThatBrowsersDoNotShowAreOfferedAsPngCopies) {
    const std::pair<const char*, const char*> files[] = {
        {"tga24.tga", "TGA"},    {"pcx24.pcx", "PCX"}, {"pcd.pcd", "Photo CD"},
        {"tif_lzw.tif", "TIFF"}, {"bmp24.bmp", ""},    {"jpg_444.jpg", ""},
        {"png24.png", ""},       {"gif.gif", ""}};
    for (const auto& [file, format] : files) {
        SCOPED_TRACE(file);
        host.messageBoxAnswers.push_back(IDNO);
        Load(kTestImages + file);
        EXPECT_EQ(dlg->m_backgroundName.str(), file);
        if (!*format) {
            EXPECT_TRUE(host.messageBoxes.empty());
            host.messageBoxAnswers.clear();
            continue;
        }
        ASSERT_EQ(host.messageBoxes.size(), 1u);
        EXPECT_EQ(host.messageBoxes[0].text, CopyQuestion(format));
        EXPECT_EQ(host.messageBoxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
        EXPECT_EQ(host.messageBoxes[0].caption, std::string(TestApp().m_appName));
        host.messageBoxes.clear();
    }
    EXPECT_EQ(host.fileDialogs.size(), std::size(files)) << "no Save dialog after No";
}

TEST_F(BackgroundImageTest, YesSavesACopyBesideThePictureAndTheCopyBecomesTheBackground) {
    const std::string picture =
        WriteFile("photo.v2.tga", TempFolder::ReadAll(kTestImages + "tga24.tga"));
    host.messageBoxAnswers = {IDYES, IDYES};
    host.fileAnswers = {picture, std::nullopt, picture, folder / "copy.png"};
    Command(ID_TOOLS_LOADBACKGROUND); // Yes, then Cancel in the Save dialog
    EXPECT_EQ(dlg->m_backgroundPath.str(), picture);
    EXPECT_NE(Tag().find("BACKGROUND=\"photo.v2.tga\""), std::string::npos) << Tag();
    Command(ID_TOOLS_LOADBACKGROUND); // Yes, then a name

    ASSERT_EQ(host.fileDialogs.size(), 4u);
    const auto& save = host.fileDialogs[3];
    EXPECT_FALSE(save.open);
    EXPECT_EQ(save.initialDir, folder.Path() + "\\");
    EXPECT_EQ(save.initialFile, "photo.v2.png");
    EXPECT_EQ(save.defaultExt, "png");
    EXPECT_EQ(save.filterBlock, std::string("PNG Files (*.png)\0*.png\0", 25));
    EXPECT_TRUE(save.flags & OFN_OVERWRITEPROMPT);

    EXPECT_EQ(dlg->m_backgroundPath.str(), folder / "copy.png");
    EXPECT_EQ(dlg->m_backgroundName.str(), "copy.png");
    EXPECT_NE(Tag().find("BACKGROUND=\"copy.png\""), std::string::npos) << Tag();
    HBITMAP copy = ReadFileIntoDDB((folder / "copy.png").c_str(), nullptr, 0);
    EXPECT_NE(copy, nullptr);
    ::DeleteObject(copy);
}

TEST_F(BackgroundImageTest, CancelChangesNothing) {
    Load(SolidBmp("green.bmp", 5, 3, RGB(0, 200, 0)));
    HBITMAP bitmap = dlg->m_hBackground;
    std::string tag = Tag();
    Load(std::nullopt);

    EXPECT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_TRUE(host.messageBoxes.empty());
    EXPECT_EQ(dlg->m_backgroundName.str(), "green.bmp");
    EXPECT_EQ(dlg->m_backgroundPath.str(), folder / "green.bmp");
    EXPECT_EQ(dlg->m_hBackground, bitmap);
    EXPECT_EQ(dlg->m_backgroundLoaded, 1);
    EXPECT_EQ(Tag(), tag);
}

} // namespace

TEST_F(BackgroundImageTest, PastedColorsTakeAPictureBesideTheCurrentOneOrNameTheOneNotFound) {
    Load(SolidBmp("green.bmp", 5, 3, RGB(0, 200, 0)));
    SolidBmp("blue.bmp", 7, 2, RGB(0, 0, 180));
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    SetClipboard("<body background='blue.bmp' text=chucknorris>");
    Command(ID_EDIT_PASTECOLORS);
    EXPECT_EQ(ToolsState(CSchemeDlg::kShowBackgroundsPos), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(PreviewPixel(0, 0), RGB(0, 0, 180));
    EXPECT_EQ(Tag(), "<BODY BACKGROUND=\"blue.bmp\" TEXT=\"#C00000\" LINK=\"#008200\" "
                     "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >");

    SetClipboard("body { background: url(gone.png) } a:link { color: #1A73E8 }");
    Command(ID_EDIT_PASTECOLORS);
    ExpectFailureMessage("The background picture gone.png was not found\n(as a full path, or "
                         "beside the scheme file or the current picture).\nThe colors were "
                         "pasted without it.");
    EXPECT_NE(Tag().find("TEXT=\"#C00000\" LINK=\"#1A73E8\""), std::string::npos) << Tag();
    // Undone, each paste is one step, and the picture is decoded again from its path.
    Command(ID_EDIT_UNDO);
    Command(ID_EDIT_UNDO);
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    EXPECT_EQ(PreviewPixel(0, 0), RGB(0, 200, 0));
    EXPECT_EQ(Tag().find("#C00000"), std::string::npos) << Tag();
}
