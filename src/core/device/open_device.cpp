#include "device/open_device.h"

#include "i18n/link_texts.h"

namespace tovan {

namespace {

// USB strings are ASCII; anything else is shown as '?' so that a garbled
// descriptor cannot put invalid UTF-8 into a message box.
std::string Printable(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) c = '?';
    }
    return out;
}

// The debug-mode texts read the same in both languages.
constexpr bool Debug_Lang = false;

bool Ask_Open(Prompts& prompts, const std::string& title, const Text_Pair& headline,
              const std::string& description, uint32_t index, uint32_t location) {
    const std::string text = std::string(headline(Debug_Lang)) + Txt_USB_Description(Debug_Lang) + "'" +
                             Printable(description) + "'  " + Txt_USB_Dev_Index(Debug_Lang) +
                             std::to_string(index) + Txt_USB_Dev_Loc(Debug_Lang) + std::to_string(location) +
                             Txt_USB_Open_Question(Debug_Lang);
    return prompts.Message_Box(title, text, Prompt_Icon::Warning, Prompt_Buttons::Yes_No) ==
           Prompt_Answer::Yes;
}

void Set_Up_Bridge(UsbLink& link, Dev_Handle h, Manual_Reset_Event* rx_event) {
    // Return codes are ignored on purpose: a bridge that does not take its
    // set-up is found dead by the next link check.
    link.Reset_Device(h);
    link.Set_Divisor(h, 3);
    link.Set_Data_Characteristics(h, 8, 0, 0);
    link.Set_Flow_Control(h, 0, 0x13, 0x17);
    link.Set_Timeouts(h, 500, 500);
    link.Purge(h, Purge_Rx | Purge_Tx);
    link.Set_Latency_Timer(h, 3);
    link.Set_Event_Notification(h, Event_Rx_Char, rx_event);
}

}  // namespace

Ft_Status Open_Device(UsbLink& link, Dev_Handle* handle, bool debug_mode, Prompts* prompts,
                      const std::string& title, Manual_Reset_Event* rx_event) {
    if (handle == nullptr) return Ft_Invalid_Parameter;
    *handle = 0;
    Prompts* ask = debug_mode ? prompts : nullptr;

    uint32_t n = 0;
    const Ft_Status count_status = link.List_Count(&n);
    if (count_status != Ft_Ok) return count_status;
    if (n == 0) return Ft_Device_Not_Found;

    if (ask != nullptr && n > 1) {
        ask->Message_Box(title, Txt_USB_Device_Count(Debug_Lang) + std::to_string(n) + ". ",
                         Prompt_Icon::Warning, Prompt_Buttons::Ok);
    }

    Ft_Status result = Ft_Device_Not_Found;
    bool open_failed = false;  // an open was tried and refused
    Dev_Handle opened = 0;

    // Pass one: the instrument's own description; pass two: any other bridge.
    for (int pass = 0; pass < 2 && opened == 0; ++pass) {
        const bool want_instrument = pass == 0;
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t location = 0;
            std::string description;
            const bool queried = link.List_Location(i, &location) == Ft_Ok &&
                                 link.List_Description(i, &description) == Ft_Ok;
            const bool is_instrument = queried && description == Instrument_Description;
            if (want_instrument) {
                if (!is_instrument) {
                    // Keeps the code of a refused open: "not found" would
                    // hide why a present instrument could not be used.
                    if (!open_failed) result = Ft_Device_Not_Found;
                    continue;
                }
            } else if (!queried || is_instrument) {
                continue;
            }
            if (ask != nullptr &&
                !Ask_Open(*ask, title, want_instrument ? Txt_USB_True_Device : Txt_USB_Other_Device,
                          description, i, location)) {
                if (want_instrument) result = Ft_Device_Not_Found;
                continue;
            }
            Dev_Handle h = 0;
            result = link.Open_By_Location(location, &h);
            if (result == Ft_Ok) {
                opened = h;
                break;
            }
            open_failed = true;
        }
    }
    if (opened == 0) return result == Ft_Ok ? Ft_Device_Not_Found : result;

    Set_Up_Bridge(link, opened, rx_event);
    *handle = opened;
    return Ft_Ok;
}

std::string USB_Error_Text(Ft_Status code, bool lang_russian) {
    switch (code) {
        case Ft_Invalid_Handle:
            return Txt_USB_Invalid_Handle(lang_russian);
        case Ft_Device_Not_Found:
            return Txt_USB_Device_Not_Found(lang_russian);
        default:
            return std::string(Txt_USB_Error_Code(lang_russian)) + std::to_string(code);
    }
}

void USB_Error_Box(Prompts& prompts, Ft_Status code, bool lang_russian) {
    prompts.Message_Box(Txt_USB_Error_Title(lang_russian), USB_Error_Text(code, lang_russian),
                        Prompt_Icon::Error, Prompt_Buttons::Ok);
}

}  // namespace tovan
