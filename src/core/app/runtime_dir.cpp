#include "app/runtime_dir.h"

#include "i18n/instance_texts.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#include <unistd.h>
#define TOVAN_POSIX 1
#endif

namespace tovan {

#ifdef TOVAN_POSIX

bool Is_Private_Dir(const std::string& path, Private_Dir_Error* why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (why) *why = {Private_Dir_Fault::Cannot_Check, path, std::error_code(errno, std::generic_category())};
        return false;
    }
    Private_Dir_Fault fault = Private_Dir_Fault::None;
    if (!S_ISDIR(st.st_mode)) fault = Private_Dir_Fault::Not_A_Folder;
    else if (st.st_uid != ::geteuid()) fault = Private_Dir_Fault::Other_Owner;
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) fault = Private_Dir_Fault::Writable_By_Others;
    if (fault != Private_Dir_Fault::None && why) *why = {fault, path, {}};
    return fault == Private_Dir_Fault::None;
}

bool Owned_By_User(const std::string& path, Private_Dir_Error* why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        if (why) *why = {Private_Dir_Fault::Cannot_Check, path, std::error_code(errno, std::generic_category())};
        return false;
    }
    if (st.st_uid == ::geteuid()) return true;
    if (why) *why = {Private_Dir_Fault::Other_Owner, path, {}};
    return false;
}

Runtime_Dir Private_Runtime_Dir(const char* xdg_runtime_dir, const char* xdg_cache_home, const char* home,
                                const std::string& app_name) {
    namespace fs = std::filesystem;
    Runtime_Dir r;
    Private_Dir_Error refused;
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
        r.error = refused ? refused : Private_Dir_Error{Private_Dir_Fault::No_Home, {}, {}};
        return r;
    }
    const fs::path dir = cache / app_name / "run";
    std::error_code ec;
    fs::create_directories(dir, ec);
    // A folder of ours gets its mode put right; someone else's is refused.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()) ::chmod(dir.c_str(), 0700);
    Private_Dir_Error why;
    if (!Is_Private_Dir(dir.string(), &why)) {
        r.error = why;
        return r;
    }
    r.path = dir.string();
    return r;
}

#else

bool Is_Private_Dir(const std::string& path, Private_Dir_Error* why) {
    std::error_code ec;
    const bool ok = std::filesystem::is_directory(path, ec);
    if (!ok && why) *why = {Private_Dir_Fault::Not_A_Folder, path, {}};
    return ok;
}

bool Owned_By_User(const std::string&, Private_Dir_Error*) { return true; }

Runtime_Dir Private_Runtime_Dir(const char*, const char* xdg_cache_home, const char* home,
                                const std::string& app_name) {
    // Elsewhere the per-user local application folder is private already.
    namespace fs = std::filesystem;
    Runtime_Dir r;
    const char* base = xdg_cache_home && *xdg_cache_home ? xdg_cache_home : home;
    if (!base || !*base) {
        r.error = {Private_Dir_Fault::No_Home, {}, {}};
        return r;
    }
    const fs::path dir = fs::path(base) / app_name / "run";
    std::error_code ec;
    fs::create_directories(dir, ec);
    r.path = dir.string();
    return r;
}

#endif

std::string Private_Dir_Error_Text(const Private_Dir_Error& e, bool ru) {
    switch (e.fault) {
        case Private_Dir_Fault::None: return {};
        case Private_Dir_Fault::Not_A_Folder: return e.path + Txt_Instance_Not_A_Folder(ru);
        case Private_Dir_Fault::Other_Owner: return e.path + Txt_Instance_Other_Owner(ru);
        case Private_Dir_Fault::Writable_By_Others: return e.path + Txt_Instance_Writable_By_Others(ru);
        case Private_Dir_Fault::No_Home: return Txt_Instance_No_Home(ru);
        case Private_Dir_Fault::Cannot_Check: return e.path + ": " + e.reason.message();
    }
    return {};
}

Runtime_Dir Private_Runtime_Dir(const std::string& app_name) {
#ifdef _WIN32
    return Private_Runtime_Dir(nullptr, std::getenv("LOCALAPPDATA"), std::getenv("USERPROFILE"), app_name);
#else
    return Private_Runtime_Dir(std::getenv("XDG_RUNTIME_DIR"), std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"),
                               app_name);
#endif
}

}  // namespace tovan
