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
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#define TOVAN_POSIX 1
#endif

namespace tovan {
namespace {

std::string Lower(std::string_view a) {
    std::string out(a);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
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
    index_.clear();
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    if (text.substr(0, Bom.size()) == Bom) text.remove_prefix(Bom.size());
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
            if (!current) current = &Add_Section(name);
            continue;
        }
        if (!current) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            Add_Entry(*current, Entry{std::string(line), {}, false});
        } else {
            Add_Entry(*current, Entry{std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))),
                                      true});
        }
    }
}

bool Ini_File::Load_File(const std::string& path, Ini_Load_Failure* why) {
    sections_.clear();
    index_.clear();
    Ini_Load_Failure failure = Ini_Load_Failure::None;
    std::string text;
#ifdef TOVAN_POSIX
    // Opened without blocking (a FIFO would wait for a writer) and checked
    // on the open descriptor, so the file read is the file checked.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        failure = errno == ENOENT || errno == ENOTDIR ? Ini_Load_Failure::Missing : Ini_Load_Failure::Read_Error;
    } else {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            failure = Ini_Load_Failure::Read_Error;
        } else if (!S_ISREG(st.st_mode)) {
            failure = Ini_Load_Failure::Not_Regular_File;
        } else if (static_cast<uint64_t>(st.st_size) > Max_Ini_File_Size) {
            failure = Ini_Load_Failure::Too_Large;
        } else {
            // The size may change while reading: never take more than the limit.
            text.resize(Max_Ini_File_Size + 1);
            size_t got = 0;
            while (got < text.size()) {
                const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
                if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                if (n < 0) {
                    failure = Ini_Load_Failure::Read_Error;
                    break;
                }
                if (n == 0) break;
                got += static_cast<size_t>(n);
            }
            text.resize(got);
            if (got > Max_Ini_File_Size) failure = Ini_Load_Failure::Too_Large;
        }
        ::close(fd);
    }
#else
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        failure = Ini_Load_Failure::Read_Error;  // there may be a file we may not read: keep it
    } else if (!fs::exists(st)) {
        failure = Ini_Load_Failure::Missing;
    } else if (!fs::is_regular_file(st)) {
        failure = Ini_Load_Failure::Not_Regular_File;
    } else if (fs::file_size(path, ec) > Max_Ini_File_Size) {
        failure = Ini_Load_Failure::Too_Large;
    } else {
        std::ifstream f(path, std::ios::binary);
        std::ostringstream ss;
        if (f) ss << f.rdbuf();
        if (!f || f.bad()) failure = Ini_Load_Failure::Read_Error;
        else text = ss.str();
        if (text.size() > Max_Ini_File_Size) failure = Ini_Load_Failure::Too_Large;
    }
#endif
    if (why) *why = failure;
    if (failure != Ini_Load_Failure::None) return false;
    Load_Text(text);
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
    const auto it = index_.find(Lower(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

const Ini_File::Section* Ini_File::Find(std::string_view name) const {
    const auto it = index_.find(Lower(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

Ini_File::Section& Ini_File::Add_Section(std::string_view name) {
    index_.emplace(Lower(name), sections_.size());
    sections_.push_back(Section{std::string(name), {}, {}});
    return sections_.back();
}

void Ini_File::Add_Entry(Section& s, Entry e) {
    if (e.has_value) s.keys.emplace(Lower(e.key), s.entries.size());  // the first one stays
    s.entries.push_back(std::move(e));
}

const Ini_File::Entry* Ini_File::Find_Key(const Section& s, std::string_view key) {
    const auto it = s.keys.find(Lower(key));
    return it == s.keys.end() ? nullptr : &s.entries[it->second];
}

bool Ini_File::Has_Section(std::string_view section) const { return Find(section) != nullptr; }

std::vector<std::string> Ini_File::Section_Names() const {
    std::vector<std::string> names;
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

void Ini_File::Erase_Section(std::string_view section) {
    const auto it = index_.find(Lower(section));
    if (it == index_.end()) return;
    const size_t gone = it->second;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(gone));
    index_.erase(it);
    for (auto& [name, i] : index_)
        if (i > gone) --i;
}

std::optional<std::string> Ini_File::Read_String(std::string_view section, std::string_view key) const {
    const Section* s = Find(section);
    if (!s) return std::nullopt;
    const Entry* e = Find_Key(*s, key);
    if (!e) return std::nullopt;
    return e->value;
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
    if (!s) s = &Add_Section(section);
    if (const Entry* e = Find_Key(*s, key)) {
        s->entries[static_cast<size_t>(e - s->entries.data())].value = std::string(value);
        return;
    }
    Add_Entry(*s, Entry{std::string(key), std::string(value), true});
}

void Ini_File::Write_Integer(std::string_view section, std::string_view key, int32_t value) {
    Write_String(section, key, std::to_string(value));
}

void Ini_File::Write_Bool(std::string_view section, std::string_view key, bool value) {
    Write_String(section, key, value ? "1" : "0");
}

#ifdef TOVAN_POSIX
namespace {

// Where a write of `path` must go: the path itself, or the end of its chain
// of links. Only a regular file or a path that does not exist yet will do.
File_Error Resolve_Write_Target(const std::filesystem::path& path, std::filesystem::path& target) {
    namespace fs = std::filesystem;
    const std::string name = path.string();
    target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return {};  // created as a regular file
            return File_Error{File_Fault::Cannot_Write, name, std::error_code(errno, std::generic_category())};
        }
        if (S_ISREG(st.st_mode)) return {};
        if (!S_ISLNK(st.st_mode)) return File_Error{File_Fault::Not_Regular_File, name, {}};
        std::error_code ec;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) return File_Error{File_Fault::Cannot_Write, name, ec};
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return File_Error{File_Fault::Cannot_Write, name, std::make_error_code(std::errc::too_many_symbolic_link_levels)};
}

// Temporary files "<name>.tmp<pid>" of writes whose process is gone.
void Remove_Stale_Temporaries(const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    const std::string prefix = target.filename().string() + ".tmp";
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(digits));
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to know
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(it->path().c_str());
    }
}

}  // namespace
#endif

File_Error Write_File_Atomically(const std::string& path, std::string_view content) {
    namespace fs = std::filesystem;
    auto failed = [&path](std::error_code reason) { return File_Error{File_Fault::Cannot_Write, path, reason}; };
    std::error_code ec;
    fs::path target(path);
#ifdef TOVAN_POSIX
    // Write through a link to the file it names, so the link stays.
    if (File_Error err = Resolve_Write_Target(fs::path(path), target)) return err;
    Remove_Stale_Temporaries(target);
#else
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) return File_Error{File_Fault::Not_Regular_File, path, {}};
#endif
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
    // A fresh file of our own: whatever stands under that name (a file of an
    // earlier write of this process, or a link someone put there) is not
    // written through.
    ::unlink(tmp.c_str());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    if (synced != 0 || closed != 0) {
        const File_Error err = failed(std::error_code(synced != 0 ? synced : closed, std::generic_category()));
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
