// The calibrations end to end on the virtual instrument (its manual clock,
// its own zero points, input offset, TDC steps and counter error): what
// they measure, what they leave behind on OK, Cancel and failure, and what
// the device reports back afterwards.
#include "calibration/calibrations.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "device/virtual_instrument.h"
#include "measure/measurements.h"
#include "settings/settings_file.h"
#include "support/scripted_prompts.h"

namespace tovan {
namespace {

namespace fs = std::filesystem;
using test_support::Scripted_Prompts;

// A device whose zero lies well away from what the default values assume.
Device_Calibration Far_Device() {
    Device_Calibration c;
    c.z_p1 = 3420;
    c.z_p2 = 650;
    c.input_offset = -60;
    return c;
}

// The session on the virtual instrument with its manual clock; the waits
// of the calibrations move device time on until their condition holds.
struct Rig {
    fs::path dir;
    Scripted_Prompts prompts;
    std::shared_ptr<Manual_Device_Clock> clock = std::make_shared<Manual_Device_Clock>();
    Virtual_Instrument* vi = nullptr;
    std::unique_ptr<Session> s;
    Display_State view;

    explicit Rig(const Device_Calibration& cal = {}) {
        static int n = 0;
        dir = fs::temp_directory_path() /
              ("tovan1_calibration_test_" +
               std::to_string(static_cast<long long>(std::chrono::steady_clock::now().time_since_epoch().count())) +
               "_" + std::to_string(n++));
        fs::create_directories(dir);
        std::ofstream(dir / "tovan1.ini") << "[Common]\nRussian=0\n";
        Session_Options o;
        o.demo = true;
        o.ini_path = (dir / "tovan1.ini").string();
        o.link_factory = [this, cal](Link_Kind) {
            auto v = std::make_unique<Virtual_Instrument>(clock, 1, cal);
            vi = v.get();
            return v;
        };
        o.thread_sleep = [this](int ms) { vi->Advance(std::chrono::milliseconds(ms)); };
        s = std::make_unique<Session>(o, prompts);
        s->Inst().Refresh_View();
        s->Start_Thread();
        s->First_Activation();
    }
    ~Rig() {
        s->Shutdown();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Moves device time on until `done` holds (bounded: a wait that never
    // ends fails the measurement instead of hanging the test).
    bool Run_Until(const std::function<bool()>& done, int steps = 4000) {
        for (int i = 0; i < steps; ++i) {
            if (done()) return true;
            vi->Advance(std::chrono::milliseconds(5));
            s->Wait_Passes(1);
        }
        return done();
    }
    Calibration_Wait Wait() {
        return [this](const std::function<bool()>& done) { Run_Until(done); };
    }
    Scope_Settings& Settings() { return s->Inst().Settings; }
    Zero_Values Values() { return {Settings().Z_P1, Settings().Z_P2, Settings().Offset}; }
    Frame_Info Info() {
        return s->With_Frame([](const Frame_Data& f, const Status_Values&) { return f.Info; });
    }
    Status_Values Status() {
        return s->With_Frame([](const Frame_Data&, const Status_Values& sv) { return sv; });
    }
    // A frame taken with the settings as they are now.
    Frame_Info Fresh_Frame() {
        Settings().Run = true;
        s->Inst().Apply_Settings();
        const uint32_t from = s->Inst().State.Frames_Total.load();
        EXPECT_TRUE(Run_Until([&] { return s->Inst().State.Frames_Total.load() >= from + 3; }));
        return Info();
    }
    // Mean code of a flat input minus the zero level it should sit on.
    double Zero_Error(int volts_div, int zero_level) {
        Settings().Volts_Div = volts_div;
        Settings().Zero_Level = zero_level;
        const Frame_Info f = Fresh_Frame();
        EXPECT_GT(f.Sum_N, 0);
        return static_cast<double>(f.Sum_Code) / std::max(f.Sum_N, 1) - zero_level;
    }
    Scope_Settings Read_Ini() {
        Scope_Settings r;
        Read_Settings((dir / "tovan1.ini").string(), true, r);
        return r;
    }
};

// --- zero calibration -------------------------------------------------

TEST(ZeroCalibration, FindsTheDevicesOwnValuesAndPutsTheTraceOnTheZeroLevel) {
    const Device_Calibration cal = Far_Device();
    Rig r(cal);
    struct Place {
        int volts_div, zero;
    };
    // Volts/div steps: 0 is 2 V, 1 is 1 V, 2 is 0.5 V, 4 is 100 mV, 5 is 50 mV.
    const Place places[] = {{0, 127}, {1, 60}, {2, 200}, {4, 90}, {5, 127}, {5, 220}};
    // With the default values the trace misses its zero somewhere.
    double worst = 0.0;
    for (const Place& p : places) worst = std::max(worst, std::fabs(r.Zero_Error(p.volts_div, p.zero)));
    EXPECT_GT(worst, 1.0);

    Zero_Calibration z(*r.s, r.view, r.Wait());
    r.Settings().Run = false;
    r.s->Inst().Apply_Settings();
    z.Open();
    int last = -1;
    ASSERT_EQ(z.Start([&](int pos) { last = pos; }), Calibration_Outcome::Done);
    EXPECT_EQ(last, Zero_Progress_Max);
    const Zero_Values v = r.Values();
    EXPECT_NEAR(v.z_p1, cal.z_p1, 1);
    EXPECT_NEAR(v.z_p2, cal.z_p2, 1);
    EXPECT_NEAR(v.offset, cal.input_offset, 1);
    EXPECT_FALSE(z.Close(true));
    const Scope_Settings saved = r.Read_Ini();
    EXPECT_EQ((Zero_Values{saved.Z_P1, saved.Z_P2, saved.Offset}), v);

    for (const Place& p : places)
        EXPECT_LE(std::fabs(r.Zero_Error(p.volts_div, p.zero)), 1.0) << p.volts_div << " " << p.zero;
}

struct Failing_Case {
    const char* name;
    Device_Calibration cal;
};
void PrintTo(const Failing_Case& c, std::ostream* os) { *os << c.name; }

Device_Calibration Clipping_Device() {
    Device_Calibration c;
    c.z_p1 = 4200;  // above the top of the ADC at the first point
    return c;
}
Device_Calibration Noisy_Device() {
    Device_Calibration c;
    c.noise_codes = 9.0;
    return c;
}

class ZeroCalibrationFailure : public ::testing::TestWithParam<Failing_Case> {};

TEST_P(ZeroCalibrationFailure, StopsAtTheFirstStepAndChangesNothing) {
    Rig r(GetParam().cal);
    const Zero_Values before = r.Values();
    const int zero_before = r.Settings().Zero_Level;
    Zero_Calibration z(*r.s, r.view, r.Wait());
    z.Open();
    int last = -1;
    EXPECT_EQ(z.Start([&](int pos) { last = pos; }), Calibration_Outcome::Failed);
    EXPECT_EQ(last, Zero_Passes);  // the remaining steps did not run
    EXPECT_EQ(r.Values(), before);
    z.Close(false);
    EXPECT_EQ(r.Values(), before);
    EXPECT_EQ(r.Settings().Zero_Level, zero_before);
}

INSTANTIATE_TEST_SUITE_P(Devices, ZeroCalibrationFailure,
                         ::testing::Values(Failing_Case{"AllFramesClipped", Clipping_Device()},
                                           Failing_Case{"TooNoisy", Noisy_Device()}),
                         [](const auto& tp) { return std::string(tp.param.name); });

TEST(ZeroCalibration, CancelDuringAMeasurementEndsItAndRestores) {
    Rig r(Far_Device());
    const Zero_Values before = r.Values();
    r.Settings().Zero_Level = 140;
    Zero_Calibration z(*r.s, r.view, r.Wait());
    z.Open();
    int last = -1;
    EXPECT_EQ(z.Start([&](int pos) {
                  last = pos;
                  if (pos == 30) z.Cancel();
              }),
              Calibration_Outcome::Cancelled);
    EXPECT_EQ(last, 30);
    EXPECT_EQ(r.Values(), before);
    z.Close(false);
    EXPECT_EQ(r.Values(), before);
    EXPECT_EQ(r.Settings().Zero_Level, 140);
}

TEST(ZeroCalibration, CancelAfterSuccessPutsTheOldValuesBack) {
    Rig r(Far_Device());
    const Zero_Values before = r.Values();
    Zero_Calibration z(*r.s, r.view, r.Wait());
    z.Open();
    ASSERT_EQ(z.Start(), Calibration_Outcome::Done);
    EXPECT_NE(r.Values(), before);
    z.Close(false);
    EXPECT_EQ(r.Values(), before);
    EXPECT_EQ(r.Read_Ini().Z_P1, 3357);  // nothing written
}

TEST(ZeroCalibration, OkGivesABlankDeviceAnIdentityAndEmptiesTheScreen) {
    Rig r(Far_Device());
    ASSERT_TRUE(r.Run_Until([&] { return r.Status().Serial_Valid; }));
    ASSERT_EQ(r.Status().Serial_Bytes, (std::array<uint8_t, 5>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    Zero_Calibration z(*r.s, r.view, r.Wait());
    z.Open();
    ASSERT_EQ(z.Start(), Calibration_Outcome::Done);
    r.s->With_Frames_Mutable([](Frame_Data&, Frame_Data& bg, Status_Values&) { bg.Info.Frame_Count = 5; });
    r.view.BG_Swapped = true;
    const auto now = std::chrono::system_clock::from_time_t(1700000000);
    z.Close(true, now);
    r.s->With_Frames([](const Frame_Data& main, const Frame_Data& bg, const Status_Values&) {
        EXPECT_EQ(main.Info.Frame_Count, 0);
        EXPECT_EQ(main.Smpl_Buf_A[0], No_Sample);
        EXPECT_EQ(bg.Info.Frame_Count, 0);
    });
    EXPECT_FALSE(r.view.BG_Swapped);

    const std::array<uint8_t, 5> id = Identity_Bytes(Local_Days_Since_1899(now));
    r.Settings().Run = true;
    r.s->Inst().Apply_Settings();
    EXPECT_TRUE(r.Run_Until([&] { return r.Status().Serial_Valid && r.Status().Serial_Bytes == id; }));
}

// --- TDC calibration -------------------------------------------------------

Device_Calibration TDC_Device() {
    Device_Calibration c;
    c.tdc_rise_steps = 19;
    c.tdc_fall_steps = 24;
    c.tdc_rise_stored = 20;
    c.tdc_fall_stored = 20;
    return c;
}

TEST(TDCCalibration, MeasuresTheDevicesStepsAndStoresThemOnOk) {
    Rig r(TDC_Device());
    TDC_Calibration t(*r.s, r.view, r.Wait());
    t.Open();
    std::vector<int> positions;
    ASSERT_EQ(t.Start([&](int pos, std::optional<int32_t>, std::optional<int32_t>) { positions.push_back(pos); }),
              Calibration_Outcome::Done);
    ASSERT_EQ(positions.size(), size_t{TDC_Progress_Max});
    EXPECT_EQ(positions.back(), TDC_Progress_Max);
    EXPECT_EQ(t.Rise(), 19);
    EXPECT_EQ(t.Fall(), 24);
    t.Close(true);
    EXPECT_TRUE(r.Run_Until([&] {
        const Status_Values sv = r.Status();
        return sv.TDC_Valid && sv.TDC_Rise_Read == 19 && sv.TDC_Fall_Read == 24;
    }));
}

TEST(TDCCalibration, CancelLeavesTheDevicesValues) {
    Rig r(TDC_Device());
    TDC_Calibration t(*r.s, r.view, r.Wait());
    t.Open();
    ASSERT_EQ(t.Start(), Calibration_Outcome::Done);
    t.Close(false);
    r.Settings().Run = true;
    r.s->Inst().Apply_Settings();
    const uint32_t from = r.s->Inst().State.Frames_Total.load();
    ASSERT_TRUE(r.Run_Until([&] { return r.s->Inst().State.Frames_Total.load() >= from + 5; }));
    const Status_Values sv = r.Status();
    EXPECT_TRUE(sv.TDC_Valid);
    EXPECT_EQ(sv.TDC_Rise_Read, 20);
    EXPECT_EQ(sv.TDC_Fall_Read, 20);
}

TEST(TDCCalibration, CancelDuringTheFallMeasurement) {
    Rig r(TDC_Device());
    TDC_Calibration t(*r.s, r.view, r.Wait());
    t.Open();
    int last = 0;
    EXPECT_EQ(t.Start([&](int pos, std::optional<int32_t>, std::optional<int32_t>) {
                  last = pos;
                  if (pos == 60) t.Cancel();
              }),
              Calibration_Outcome::Cancelled);
    EXPECT_EQ(last, 60);
    EXPECT_FALSE(r.s->Inst().State.TDC_Send_Request.load());
}

TEST(TDCCalibration, WithoutFramesItWaitsUntilCancel) {
    // No trigger, no frame: the dialog waits, however long, until the
    // user cancels.
    Rig r(TDC_Device());
    bool waited = false;
    TDC_Calibration t(*r.s, r.view, [&](const std::function<bool()>& done) {
        r.Run_Until(done, 200);
        waited = !done();
        t.Cancel();
    });
    t.Open();
    r.vi->Unplug();
    EXPECT_EQ(t.Start(), Calibration_Outcome::Cancelled);
    EXPECT_TRUE(waited);
}

// --- time calibration --------------------------------------------------------

TEST(TimeCalibration, TheDevicesErrorAsCorrectionGivesTheTrueFrequency) {
    Rig r;
    Scope_Settings& s = r.Settings();
    s.Gen_On = true;
    s.Gen_Range = Gen_1M_10mS;
    s.F_fast = 537;
    s.F_slow = 21;
    s.Trig_On = false;
    const Frame_Info before = r.Fresh_Frame();
    const double truth = static_cast<double>(r.s->Inst().Params.Gen_Word1) * 1e8 / 1099511627776.0;
    const double resolution = truth / before.FM_Gate;
    ASSERT_GT(before.FM_Gate, 0);
    const double uncorrected = Measure_Frame(before).Fin_Hz;
    EXPECT_GT(std::fabs(uncorrected - truth), 10 * resolution);

    Time_Calibration tc(*r.s);
    tc.Open();
    const int steps = static_cast<int>(std::lround(Device_Calibration{}.counter_ppm / 0.2));
    tc.Set(steps);
    const Frame_Info after = r.Fresh_Frame();
    EXPECT_EQ(after.Frame_PPM, steps);
    EXPECT_NEAR(Measure_Frame(after).Fin_Hz, truth, 2 * resolution);
    EXPECT_FALSE(tc.Close(true));
    EXPECT_EQ(r.Read_Ini().Time_PPM, steps);
}

TEST(TimeCalibration, CancelRestoresAndOkWritesEvenWithoutAMove) {
    Rig r;
    r.Settings().Time_PPM = -12;
    Time_Calibration tc(*r.s);
    tc.Open();
    tc.Set(300);  // beyond the slider: kept at its end
    EXPECT_EQ(r.Settings().Time_PPM, Time_PPM_Max);
    EXPECT_EQ(r.s->Inst().Params.Frame_PPM, Time_PPM_Max);
    tc.Close(false);
    EXPECT_EQ(r.Settings().Time_PPM, -12);
    EXPECT_EQ(r.s->Inst().Params.Frame_PPM, -12);
    EXPECT_EQ(r.Read_Ini().Time_PPM, 0);  // nothing written

    tc.Open();
    EXPECT_FALSE(tc.Close(true));
    EXPECT_EQ(r.Read_Ini().Time_PPM, -12);
}

}  // namespace
}  // namespace tovan
