#pragma once
// The folder of the single-instance lock and socket: private to the user,
// so that nobody else can hold the lock or receive the file paths handed
// over by a second start.
#include <string>

namespace tovan {

struct Runtime_Dir {
    std::string path;   // empty when no private folder could be had
    std::string error;  // why (path of the refused folder and the reason)
};

// The user's runtime folder ($XDG_RUNTIME_DIR) when it is a folder owned by
// the user and not writable by others; else "<cache>/<app_name>/run" under
// $XDG_CACHE_HOME (or $HOME/.cache), created with mode 0700 and checked the
// same way. Null arguments stand for unset variables.
Runtime_Dir Private_Runtime_Dir(const char* xdg_runtime_dir, const char* xdg_cache_home, const char* home,
                                const std::string& app_name);

// Private_Runtime_Dir with this process's environment.
Runtime_Dir Private_Runtime_Dir(const std::string& app_name);

// True when `path` is a folder (not a link) owned by this user that no one
// else may write to; else false with the reason in `why`.
bool Is_Private_Dir(const std::string& path, std::string* why = nullptr);

// True when `path` does not exist or is owned by this user (a lock file or
// socket that another user left in the folder is refused).
bool Owned_By_User(const std::string& path, std::string* why = nullptr);

}  // namespace tovan
