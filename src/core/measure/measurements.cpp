#include "measure/measurements.h"

namespace tovan {

double FM_Frequency(int32_t count, int32_t gate, int32_t ppm_02, int32_t input) {
    if (gate == 0) return 0;
    double f = (static_cast<double>(count) - 1) * 1e8 / gate * (ppm_02 * 0.2 * 1e-6 + 1);
    if (input == 2) f *= 8;  // the high-frequency input counts after a 1:8 prescaler
    return f;
}

Measurements Measure_Frame(const Frame_Info& f) {
    Measurements m;
    // Microvolts per code of the frame: 32 codes per division.
    const double q = f.Frame_uV_Div * 8.0 / 256;
    if (f.Sum_N >= 1 && f.Vpp_Code >= 0) {
        m.Vpp_Valid = m.Vdc_Valid = true;
        m.Vpp_uV = f.Vpp_Code * q;
        m.Vdc_uV = q * (static_cast<double>(f.Sum_Code) / f.Sum_N - f.Frame_Zero);
    }
    m.FM_Input = f.Frame_FM_Input;
    if (f.FM_Gate >= 1) {
        m.Fin_Valid = true;
        m.Fin_Hz = FM_Frequency(f.FM_Count, f.FM_Gate, f.Frame_PPM, f.Frame_FM_Input);
    }
    if (f.Smpl_Period != 0) {
        m.Fsmpl_Valid = true;
        m.Fsmpl_Hz = 1e8 / f.Smpl_Period;
    }
    return m;
}

}  // namespace tovan
