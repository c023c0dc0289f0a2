// The file work of the page commands (ui/PageCommands.cpp), apart from their dialogs, so that the
// bench times what the commands do.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "framework/Afx.h"
#include "scheme/PageText.h"

// The largest page that the page commands read.
inline constexpr uint64_t kMaxPageBytes = 64ull << 20;

// The whole page at path, or nullopt when it is larger than kMaxPageBytes; a failure to read
// throws the CFileException.
std::optional<std::string> ReadPageFile(const CString& path);
// utf8 in the code page, or nullopt where a character has no exact form there.
std::optional<std::string> EncodeForPage(int codePage, std::string_view utf8);
// The page's text (its mark left off) as UTF-8, read in its encoding.
std::string PageTextAsUtf8(std::string_view page, const PageEncoding& encoding);
// The rewritten page in path's place through a new file beside it (see AfxWriteFileReplacing).
void WritePageFile(const CString& path, const std::string& page);
