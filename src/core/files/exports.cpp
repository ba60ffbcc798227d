#include "files/exports.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "display/format_value.h"
#include "files/tvd_file.h"

namespace tovan {
namespace {

constexpr const char* CRLF = "\r\n";

bool Empty(int32_t v) { return v > 254; }
int Level(int32_t v) { return v > 16 ? 1 : 0; }

void Put_Int(std::string& out, int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void Put_Double(std::string& out, double v) {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
    out.append(buf, r.ptr);
}

}  // namespace

std::string Export_Header_Time(const Frame_Info& r) {
    return "Time step = " + Format_Value(static_cast<double>(r.Smpl_Period) * 10.0, Kind_Time, -4);
}

std::string Export_Header_Voltage(const Frame_Info& r) {
    return "Voltage step = " + Format_Value(static_cast<double>(r.Frame_uV_Div) * 0.03125, Kind_Voltage, -4);
}

std::string Export_Header_Zero(const Frame_Info& r) {
    std::string s = "Zero level = ";
    Put_Int(s, r.Frame_Zero);
    return s;
}

std::string Export_Text(const Frame_Data& f) {
    const Frame_Info& r = f.Info;
    const bool peak = r.Peak_Det == 1;
    const bool ext = r.Ext_Trace == 1;
    std::string out = "Oscilloscope data. \r\n";
    out += Export_Header_Time(r) + CRLF;
    out += Export_Header_Voltage(r) + CRLF;
    out += Export_Header_Zero(r) + CRLF + CRLF;
    if (peak) {
        out += "N \tMin. \tMax.";
        if (ext) out += "\tT min \tT max.";
    } else {
        out += "N \tSmpl.";
        if (ext) out += "\tTrig";
    }
    out += CRLF;
    out += CRLF;
    const int n = TVD_Entries(r);
    for (int i = 0; i < n; ++i) {
        const size_t k = static_cast<size_t>(i);
        Put_Int(out, i);
        const int32_t a = f.Smpl_Buf_A[k], b = f.Smpl_Buf_B[k];
        const int32_t ta = f.Trig_Buf_A[k], tb = f.Trig_Buf_B[k];
        const bool no_sig = peak ? Empty(a) || Empty(b) || (ext && (Empty(ta) || Empty(tb)))
                                 : Empty(a) || (ext && Empty(ta));
        if (no_sig) {
            out += "\tno sig.";
        } else {
            out += '\t';
            Put_Int(out, a);
            if (peak) {
                out += '\t';
                Put_Int(out, b);
            }
            if (ext) {
                out += '\t';
                Put_Int(out, Level(ta));
                if (peak) {
                    out += '\t';
                    Put_Int(out, Level(tb));
                }
            }
        }
        out += CRLF;
    }
    return out;
}

std::string Export_Row_Binary(const Frame_Data& f) {
    const bool peak = f.Info.Peak_Det == 1;
    const int n = TVD_Entries(f.Info);
    std::string out;
    for (int i = 0; i < n; ++i) {
        const size_t k = static_cast<size_t>(i);
        if (Empty(f.Smpl_Buf_A[k])) break;
        out.push_back(static_cast<char>(f.Smpl_Buf_A[k] & 0xFF));
        if (!peak) continue;
        if (Empty(f.Smpl_Buf_B[k])) break;
        out.push_back(static_cast<char>(f.Smpl_Buf_B[k] & 0xFF));
    }
    return out;
}

std::string Export_Row_Binary_Text(const Frame_Info& r, const std::string& bin_name) {
    std::string out = "Oscilloscope binary file = " + bin_name + CRLF;
    out += Export_Header_Time(r) + CRLF;
    out += r.Peak_Det == 1 ? "Peak detector on, bytes per sample = 2" : "Peak detector off, byte per sample = 1";
    out += CRLF;
    out += Export_Header_Voltage(r) + CRLF;
    out += Export_Header_Zero(r) + CRLF + CRLF;
    return out;
}

std::string Export_CSV(const Frame_Data& f) {
    const Frame_Info& r = f.Info;
    const bool peak = r.Peak_Det == 1;
    const bool ext = r.Ext_Trace == 1;
    const int n = TVD_Entries(r);
    std::string out = peak ? "time_s,volts_min,volts_max" : "time_s,volts";
    if (ext) out += peak ? ",ext_trig_min,ext_trig_max" : ",ext_trig";
    out += CRLF;
    const double period_s = static_cast<double>(r.Smpl_Period) * 1e-8;
    const double volts_per_code = static_cast<double>(r.Frame_uV_Div) * 0.03125e-6;
    // A scroll frame holds a ring whose oldest sample sits at the write
    // position; its times count from that sample. Other frames count from
    // the trigger point, a fraction of a sample after Trig_Index.
    const bool ring = r.Ring_Flag == 1 && r.Ring_Pos > 0 && r.Ring_Pos < n;
    const double t0 = r.Ring_Flag == 1 ? 0.0 : static_cast<double>(r.Trig_Index) + r.Trig_Frac * 0.1;
    auto volts = [&](int32_t code) {
        out += ',';
        if (!Empty(code)) Put_Double(out, static_cast<double>(static_cast<int64_t>(code) - r.Frame_Zero) * volts_per_code);
    };
    auto level = [&](int32_t code) {
        out += ',';
        if (!Empty(code)) Put_Int(out, Level(code));
    };
    for (int row = 0; row < n; ++row) {
        const int i = ring ? (r.Ring_Pos + row) % n : row;
        const size_t k = static_cast<size_t>(i);
        Put_Double(out, (static_cast<double>(row) - t0) * period_s);
        volts(f.Smpl_Buf_A[k]);
        if (peak) volts(f.Smpl_Buf_B[k]);
        if (ext) {
            level(f.Trig_Buf_A[k]);
            if (peak) level(f.Trig_Buf_B[k]);
        }
        out += CRLF;
    }
    return out;
}

}  // namespace tovan
