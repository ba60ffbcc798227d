#pragma once
// The application's wiring in one place: the instrument and its device
// session (real bridge or virtual instrument), the acquisition thread's
// redraw hand-off, the screen renderer, the once-a-second supervision, the
// settings file, and the main window with its hooks.
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>

#include "acquisition/device_session.h"
#include "acquisition/instrument.h"
#include "device/acq_state.h"
#include "display/screen.h"
#include "gui/draw_handoff.h"
#include "gui/main_window.h"
#include "gui/qt_prompts.h"

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

class App {
public:
    // args: the command line, program path first. `prompts` may be given by
    // tests (scripted answers); by default Qt message boxes are used.
    explicit App(const QStringList& args, Prompts* prompts = nullptr);
    ~App();

    // Builds the window and starts the acquisition thread; instance may be
    // null (no hand-off listening).
    void Start(Single_Instance* instance);
    // Stops the thread and closes the link; the window stays.
    void Shutdown();

    Main_Window& Window() { return *window_; }
    Instrument& Inst() { return *inst_; }
    Device_Session& Session() { return *session_; }
    UsbLink& Link() { return *link_; }
    bool Demo() const { return demo_; }
    const std::string& Main_Ini() const { return main_ini_; }
    const QImage& Screen() const { return screen_; }
    QTimer& Timer1() { return timer1_; }
    // What the once-a-second timer runs.
    void Timer1Timer();

private:
    Main_Window_Hooks Make_Hooks();
    void Sync_Draw();
    void Write_Main_Ini();
    void Wait_Serving_Events(int ms);
    void Display_Resized(QSize size);
    void Display_Mouse(QMouseEvent* e);

    QStringList args_;
    App_Options options_;
    std::string exe_path_;
    std::string main_ini_;
    std::string program_name_;
    std::string fpga_image_error_;
    bool demo_ = false;
    std::unique_ptr<Instrument> inst_;
    std::unique_ptr<UsbLink> link_;
    Qt_Prompts qt_prompts_;
    Prompts* prompts_;
    std::unique_ptr<Background_Frame> bg_;  // the background oscillogram
    Screen_Renderer renderer_;
    QImage screen_;
    std::unique_ptr<Draw_Handoff> handoff_;
    std::unique_ptr<Device_Session> session_;
    std::unique_ptr<Main_Window> window_;
    QTimer timer1_;
};

}  // namespace tovan
