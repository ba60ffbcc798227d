#include "device/frame_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>

#include "common/numeric.h"
#include "common/sinc_interp.h"

namespace tovan {

namespace {

constexpr int32_t Level_Low = 4;
constexpr int32_t Level_High = 28;

int32_t Sat_From_I64(int64_t v) {
    return static_cast<int32_t>(Clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max()));
}

uint32_t Le32(const Status_Block& s, int at) {
    return uint32_t{s[at]} | uint32_t{s[at + 1]} << 8 | uint32_t{s[at + 2]} << 16 |
           uint32_t{s[at + 3]} << 24;
}

// XOR of a run of bytes, a word at a time.
uint8_t Xor_Bytes(const uint8_t* b, size_t n) {
    uint64_t acc = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, b + i, 8);
        acc ^= w;
    }
    for (; i < n; ++i) acc ^= b[i];
    acc ^= acc >> 32;
    acc ^= acc >> 16;
    acc ^= acc >> 8;
    return static_cast<uint8_t>(acc);
}

// The loops below run in blocks of Block entries with a fixed trip count,
// which the compiler turns into vector code, and finish one by one.
constexpr int32_t Block = 8;

void Fill(int32_t* out, int32_t count, int32_t value) {
    int32_t i = 0;
    for (; i + Block <= count; i += Block)
        for (int32_t q = 0; q < Block; ++q) out[i + q] = value;
    for (; i < count; ++i) out[i] = value;
}

void Widen(const uint8_t* in, int32_t* out, int32_t count) {
    int32_t i = 0;
    for (; i + Block <= count; i += Block)
        for (int32_t q = 0; q < Block; ++q) out[i + q] = in[i + q];
    for (; i < count; ++i) out[i] = in[i];
}

struct Code_Stats {
    int64_t sum = 0;
    int32_t lo = 255, hi = 0;
};

Code_Stats Stats(const int32_t* v, int32_t count) {
    int32_t sum[Block] = {}, lo[Block], hi[Block];
    for (int32_t q = 0; q < Block; ++q) {
        lo[q] = 255;
        hi[q] = 0;
    }
    int32_t i = 0;
    // Codes are 0..254: lane sums of 8000 / Block codes fit 32 bits.
    for (; i + Block <= count; i += Block) {
        for (int32_t q = 0; q < Block; ++q) {
            const int32_t x = v[i + q];
            sum[q] += x;
            lo[q] = x < lo[q] ? x : lo[q];
            hi[q] = x > hi[q] ? x : hi[q];
        }
    }
    Code_Stats r;
    for (; i < count; ++i) {
        r.sum += v[i];
        r.lo = std::min(r.lo, v[i]);
        r.hi = std::max(r.hi, v[i]);
    }
    for (int32_t q = 0; q < Block; ++q) {
        r.sum += sum[q];
        r.lo = std::min(r.lo, lo[q]);
        r.hi = std::max(r.hi, hi[q]);
    }
    return r;
}

void Start_Frame(Frame_Parser& ps) {
    ps.xor_sum = 0;
    ps.data_count = 0;
    ps.status_count = 0;
    ps.phase = Frame_Parser::Phase::Type;
}

// Fine trigger position in tenths of a sample (step 10 of the decoder).
int32_t Fine_Trigger(const Device_Params& p, const Status_Block& s, uint8_t f,
                     const int32_t* v, int32_t n, int32_t frame_count, int32_t* tdc_fine) {
    if (f & F_External) {
        int32_t c = (f & F_Falling) ? s[Stat_TDC_Fall] : s[Stat_TDC_Rise];
        if (c < 12 || c > 27) c = 20;
        *tdc_fine = s[Stat_TDC_Fine] & 0x1F;
        return std::max<int32_t>(0, 13 - (*tdc_fine * 10) / c);
    }
    // The interpolation reads only the codes this frame holds.
    const int32_t limit = std::min(frame_count, n);
    const bool falling = (f & F_Falling) != 0;
    for (int32_t phase = 0; phase <= 9; ++phase) {
        const int32_t x = Sinc_Interp(v, p.Pre_Count, phase, limit);
        if (x == No_Sample) continue;  // no value there: no crossing either
        if (falling ? x < p.Thr_Low : x > p.Thr_High) return phase;
    }
    return 10;
}

