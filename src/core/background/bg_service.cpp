#include "background/bg_service.h"

namespace tovan {

bool BG_Service::Swap() {
    if (!Available()) return false;
    Instrument& inst = session_.Inst();
    const View_Action a = session_.With_Frames_Mutable(
        [&](Frame_Data& main, Frame_Data& bg, Status_Values&) { return Swap_BG(main, bg, inst.Settings, view_); });
    if (a == View_Action::Apply_Settings) inst.Apply_Settings();
    if (a == View_Action::Refresh_View) inst.Refresh_View();
    return a != View_Action::None;
}

}  // namespace tovan
