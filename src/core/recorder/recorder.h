#pragma once
// The chart recorder: streams the new samples of a scroll acquisition into
// a file for as long as the user wants. The acquisition thread collects
// each frame's new ring bytes (device/frame_decoder.h); Hand_Over, run with
// every redraw while that thread waits, appends them to the file. Every
// file operation happens on the thread that calls this class (the GUI
// thread in the program); the hand-over may also run on the acquisition
// thread where the redraw is a plain call (window-free use), so the file
// state is locked.
//
// A failed or short write ends the recording at once: the file is closed,
// the byte count holds what reached it, and the next Tick (or any other
// command) adds the reason to the information lines and the companion text
// file and tells the user. Stop brings the file to the disk before it
// reports the recording complete.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "common/prompts.h"
#include "recorder/rec_file.h"
#include "recorder/rec_time.h"
#include "session/session.h"

namespace tovan {

struct Recorder_Env {
    Open_File_Fn open_file;          // empty: the disk
    std::function<Local_Ms()> now;   // empty: the local clock
};

// "1234 567 890": a blank before the last three digits and before the last
// six, where digits precede them.
std::string Group_Digits(uint64_t v);

// The information lines for a frame record (the empty closing line
// included); `ready` is false for a record without a sample interval.
std::vector<std::string> Rec_Info_Lines(const Frame_Info& f, bool lang_russian, bool* ready = nullptr);

class Recorder {
public:
    Recorder(Session& session, Prompts& prompts, Recorder_Env env = {});
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // "Recorder...": true when the window may open (RUN down, a slow
    // untriggered scroll, the FPGA loaded, the link good); otherwise tells
    // why and returns false.
    bool Admit();
    // The window opens: the default file in the last folder, the lines.
    void Open_Window();
    void Choose_File();  // File
    void Start();        // Start
    void Stop();         // Stop (asks)
    // The window is being closed: true when it may close (a running
    // recording is stopped after the question; a refusal keeps it going).
    bool Close_Request();
    // Every 93 ms while the window is open.
    void Tick();
    // With every redraw: the bytes collected since the last one go to the file.
    void Hand_Over();
    // The program ends: a recording is ended without questions.
    void Shutdown();

    // What the window shows.
    struct View {
        std::string file;
        std::vector<std::string> memo;
        std::string size_label;
        bool file_enabled = true, start_enabled = true, stop_enabled = false, exit_enabled = true;
    };
    View Get_View() const;
    bool Recording() const;
    uint64_t Rec_Bytes() const;

private:
    enum class State { Idle, Recording, Failed };
    bool Ru() const;
    Local_Ms Now() const;
    void Show_Rec_Info();
    void End_Recording(bool ask_nothing);
    void Finish_Failed();
    void Write_Rec_Text(bool ask_nothing);
    std::unique_ptr<Rec_File> Open(const std::string& path, Open_Mode mode, std::error_code& ec) const;
    void Set_Active(bool on);

    Session& session_;
    Prompts& prompts_;
    Recorder_Env env_;

    mutable std::mutex m_;  // the recording: state, file, byte count, failure
    State state_ = State::Idle;
    std::unique_ptr<Rec_File> file_;
    uint64_t rec_bytes_ = 0;
    std::error_code fail_;
    std::vector<uint8_t> hand_buf_;

    // The window (caller's thread only).
    std::string path_;
    std::vector<std::string> memo_;
    bool shown_ = false;
    bool start_ready_ = true;
    Local_Ms start_ = 0, end_ = 0;
};

}  // namespace tovan