bool Frame_Info_Equal(const Frame_Info& a, const Frame_Info& b) {
    return std::memcmp(a.data(), b.data(), sizeof(Frame_Info)) == 0;
}

// A frame of the configuration before the current one is not shown, but
// while the chart recorder follows that configuration's ring its new
// samples are still taken: they were sent before the device restarted its
// ring with the new configuration, and no later frame holds them.
void Record_Older_Frame(Acq_State& st, const Status_Block& s) {
    if (!st.Run_State.load()) return;
    const Frame_Parser& ps = st.Parser;
    const bool trig_bits = (s[Stat_Flags] & F_Trig_Bits) != 0;
    std::lock_guard lock(st.Data_Mutex);
    if (!st.Rec_Active.load() || st.Rec_Last_Pos < 0 || s[Stat_Seq] != st.Rec_Seq) return;
    if (ps.data_len != Frame_Data_Length(st.Rec_Ring_Len, trig_bits)) return;
    Take_Recorder_Bytes(st, ps.data.data(), trig_bits, st.Rec_Ring_Len,
                        static_cast<uint16_t>(s[Stat_Pos_Word] | s[Stat_Pos_Word + 1] << 8), s[Stat_Seq]);
}

// The end of a checked frame: the check byte rules, the status values and
// the run/single handling. False: drop the rest of the read.
bool Finish_Frame(Acq_State& st, const Device_Params& p, uint8_t check) {
    Frame_Parser& ps = st.Parser;
    ps.phase = Frame_Parser::Phase::None;
    const uint8_t x = ps.xor_sum == Frame_Start ? Check_For_Start : ps.xor_sum;
    if (check != x && ps.grace_frames > 0) {
        --ps.grace_frames;
        return true;
    }
    // Bad frames are errors of a loaded FPGA only. Until the image is loaded
    // and acknowledged (at start, and while a recovery runs) the device may
    // repeat frames of its lost configuration; they must not count as link
    // errors nor start another recovery.
    const bool fpga_ok = st.FPGA_OK.load();
    if (check != x && x == ps.prev_xor) {
        if (++ps.repeat_count >= 2) {
            ps.repeat_count = 0;
            if (fpga_ok) {
                st.Err_FPGA_Lost.store(true);
                return false;
            }
        }
    }
    ps.prev_xor = x;
    if (check != x) {
        if (fpga_ok) st.CRC_Errors.fetch_add(1);
        return true;
    }
    ps.repeat_count = 0;

    Status_Block s;
    for (int i = 0; i < Status_Block_Size; ++i)
        s[i] = static_cast<uint8_t>((ps.status[2 * i] & 0x0F) | (ps.status[2 * i + 1] << 4));
    if (s[Stat_Seq] != st.Seq_Counter.load()) {  // taken with an older configuration
        Record_Older_Frame(st, s);
        return true;
    }
    ps.grace_frames = 0;

    {
        std::lock_guard lock(st.Data_Mutex);
        Status_Values& sv = st.Status;
        sv.TDC_Rise_Read = s[Stat_TDC_Rise];
        sv.TDC_Fall_Read = s[Stat_TDC_Fall];
        sv.TDC_Valid = true;
        std::copy(s.begin() + Stat_Serial, s.begin() + Stat_Serial + Serial_Size,
                  sv.Serial_Bytes.begin());
        sv.Serial_Valid = true;
        sv.Vcc_10mV = (int32_t{s[Stat_Vcc]} + 256 * int32_t{s[Stat_Vcc + 1]}) * Vcc_Scale_Num /
                      Vcc_Scale_Den;
        sv.Vcc_Present = sv.Vcc_10mV > 100;
    }

    if (!st.Run_State.load()) return true;

    // A frame that does not fit the current record length (write position
    // out of the ring, or a data length of another layout) is not taken.
    const int32_t n = p.Record_Points;
    const int32_t pos = (s[Stat_Pos_Word] | s[Stat_Pos_Word + 1] << 8) & Pos_Mask;
    if (pos >= n || ps.data_len != Frame_Data_Length(n, (s[Stat_Flags] & F_Trig_Bits) != 0))
        return true;

    st.Frames_Received.fetch_add(1);
    st.Frames_Total.fetch_add(1);
    Decode_Frame(st, p, ps.data.data(), s);
    st.End_Single_Shot();
    st.Redraw_Request.store(true);
    return true;
}

}  // namespace

