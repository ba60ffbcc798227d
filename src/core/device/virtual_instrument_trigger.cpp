#include "device/virtual_instrument.h"

// The virtual instrument's trigger planning: when the next frame is due,
// found by searching the signal model for the trigger condition.
#include <algorithm>

#include "device/virtual_instrument_time.h"

namespace tovan {

using vi_time::Never;
using vi_time::Ticks_To_Ns;

bool Virtual_Instrument::Streaming() const {
    return plugged_ && handle_ != 0 && (fpga_lost_ || (fpga_loaded_ && configured_ && acq_.setup.m > 0));
}

void Virtual_Instrument::Search_Trigger(int64_t limit_tick) {
    Acquisition& a = acq_;
    const Acq_Setup& s = a.setup;
    const int64_t d = static_cast<int64_t>(s.divider);
    const int need = std::max(s.trig_n, 1);
    // Bounded work per call: a search that has fallen far behind the clock
    // resumes near it, re-arming from there (a slow trigger is missed, as
    // if it had not come).
    constexpr int64_t Max_Points = 4'000'000;
    if ((limit_tick - a.start_tick) / d - a.next_pt > Max_Points) {
        a.next_pt = std::max<int64_t>(a.next_pt, (limit_tick - a.start_tick) / d - Max_Points / 2);
        a.armed = false;
        a.prev_level = -1;
    }
    const bool skip = a.sig.Has_Bins() && !s.peak;
    for (;;) {
        const int64_t t = a.start_tick + a.next_pt * d;
        if (t > limit_tick) return;
        if (skip) {
            // Step over the bins in which this sample cannot change the
            // comparator's state.
            double phase = 0.0;
            const int b0 = a.sig.Bin(t, &phase);
            auto quiet = [&](int b) {
                if (s.ext_src) return a.prev_level >= 0 && a.sig.Bin_Level(b) == a.prev_level;
                const bool rising = !s.falling;
                if (a.armed) return rising ? a.sig.Bin_Hi(b) <= s.thr_hi : a.sig.Bin_Lo(b) >= s.thr_lo;
                return rising ? a.sig.Bin_Lo(b) >= s.thr_lo : a.sig.Bin_Hi(b) <= s.thr_hi;
            };
            int run = 0;
            while (run < Signal_Model::Phase_Bins && quiet((b0 + run) % Signal_Model::Phase_Bins)) ++run;
            if (run == Signal_Model::Phase_Bins) {  // nothing can ever happen
                a.next_pt = (limit_tick - a.start_tick) / d + 1;
                return;
            }
            if (run > 0) {
                const double cycles = static_cast<double>(b0 + run) / Signal_Model::Phase_Bins - phase;
                const int64_t ticks = static_cast<int64_t>(a.sig.Ticks_For(cycles));
                a.next_pt += std::max<int64_t>(1, (ticks - 1) / d);
                continue;
            }
        }
        bool fire = false;
        if (s.ext_src) {
            const int level = a.sig.Ext_Level(t) ? 1 : 0;
            fire = a.prev_level >= 0 && level != a.prev_level && (level == 1) != s.falling;
            a.prev_level = level;
        } else {
            uint8_t lo, hi;
            if (s.peak) {
                a.sig.Code_Range(t, s.divider, lo, hi);
            } else {
                lo = hi = a.sig.Code(t);
            }
            if (!s.falling) {
                fire = a.armed && hi > s.thr_hi;
                a.armed = (a.armed && !fire) || lo < s.thr_lo;
            } else {
                fire = a.armed && lo < s.thr_lo;
                a.armed = (a.armed && !fire) || hi > s.thr_hi;
            }
        }
        if (fire && a.next_pt >= a.first_fire && ++a.edges >= need) {
            a.decided = true;
            a.triggered = true;
            a.rec_start_tick = t - int64_t{a.trig_idx} * d;
            a.ready_ns = Ticks_To_Ns(a.rec_start_tick + int64_t{s.m} * d);
            if (s.ext_src) a.tdc_fine = a.sig.Ext_Fine(ext_edges_++, s.falling);
            return;
        }
        ++a.next_pt;
    }
}

bool Virtual_Instrument::Plan(int64_t limit_ns) {
    if (fpga_lost_) {
        acq_.ready_ns = std::max(next_lost_ns_, link_ns_);
        return true;
    }
    Acquisition& a = acq_;
    const Acq_Setup& s = a.setup;
    if (a.restart_pending) {
        // The previous frame has left: the next acquisition starts now.
        a.restart_pending = false;
        a.decided = false;
        a.triggered = false;
        a.armed = false;
        a.edges = 0;
        a.prev_level = -1;
        a.tdc_fine = 0;
        a.start_tick = link_ns_ / 10;
        a.next_pt = std::max(a.first_fire - 1, 0);
        a.sig.Set_Sweep(No_Sweep, std::max<uint64_t>(s.divider / static_cast<uint64_t>(s.vpp), 1),
                        static_cast<uint32_t>(s.post_values));
    }
    if (s.roll) {
        a.ready_ns = std::max(a.next_roll_ns, link_ns_);
        return true;
    }
    if (a.decided) return true;
    const int64_t d = static_cast<int64_t>(s.divider);
    if (s.trig_n == 0) {  // trigger off: free running
        a.decided = true;
        a.rec_start_tick = a.start_tick;
        a.ready_ns = Ticks_To_Ns(a.start_tick + int64_t{s.m} * d);
        return true;
    }
    const int64_t limit_tick = limit_ns / 10;
    const int64_t auto_tick = a.start_tick + int64_t{a.first_fire} * d + Auto_Timeout_Ns / 10;
    if (a.can_trigger) {
        Search_Trigger(s.auto_mode ? std::min(limit_tick, auto_tick) : limit_tick);
        if (a.decided) return true;
    } else {
        a.next_pt = std::max<int64_t>(a.next_pt, (limit_tick - a.start_tick) / d);
    }
    if (s.auto_mode && limit_tick >= auto_tick) {
        a.decided = true;
        a.rec_start_tick = std::max(a.start_tick, auto_tick - int64_t{s.m} * d);
        a.ready_ns = Ticks_To_Ns(a.rec_start_tick + int64_t{s.m} * d);
        return true;
    }
    return false;
}

}  // namespace tovan
