#pragma once
// The frequency-meter log: "FM_Log" in the File menu (service mode) appends
// one time-stamped reading of the last frame per once-a-second tick to
// "FMlog.txt" in the current folder. A line that cannot be written ends
// the logging (file closed, item unchecked) and the user is told once.
#include <functional>
#include <memory>
#include <string>

#include "common/prompts.h"
#include "model/frame.h"
#include "recorder/rec_file.h"
#include "recorder/rec_time.h"
#include "session/session.h"

namespace tovan {

struct FM_Log_Env {
    Open_File_Fn open_file;                 // empty: the disk
    std::function<Local_Ms()> now;          // empty: the local clock
    std::function<std::string()> folder;    // empty: the current folder
};

inline constexpr const char* FM_Log_File_Name = "FMlog.txt";
inline constexpr const char* FM_Log_Separator = "=====================================\r\n";

// One line of the log, without its line end: the date and time, then the
// reading of the frame record (7 significant digits) or "...".
std::string FM_Log_Line(const std::string& date_time, const Frame_Info& f);

class FM_Log {
public:
    FM_Log(Session& session, Prompts& prompts, FM_Log_Env env = {});
    ~FM_Log();
    FM_Log(const FM_Log&) = delete;
    FM_Log& operator=(const FM_Log&) = delete;

    bool On() const { return file_ != nullptr; }
    // The menu item: off when on; on opens the file and writes a separator.
    void Toggle();
    // The logging step of the once-a-second tick.
    void Tick();
    // Called whenever the log goes on or off.
    void On_Change(std::function<void(bool on)> fn) { on_change_ = std::move(fn); }

private:
    void Fail(const std::error_code& ec);
    std::string Path() const;

    Session& session_;
    Prompts& prompts_;
    FM_Log_Env env_;
    std::unique_ptr<Rec_File> file_;
    std::function<void(bool)> on_change_;
};

}  // namespace tovan