void Take_Recorder_Bytes(Acq_State& st, const uint8_t* data, bool trig_bits, int32_t n, uint16_t pos_word,
                         uint8_t seq) {
    if (!st.Rec_Active.load()) {
        st.Rec_Count = 0;
        st.Rec_Last_Pos = -1;
        st.Rec_Seq = -1;
        return;
    }
    if ((pos_word & Pos_Started) == 0 || n <= 0) return;
    const int32_t pos = pos_word & Pos_Mask;
    if (pos >= n) return;
    int32_t k = 0, todo = 0;
    if (st.Rec_Last_Pos < 0) {
        k = pos;  // the first frame gives only the position
    } else if (seq != st.Rec_Seq || n != st.Rec_Ring_Len || st.Rec_Last_Pos >= n) {
        // A new configuration: the device started its ring again at 0.
        // Had it gone round already, the whole ring, oldest first.
        if (pos_word & Pos_Wrapped) {
            k = pos;
            todo = n;
        } else {
            k = 0;
            todo = pos;
        }
    } else {
        k = st.Rec_Last_Pos;
        todo = pos >= k ? pos - k : pos - k + n;
    }
    int32_t rc = Clamp<int32_t>(st.Rec_Count, 0, Rec_Buffer_Size);
    // When the buffer is full the position stays where the copy stopped, so
    // that the next frame continues without a gap.
    todo = std::min(todo, Rec_Buffer_Size - rc);
    uint8_t* out = st.Rec_Buffer.data();
    while (todo > 0) {
        const int32_t run = std::min(todo, n - k);
        if (!trig_bits) {
            std::memcpy(out + rc, data + k, static_cast<size_t>(run));
        } else {
            for (int32_t i = 0; i < run; ++i) {
                const int32_t j = k + i;
                out[rc + i] = data[5 * (j >> 2) + (j & 3)];
            }
        }
        rc += run;
        todo -= run;
        k += run;
        if (k == n) k = 0;
    }
    st.Rec_Count = rc;
    st.Rec_Last_Pos = k;
    st.Rec_Seq = seq;
    st.Rec_Ring_Len = n;
}

int32_t Frame_Data_Length(int32_t points, bool trig_bits) {
    if (points < 4 || points > Max_Record_Points || points % 4 != 0) return 0;
    return trig_bits ? points + points / 4 : points;
}

void Receive_Step(UsbLink& link, Acq_State& st, const Device_Params& p) {
    const Dev_Handle h = st.Handle.load();
    uint32_t rx = 0, tx = 0, ev = 0;
    if (link.Get_Status(h, &rx, &tx, &ev) != Ft_Ok || rx == 0) return;
    const uint32_t want = std::min<uint32_t>(rx, Max_Read_Bytes);
    uint8_t* buf = st.Parser.read_buf.data();
    uint32_t got = 0;
    if (link.Read(h, buf, want, &got) != Ft_Ok) return;
    got = std::min(got, want);
    Parse_Bytes(st, p, std::span<const uint8_t>(buf, got));
}

