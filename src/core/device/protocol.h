#pragma once
// The instrument's wire protocol, shared by the host side (configuration
// block, FPGA loader, device listing, frame parser and decoder) and the
// virtual instrument, which plays the device side.
#include <array>
#include <cstddef>
#include <cstdint>

#include "model/frame.h"

namespace tovan {

// --- Device listing ---------------------------------------------------------

// The USB description string the instrument's bridge reports.
inline constexpr const char* Instrument_Description = "Digital Oscilloscope";

// --- Host to device ---------------------------------------------------------
// A command byte (0x10 and up) starts a transfer; its payload is
// nibble-coded (each byte b sent as b & 0x0F, b >> 4), so that payload
// bytes never reach the command range.

inline constexpr uint8_t Cmd_Config = 0xFC;  // configuration block
inline constexpr uint8_t Cmd_FPGA = 0xFA;    // FPGA image
inline constexpr uint8_t Nibble_Max = 0x0F;  // highest payload byte on the wire
inline constexpr int Max_Config_Block = 66;  // N = 65 plus the check byte

// After a complete FPGA image the device answers FF DE A5, then the FPGA
// and the firmware versions.
inline constexpr std::array<uint8_t, 3> FPGA_Ack = {0xFF, 0xDE, 0xA5};

// --- Registers --------------------------------------------------------------
// The configuration block writes sections of registers: bank 0 holds the
// acquisition and generator set-up, bank 1 the calibration and identity.

inline constexpr int Bank0_Size = 64;
inline constexpr int Bank1_Size = 32;

// Bank 0.
inline constexpr int Reg_Trig_Flags = 2;    // Flag_* bits below
inline constexpr int Reg_Divider = 3;       // bits 0..23, low byte first
inline constexpr int Reg_Pre_Count = 6;     // 2 bytes
inline constexpr int Reg_Post_Count = 8;    // 2 bytes
inline constexpr int Reg_Thr_Low = 10;
inline constexpr int Reg_Thr_High = 11;
inline constexpr int Reg_Divider_Top = 12;  // bits 24..31 of the divider
inline constexpr int Reg_Trig_Mode = 14;
inline constexpr int Reg_Gain = 24;
inline constexpr int Reg_Seq = 25;          // sequence number of the configuration
inline constexpr int Reg_Offset_DAC = 30;   // 2 bytes
inline constexpr int Reg_Gen_Mode = 32;
inline constexpr int Reg_Gen_Word1 = 33;    // 5 bytes
inline constexpr int Reg_Gen_Word2 = 38;    // 5 bytes
inline constexpr int Reg_Gen_Ampl = 43;     // 2 bytes: low 2 bits in the top of the first
inline constexpr int Reg_Mod_Word = 45;     // 3 bytes
inline constexpr int Reg_FM_Input = 48;

// Bank 1.
inline constexpr int Reg1_TDC_Rise = 0;
inline constexpr int Reg1_TDC_Fall = 1;
inline constexpr int Reg1_Serial = 16;      // 5 bytes of identity
inline constexpr int Serial_Size = 5;

// Trigger flags: register 2 as written, status byte 2 as read back.
inline constexpr uint8_t F_Trig_Bits = 0x01;   // trigger-signal bits in the data
inline constexpr uint8_t F_Falling = 0x02;     // falling edge
inline constexpr uint8_t F_External = 0x04;    // external trigger source
inline constexpr uint8_t F_One_Value = 0x08;   // clear: peak-detect pairs
inline constexpr uint8_t F_Roll = 0x10;        // roll acquisition
inline constexpr uint8_t F_Auto = 0x20;        // auto trigger
inline constexpr uint8_t F_No_Trigger = 0x40;  // status only: the frame has no trigger point

// --- Device to host: frames -------------------------------------------------
// 0xFF, type, data, the nibble-coded status block, check byte.

inline constexpr uint8_t Frame_Start = 0xFF;
inline constexpr uint8_t Frame_Type_Plain = 0x00;      // n data bytes
inline constexpr uint8_t Frame_Type_Trig_Bits = 0x01;  // n + n/4 data bytes
inline constexpr uint8_t Frame_Type_Startup = 0x6F;    // start-up marker, nothing follows
// The check byte is never the frame start: 0xFF goes out as this.
inline constexpr uint8_t Check_For_Start = 0xFE;

// The status block: a copy of bank 0 (bytes 0..63) and bank 1 (64..95),
// some of them replaced by what the device measured.
inline constexpr int Status_Block_Size = 96;
inline constexpr int Status_Wire_Bytes = 2 * Status_Block_Size;
using Status_Block = std::array<uint8_t, Status_Block_Size>;

inline constexpr int Stat_Pos_Word = 0;   // 2 bytes: Pos_* below
inline constexpr int Stat_Flags = Reg_Trig_Flags;
inline constexpr int Stat_TDC_Fine = 15;  // low 5 bits
inline constexpr int Stat_Seq = Reg_Seq;
inline constexpr int Stat_FM_Input = Reg_FM_Input;
inline constexpr int Stat_FM_Count = 49;  // 4 bytes, input periods
inline constexpr int Stat_FM_Gate = 53;   // 4 bytes, gate in 10 ns ticks
inline constexpr int Stat_Vcc = 62;       // 2 bytes, supply voltage code
inline constexpr int Stat_Bank1 = Bank0_Size;
inline constexpr int Stat_TDC_Rise = Stat_Bank1 + Reg1_TDC_Rise;
inline constexpr int Stat_TDC_Fall = Stat_Bank1 + Reg1_TDC_Fall;
inline constexpr int Stat_Serial = Stat_Bank1 + Reg1_Serial;

// Position word: the ring write position and, in roll mode, two state bits.
inline constexpr uint16_t Pos_Mask = 0x3FFF;
inline constexpr uint16_t Pos_Started = 0x4000;  // the ring holds samples
inline constexpr uint16_t Pos_Wrapped = 0x8000;  // the ring has gone round

// Supply voltage: the status code times Vcc_Scale_Num / Vcc_Scale_Den is
// the voltage in 10 mV.
inline constexpr int32_t Vcc_Scale_Num = 5830;
inline constexpr int32_t Vcc_Scale_Den = 10230;

// Data bytes of the largest frame: Max_Record_Points with trigger bits.
inline constexpr int Max_Data_Bytes = Max_Record_Points + Max_Record_Points / 4;
// Largest frame on the wire.
inline constexpr size_t Max_Frame_Bytes = 1 + 1 + Max_Data_Bytes + Status_Wire_Bytes + 1;

}  // namespace tovan
