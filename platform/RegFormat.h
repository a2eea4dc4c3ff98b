// Reading and writing one hive in the `.reg` text format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Quillomere]
//   "Name"="text with \\ and \" escaped"
//   @="the default value"
//   "Count"=dword:0000002a
//
// Text holding line breaks or other control characters is written as hex(1): UTF-16LE bytes, as
// the format does for such data. Other hex types are kept as they were read.
#pragma once

#include "platform/SettingsTree.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavil::platform {

struct RegParseIssue {
    std::size_t line = 0;  // 1-based; 0 for the file as a whole
    std::string what;
};

struct RegParseResult {
    // A damaged file may hold millions of bad lines; the first few tell what went wrong.
    static constexpr std::size_t kKeptIssues = 16;

    std::vector<RegParseIssue> issues;  // the first kKeptIssues issues; empty when the file was sound
    std::size_t issueCount = 0;         // all of them
    bool damaged() const { return issueCount > 0; }
    void add(std::size_t line, std::string_view what)
    {
        if (issues.size() < kKeptIssues) issues.push_back({line, std::string(what)});
        ++issueCount;
    }
};

// Reads the file's text into `root` (which it clears first). Sections of other hives, lines that
// cannot be read and values outside a section are skipped and counted as issues; everything else
// is kept. Accepts a UTF-8 byte order mark, UTF-16LE files (with their mark), CRLF line ends,
// "REGEDIT4" as header, comments (";"), and the deletions "[-key]" and "name"=-.
RegParseResult parseRegText(std::string_view text, std::string_view rootName, SettingsKey& root);

// The file's text for the tree: header, then every key depth first in its order (the root only
// when it holds values), each followed by a blank line. Keys with no values are written too, so
// that they persist.
std::string formatRegText(const SettingsKey& root, std::string_view rootName);

}  // namespace tavil::platform
