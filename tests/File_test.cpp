// CFile over real files under the system's file API: transfers, the cause and message of each
// failure, and saving through a new file that replaces the target only when complete.
#include "framework/File.h"

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace {
// The exception that body throws; fails the test when it throws none.
template <typename Body> CFileException Thrown(Body body) {
    try {
        body();
    } catch (const CFileException& e) {
        return e;
    }
    ADD_FAILURE() << "no CFileException";
    return CFileException();
}

std::string Message(const CFileException& e) {
    CString text;
    return e.GetErrorMessage(text) ? text.str() : "<none>";
}
} // namespace

TEST(CFile, WritesSeeksAndReadsRealFilesAndClosesWhenDestroyed) {
    TempFolder folder;
    std::string path = folder / "data.bin";
    TempFolder::WriteAll(path, std::string(100, 'x'));
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite); // empties the old file
        file.Write("abcdef", 6);
        EXPECT_EQ(file.Seek(2, CFile::begin), 2u);
        file.Write("Z", 1);
        EXPECT_STREQ(file.GetFilePath(), path.c_str());
    }
    EXPECT_EQ(TempFolder::ReadAll(path), "abZdef");

    CFile file(path.c_str(), CFile::modeRead);
    char buffer[16] = {};
    EXPECT_EQ(file.Seek(4, CFile::begin), 4u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u); // short reads are no error
    EXPECT_STREQ(buffer, "ef");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(file.Seek(100, CFile::begin), 100u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    file.Close();
    file.Close(); // a second close does nothing
    // Nothing holds the file any more: it opens without sharing.
    CFile again(path.c_str(), CFile::modeWrite);
}

TEST(CFile, EachOpenFailureCarriesItsCauseAndThePathAsGiven) {
    TempFolder folder;
    std::string missing = folder / "missing.colors";
    CFileException e = Thrown([&] { CFile f(missing.c_str(), CFile::modeRead); });
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e.m_lOsError, static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Message(e), missing + " was not found.");

    std::string noFolder = folder / "nowhere\\x.colors";
    e = Thrown([&] { CFile f(noFolder.c_str(), CFile::modeCreate | CFile::modeWrite); });
    EXPECT_EQ(e.m_cause, CFileException::badPath);
    EXPECT_EQ(Message(e), noFolder + " contains an invalid path.");

    e = Thrown([&] { CFile f(folder.Path().c_str(), CFile::modeRead); });
    EXPECT_EQ(e.m_cause, CFileException::accessDenied);
    EXPECT_EQ(Message(e), "Access to " + folder.Path() + " was denied.");

    std::string readOnly = folder / "readonly.colors";
    TempFolder::WriteAll(readOnly, "old");
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    e = Thrown([&] { CFile f(readOnly.c_str(), CFile::modeCreate | CFile::modeWrite); });
    EXPECT_EQ(e.m_cause, CFileException::accessDenied);
    EXPECT_EQ(TempFolder::ReadAll(readOnly), "old");

    std::string held = folder / "held.colors";
    HeldOpen other(held);
    e = Thrown([&] { CFile f(held.c_str(), CFile::modeRead); });
    EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
    EXPECT_EQ(Message(e), "A sharing violation occurred while accessing " + held + ".");

    // Open reports instead of throwing when asked to.
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(file.IsOpen());
}

TEST(CFile, ReadAndSeekFailuresNameNoFile) {
    TempFolder folder;
    std::string path = folder / "data.bin";
    TempFolder::WriteAll(path, std::string(64, 'x'));
    CFile file(path.c_str(), CFile::modeRead | CFile::shareDenyNone);

    CFileException e = Thrown([&] { file.Seek(-1, CFile::begin); });
    EXPECT_EQ(e.m_cause, CFileException::badSeek);
    EXPECT_EQ(Message(e), "Seek failed on ");

    char buffer[8];
    file.Close();
    e = Thrown([&] { file.Read(buffer, sizeof buffer); });
    EXPECT_EQ(e.m_cause, CFileException::invalidFile);
}

TEST(CFileException, CutsTheNameTo127CharactersAndHasAMessageForEveryCause) {
    std::string name(200, 'n');
    CFileException e(CFileException::diskFull, ERROR_DISK_FULL, name.c_str());
    EXPECT_EQ(Message(e), "Disk full while accessing " + name.substr(0, 127) + ".");
    for (int cause = CFileException::genericException; cause <= CFileException::endOfFile; ++cause)
        EXPECT_NE(std::string(CFileException::CauseMessage(cause)).find("%1"), std::string::npos);
    // No cause, no text of its own: the framework's generic message applies.
    CString text;
    EXPECT_FALSE(CFileException().GetErrorMessage(text));
}

