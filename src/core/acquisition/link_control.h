#pragma once
// The device side of the RUN, SINGLE and generator ON buttons: when a
// button goes down the link is checked and, when it is broken, re-opened.
#include <functional>
#include <string>

#include "common/prompts.h"
#include "device/acq_state.h"
#include "device/usb_link.h"

namespace tovan {

// The link check: the queue-status call on st.Handle, its code stored in
// st.Link_Status and returned (0: link good). Also used by the File menu
// and the once-a-second supervision.
Ft_Status Check_Link(UsbLink& link, Acq_State& st);

// Called when RUN, SINGLE or ON has just been pressed down (releasing a
// button does not touch the link). Checks the link with the queue-status
// call into st.Link_Status; when that fails, closes st.Handle and opens the
// instrument again (st.Handle, st.Link_Status):
// - re-open failed: closes the handle again, shows the USB error between
//   two calls of `refresh_view` (given for ON only, empty for RUN and
//   SINGLE) and returns false: the caller releases the button and sends
//   nothing;
// - re-open succeeded: marks the FPGA as not loaded, clears the four error
//   flags and asks the acquisition thread for an FPGA load; returns true.
// Returns true when the link was good. Busy_Event and Apply_Settings are
// the caller's.
// The check and one re-open without the error box: Ft_Ok when the link is
// usable, else the code to show. The window shows the box itself.
Ft_Status Link_Check_And_Reopen(UsbLink& link, Acq_State& st, bool debug_mode, Prompts& prompts,
                                const std::string& title);

bool Link_Check_On_Press(UsbLink& link, Acq_State& st, bool debug_mode, Prompts& prompts,
                         bool lang_russian, const std::string& title,
                         const std::function<void()>& refresh_view);

}  // namespace tovan
