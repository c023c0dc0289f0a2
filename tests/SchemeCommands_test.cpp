// "&Open A Scheme" and "&Save A Scheme" on the real dialog with real files: the dialogs, the
// bytes on disk, what an open changes and refreshes, and the messages of every failure.
#include <cstring>

#include "DialogHarness.h"
#include "TempFolder.h"
#include "TestValues.h"

namespace {
constexpr UINT kStop = MB_OK | MB_ICONSTOP;
constexpr UINT kExclamation = MB_OK | MB_ICONEXCLAMATION;

std::string SchemeBytes(const int32_t* components, const std::string& tail) {
    return SchemeHeader(components) + tail;
}

void SetTable(const int32_t* components) {
    std::memcpy(ColorTable, components, sizeof(int32_t) * kComponentCount);
}

bool TableIs(const int32_t* components) {
    return std::memcmp(ColorTable, components, sizeof(int32_t) * kComponentCount) == 0;
}

// The tag of kOddValues with backgrounds hidden: "%X" of each component, negative ones as
// their 32 bits.
const std::string kOddTag = "<BODY BGCOLOR=\"#FFFFFFFF1001000\" TEXT=\"#7FFFFFFF8000000000\" "
                            "LINK=\"#01FFFFFFFF00\" VLINK=\"#100008002\" ALINK=\"#030405\" >";
} // namespace

class SchemeCommandsTest : public DialogTest {
protected:
    void Save(const std::string& path) {
        host.fileAnswers.push_back(path);
        Command(ID_SCHEMES_SAVE);
    }
    void Open(const std::string& path) {
        host.fileAnswers.push_back(path);
        Command(ID_SCHEMES_OPEN);
    }
    // An image as the loader leaves it after a successful load.
    void HoldImage(const std::string& path, const std::string& name) {
        dlg->m_backgroundPath = path.c_str();
        dlg->m_backgroundName = name.c_str();
        dlg->m_backgroundLoaded = 1;
    }

    TempFolder folder;
};

TEST_F(SchemeCommandsTest, BothDialogsOfferColorsFilesAlikeAndCancelChangesNothing) {
    Command(ID_SCHEMES_SAVE);
    Command(ID_SCHEMES_OPEN);
    ASSERT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_FALSE(host.fileDialogs[0].open);
    EXPECT_TRUE(host.fileDialogs[1].open);
    for (const auto& call : host.fileDialogs) {
        EXPECT_EQ(call.initialFile, "*.colors");
        EXPECT_EQ(call.defaultExt, "colors");
        EXPECT_EQ(call.flags & ~static_cast<DWORD>(OFN_EXPLORER), 6u);
        EXPECT_EQ(call.filterBlock,
                  std::string("TWR Files (*.colors) \0*.colors\0All Files (*.*)\0*.*\0\0", 52));
        EXPECT_EQ(call.owner, Wnd());
    }
    EXPECT_TRUE(host.messageBoxes.empty());
    EXPECT_TRUE(TableIs(kDefaultScheme));
    EXPECT_TRUE(folder.Files().empty());
}

TEST_F(SchemeCommandsTest, SavesTheThreeFormsByteForByte) {
    // Hidden backgrounds: 64 bytes even with an image held.
    HoldImage("C:\\img\\tile.bmp", "tile.bmp");
    Save(folder / "hidden.colors");
    EXPECT_EQ(TempFolder::ReadAll(folder / "hidden.colors"),
              SchemeBytes(kDefaultScheme, std::string(1, '\0')));

    Command(ID_TOOLS_SHOWBACKGROUNDS);
    SetTable(kOddValues);
    Save(folder / "image.colors");
    EXPECT_EQ(TempFolder::ReadAll(folder / "image.colors"),
              SchemeBytes(kOddValues, "\x0F"
                                      "C:\\img\\tile.bmp"
                                      "\x08"
                                      "tile.bmp"));

    // Shown with no image: two zero bytes. A name without extension is used as typed.
    HoldImage("", "");
    Save(folder / "plain");
    EXPECT_EQ(TempFolder::ReadAll(folder / "plain"), SchemeBytes(kOddValues, std::string(2, '\0')));

    EXPECT_EQ(folder.Files().size(), 3u);
    EXPECT_TRUE(host.messageBoxes.empty());
    EXPECT_TRUE(TableIs(kOddValues)); // saving changes nothing in memory
}

TEST_F(SchemeCommandsTest,
       SavingABackgroundOfMoreThan255CharactersIsRefusedBeforeAnyFileIsTouched) {
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    std::string target = folder / "old.colors";
    TempFolder::WriteAll(target, "old");
    HoldImage("C:\\" + std::string(253, 'p'), "n.bmp"); // 256 characters
    Save(target);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].type, kExclamation);
    EXPECT_NE(host.messageBoxes[0].text.find("255"), std::string::npos);
    EXPECT_EQ(TempFolder::ReadAll(target), "old");
    EXPECT_EQ(folder.Files().size(), 1u);
}