bool Parse_Bytes(Acq_State& st, const Device_Params& p, std::span<const uint8_t> bytes) {
    using Phase = Frame_Parser::Phase;
    Frame_Parser& ps = st.Parser;
    const uint8_t* b = bytes.data();
    const size_t len = bytes.size();
    size_t i = 0;
    while (i < len) {
        switch (ps.phase) {
        case Phase::None: {
            const void* ff = std::memchr(b + i, Frame_Start, len - i);
            if (!ff) return true;
            i = static_cast<size_t>(static_cast<const uint8_t*>(ff) - b) + 1;
            Start_Frame(ps);
            break;
        }
        case Phase::Type: {
            const uint8_t c = b[i++];
            if (c == Frame_Start) {
                Start_Frame(ps);
                break;
            }
            ps.xor_sum ^= c;
            ps.phase = Phase::None;
            if (c == Frame_Type_Plain || c == Frame_Type_Trig_Bits) {
                ps.data_len = Frame_Data_Length(p.Record_Points, c == Frame_Type_Trig_Bits);
                if (ps.data_len > 0) ps.phase = Phase::Data;
            } else if (c == Frame_Type_Startup) {
                if (st.FPGA_OK.load()) {
                    st.Err_Power_Fail.store(true);
                    return false;
                }
                st.Device_Alive.store(true);
            }
            break;
        }
        case Phase::Data:
        case Phase::Status: {
            const bool data = ps.phase == Phase::Data;
            int32_t& count = data ? ps.data_count : ps.status_count;
            const int32_t total = data ? ps.data_len : Status_Wire_Bytes;
            if (count == total) {  // the check byte
                const uint8_t c = b[i++];
                if (c == Frame_Start) {
                    Start_Frame(ps);
                    break;
                }
                if (!Finish_Frame(st, p, c)) return false;
                break;
            }
            const size_t avail = std::min<size_t>(static_cast<size_t>(total - count), len - i);
            const void* ff = std::memchr(b + i, Frame_Start, avail);
            const size_t take =
                ff ? static_cast<size_t>(static_cast<const uint8_t*>(ff) - (b + i)) : avail;
            uint8_t* dst = data ? ps.data.data() : ps.status.data();
            std::memcpy(dst + count, b + i, take);
            ps.xor_sum ^= Xor_Bytes(b + i, take);
            count += static_cast<int32_t>(take);
            i += take;
            if (ff) {  // a new frame starts early: the partial one is discarded
                ++i;
                Start_Frame(ps);
                break;
            }
            if (data && count == total) ps.phase = Phase::Status;
            break;
        }
        }
    }
    return true;
}

