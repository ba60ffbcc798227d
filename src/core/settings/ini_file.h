#pragma once
// An in-memory INI file: the whole file is loaded, changed in memory and
// written back as a whole.
//
// Loading: lines are trimmed; blank lines and lines starting with ';' are
// dropped; lines before the first section header are dropped; spaces
// around '=' are removed. Section and key names compare without regard to
// letter case (ASCII). A section that appears twice is merged into the
// first; where a key appears twice the first one is read and replaced.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_error.h"

namespace tovan {

class Ini_File {
public:
    void Load_Text(std::string_view text);
    // A missing or unreadable file loads as empty; returns false then.
    bool Load_File(const std::string& path);
    std::string Text() const;

    bool Has_Section(std::string_view section) const;
    std::vector<std::string> Section_Names() const;
    void Erase_Section(std::string_view section);

    std::optional<std::string> Read_String(std::string_view section, std::string_view key) const;
    // Decimal, or hexadecimal with "$", "0x" or "0X"; anything else (and a
    // value outside 32 bits) gives the default.
    int32_t Read_Integer(std::string_view section, std::string_view key, int32_t def) const;
    // Read as an integer; any non-zero value is true.
    bool Read_Bool(std::string_view section, std::string_view key, bool def) const;

    // Replaces the first matching key, else appends it; a missing section
    // is appended at the end.
    void Write_String(std::string_view section, std::string_view key, std::string_view value);
    void Write_Integer(std::string_view section, std::string_view key, int32_t value);
    void Write_Bool(std::string_view section, std::string_view key, bool value);

private:
    struct Entry {
        std::string key;    // whole line when it holds no '='
        std::string value;
        bool has_value = true;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* Find(std::string_view name);
    const Section* Find(std::string_view name) const;

    std::vector<Section> sections_;
};

// Parses an integer as the reader does; nullopt when it is not one.
std::optional<int32_t> Parse_Ini_Integer(std::string_view text);

// Writes `content` to `path` so that the file is either the old or the new
// one at every moment: a temporary file in the same folder, flushed to
// disk, then renamed over the old file. Returns the error (none on
// success); on failure the old file is untouched.
File_Error Write_File_Atomically(const std::string& path, std::string_view content);

}  // namespace tovan
