// The scheme file codec over files in memory: the bytes written, and what the reader makes of
// whole, short, long and hostile files.
#include "scheme/SchemeFile.h"

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>

#include <gtest/gtest.h>

#include "TestValues.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Header(const int32_t* components) {
    const std::string header = SchemeHeader(components);
    return Bytes(header.begin(), header.end());
}

Bytes operator+(Bytes a, const std::string& text) {
    a.insert(a.end(), text.begin(), text.end());
    return a;
}

SchemeFileData Scheme(const int32_t* components, std::string path = {}, std::string name = {}) {
    SchemeFileData data;
    std::memcpy(data.components, components, sizeof data.components);
    data.path = std::move(path);
    data.name = std::move(name);
    return data;
}

Bytes Write(const SchemeFileData& data, bool withBackground) {
    MemoryFile file;
    EXPECT_TRUE(WriteSchemeFile(file, data, withBackground));
    return file.Bytes();
}

// Reads bytes over a starting table of sevens, so that untouched components show.
SchemeFileData Read(const Bytes& bytes, bool* valid = nullptr) {
    SchemeFileData data;
    for (int32_t& c : data.components)
        c = 0x07070707;
    MemoryFile file(bytes);
    bool ok = ReadSchemeFile(file, data);
    if (valid) *valid = ok;
    return data;
}
} // namespace

TEST(SchemeFileWrite, GivesTheThreeLayoutsByteForByte) {
    // The default scheme with backgrounds hidden, whatever image is held.
    Bytes hidden = Write(Scheme(kDefaultScheme, "C:\\img\\tile.bmp", "tile.bmp"), false);
    Bytes expected = {'T', 'W', 'R', 0xFF, 0, 0, 0, 0xEB, 0, 0, 0, 0xD7, 0, 0, 0};
    expected.resize(3 + 28, 0);
    for (int32_t v : {130, 0, 85, 26, 139, 238, 0, 0}) {
        const std::string le = Le32(v);
        expected.insert(expected.end(), le.begin(), le.end());
    }
    expected.push_back(0);
    EXPECT_EQ(hidden, expected);
    EXPECT_EQ(hidden.size(), 64u);

    Bytes shownNoImage = Write(Scheme(kDefaultScheme), true);
    EXPECT_EQ(shownNoImage, Header(kDefaultScheme) + std::string(2, '\0'));

    // A path of 15 characters and a name of 8: 88 bytes.
    Bytes shown = Write(Scheme(kOddValues, "C:\\img\\tile.bmp", "tile.bmp"), true);
    EXPECT_EQ(shown, Header(kOddValues) + "\x0F"
                                          "C:\\img\\tile.bmp"
                                          "\x08"
                                          "tile.bmp");
    EXPECT_EQ(shown.size(), 88u);
}

TEST(SchemeFileWrite, RefusesStringsBeyond255CharactersWithoutWritingAByte) {
    std::string longest(255, 'p');
    EXPECT_EQ(Write(Scheme(kDefaultScheme, longest, longest), true).size(), 64u + 1 + 255 + 255);

    for (auto [path, name] : {std::pair{std::string(256, 'p'), std::string("n")},
                              std::pair{std::string("p"), std::string(256, 'n')}}) {
        MemoryFile file;
        EXPECT_FALSE(FitsSchemeFile(path, name));
        EXPECT_FALSE(WriteSchemeFile(file, Scheme(kDefaultScheme, path, name), true));
        EXPECT_TRUE(file.Bytes().empty());
        // Hidden backgrounds store no strings, so their length does not matter.
        EXPECT_TRUE(WriteSchemeFile(file, Scheme(kDefaultScheme, path, name), false));
    }
}

