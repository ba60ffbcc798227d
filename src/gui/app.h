#pragma once
// The application's wiring in one place: the instrument, the prompts, the
// main window with its hooks, and the single-instance hand-off.
#include <QStringList>
#include <memory>

#include "acquisition/instrument.h"
#include "gui/main_window.h"
#include "gui/qt_prompts.h"

namespace tovan {

class Single_Instance;

class App {
public:
    // args: the command line, program path first.
    explicit App(const QStringList& args);
    ~App();

    // Builds the window; instance may be null (no hand-off listening).
    void Start(Single_Instance* instance);
    Main_Window& Window() { return *window_; }
    Instrument& Inst() { return *inst_; }

private:
    Main_Window_Hooks Make_Hooks();

    QStringList args_;
    std::unique_ptr<Instrument> inst_;
    Qt_Prompts prompts_;
    std::unique_ptr<Main_Window> window_;
};

}  // namespace tovan
