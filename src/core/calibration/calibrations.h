#pragma once
// The three calibrations as services of the session. Each is one command:
// Open() when its dialog opens, Start() for the measurement (zero, TDC) or
// Set() for the slider (time), and Close() with the dialog's result. The
// measurements drive the acquisition thread directly: they publish fixed
// parameters, ask for the configuration, and read the statistics of each
// frame the thread decodes after Frame_Ready. They wait for frames through
// a wait function that serves the window meanwhile; a cancel (the dialog's
// Cancel, from inside that wait) ends a measurement at the next look.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "calibration/calibration_rules.h"
#include "common/file_error.h"
#include "display/trace.h"
#include "session/session.h"

namespace tovan {

// Waits until `done` holds. Default: Session::Wait_Until with the user's
// input going to the dialog.
using Calibration_Wait = std::function<void(const std::function<bool()>& done)>;

enum class Calibration_Outcome { Done, Failed, Cancelled };

// What all three share: the session, the display state whose background
// swap the empty screen resets, the wait and the cancel flag.
class Calibration_Base {
public:
    Calibration_Base(Session& session, Display_State& view, Calibration_Wait wait = {});
    // The dialog's Cancel while a measurement waits.
    void Cancel() { cancel_.store(true); }
    bool Cancelled() const { return cancel_.load(); }

protected:
    // Publishes fixed parameters, sends them, and keeps the run going.
    void Send_Fixed(const Device_Params& p);
    // Clears Frame_Ready and waits for the next frame; false when cancelled
    // (or no frame can come: the thread has stopped).
    bool Next_Frame();
    // The screen starts empty: frame and background cleared.
    void Clear_Screen();

    Session& session_;
    Display_State& view_;
    Calibration_Wait wait_;
    std::atomic<bool> cancel_{false};
};

class Zero_Calibration final : public Calibration_Base {
public:
    using Calibration_Base::Calibration_Base;
    // The dialog opens: remembers the values a cancel puts back.
    void Open();
    // The nine steps. `progress` is told the bar's position after each
    // advance (1..72). Done: the new values are in force.
    Calibration_Outcome Start(const std::function<void(int)>& progress = {});
    // The dialog closed. OK: the settings file is written in full and a
    // blank device gets an identity with the next configuration (from the
    // local time `now`). Otherwise the remembered values come back. Either
    // way the screen starts empty, the zero level comes back and the
    // settings are applied. The error of the write, if any.
    File_Error Close(bool ok, std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
    Zero_Values Current() const;

private:
    bool Measure(const Zero_Step& step, double* mean, int* position, const std::function<void(int)>& progress);

    Zero_Values saved_{};
    int saved_zero_level_ = 127;
};

class TDC_Calibration final : public Calibration_Base {
public:
    using Calibration_Base::Calibration_Base;
    void Open();
    // Rising then falling edge, 50 frames each. `pass` is told the bar's
    // position (1..100) and the values so far before each wait.
    using Pass_Fn = std::function<void(int position, std::optional<int32_t> rise, std::optional<int32_t> fall)>;
    Calibration_Outcome Start(const Pass_Fn& pass = {});
    // OK: the measured values go to the device with the next configuration.
    // Either way the screen starts empty and the settings are applied.
    void Close(bool ok);
    int32_t Rise() const;
    int32_t Fall() const;

private:
    bool Measure(bool falling, int* position, const Pass_Fn& pass);
};

class Time_Calibration {
public:
    explicit Time_Calibration(Session& session) : session_(session) {}
    void Open();  // remembers the correction
    // The slider moved: the new correction is in force at once.
    void Set(int time_ppm);
    // Cancel puts the remembered correction back; OK writes the settings
    // file in full. Either way the settings are applied.
    File_Error Close(bool ok);

private:
    Session& session_;
    int saved_ = 0;
};

}  // namespace tovan