TEST(SchemeFileRead, RoundTripsEveryComponentAndBothStrings) {
    bool valid = false;
    SchemeFileData read = Read(Write(Scheme(kOddValues, "D:\\x\\y.pcx", "y.pcx"), true), &valid);
    ASSERT_TRUE(valid);
    for (int i = 0; i < kComponentCount; ++i)
        EXPECT_EQ(read.components[i], kOddValues[i]) << i;
    EXPECT_TRUE(read.namesBackground);
    EXPECT_EQ(read.path, "D:\\x\\y.pcx");
    EXPECT_EQ(read.name, "y.pcx");

    // Both empty strings, and a zero path length followed by anything, name no background.
    EXPECT_FALSE(Read(Write(Scheme(kOddValues), true)).namesBackground);
    EXPECT_FALSE(Read(Header(kOddValues) + std::string("\0\x05hello", 7)).namesBackground);
}

TEST(SchemeFileRead, RejectsAWrongMagicAndLeavesTheDataAlone) {
    for (const Bytes& bytes :
         {Bytes{'T', 'W'}, Bytes{}, Header(kOddValues) + std::string(1, '\0')}) {
        Bytes file = bytes;
        if (file.size() > 2) file[0] = 't', file[1] = 'w', file[2] = 'r';
        bool valid = true;
        SchemeFileData read = Read(file, &valid);
        EXPECT_FALSE(valid);
        EXPECT_EQ(read.components[0], 0x07070707);
    }
}

TEST(SchemeFileRead, RefusesAFileThatEndsBeforeItsLayoutAsCutShort) {
    const std::string path = "\x06"
                             "C:\\a.b";
    for (const Bytes& bytes :
         {Bytes{'T', 'W', 'R', 0x01, 0x02, 0x03, 0x04, 0xAA}, Header(kOddValues),
          Header(kOddValues) + std::string("\xFF"
                                           "C:\\cut"),
          Header(kOddValues) + path, Header(kOddValues) + (path + "\x05xy")}) {
        MemoryFile file(bytes);
        SchemeFileData data = Scheme(kDefaultScheme, "old path", "old name");
        bool cutShort = false;
        EXPECT_FALSE(ReadSchemeFile(file, data, &cutShort)) << bytes.size() << " bytes";
        EXPECT_TRUE(cutShort) << bytes.size() << " bytes";
        EXPECT_EQ(std::memcmp(data.components, kDefaultScheme, sizeof data.components), 0);
        EXPECT_EQ(data.path, "old path");
    }
}

TEST(SchemeFileRead, TakesLongLengthsAsUnsignedAndStringsUpToAZeroByte) {
    std::string path(200, 'P'), name(255, 'N');
    SchemeFileData read =
        Read(Header(kOddValues) + ("\xC8" + path + "\xFF" + name + "ignored trailing bytes"));
    EXPECT_EQ(read.path, path);
    EXPECT_EQ(read.name, name);

    // A zero byte ends a string; the length still decides where the name starts.
    read = Read(Header(kOddValues) + std::string("\x05"
                                                 "ab\0cd"
                                                 "\x03"
                                                 "xyz",
                                                 10));
    EXPECT_EQ(read.path, "ab");
    EXPECT_EQ(read.name, "xyz");
}

TEST(SchemeFileRead, AReadFailureMidwayChangesNothing) {
    // Fails at the first read after the sixty colour bytes.
    class FailingFile : public MemoryFile {
    public:
        using MemoryFile::MemoryFile;
        uint32_t Read(void* buffer, uint32_t count) override {
            if (++reads == 3) throw std::runtime_error("read failed");
            return MemoryFile::Read(buffer, count);
        }
        int reads = 0;
    };
    FailingFile file(Write(Scheme(kOddValues, "C:\\a.bmp", "a.bmp"), true));
    SchemeFileData data = Scheme(kDefaultScheme, "old path", "old name");
    EXPECT_THROW(ReadSchemeFile(file, data), std::runtime_error);
    EXPECT_EQ(std::memcmp(data.components, kDefaultScheme, sizeof data.components), 0);
    EXPECT_EQ(data.path, "old path");
}

