#pragma once
// Time helpers shared by the parts of the virtual instrument.
#include <cstdint>
#include <limits>

namespace tovan::vi_time {

// No event due.
inline constexpr int64_t Never = std::numeric_limits<int64_t>::max();

// Device ticks (10 ns) to nanoseconds, saturating at Never.
inline int64_t Ticks_To_Ns(int64_t ticks) { return ticks > Never / 10 ? Never : ticks * 10; }

}  // namespace tovan::vi_time