void Decode_Frame(Acq_State& st, const Device_Params& p, const uint8_t* data,
                  const Status_Block& s) {
    Frame_Parser& ps = st.Parser;
    const int32_t n = p.Record_Points;
    const uint8_t f = s[Stat_Flags];
    const bool trig_bits = (f & F_Trig_Bits) != 0;
    if (Frame_Data_Length(n, trig_bits) == 0) return;
    const int32_t w = s[Stat_Pos_Word] | s[Stat_Pos_Word + 1] << 8;
    const int32_t pos = w & Pos_Mask;
    if (pos >= n) return;
    const bool b14 = (w & Pos_Started) != 0, b15 = (w & Pos_Wrapped) != 0;
    const bool peak = (f & F_One_Value) == 0;

    // Raw codes and trigger levels.
    int32_t* v = ps.raw_codes.data();
    uint8_t* lv = ps.raw_levels.data();
    if (!trig_bits) {
        Widen(data, v, n);
    } else {
        for (int32_t g = 0; g < n / 4; ++g) {
            const uint8_t* in = data + 5 * g;
            const uint8_t bits = in[4];
            for (int q = 0; q < 4; ++q) {
                v[4 * g + q] = in[q];
                lv[4 * g + q] = (bits >> (3 - q)) & 1;
            }
        }
    }

    // Ring layout of a roll frame.
    int32_t count = n, ring_pos = 0, ring_p = pos;
    bool rotate = false;
    const bool roll = (f & F_Roll) != 0;
    if (roll) {
        if (!b14) {
            ring_pos = n;
        } else if (!b15) {
            count = pos;
            ring_pos = pos;
        } else if (p.Lenta) {
            ring_pos = n;
            rotate = true;
        } else {
            ring_pos = pos;
        }
        if (peak) {
            ring_pos /= 2;
            ring_p /= 2;
        }
    }

    // Statistics over the codes in use.
    const Code_Stats cs = Stats(v, count);
    const int32_t vpp = (count != 0 && cs.lo > 0 && cs.hi < 254) ? cs.hi - cs.lo : -1;
    const int32_t points = peak ? count / 2 : count;

    // Trigger mark and fine position.
    const bool triggered = p.Trig_Mode_Byte != 0 && (f & F_No_Trigger) == 0;
    const int32_t frame_count =
        peak ? p.Pre_Count / 2 + p.Post_Count / 2 : int32_t{p.Pre_Count} + p.Post_Count;
    int32_t trig_frac = peak ? 0 : 5;
    int32_t tdc_fine = -1;
    if (p.Smpl_Divider == 1 && triggered)
        trig_frac = Fine_Trigger(p, s, f, v, n, frame_count, &tdc_fine);

    Frame_Info fi;
    fi.Smpl_Period = Sat_From_I64(p.Smpl_Divider);
    fi.Frame_uV_Div = p.Volts_Div_uV;
    fi.Frame_Zero = p.Zero_Level;
    fi.Frame_Count = frame_count;
    fi.Trig_Index = peak ? p.Pre_Count / 2 : p.Pre_Count;
    fi.Smpl_Count = points;
    fi.Ring_Pos = ring_pos;
    fi.Ring_Flag = roll ? 1 : 0;
    fi.Peak_Det = peak ? 1 : 0;
    fi.Ext_Trace = trig_bits ? 1 : 0;
    fi.Trig_Frac = trig_frac;
    fi.Ext_Trig_Frac = peak ? 0 : 5;
    fi.Frame_Sweep_Span = Sat_From_I64(p.Sweep_Span);
    fi.Frame_Gen_Freq = Sat_From_I64(p.Gen_Freq);
    fi.Frame_FM_Input = s[Stat_FM_Input] & 3;
    fi.FM_Count = static_cast<int32_t>(Le32(s, Stat_FM_Count));
    fi.FM_Gate = static_cast<int32_t>(Le32(s, Stat_FM_Gate));
    fi.Frame_PPM = p.Frame_PPM;
    fi.Vpp_Code = vpp;
    fi.Sum_Code = static_cast<int32_t>(cs.sum);  // at most 8000 x 254
    fi.Sum_N = count;
    fi.Frame_Trig_Code = Clamp<int32_t>(p.Trig_Code, 0, 255);
    fi.Trig_Mark = triggered ? ((f & F_External) ? 2 : 1) : 0;
    fi.Frame_No = static_cast<int32_t>(st.Frames_Total.load());

    std::lock_guard lock(st.Data_Mutex);

    // Chart recorder: the ring samples written since the last frame.
    Take_Recorder_Bytes(st, data, trig_bits, n, static_cast<uint16_t>(w), s[Stat_Seq]);

    Frame_Data& fr = *st.Frame;
    int32_t* a = fr.Smpl_Buf_A.data();
    int32_t* bb = fr.Smpl_Buf_B.data();
    int32_t* ta = fr.Trig_Buf_A.data();
    int32_t* tb = fr.Trig_Buf_B.data();

    // Copy points [from, to) to destinations starting at dst.
    auto copy = [&](int32_t from, int32_t to, int32_t dst) {
        const int32_t len = to - from;
        if (!peak) {
            std::copy(v + from, v + to, a + dst);
            std::copy(v + from, v + to, bb + dst);
        } else {
            for (int32_t i = 0; i < len; ++i) {
                a[dst + i] = v[2 * (from + i)];
                bb[dst + i] = v[2 * (from + i) + 1];
            }
        }
        if (!trig_bits) {
            Fill(ta + dst, len, No_Sample);
            Fill(tb + dst, len, No_Sample);
        } else {
            const int32_t step = peak ? 2 : 1, second = peak ? 1 : 0;
            for (int32_t i = 0; i < len; ++i) {
                const int32_t j = (from + i) * step;
                ta[dst + i] = Level_Low + (Level_High - Level_Low) * lv[j];
                tb[dst + i] = Level_Low + (Level_High - Level_Low) * lv[j + second];
            }
        }
    };
    if (!rotate) {
        copy(0, points, 0);
    } else {
        // Oldest sample first: ring index ring_p goes to 0.
        copy(0, ring_p, ring_pos - ring_p);
        copy(ring_p, points, 0);
    }

    // Empty the rest; what is known to be empty already is skipped.
    const bool tail_known = ps.tail_frame == &fr && !fr.From_File &&
                            Frame_Info_Equal(ps.tail_info, fr.Info);
    const int32_t tail_end = tail_known ? std::max(ps.tail_end, points) : Smpl_Buf_Size;
    Fill(a + points, tail_end - points, No_Sample);
    Fill(bb + points, tail_end - points, No_Sample);
    Fill(ta + points, tail_end - points, No_Sample);
    Fill(tb + points, tail_end - points, No_Sample);

    fr.Info = fi;
    fr.From_File = false;
    ps.tail_frame = &fr;
    ps.tail_info = fi;
    ps.tail_end = points;
    if (tdc_fine >= 0) st.Status.TDC_Fine = tdc_fine;

    st.Activity_Flag.store(true);
    st.Frame_Ready.store(true);
    st.Shown_Flag.store(true);
}

}  // namespace tovan