namespace {
// A stand-in for the system code page: Latin-1, whose bytes are the first 256 code points.
std::optional<std::string> ToLatin1(std::string_view utf8) {
    std::string bytes;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
        } else if ((lead & 0xE0) == 0xC0 && lead <= 0xC3 && i + 1 < utf8.size()) {
            bytes += static_cast<char>(((lead & 0x03) << 6) | (utf8[++i] & 0x3F));
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

std::string FromLatin1(std::string_view bytes) {
    std::string utf8;
    for (unsigned char ch : bytes) {
        if (ch < 0x80) {
            utf8 += static_cast<char>(ch);
        } else {
            utf8 += static_cast<char>(0xC0 | (ch >> 6));
            utf8 += static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    return utf8;
}

SchemeFileData EncodedScheme(std::string_view path, std::string_view name) {
    return Scheme(kDefaultScheme, EncodeSchemeField(path, ToLatin1),
                  EncodeSchemeField(name, ToLatin1));
}
} // namespace

TEST(SchemeFileFields, ANameTheCodePageHoldsIsWrittenInItByteForByte) {
    Bytes bytes = Write(EncodedScheme("C:\\Grüße\\Café.bmp", "Café.bmp"), true);
    EXPECT_EQ(bytes, Header(kDefaultScheme) + "\x11"
                                              "C:\\Gr\xFC\xDF"
                                              "e\\Caf\xE9.bmp"
                                              "\x08"
                                              "Caf\xE9.bmp");
}

TEST(SchemeFileFields, ANameBeyondTheCodePageIsMarkedUtf8AndReadsBack) {
    const std::string path = "D:\\Фото\\写真 📷.jpg", name = "写真 📷.jpg";
    Bytes bytes = Write(EncodedScheme(path, name), true);
    EXPECT_EQ(bytes, Header(kDefaultScheme) + "\x1E\xEF\xBB\xBF"
                                              "D:\\\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\\"
                                              "\xE5\x86\x99\xE7\x9C\x9F \xF0\x9F\x93\xB7.jpg"
                                              "\x12\xEF\xBB\xBF"
                                              "\xE5\x86\x99\xE7\x9C\x9F \xF0\x9F\x93\xB7.jpg");
    SchemeFileData read = Read(bytes);
    EXPECT_EQ(DecodeSchemeField(read.path, FromLatin1), path);
    EXPECT_EQ(DecodeSchemeField(read.name, FromLatin1), name);

    // Code-page bytes that happen to start as the marker does are kept apart by marking them.
    EXPECT_EQ(EncodeSchemeField("ï»¿.bmp", ToLatin1), "\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBF.bmp");
}

TEST(SchemeFileFields, AnUnmarkedFieldReadsAsTheCodePage) {
    SchemeFileData read = Read(Header(kDefaultScheme) + "\x0B"
                                                        "C:\\Caf\xE9.bmp"
                                                        "\x08"
                                                        "Caf\xE9.bmp");
    EXPECT_EQ(DecodeSchemeField(read.path, FromLatin1), "C:\\Café.bmp");
    EXPECT_EQ(DecodeSchemeField(read.name, FromLatin1), "Café.bmp");
}

TEST(SchemeFileFields, AMarkedFieldBeyond255BytesIsRefused) {
    // 126 Cyrillic letters take 252 bytes, 255 with the marker; one more does not fit.
    std::string fits;
    for (int i = 0; i < 126; ++i)
        fits += "Ж";
    MemoryFile file;
    EXPECT_TRUE(WriteSchemeFile(file, EncodedScheme("C:\\a.bmp", fits), true));
    file = MemoryFile();
    EXPECT_FALSE(WriteSchemeFile(file, EncodedScheme("C:\\a.bmp", fits + "Ж"), true));
    EXPECT_TRUE(file.Bytes().empty());
}
