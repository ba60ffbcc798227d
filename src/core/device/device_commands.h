#pragma once
// Host-to-device transfers: the configuration block (0xFC) and the FPGA
// image (0xFA), both nibble-coded so that payload bytes never reach the
// command range.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "device/acq_state.h"
#include "device/protocol.h"
#include "device/usb_link.h"
#include "model/device_params.h"

namespace tovan {

struct Config_Extras {
    std::optional<std::array<uint8_t, 2>> tdc;     // TDC rise, fall (bank 1, 0-1)
    std::optional<std::array<uint8_t, 5>> serial;  // identity (bank 1, 16-20)
};

// Builds the block (length byte, section count, sections, check byte) for
// sequence number `seq`; returns its length N + 1.
int Build_Config_Block(const Device_Params& p, uint8_t seq, const Config_Extras& extras,
                       std::array<uint8_t, Max_Config_Block>& out);

// Each byte b becomes (b & 0x0F), (b >> 4). `out` holds 2 * in.size().
void Nibble_Code(std::span<const uint8_t> in, uint8_t* out);

// Waits of the FPGA loader go through this, so tests can run them on a
// virtual clock.
using Sleep_Fn = std::function<void(int ms)>;
void Real_Sleep(int ms);

// Writes one configuration transfer from `p` on the state's handle,
// incrementing Seq_Counter and consuming the TDC and identity requests.
void Send_Config(UsbLink& link, Acq_State& st, const Device_Params& p);

// Bound of the chunk-write loop: a load is abandoned at the first write
// that fails, or after this many writes in a row that move nothing (the
// link has gone).
inline constexpr int FPGA_Write_Retries = 8;

// Sends the image and reads the FF DE A5 acknowledgement with the FPGA and
// firmware versions. Sets FPGA_OK, the versions, Err_FPGA_Config and
// Redraw_Request. An empty image sends nothing and fails the load.
void Load_FPGA(UsbLink& link, Acq_State& st, std::span<const uint8_t> image,
               const Sleep_Fn& sleep_ms);

}  // namespace tovan
