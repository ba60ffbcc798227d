#pragma once
// Options -> "FFT...", View -> "Colors..." and Help -> "About...": three
// modal dialogs over the settings record and the device's reported facts.
// FFT and colour changes show at once; Cancel (button, Esc, close box)
// restores what the dialog opened with; OK of the colours writes the
// program's settings file.
#include <functional>
#include <memory>

#include "gui/features/window_feature.h"
#include "session/session.h"

class QAction;

namespace tovan {

class FFT_Dialog;
class Colors_Dialog;
class About_Dialog;

class Dialogs_Feature final : public Window_Feature {
public:
    Dialogs_Feature(Session& session, Prompts& prompts, std::function<void()> write_main_ini);
    ~Dialogs_Feature() override;
    void Install(Main_Window& window) override;
    void Apply_Language(bool lang_russian) override;

    void Open_FFT();
    void Open_Colors();
    void Open_About();
    FFT_Dialog* FFT() const { return fft_; }
    Colors_Dialog* Colors() const { return colors_; }
    About_Dialog* About() const { return about_; }

private:
    Session& session_;
    Prompts& prompts_;
    std::function<void()> write_main_ini_;
    Main_Window* window_ = nullptr;
    FFT_Dialog* fft_ = nullptr;        // owned by the window
    Colors_Dialog* colors_ = nullptr;
    About_Dialog* about_ = nullptr;
    QAction* fft_action_ = nullptr;
    QAction* colors_action_ = nullptr;
    QAction* about_action_ = nullptr;
};

}  // namespace tovan
