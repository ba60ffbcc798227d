#include "acquisition/link_control.h"

#include "device/open_device.h"

namespace tovan {

Ft_Status Check_Link(UsbLink& link, Acq_State& st) {
    uint32_t rx_bytes = 0;
    const Ft_Status status = link.Get_Queue_Status(st.Handle.load(), &rx_bytes);
    st.Link_Status.store(status);
    return status;
}

Ft_Status Link_Check_And_Reopen(UsbLink& link, Acq_State& st, bool debug_mode, Prompts& prompts,
                                const std::string& title) {
    uint32_t rx_bytes = 0;
    Ft_Status status = link.Get_Queue_Status(st.Handle.load(), &rx_bytes);
    st.Link_Status.store(status);
    if (status == Ft_Ok) return Ft_Ok;

    link.Close(st.Handle.load());
    Dev_Handle h = 0;
    status = Open_Device(link, &h, debug_mode, &prompts, title, &st.Rx_Event);
    st.Handle.store(h);
    st.Link_Status.store(status);

    if (status != Ft_Ok) {
        link.Close(st.Handle.load());
        return status;
    }

    st.FPGA_OK.store(false);
    st.Err_Link_Lost.store(false);
    st.Err_FPGA_Config.store(false);
    st.Err_Power_Fail.store(false);
    st.Err_FPGA_Lost.store(false);
    st.FPGA_Load_Request.store(true);
    return Ft_Ok;
}

bool Link_Check_On_Press(UsbLink& link, Acq_State& st, bool debug_mode, Prompts& prompts,
                         bool lang_russian, const std::string& title,
                         const std::function<void()>& refresh_view) {
    const Ft_Status status = Link_Check_And_Reopen(link, st, debug_mode, prompts, title);
    if (status == Ft_Ok) return true;
    if (refresh_view) refresh_view();
    USB_Error_Box(prompts, status, lang_russian);
    if (refresh_view) refresh_view();
    return false;
}

}  // namespace tovan
