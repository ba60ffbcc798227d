#include "settings/ini_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define TOVAN_POSIX 1
#endif

namespace tovan {
namespace {

bool Equal_No_Case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    const auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
    return s;
}

#ifdef _WIN32
constexpr const char* Line_End = "\r\n";
#else
constexpr const char* Line_End = "\n";
#endif

}  // namespace

std::optional<int32_t> Parse_Ini_Integer(std::string_view t) {
    if (t.empty()) return std::nullopt;
    bool negative = false;
    size_t i = 0;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        i = 1;
    }
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        i += 1;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return std::nullopt;
    uint64_t v = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 16) {
        // Hexadecimal covers the full 32 bits ($FFFFFFFF is -1).
        const int64_t s = static_cast<int32_t>(static_cast<uint32_t>(v));
        return static_cast<int32_t>(negative ? -s : s);
    }
    const int64_t s = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    if (s < INT32_MIN || s > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(s);
}

void Ini_File::Load_Text(std::string_view text) {
    sections_.clear();
    Section* current = nullptr;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            current = Find(name);
            if (!current) {
                sections_.push_back(Section{std::string(name), {}});
                current = &sections_.back();
            }
            continue;
        }
        if (!current) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            current->entries.push_back(Entry{std::string(line), {}, false});
        } else {
            current->entries.push_back(Entry{std::string(Trim(line.substr(0, eq))),
                                             std::string(Trim(line.substr(eq + 1))), true});
        }
    }
}

bool Ini_File::Load_File(const std::string& path) {
    sections_.clear();
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::ostringstream ss;
    ss << f.rdbuf();
    if (f.bad()) return false;
    Load_Text(ss.str());
    return true;
}

std::string Ini_File::Text() const {
    std::string out;
    for (const Section& s : sections_) {
        out += '[';
        out += s.name;
        out += ']';
        out += Line_End;
        for (const Entry& e : s.entries) {
            out += e.key;
            if (e.has_value) {
                out += '=';
                out += e.value;
            }
            out += Line_End;
        }
        out += Line_End;
    }
    return out;
}

Ini_File::Section* Ini_File::Find(std::string_view name) {
    for (Section& s : sections_)
        if (Equal_No_Case(s.name, name)) return &s;
    return nullptr;
}

const Ini_File::Section* Ini_File::Find(std::string_view name) const {
    for (const Section& s : sections_)
        if (Equal_No_Case(s.name, name)) return &s;
    return nullptr;
}

bool Ini_File::Has_Section(std::string_view section) const { return Find(section) != nullptr; }

std::vector<std::string> Ini_File::Section_Names() const {
    std::vector<std::string> names;
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

void Ini_File::Erase_Section(std::string_view section) {
    sections_.erase(std::remove_if(sections_.begin(), sections_.end(),
                                   [&](const Section& s) { return Equal_No_Case(s.name, section); }),
                    sections_.end());
}

std::optional<std::string> Ini_File::Read_String(std::string_view section, std::string_view key) const {
    const Section* s = Find(section);
    if (!s) return std::nullopt;
    for (const Entry& e : s->entries)
        if (e.has_value && Equal_No_Case(e.key, key)) return e.value;
    return std::nullopt;
}

int32_t Ini_File::Read_Integer(std::string_view section, std::string_view key, int32_t def) const {
    const auto s = Read_String(section, key);
    if (!s) return def;
    return Parse_Ini_Integer(*s).value_or(def);
}

bool Ini_File::Read_Bool(std::string_view section, std::string_view key, bool def) const {
    return Read_Integer(section, key, def ? 1 : 0) != 0;
}

void Ini_File::Write_String(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = Find(section);
    if (!s) {
        sections_.push_back(Section{std::string(section), {}});
        s = &sections_.back();
    }
    for (Entry& e : s->entries) {
        if (e.has_value && Equal_No_Case(e.key, key)) {
            e.value = std::string(value);
            return;
        }
    }
    s->entries.push_back(Entry{std::string(key), std::string(value), true});
}

void Ini_File::Write_Integer(std::string_view section, std::string_view key, int32_t value) {
    Write_String(section, key, std::to_string(value));
}

void Ini_File::Write_Bool(std::string_view section, std::string_view key, bool value) {
    Write_String(section, key, value ? "1" : "0");
}

File_Error Write_File_Atomically(const std::string& path, std::string_view content) {
    namespace fs = std::filesystem;
    auto failed = [&path](std::error_code reason) { return File_Error{File_Fault::Cannot_Write, path, reason}; };
    std::error_code ec;
    // Write through a link to the file it names, so the link stays.
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    fs::path tmp = target;
    tmp += ".tmp";
#ifdef TOVAN_POSIX
    // A file the user made read-only stays as it is (the rename alone would
    // only need the folder to be writable).
    mode_t mode = 0644;
    struct stat old_stat {};
    if (::stat(target.c_str(), &old_stat) == 0) {
        if (::access(target.c_str(), W_OK) != 0) return failed(std::error_code(errno, std::generic_category()));
        mode = old_stat.st_mode & 07777;
    }
    tmp += std::to_string(::getpid());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return failed(std::error_code(errno, std::generic_category()));
    ::fchmod(fd, mode);
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const File_Error err = failed(std::error_code(errno, std::generic_category()));
            ::close(fd);
            ::unlink(tmp.c_str());
            return err;
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const File_Error err = failed(std::error_code(errno, std::generic_category()));
        ::unlink(tmp.c_str());
        return err;
    }
#else
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return failed({});
        f.write(content.data(), static_cast<std::streamsize>(content.size()));
        f.flush();
        if (!f) {
            std::error_code ignore;
            fs::remove(tmp, ignore);
            return failed(std::make_error_code(std::errc::io_error));
        }
    }
#endif
    fs::rename(tmp, target, ec);
    if (ec) {
        std::error_code ignore;
        fs::remove(tmp, ignore);
        return failed(ec);
    }
    return {};
}

}  // namespace tovan
