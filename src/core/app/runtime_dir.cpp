#include "app/runtime_dir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#include <unistd.h>
#define TOVAN_POSIX 1
#endif

namespace tovan {

#ifdef TOVAN_POSIX

bool Is_Private_Dir(const std::string& path, std::string* why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (why) *why = path + ": " + std::strerror(errno);
        return false;
    }
    const char* reason = nullptr;
    if (!S_ISDIR(st.st_mode)) reason = "not a folder";
    else if (st.st_uid != ::geteuid()) reason = "owned by another user";
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) reason = "writable by other users";
    if (reason && why) *why = path + ": " + reason;
    return reason == nullptr;
}

bool Owned_By_User(const std::string& path, std::string* why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (st.st_uid == ::geteuid()) return true;
    if (why) *why = path + ": owned by another user";
    return false;
}

Runtime_Dir Private_Runtime_Dir(const char* xdg_runtime_dir, const char* xdg_cache_home, const char* home,
                                const std::string& app_name) {
    namespace fs = std::filesystem;
    Runtime_Dir r;
    std::string refused;
    if (xdg_runtime_dir && *xdg_runtime_dir && fs::path(xdg_runtime_dir).is_absolute()) {
        if (Is_Private_Dir(xdg_runtime_dir, &refused)) {
            r.path = xdg_runtime_dir;
            return r;
        }
    }
    fs::path cache;
    if (xdg_cache_home && *xdg_cache_home && fs::path(xdg_cache_home).is_absolute()) cache = xdg_cache_home;
    else if (home && *home && fs::path(home).is_absolute()) cache = fs::path(home) / ".cache";
    if (cache.empty()) {
        r.error = refused.empty() ? "no runtime folder and no home folder" : refused;
        return r;
    }
    const fs::path dir = cache / app_name / "run";
    std::error_code ec;
    fs::create_directories(dir, ec);
    // A folder of ours gets its mode put right; someone else's is refused.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()) ::chmod(dir.c_str(), 0700);
    std::string why;
    if (!Is_Private_Dir(dir.string(), &why)) {
        r.error = why;
        return r;
    }
    r.path = dir.string();
    return r;
}

#else

bool Is_Private_Dir(const std::string& path, std::string* why) {
    std::error_code ec;
    const bool ok = std::filesystem::is_directory(path, ec);
    if (!ok && why) *why = path + ": not a folder";
    return ok;
}

bool Owned_By_User(const std::string&, std::string*) { return true; }

Runtime_Dir Private_Runtime_Dir(const char*, const char* xdg_cache_home, const char* home,
                                const std::string& app_name) {
    // Elsewhere the per-user local application folder is private already.
    namespace fs = std::filesystem;
    Runtime_Dir r;
    const char* base = xdg_cache_home && *xdg_cache_home ? xdg_cache_home : home;
    if (!base || !*base) {
        r.error = "no home folder";
        return r;
    }
    const fs::path dir = fs::path(base) / app_name / "run";
    std::error_code ec;
    fs::create_directories(dir, ec);
    r.path = dir.string();
    return r;
}

#endif

Runtime_Dir Private_Runtime_Dir(const std::string& app_name) {
#ifdef _WIN32
    return Private_Runtime_Dir(nullptr, std::getenv("LOCALAPPDATA"), std::getenv("USERPROFILE"), app_name);
#else
    return Private_Runtime_Dir(std::getenv("XDG_RUNTIME_DIR"), std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"),
                               app_name);
#endif
}

}  // namespace tovan
