#pragma once
// Texts drawn on the screen (Russian, English). The notices of a blocked
// FFT are translated; the read-outs (names of measured values, units and
// the generator labels) read the same in both languages.
#include "i18n/text_pair.h"

namespace tovan::display_text {

// FFT asked for but not possible (leading and double blanks belong to them).
inline constexpr Text_Pair FFT_Peak_Det{"  Выключите пиковый детектор.", "Sampling  must  be  Normal  for  FFT."};
inline constexpr Text_Pair FFT_Few_Samples{"        Недостаточно отсчетов.", "    Unsufficient  samples  for  FFT."};

// Top row: after a scale value, and the trigger read-out.
inline constexpr Text_Pair Per_Div{"/Div", "/Div"};
inline constexpr Text_Pair Peak_Det{"    p.d.", "    p.d."};
inline constexpr Text_Pair Trig{"Trig. ", "Trig. "};
inline constexpr Text_Pair Trig_Ext{" ext.", " ext."};
inline constexpr Text_Pair Trig_N{"     N = ", "     N = "};
inline constexpr Text_Pair Span{"Span ", "Span "};
// FFT level units by FFT scale.
inline constexpr Text_Pair Unit_dBV{" dBV", " dBV"};
inline constexpr Text_Pair Unit_dBm{" dBm", " dBm"};
inline constexpr Text_Pair Unit_dBm_600{" dBm (600 ohm)", " dBm (600 ohm)"};
inline constexpr Text_Pair Unit_dBm_50{" dBm (50 ohm)", " dBm (50 ohm)"};

// Measurements and markers: each is followed by the value.
inline constexpr Text_Pair Vpp{"Vp-p = ", "Vp-p = "};
inline constexpr Text_Pair Vdc{"Vdc = ", "Vdc = "};
inline constexpr Text_Pair Vp{"Vp = ", "Vp = "};
inline constexpr Text_Pair Fp{"Fp = ", "Fp = "};
inline constexpr Text_Pair Fin{"Fin = ", "Fin = "};
inline constexpr Text_Pair V_Is{"V = ", "V = "};
inline constexpr Text_Pair F_Is{"F = ", "F = "};
inline constexpr Text_Pair T_Is{"T = ", "T = "};
inline constexpr Text_Pair dF_Is{"dF = ", "dF = "};
inline constexpr Text_Pair dV_Is{"dV = ", "dV = "};
inline constexpr Text_Pair dT_Is{"dT = ", "dT = "};
inline constexpr Text_Pair F1_Is{"F1 = ", "F1 = "};
inline constexpr Text_Pair F2_Is{"F2 = ", "F2 = "};
inline constexpr Text_Pair Inv_dT_Is{"1/dT = ", "1/dT = "};
// Names drawn again over the FFT marker read-outs.
inline constexpr Text_Pair Name_V{"V", "V"};
inline constexpr Text_Pair Name_F{"F", "F"};
inline constexpr Text_Pair Name_dF{"dF", "dF"};
inline constexpr Text_Pair Name_dV{"dV", "dV"};
inline constexpr Text_Pair Name_F1{"F1", "F1"};
inline constexpr Text_Pair Name_F2{"F2", "F2"};

// Sampling row and debug line.
inline constexpr Text_Pair Fsmpl{"Fsmpl = ", "Fsmpl = "};
inline constexpr Text_Pair Smpl{"Smpl = ", "Smpl = "};
inline constexpr Text_Pair Smpl_Peak_Det{"Smpl = 2 x ", "Smpl = 2 x "};
inline constexpr Text_Pair Div_Is{"Div = ", "Div = "};
inline constexpr Text_Pair FPS{"FPS = ", "FPS = "};
// Followed by the lost frames and ")".
inline constexpr Text_Pair Lost{" (Lost = ", " (Lost = "};
// Followed by the supply voltage.
inline constexpr Text_Pair Vcc{"Vcc = ", "Vcc = "};
inline constexpr Text_Pair CRC_Errors{"ERR_CRC_PS = ", "ERR_CRC_PS = "};

// Generator labels.
inline constexpr Text_Pair Fmod{"   Fmod ", "   Fmod "};
inline constexpr Text_Pair Dev{"Dev ", "Dev "};
inline constexpr Text_Pair K{"K ", "K "};
inline constexpr Text_Pair Noise{"Noise (uniform spectrum 0..10 MHz)", "Noise (uniform spectrum 0..10 MHz)"};

}  // namespace tovan::display_text
