#pragma once
// The frame on screen in forms other tools read: the text table, the raw
// sample bytes with the text that describes them, and a comma-separated
// table in seconds and volts. Each returns the file's bytes; a record
// from a stranger's file is taken within the arrays (at most
// Smpl_Buf_Size rows, none for a negative count).
#include <string>

#include "model/frame.h"

namespace tovan {

// "Time step = ...", "Voltage step = ..." and "Zero level = ..." lines.
std::string Export_Header_Time(const Frame_Info& r);
std::string Export_Header_Voltage(const Frame_Info& r);
std::string Export_Header_Zero(const Frame_Info& r);

// Tab-separated sample codes with a short header (CR LF lines).
std::string Export_Text(const Frame_Data& f);

// One byte per code (two in peak detect), up to the first empty value.
std::string Export_Row_Binary(const Frame_Data& f);

// The text beside a raw binary file named `bin_name` (no folder).
std::string Export_Row_Binary_Text(const Frame_Info& r, const std::string& bin_name);

// Comma-separated: a header row, then one row per entry: the time in
// seconds (0 at the trigger point; a scroll frame from its oldest sample
// on), the volts (minimum and maximum in peak detect), and the level of
// the external trigger as 0 or 1 when the frame has it. An empty field
// where there is no sample. Numbers in the "C" format whatever the locale.
std::string Export_CSV(const Frame_Data& f);

}  // namespace tovan
