#pragma once
// Finding, opening and setting up the instrument's USB bridge, and the
// USB error message.
#include <string>

#include "common/event.h"
#include "common/prompts.h"
#include "device/protocol.h"
#include "device/usb_link.h"

namespace tovan {

// Looks for the instrument among the attached bridges and opens it: first
// the devices described as the instrument (lowest index first), then any
// other bridge. With debug_mode the user is told the device count and asked
// before each open (through `prompts`, with `title`; a null `prompts`
// asks nothing). The opened bridge is set up for the instrument's raw byte
// stream (set-up failures are ignored) and reports received bytes to
// `rx_event`.
// Returns 0 with *handle set; otherwise the code of the last failing call,
// or Ft_Device_Not_Found when no device could be tried, with *handle = 0.
Ft_Status Open_Device(UsbLink& link, Dev_Handle* handle, bool debug_mode, Prompts* prompts,
                      const std::string& title, Manual_Reset_Event* rx_event);

// The message text for a non-zero link status.
std::string USB_Error_Text(Ft_Status code, bool lang_russian);

// Shows the USB error message for a non-zero status (error icon, OK).
void USB_Error_Box(Prompts& prompts, Ft_Status code, bool lang_russian);

}  // namespace tovan