TEST_F(SchemeCommandsTest, ABackgroundBeyond255BytesInUtf8IsRefusedBeforeAnyFileIsTouched) {
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    std::string target = folder / "old.colors";
    TempFolder::WriteAll(target, "old");
    std::string path = "C:\\";
    for (int i = 0; i < 125; ++i)
        path += "Ж"; // 129 characters, but 256 bytes with the marker
    HoldImage(path, "n.bmp");
    Save(target);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text,
              "The background image's path or name takes more than 255 bytes in a scheme file\n"
              "(as UTF-8, since it has characters outside the system's code page)\n"
              "and cannot be saved in it. Nothing was saved.");
    EXPECT_EQ(TempFolder::ReadAll(target), "old");
    EXPECT_EQ(folder.Files().size(), 1u);
}

TEST_F(SchemeCommandsTest, OpeningRestoresEveryComponentAndKeepsTheSelectedRole) {
    SetTable(kOddValues);
    Save(folder / "odd.colors");
    Command(ID_EDIT_RESETCOLORS);
    Click(IDC_VLINK_COLOR);

    Open(folder / "odd.colors");
    EXPECT_TRUE(host.messageBoxes.empty());
    EXPECT_TRUE(TableIs(kOddValues));
    EXPECT_EQ(Tag(), kOddTag);

    // The sliders and labels show the visited link's stored values; its button stays checked.
    EXPECT_EQ(dlg->m_currentRole, RoleVisitedLink);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"65536", "128", "2"}));
    EXPECT_EQ(Sliders(), (std::vector<int>{255, 128, 2}));
    EXPECT_EQ(::SendMessageA(Item(IDC_VLINK_COLOR), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageA(Item(IDC_BACKGROUND_COLOR), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // A scheme without background leaves the held image and the hidden state alone.
    EXPECT_EQ(dlg->m_solidBackground, static_cast<int>(MF_CHECKED));
    EXPECT_EQ(ToolsState(CSchemeDlg::kShowBackgroundsPos), static_cast<UINT>(MF_UNCHECKED));
}

TEST_F(SchemeCommandsTest, AHeldImageSurvivesOpeningASchemeWithoutOne) {
    HoldImage("C:\\img\\tile.bmp", "tile.bmp");
    Save(folder / "hidden.colors");
    Open(folder / "hidden.colors");
    EXPECT_EQ(dlg->m_backgroundPath, "C:\\img\\tile.bmp");
    EXPECT_EQ(dlg->m_backgroundName, "tile.bmp");
    EXPECT_EQ(dlg->m_backgroundLoaded, 1);
    EXPECT_TRUE(host.messageBoxes.empty());
}

TEST_F(SchemeCommandsTest, RefusesACutShortFileChangingNothing) {
    // A good file of 91 bytes cut after 40, and after 70 (inside the path).
    const std::string good = SchemeBytes(kOddValues, "\x12"
                                                     "Z:\\tmp\\nu\\tile.bmp"
                                                     "\x08"
                                                     "tile.bmp");
    ASSERT_EQ(good.size(), 91u);
    const std::string tagBefore = Tag();
    for (size_t length : {40u, 70u}) {
        const std::string path = folder / "cut.colors";
        TempFolder::WriteAll(path, good.substr(0, length));
        Open(path);
    }
    ASSERT_EQ(host.messageBoxes.size(), 2u);
    for (const auto& box : host.messageBoxes) {
        EXPECT_EQ(box.text, "The file you attempted to load\nis not a valid TWR scheme file.\n"
                            "It is cut short: the file ends before its scheme does.");
        EXPECT_EQ(box.type, kExclamation);
    }
    EXPECT_TRUE(TableIs(kDefaultScheme));
    EXPECT_EQ(Tag(), tagBefore);
}

TEST_F(SchemeCommandsTest, RejectsLowerCaseMagicAndTwoByteFilesChangingNothing) {
    std::string lower = folder / "lower.colors";
    TempFolder::WriteAll(lower, "twr" + SchemeBytes(kOddValues, "").substr(3) + '\0');
    std::string tiny = folder / "tiny.colors";
    TempFolder::WriteAll(tiny, "TW");
    std::string tagBefore = Tag();
    Open(lower);
    Open(tiny);
    ASSERT_EQ(host.messageBoxes.size(), 2u);
    for (const auto& box : host.messageBoxes) {
        EXPECT_EQ(box.text, "The file you attempted to load\nis not a valid TWR scheme file.");
        EXPECT_EQ(box.type, kExclamation);
    }
    EXPECT_TRUE(TableIs(kDefaultScheme));
    EXPECT_EQ(Tag(), tagBefore);
    // The file was closed: it can be replaced at once.
    TempFolder::WriteAll(lower, "x");
    EXPECT_EQ(TempFolder::ReadAll(lower), "x");
}

TEST_F(SchemeCommandsTest, FileErrorsShowTheirCauseWithTheStopIconAndChangeNothing) {
    std::string missing = folder / "missing.colors";
    std::string readOnly = folder / "readonly.colors";
    std::string held = folder / "held.colors";
    std::string old = SchemeBytes(kOddValues, std::string(1, '\0'));
    TempFolder::WriteAll(readOnly, old);
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    TempFolder::WriteAll(held, old);

    Open(missing);
    Open(folder.Path());
    Save(readOnly);
    {
        HeldOpen other(held);
        Save(held);
        Open(held);
    }
    std::vector<std::string> expected = {
        missing + " was not found.",
        "Access to " + folder.Path() + " was denied.",
        "Access to " + readOnly + " was denied.",
        "A sharing violation occurred while accessing " + held + ".",
        "A sharing violation occurred while accessing " + held + ".",
    };
    ASSERT_EQ(host.messageBoxes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(host.messageBoxes[i].text, expected[i]);
        EXPECT_EQ(host.messageBoxes[i].type, kStop);
        EXPECT_EQ(host.messageBoxes[i].owner, Wnd());
    }
    EXPECT_TRUE(TableIs(kDefaultScheme));
    EXPECT_EQ(TempFolder::ReadAll(readOnly), old);
    EXPECT_EQ(TempFolder::ReadAll(held), old);
    EXPECT_EQ(folder.Files().size(), 2u); // no new file and no leftover
    EXPECT_TRUE(::IsWindow(Wnd()));
}

TEST_F(SchemeCommandsTest, AnImageThatCannotBeDecodedStillLeavesTheWindowShowingTheNewColours) {
    std::string image = folder / "notes.bmp";
    TempFolder::WriteAll(image, "plain text, not an image\n");
    std::string path = folder / "image.colors";
    TempFolder::WriteAll(path, SchemeBytes(kOddValues, std::string(1, char(image.size())) + image +
                                                           "\x09"
                                                           "notes.bmp"));
    dlg->m_backgroundLoaded = 1;
    Click(IDC_TEXT_COLOR);
    Open(path);

    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text,
              "An error has occured.\nYou attempted to load an unsupported image.\nThe scheme's "
              "colors are applied; its background picture notes.bmp is not shown.");
    EXPECT_EQ(host.messageBoxes[0].type, kExclamation);
    EXPECT_EQ(dlg->m_backgroundPath, image.c_str());
    EXPECT_EQ(dlg->m_backgroundName, "notes.bmp");
    EXPECT_EQ(dlg->m_hBackground, nullptr);
    EXPECT_EQ(dlg->m_backgroundLoaded, 0);
    // Texts, tag and sliders agree with the stored colours; backgrounds stay hidden.
    EXPECT_TRUE(TableIs(kOddValues));
    EXPECT_EQ(Tag(), kOddTag);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"2147483647", "-2147483648", "0"}));
    EXPECT_EQ(dlg->m_currentRole, RoleText);
    EXPECT_EQ(dlg->m_solidBackground, static_cast<int>(MF_CHECKED));
}

