#pragma once
// The window's side of the application: builds the session (settings file,
// link, FPGA image, instrument, thread, background copy) with the window's
// hooks, the screen renderer, the redraw hand-off, the once-a-second timer,
// the features' services and the main window.
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "background/bg_service.h"
#include "display/canvas.h"
#include "display/screen.h"
#include "files/files_service.h"
#include "gui/draw_handoff.h"
#include "gui/main_window.h"
#include "gui/qt_prompts.h"
#include "recorder/fm_log.h"
#include "recorder/recorder.h"
#include "session/session.h"

namespace tovan {

class Single_Instance;

// What the command line asked for.
struct App_Options {
    bool demo = false;            // --demo: the virtual instrument
    std::string fpga_image;       // --fpga-image PATH
    std::string ini_path;         // --ini PATH (tests, portable use)
    QStringList files;            // the remaining arguments
    static App_Options Parse(const QStringList& args);  // args[0] is the program
};

// What tests put in place of the outside world; every member may stay empty.
struct App_Env {
    Prompts* prompts = nullptr;         // default: Qt message boxes
    Link_Factory link_factory;          // default: Make_Default_Link
    Sleep_Fn thread_sleep;              // waits of the FPGA load; default: real sleep
    std::function<void(int ms)> wait_ms;  // waits of the supervision; default: a local event loop
    // Waits of a modal dialog for the acquisition (the calibrations) until
    // the condition holds; default: the event loop, the dialog taking input.
    std::function<void(const std::function<bool()>& done)> wait_until_input;
};

class App {
public:
    // args: the command line, program path first.
    explicit App(const QStringList& args, App_Env env = {});
    ~App();

    // Builds the window and starts the acquisition thread; instance may be
    // null (no hand-off listening).
    void Start(Single_Instance* instance);
    // Stops the thread and closes the link; the window stays.
    void Shutdown();

    Main_Window& Window() { return *window_; }
    tovan::Session& Session() { return *session_; }
    Instrument& Inst() { return session_->Inst(); }
    UsbLink& Link() { return session_->Link(); }
    bool Demo() const { return session_->Demo(); }
    const QImage& Screen() const { return screen_; }
    QTimer& Timer1() { return timer1_; }
    Files_Service& Files() { return *files_; }
    tovan::Recorder& Recorder() { return *recorder_; }
    tovan::FM_Log& FM_Log() { return *fm_log_; }
    // What the once-a-second timer runs.
    void Timer1Timer();

private:
    Main_Window_Hooks Make_Hooks();
    Session_Hooks Make_Session_Hooks();
    void Sync_Draw();
    void Write_Main_Ini();
    void Wait_Serving_Events(int ms);
    void Display_Resized(QSize size);
    bool Display_Mouse(QMouseEvent* e);

    App_Options options_;
    App_Env env_;
    std::string program_name_;
    Qt_Prompts qt_prompts_;
    Prompts* prompts_;
    Screen_Renderer renderer_;
    Canvas_Cache canvas_cache_;  // fonts of the screen texts, kept between redraws
    QImage screen_;
    std::unique_ptr<Draw_Handoff> handoff_;
    std::unique_ptr<tovan::Session> session_;
    std::unique_ptr<BG_Service> bg_service_;
    std::unique_ptr<Files_Service> files_;
    std::unique_ptr<tovan::Recorder> recorder_;
    std::unique_ptr<tovan::FM_Log> fm_log_;
    std::unique_ptr<Main_Window> window_;
    QTimer timer1_;
};

}  // namespace tovan