TEST(CFile, SavesAndReadsUnderNamesInAnyScriptAndCutsNamesBetweenCharacters) {
    TempFolder folder;
    const std::string inner = folder / "Фото 写真 📷";
    ASSERT_TRUE(::CreateDirectoryW(AfxWide(inner).c_str(), nullptr));
    const std::string path = inner + "\\Grüße.colors";
    AfxWriteFileReplacing(path.c_str(), [](CFile& file) { file.Write("TWR", 3); });
    CFile file(path.c_str(), CFile::modeRead);
    char bytes[4] = {};
    EXPECT_EQ(file.Read(bytes, sizeof bytes), 3u);
    EXPECT_STREQ(bytes, "TWR");
    EXPECT_EQ(file.GetFilePath(), path);
    file.Close();
    ::DeleteFileW(AfxWide(path).c_str());
    ::RemoveDirectoryW(AfxWide(inner).c_str());

    // 200 letters of two bytes each: the message names the first 127 of them whole.
    std::string name;
    for (int i = 0; i < 200; ++i)
        name += "Ж";
    CFileException e(CFileException::diskFull, ERROR_DISK_FULL, name.c_str());
    EXPECT_EQ(Message(e), "Disk full while accessing " + name.substr(0, 254) + ".");
}

TEST(AfxWriteFileReplacing, ReplacesTheTargetOnlyOnceEverythingIsWritten) {
    TempFolder folder;
    std::string target = folder / "scheme.colors";
    AfxWriteFileReplacing(target.c_str(), [&](CFile& file) {
        // A new file named after the target, never offered as a scheme.
        const std::string written(file.GetFilePath());
        EXPECT_EQ(written.rfind(target + ".~", 0), 0u) << written;
        EXPECT_EQ(written.substr(written.size() - 4), ".tmp");
        file.Write("first", 5);
    });
    EXPECT_EQ(TempFolder::ReadAll(target), "first");
    AfxWriteFileReplacing(target.c_str(), [](CFile& file) { file.Write("new", 3); });
    EXPECT_EQ(TempFolder::ReadAll(target), "new");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"scheme.colors"});

    // A write failing halfway: the old file stays whole, the new one is gone, the user's name
    // shows.
    CFileException e = Thrown([&] {
        AfxWriteFileReplacing(target.c_str(), [](CFile& file) {
            file.Write("partial", 7);
            AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, file.GetFilePath());
        });
    });
    EXPECT_EQ(Message(e), "Disk full while accessing " + target + ".");
    EXPECT_EQ(TempFolder::ReadAll(target), "new");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"scheme.colors"});
}

TEST(AfxWriteFileReplacing, RefusesATargetThatCouldNotBeOpenedBeforeWritingAnything) {
    TempFolder folder;
    std::string readOnly = folder / "readonly.colors";
    TempFolder::WriteAll(readOnly, "old");
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    std::string held = folder / "held.colors";
    TempFolder::WriteAll(held, "old");
    HeldOpen other(held);

    struct Case {
        std::string path;
        int cause;
    } cases[] = {{readOnly, CFileException::accessDenied},
                 {held, CFileException::sharingViolation},
                 {folder.Path(), CFileException::accessDenied},
                 {folder / "nowhere\\new.colors", CFileException::badPath}};
    for (const Case& c : cases) {
        bool wrote = false;
        CFileException e =
            Thrown([&] { AfxWriteFileReplacing(c.path.c_str(), [&](CFile&) { wrote = true; }); });
        EXPECT_EQ(e.m_cause, c.cause) << c.path;
        EXPECT_EQ(e.m_strFileName, c.path.c_str());
        EXPECT_FALSE(wrote) << c.path;
    }
    EXPECT_EQ(TempFolder::ReadAll(readOnly), "old");
    EXPECT_EQ(folder.Files().size(), 2u);
}

TEST(AfxWriteFileReplacing, WritesInPlaceWhereNoNewFileNameFitsBesideTheTarget) {
    // The longest folder that Windows creates, 248 characters: a path of 259 characters at most
    // leaves no room for a longer name beside the target.
    const std::string name = "a.colors";
    TempFolder folder(248);
    const std::string target = folder / name;
    ASSERT_EQ(target.size(), 257u);
    TempFolder::WriteAll(target, "old");
    AfxWriteFileReplacing(target.c_str(), [](CFile& file) { file.Write("new", 3); });
    EXPECT_EQ(TempFolder::ReadAll(target), "new");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{name});
}

TEST(AfxWriteFileReplacing, WritesInPlaceWhereTheFolderRefusesNewFiles) {
    // Made beside the test programs by ctest's fixture (locked_folder.sh): the folder takes no new
    // entries, while its file scheme.colors may be written.
    const std::string folder = "locked-folder";
    const std::string target = folder + "\\scheme.colors";
    if (::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no " << folder << ": ctest's fixture makes it";
    const std::string probe = folder + "\\probe";
    HANDLE created =
        ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (created != INVALID_HANDLE_VALUE) {
        ::CloseHandle(created);
        ::DeleteFileA(probe.c_str());
        GTEST_SKIP() << "this machine could not lock the folder: "
                     << TempFolder::ReadAll(folder + ".why");
    }
    ASSERT_EQ(TempFolder::ReadAll(target), "old");
    AfxWriteFileReplacing(target.c_str(), [](CFile& file) { file.Write("new", 3); });
    EXPECT_EQ(TempFolder::ReadAll(target), "new");

    // A file that does not exist yet cannot be written in place either: the cause is reported.
    const std::string other = folder + "\\other.colors";
    CFileException e = Thrown(
        [&] { AfxWriteFileReplacing(other.c_str(), [](CFile& file) { file.Write("x", 1); }); });
    EXPECT_EQ(e.m_cause, CFileException::accessDenied);
    EXPECT_EQ(e.m_strFileName, other.c_str());
}
