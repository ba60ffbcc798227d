#pragma once
// The folder of the single-instance lock and socket: private to the user,
// so that nobody else can hold the lock or receive the file paths handed
// over by a second start.
#include <string>
#include <system_error>

namespace tovan {

// Why a folder or file was refused, told without words (worded by
// Private_Dir_Error_Text in the language of the moment).
enum class Private_Dir_Fault { None, Not_A_Folder, Other_Owner, Writable_By_Others, No_Home, Cannot_Check };

struct Private_Dir_Error {
    Private_Dir_Fault fault = Private_Dir_Fault::None;
    std::string path;
    std::error_code reason;  // Cannot_Check: the system's reason
    explicit operator bool() const { return fault != Private_Dir_Fault::None; }
};

struct Runtime_Dir {
    std::string path;         // empty when no private folder could be had
    Private_Dir_Error error;  // why (the refused folder and the reason)
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
bool Is_Private_Dir(const std::string& path, Private_Dir_Error* why = nullptr);

// True when `path` does not exist or is owned by this user (a lock file or
// socket that another user left in the folder is refused).
bool Owned_By_User(const std::string& path, Private_Dir_Error* why = nullptr);

// The path and the reason, in the language.
std::string Private_Dir_Error_Text(const Private_Dir_Error& e, bool lang_russian);

}  // namespace tovan
