#pragma once
// An in-memory INI file: the whole file is loaded, changed in memory and
// written back as a whole.
//
// Loading: lines are trimmed; blank lines and lines starting with ';' are
// dropped; lines before the first section header are dropped; spaces
// around '=' are removed. Section and key names compare without regard to
// letter case (ASCII). A section that appears twice is merged into the
// first; where a key appears twice the first one is read and replaced. A
// UTF-8 byte-order mark at the start is skipped. Sections and keys are
// found through hash indexes, so a file with very many of them loads and
// saves in linear time.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/file_error.h"

namespace tovan {

// The largest settings file that is read: far above any real one, small
// enough that a wrong path (a disk image, a log) costs nothing.
inline constexpr std::size_t Max_Ini_File_Size = 1u << 20;

// Why a file did not load.
enum class Ini_Load_Failure { None, Missing, Not_Regular_File, Too_Large, Read_Error };

class Ini_File {
public:
    void Load_Text(std::string_view text);
    // Only a regular file (or a link to one) of at most Max_Ini_File_Size
    // bytes is read; a FIFO, a device or a folder is never opened for a
    // blocking read. Anything else loads as empty and returns false, with
    // the reason in `why` when given.
    bool Load_File(const std::string& path, Ini_Load_Failure* why = nullptr);
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
        // Lower-case key -> index of its first entry with a value.
        std::unordered_map<std::string, std::size_t> keys;
    };
    Section* Find(std::string_view name);
    const Section* Find(std::string_view name) const;
    Section& Add_Section(std::string_view name);
    static void Add_Entry(Section& s, Entry e);
    static const Entry* Find_Key(const Section& s, std::string_view key);

    std::vector<Section> sections_;
    // Lower-case section name -> index in sections_.
    std::unordered_map<std::string, std::size_t> index_;
};

// Parses an integer as the reader does; nullopt when it is not one.
std::optional<int32_t> Parse_Ini_Integer(std::string_view text);

// Writes `content` to `path` so that the file is either the old or the new
// one at every moment: a temporary file in the same folder, flushed to
// disk, then renamed over the old file. Returns the error (none on
// success); on failure the old file is untouched.
//
// A symbolic link is followed to the file it names, and the link stays:
// only to a regular file, or to a path that does not exist yet (which is
// then created as a regular file where the link points). A link to a
// device, a FIFO or a folder, or a path that is one itself, gets an error
// and nothing is replaced. Temporary files of earlier writes of this file
// whose process is gone (a write killed midway) are removed.
File_Error Write_File_Atomically(const std::string& path, std::string_view content);

}  // namespace tovan