TEST_F(SchemeCommandsTest, TheImageAFileNamesIsDecodedWhileBackgroundsAreHiddenAndShownLater) {
    // A 3 by 2 24-bit BMP: rows of 9 bytes padded to 12.
    std::string image = folder / "tile.bmp";
    std::string bmp = "BM" + Le32(54 + 24) + Le32(0) + Le32(54) + Le32(40) + Le32(3) + Le32(2) +
                      std::string("\x01\0\x18\0", 4) + Le32(0) + Le32(24) + Le32(2835) +
                      Le32(2835) + Le32(0) + Le32(0) + std::string(24, '\x40');
    TempFolder::WriteAll(image, bmp);
    std::string path = folder / "tile.colors";
    TempFolder::WriteAll(path, SchemeBytes(kOddValues, std::string(1, char(image.size())) + image +
                                                           "\x08"
                                                           "tile.bmp"));
    std::string tagBefore = Tag();
    Open(path);

    EXPECT_TRUE(host.messageBoxes.empty());
    ASSERT_NE(dlg->m_hBackground, nullptr);
    BITMAP info = {};
    ASSERT_TRUE(::GetObjectA(dlg->m_hBackground, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(dlg->m_backgroundLoaded, 1);
    EXPECT_EQ(dlg->m_backgroundPath, image.c_str());
    EXPECT_EQ(dlg->m_backgroundName, "tile.bmp");
    EXPECT_EQ(Tag().find("BACKGROUND="), std::string::npos) << Tag();

    Command(ID_TOOLS_SHOWBACKGROUNDS);
    EXPECT_NE(Tag().find("BACKGROUND=\"tile.bmp\""), std::string::npos) << Tag();
}
