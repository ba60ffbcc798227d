#include "acquisition/device_session.h"

#include "acquisition/link_control.h"
#include "device/open_device.h"

namespace tovan {

Device_Session::Device_Session(Instrument& inst, UsbLink& link, Prompts& prompts,
                               std::vector<uint8_t> fpga_image, std::string title, Hooks hooks,
                               Sleep_Fn thread_sleep)
    : inst_(inst),
      link_(link),
      prompts_(prompts),
      title_(std::move(title)),
      hooks_(std::move(hooks)),
      thread_(link, inst.State, std::move(fpga_image), hooks_.sync_draw, std::move(thread_sleep)),
      supervisor_(Link_Supervisor::Env{
          &link,
          &inst.State,
          &prompts,
          [this] { return Open(); },
          [this](Ft_Status code) { USB_Error_Box(prompts_, code, inst_.Settings.Russian); },
          [this] { inst_.Apply_Settings(); },
          [this] { Release_Buttons(); },
          [this](int ms) {
              if (hooks_.wait_ms) hooks_.wait_ms(ms);
          },
          [this](bool busy) {
              if (hooks_.set_busy) hooks_.set_busy(busy);
          },
          [this] { return inst_.Settings.No_Msg; },
          [this] { return inst_.Settings.Russian; },
      }) {}

Device_Session::~Device_Session() { Shutdown(); }

void Device_Session::Start_Thread() { thread_.Start(); }

void Device_Session::Shutdown() {
    thread_.Stop();
    const Dev_Handle h = inst_.State.Handle.exchange(0);
    if (h != 0) link_.Close(h);
}

Ft_Status Device_Session::Open() {
    // A handle still held (stale after a port reset, or opened meanwhile)
    // is closed first so that it never leaks.
    if (const Dev_Handle old = inst_.State.Handle.exchange(0); old != 0) link_.Close(old);
    Dev_Handle h = 0;
    const Ft_Status rc =
        Open_Device(link_, &h, inst_.Settings.Debug_Mode, &prompts_, title_, &inst_.State.Rx_Event);
    inst_.State.Handle.store(h);
    return rc;
}

void Device_Session::First_Activation() {
    const Ft_Status rc = Open();
    inst_.State.Link_Status.store(rc);
    if (rc == Ft_Ok) {
        inst_.State.FPGA_Load_Request.store(true);
        inst_.Apply_Settings();
    }
}

bool Device_Session::Check_Link_On_Press() {
    return Link_Check_And_Reopen(link_, inst_.State, inst_.Settings.Debug_Mode, prompts_, title_) == Ft_Ok;
}

void Device_Session::Show_Link_Error() {
    USB_Error_Box(prompts_, inst_.State.Link_Status.load(), inst_.Settings.Russian);
}

void Device_Session::Release_Buttons() {
    inst_.Settings.Run = false;
    inst_.Settings.Sngl = false;
    inst_.Settings.Gen_On = false;
    if (hooks_.controls_changed) hooks_.controls_changed();
}

}  // namespace tovan
