#pragma once
// "Time Calibrate...", "Zero Calibrate..." (Ctrl+Z) and "TDC Calibrate..."
// (Ctrl+X) at the end of the Options menu, and their dialogs. The TDC item
// exists only for the service settings "TDC_Clbr", "Debug_tv" or
// "No_Excuse". The work is done by the calibration services of the core.
#include <memory>

#include "calibration/calibrations.h"
#include "common/prompts.h"
#include "gui/features/window_feature.h"

class QAction;

namespace tovan {

class Zero_Calibrate_Dialog;
class TDC_Calibrate_Dialog;
class Time_Calibrate_Dialog;

class Calibration_Feature final : public Window_Feature {
public:
    // `view`: the display state of the screen, whose background swap an
    // emptied screen forgets.
    Calibration_Feature(Session& session, Display_State& view, Prompts& prompts);
    ~Calibration_Feature() override;
    void Install(Main_Window& window) override;
    void Apply_Language(bool lang_russian) override;

    void Zero_Calibrate();
    void TDC_Calibrate();
    void Time_Calibrate();

    Zero_Calibrate_Dialog* Zero_Dialog() const { return zero_dialog_; }
    TDC_Calibrate_Dialog* TDC_Dialog() const { return tdc_dialog_; }
    Time_Calibrate_Dialog* Time_Dialog() const { return time_dialog_; }

private:
    void Report(const File_Error& err);

    Session& session_;
    Prompts& prompts_;
    Zero_Calibration zero_;
    TDC_Calibration tdc_;
    Time_Calibration time_;
    Main_Window* window_ = nullptr;
    QAction* time_action_ = nullptr;
    QAction* zero_action_ = nullptr;
    QAction* tdc_action_ = nullptr;
    Zero_Calibrate_Dialog* zero_dialog_ = nullptr;  // children of the window
    TDC_Calibrate_Dialog* tdc_dialog_ = nullptr;
    Time_Calibrate_Dialog* time_dialog_ = nullptr;
};

}  // namespace tovan
