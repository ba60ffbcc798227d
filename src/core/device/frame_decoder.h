#pragma once
// The receiving side of the frame stream: the byte-stream parser, kept
// across reads in Acq_State::Parser, and the frame decoder that turns one
// checked frame into the shared sample arrays and the frame record.
//
// All three functions run on the acquisition thread. The shared frame, the
// recorder bytes and the status values are written under Data_Mutex; flags
// and counters are the atomics of Acq_State.
#include <cstdint>
#include <span>

#include "device/acq_state.h"
#include "device/frame_builder.h"
#include "device/usb_link.h"
#include "model/device_params.h"

namespace tovan {

// One receive pass: status call on st.Handle (a failed call or an empty
// queue ends it), read what is queued (at most Max_Read_Bytes) and parse it.
void Receive_Step(UsbLink& link, Acq_State& st, const Device_Params& p);

// Feeds bytes to the parser; frames may be split across calls at any
// point. Returns false when the rest of the bytes was dropped (start-up
// marker after a successful FPGA load, or the FPGA-lost condition).
bool Parse_Bytes(Acq_State& st, const Device_Params& p, std::span<const uint8_t> bytes);

// Decodes one frame into st.Frame. `data` holds the frame's data bytes in
// the layout named by status byte 2 bit 0: Record_Points codes, or
// Record_Points / 4 groups of four codes and a trigger-level byte. A frame
// whose record length is not a multiple of 4 in 4..8000, or whose write
// position is not below it, is left alone (the device never sends one).
void Decode_Frame(Acq_State& st, const Device_Params& p, const uint8_t* data,
                  const Status_Block& status);

// The chart recorder's step of one frame; the caller holds Data_Mutex.
// While st.Rec_Active is clear it keeps Rec_Count at 0 and the position
// unset. Otherwise, for a frame whose position word says the ring holds
// samples, it appends to Rec_Buffer the ring's sample bytes from
// Rec_Last_Pos up to the write position (wrapping at n, peak-detect pairs
// as the ring holds them) and moves Rec_Last_Pos there. The first frame
// after the start gives only the position; a frame of another
// configuration (`seq`) than the position's starts the ring again at 0.
// `data` is the frame's data in the layout trig_bits names.
void Take_Recorder_Bytes(Acq_State& st, const uint8_t* data, bool trig_bits, int32_t n, uint16_t pos_word,
                         uint8_t seq);

// Data bytes of a frame of `points` samples, with or without trigger bits;
// 0 for a record length the decoder does not take.
int32_t Frame_Data_Length(int32_t points, bool trig_bits);

}  // namespace tovan
