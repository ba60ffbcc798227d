#include "i18n/all_texts.h"

#include "i18n/captions.h"
#include "i18n/file_texts.h"
#include "i18n/link_texts.h"
#include "i18n/window_texts.h"

namespace tovan {

std::vector<Named_Text> All_Text_Pairs() {
    std::vector<Named_Text> all;
    for (const Control_Caption& c : Main_Window_Captions()) all.push_back({c.control, c.text});
#define TOVAN_TEXT(ns, name) all.push_back({#ns "::" #name, ns::name})
    TOVAN_TEXT(trig_text, Window);
    TOVAN_TEXT(trig_text, Pre_Trig);
    TOVAN_TEXT(trig_text, Noise_Reject);
    TOVAN_TEXT(trig_text, Cancel);
    TOVAN_TEXT(trig_text, OK);
    TOVAN_TEXT(trig_text, Trig_N_Prefix);
    TOVAN_TEXT(trig_text, Off);
    TOVAN_TEXT(trig_text, Div);
    for (const Text_Pair& t : trig_text::NR_Items) all.push_back({"trig_text::NR_Items", t});
    TOVAN_TEXT(gen_mod_text, Window);
    TOVAN_TEXT(gen_mod_text, AM);
    TOVAN_TEXT(gen_mod_text, FM);
    TOVAN_TEXT(gen_mod_text, Cancel);
    TOVAN_TEXT(gen_mod_text, OK);
    TOVAN_TEXT(gen_mod_text, Mod_K);
    TOVAN_TEXT(gen_mod_text, Dev_FM);
    TOVAN_TEXT(gen_mod_text, Mod_Freq);
    all.push_back({"Txt_USB_Error_Title", Txt_USB_Error_Title});
    all.push_back({"Txt_USB_Invalid_Handle", Txt_USB_Invalid_Handle});
    all.push_back({"Txt_USB_Device_Not_Found", Txt_USB_Device_Not_Found});
    all.push_back({"Txt_USB_Error_Code", Txt_USB_Error_Code});
    TOVAN_TEXT(window_text, Help_Title);
    TOVAN_TEXT(window_text, Manual_Not_Found);
    TOVAN_TEXT(window_text, Manual_Not_Opened);
    TOVAN_TEXT(window_text, Settings_Save_Title);
    TOVAN_TEXT(window_text, Button_Yes);
    TOVAN_TEXT(window_text, Button_No);
    TOVAN_TEXT(window_text, Button_OK);
    TOVAN_TEXT(file_text, Cannot_Read_Existing);
    TOVAN_TEXT(file_text, Cannot_Write);
    TOVAN_TEXT(file_text, Cannot_Read);
    TOVAN_TEXT(file_text, Not_FPGA_Image);
    TOVAN_TEXT(file_text, Bytes);
    TOVAN_TEXT(file_text, No_Such_File);
    TOVAN_TEXT(file_text, Access_Denied);
    TOVAN_TEXT(file_text, Read_Only_Disk);
    TOVAN_TEXT(file_text, Disk_Full);
    TOVAN_TEXT(file_text, Is_A_Folder);
    TOVAN_TEXT(file_text, Not_A_Folder);
    TOVAN_TEXT(file_text, IO_Error);
    TOVAN_TEXT(file_text, System_Error);
#undef TOVAN_TEXT
    return all;
}

}  // namespace tovan
