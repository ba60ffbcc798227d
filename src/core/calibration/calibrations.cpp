#include "calibration/calibrations.h"

#include <algorithm>

#include "common/numeric.h"

namespace tovan {

// --- shared -------------------------------------------------------------

Calibration_Base::Calibration_Base(Session& session, Display_State& view, Calibration_Wait wait)
    : session_(session), view_(view), wait_(std::move(wait)) {
    if (!wait_) wait_ = [this](const std::function<bool()>& done) { session_.Wait_Until(done, true); };
}

void Calibration_Base::Send_Fixed(const Device_Params& p) {
    Instrument& inst = session_.Inst();
    inst.Params = p;
    inst.State.Publish_Params(p);
    inst.State.Set_Run_Flags(true, false);
    inst.State.Config_Request.store(true);
    inst.State.Rx_Event.Set();
}

bool Calibration_Base::Next_Frame() {
    Acq_State& st = session_.Inst().State;
    st.Frame_Ready.store(false);
    wait_([&] { return cancel_.load() || st.Frame_Ready.load(); });
    return !cancel_.load() && st.Frame_Ready.load();
}

void Calibration_Base::Clear_Screen() {
    session_.With_Frames_Mutable(
        [&](Frame_Data& main, Frame_Data& bg, Status_Values&) { Clear_Frames(main, bg, view_); });
}

// --- zero ---------------------------------------------------------------

void Zero_Calibration::Open() {
    cancel_.store(false);
    saved_ = Current();
    saved_zero_level_ = session_.Inst().Settings.Zero_Level;
}

Zero_Values Zero_Calibration::Current() const {
    const Scope_Settings& s = session_.Inst().Settings;
    return {s.Z_P1, s.Z_P2, s.Offset};
}

bool Zero_Calibration::Measure(const Zero_Step& step, double* mean, int* position,
                               const std::function<void(int)>& progress) {
    Instrument& inst = session_.Inst();
    Send_Fixed(Zero_Params(inst.Params, step, inst.Settings.Debug_Mode));
    Zero_Candidate candidate(step.span_limit);
    for (int i = 0; i < Zero_Passes; ++i) {
        ++*position;
        if (progress) progress(*position);
        if (!Next_Frame()) return false;
        const Zero_Frame_Stats f = session_.With_Frame([](const Frame_Data& fr, const Status_Values&) {
            return Zero_Frame_Stats{fr.Info.Vpp_Code, fr.Info.Sum_Code, fr.Info.Sum_N};
        });
        if (candidate.Take(i, f)) {
            inst.Settings.Zero_Level = Round_Half_I32(candidate.Mean());
            *mean = candidate.Mean();
        }
    }
    return candidate.Found();
}

Calibration_Outcome Zero_Calibration::Start(const std::function<void(int)>& progress) {
    int position = 0;
    if (progress) progress(position);
    std::array<double, 3> groups{};
    const auto& table = Zero_Step_Table();
    for (size_t k = 0; k < table.size(); ++k) {
        double mean = 0.0;
        if (!Measure(table[k], &mean, &position, progress))
            return cancel_.load() ? Calibration_Outcome::Cancelled : Calibration_Outcome::Failed;
        groups[k / 3] += mean;
    }
    for (double& g : groups) g *= 5.333333333333333;
    const Zero_Values v = Zero_Results(groups[0], groups[1], groups[2]);
    Scope_Settings& s = session_.Inst().Settings;
    s.Z_P1 = v.z_p1;
    s.Z_P2 = v.z_p2;
    s.Offset = v.offset;
    return Calibration_Outcome::Done;
}

File_Error Zero_Calibration::Close(bool ok, std::chrono::system_clock::time_point now) {
    Instrument& inst = session_.Inst();
    Scope_Settings& s = inst.Settings;
    File_Error err{};
    if (!ok) {
        s.Z_P1 = saved_.z_p1;
        s.Z_P2 = saved_.z_p2;
        s.Offset = saved_.offset;
    } else {
        err = session_.Write_Settings();
        const bool blank = session_.With_Frame([](const Frame_Data&, const Status_Values& sv) {
            return std::all_of(sv.Serial_Bytes.begin(), sv.Serial_Bytes.end(), [](uint8_t b) { return b == 0xFF; });
        });
        if (blank) {
            const std::array<uint8_t, 5> id = Identity_Bytes(Local_Days_Since_1899(now));
            for (size_t i = 0; i < id.size(); ++i) inst.State.Serial_New[i].store(id[i]);
            inst.State.Serial_Send_Request.store(true);
        }
    }
    Clear_Screen();
    s.Zero_Level = saved_zero_level_;
    inst.Apply_Settings();
    return err;
}

// --- TDC ------------------------------------------------------------------

void TDC_Calibration::Open() { cancel_.store(false); }

int32_t TDC_Calibration::Rise() const { return session_.Inst().State.TDC_Set_Rise.load(); }
int32_t TDC_Calibration::Fall() const { return session_.Inst().State.TDC_Set_Fall.load(); }

bool TDC_Calibration::Measure(bool falling, int* position, const Pass_Fn& pass) {
    Acq_State& st = session_.Inst().State;
    std::atomic<uint8_t>& target = falling ? st.TDC_Set_Fall : st.TDC_Set_Rise;
    target.store(0);
    Send_Fixed(TDC_Params(session_.Inst().Params, falling));
    TDC_Pass_Rule rule;
    for (int i = 0; i < TDC_Passes; ++i) {
        ++*position;
        if (pass) {
            if (*position < TDC_Progress_Max / 2)
                pass(*position, rule.Value(), std::nullopt);
            else
                pass(*position, st.TDC_Set_Rise.load(), rule.Value());
        }
        if (!Next_Frame()) return false;
        const int32_t fine =
            session_.With_Frame([](const Frame_Data&, const Status_Values& sv) { return sv.TDC_Fine; });
        const bool going = rule.Take(fine);
        target.store(static_cast<uint8_t>(rule.Value()));
        if (!going) return false;
    }
    return rule.Succeeded();
}

Calibration_Outcome TDC_Calibration::Start(const Pass_Fn& pass) {
    Acq_State& st = session_.Inst().State;
    st.TDC_Set_Rise.store(0);
    st.TDC_Set_Fall.store(0);
    int position = 0;
    for (bool falling : {false, true}) {
        if (!Measure(falling, &position, pass))
            return cancel_.load() ? Calibration_Outcome::Cancelled : Calibration_Outcome::Failed;
    }
    return Calibration_Outcome::Done;
}

void TDC_Calibration::Close(bool ok) {
    Instrument& inst = session_.Inst();
    if (ok) inst.State.TDC_Send_Request.store(true);
    Clear_Screen();
    inst.Apply_Settings();
}

// --- time -----------------------------------------------------------------

void Time_Calibration::Open() { saved_ = session_.Inst().Settings.Time_PPM; }

void Time_Calibration::Set(int time_ppm) {
    Instrument& inst = session_.Inst();
    inst.Settings.Time_PPM = Clamp(time_ppm, Time_PPM_Min, Time_PPM_Max);
    inst.Apply_Settings();
}

File_Error Time_Calibration::Close(bool ok) {
    Instrument& inst = session_.Inst();
    File_Error err{};
    if (ok) {
        err = session_.Write_Settings();
    } else {
        inst.Settings.Time_PPM = saved_;
    }
    inst.Apply_Settings();
    return err;
}

}  // namespace tovan
