#include "gui/app.h"

#include "gui/single_instance.h"

namespace tovan {

App::App(const QStringList& args) : args_(args), inst_(std::make_unique<Instrument>()) {}

App::~App() = default;

Main_Window_Hooks App::Make_Hooks() {
    Main_Window_Hooks h;
    // The device link, display, files and settings file are wired here as
    // they are built; until then the window runs on its defaults.
    h.on_first_activation = [this] {
        // Command-line file: opened once files are supported.
        (void)args_;
    };
    return h;
}

void App::Start(Single_Instance* instance) {
    window_ = std::make_unique<Main_Window>(*inst_, prompts_, Make_Hooks());
    prompts_.Set_Parent(window_.get());
    inst_->Refresh_View();  // parameters once before anything runs
    window_->Sync_Controls();
    if (instance) instance->on_handoff = [this](const Handoff_Record& r) { window_->Handle_Handoff(r); };
    window_->show();
}

}  // namespace tovan
