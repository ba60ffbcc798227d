#include "i18n/all_texts.h"

#include "i18n/calibration_texts.h"
#include "i18n/captions.h"
#include "i18n/cli_texts.h"
#include "i18n/dialog_texts.h"
#include "i18n/display_texts.h"
#include "i18n/file_texts.h"
#include "i18n/files_texts.h"
#include "i18n/handoff_texts.h"
#include "i18n/instance_texts.h"
#include "i18n/link_texts.h"
#include "i18n/panel_texts.h"
#include "i18n/recorder_texts.h"
#include "i18n/session_texts.h"
#include "i18n/settings_file_texts.h"
#include "i18n/supervision_texts.h"
#include "i18n/window_texts.h"

namespace tovan {

std::vector<Named_Text> All_Text_Pairs() {
    std::vector<Named_Text> all;
    for (const Control_Caption& c : Main_Window_Captions()) all.push_back({c.control, c.text});
    // Each pair by its qualified name (below tovan::); a table of pairs
    // gives every member under the table's name. The i18n tests check that
    // every pair the headers define is here.
#define TOVAN_TEXT(ns, name) all.push_back({#ns "::" #name, ns::name})
#define TOVAN_TEXTS(ns, name) \
    for (const Text_Pair& t : ns::name) all.push_back({#ns "::" #name, t})
#define TOVAN_TOP_TEXT(name) all.push_back({#name, name})
#define TOVAN_TOP_TEXTS(name) \
    for (const Text_Pair& t : name) all.push_back({#name, t})
    // captions.h
    TOVAN_TEXT(trig_text, Window);
    TOVAN_TEXT(trig_text, Pre_Trig);
    TOVAN_TEXT(trig_text, Noise_Reject);
    TOVAN_TEXT(trig_text, Cancel);
    TOVAN_TEXT(trig_text, OK);
    TOVAN_TEXT(trig_text, Trig_N_Prefix);
    TOVAN_TEXT(trig_text, Off);
    TOVAN_TEXT(trig_text, Div);
    TOVAN_TEXTS(trig_text, NR_Items);
    TOVAN_TEXT(gen_mod_text, Window);
    TOVAN_TEXT(gen_mod_text, AM);
    TOVAN_TEXT(gen_mod_text, FM);
    TOVAN_TEXT(gen_mod_text, Cancel);
    TOVAN_TEXT(gen_mod_text, OK);
    TOVAN_TEXT(gen_mod_text, Mod_K);
    TOVAN_TEXT(gen_mod_text, Dev_FM);
    TOVAN_TEXT(gen_mod_text, Mod_Freq);
    TOVAN_TEXT(gen_mod_text, Scale_10K);
    TOVAN_TEXT(gen_mod_text, Scale_100K);
    TOVAN_TEXT(gen_mod_text, Scale_100_Percent);
    TOVAN_TEXT(gen_mod_text, Scale_200_Percent);
    // window_texts.h
    TOVAN_TEXT(window_text, Help_Title);
    TOVAN_TEXT(window_text, Manual_Not_Found);
    TOVAN_TEXT(window_text, Manual_Not_Opened);
    TOVAN_TEXT(window_text, Settings_Save_Title);
    TOVAN_TEXT(window_text, Button_Yes);
    TOVAN_TEXT(window_text, Button_No);
    TOVAN_TEXT(window_text, Button_OK);
    // link_texts.h
    TOVAN_TOP_TEXT(Txt_USB_Error_Title);
    TOVAN_TOP_TEXT(Txt_USB_Invalid_Handle);
    TOVAN_TOP_TEXT(Txt_USB_Device_Not_Found);
    TOVAN_TOP_TEXT(Txt_USB_Error_Code);
    TOVAN_TOP_TEXT(Txt_USB_Device_Count);
    TOVAN_TOP_TEXT(Txt_USB_True_Device);
    TOVAN_TOP_TEXT(Txt_USB_Other_Device);
    TOVAN_TOP_TEXT(Txt_USB_Description);
    TOVAN_TOP_TEXT(Txt_USB_Dev_Index);
    TOVAN_TOP_TEXT(Txt_USB_Dev_Loc);
    TOVAN_TOP_TEXT(Txt_USB_Open_Question);
    // supervision_texts.h
    TOVAN_TOP_TEXT(Txt_Supervision_Title);
    TOVAN_TOP_TEXTS(Txt_Supervision_Messages);
    // panel_texts.h
    TOVAN_TEXT(panel_text, Volts_Div);
    TOVAN_TEXT(panel_text, Probe_x10);
    TOVAN_TEXT(panel_text, Probe_x100);
    // display_texts.h
    TOVAN_TEXT(display_text, FFT_Peak_Det);
    TOVAN_TEXT(display_text, FFT_Few_Samples);
    TOVAN_TEXT(display_text, Per_Div);
    TOVAN_TEXT(display_text, Peak_Det);
    TOVAN_TEXT(display_text, Trig);
    TOVAN_TEXT(display_text, Trig_Ext);
    TOVAN_TEXT(display_text, Trig_N);
    TOVAN_TEXT(display_text, Span);
    TOVAN_TEXT(display_text, Unit_dBV);
    TOVAN_TEXT(display_text, Unit_dBm);
    TOVAN_TEXT(display_text, Unit_dBm_600);
    TOVAN_TEXT(display_text, Unit_dBm_50);
    TOVAN_TEXT(display_text, Vpp);
    TOVAN_TEXT(display_text, Vdc);
    TOVAN_TEXT(display_text, Vp);
    TOVAN_TEXT(display_text, Fp);
    TOVAN_TEXT(display_text, Fin);
    TOVAN_TEXT(display_text, V_Is);
    TOVAN_TEXT(display_text, F_Is);
    TOVAN_TEXT(display_text, T_Is);
    TOVAN_TEXT(display_text, dF_Is);
    TOVAN_TEXT(display_text, dV_Is);
    TOVAN_TEXT(display_text, dT_Is);
    TOVAN_TEXT(display_text, F1_Is);
    TOVAN_TEXT(display_text, F2_Is);
    TOVAN_TEXT(display_text, Inv_dT_Is);
    TOVAN_TEXT(display_text, Name_V);
    TOVAN_TEXT(display_text, Name_F);
    TOVAN_TEXT(display_text, Name_dF);
    TOVAN_TEXT(display_text, Name_dV);
    TOVAN_TEXT(display_text, Name_F1);
    TOVAN_TEXT(display_text, Name_F2);
    TOVAN_TEXT(display_text, Fsmpl);
    TOVAN_TEXT(display_text, Smpl);
    TOVAN_TEXT(display_text, Smpl_Peak_Det);
    TOVAN_TEXT(display_text, Div_Is);
    TOVAN_TEXT(display_text, FPS);
    TOVAN_TEXT(display_text, Lost);
    TOVAN_TEXT(display_text, Vcc);
    TOVAN_TEXT(display_text, CRC_Errors);
    TOVAN_TEXT(display_text, Fmod);
    TOVAN_TEXT(display_text, Dev);
    TOVAN_TEXT(display_text, K);
    TOVAN_TEXT(display_text, Noise);
    // dialog_texts.h
    TOVAN_TEXT(fft_text, Window);
    TOVAN_TEXT(fft_text, Size);
    TOVAN_TEXT(fft_text, Win);
    TOVAN_TEXTS(fft_text, Win_Items);
    TOVAN_TEXT(fft_text, Scale);
    TOVAN_TEXTS(fft_text, Scale_Items);
    TOVAN_TEXT(fft_text, Cancel);
    TOVAN_TEXT(color_text, Window);
    TOVAN_TEXTS(color_text, Fields);
    TOVAN_TEXT(color_text, Cancel);
    TOVAN_TEXT(color_text, Default);
    TOVAN_TEXT(about_text, Window);
    TOVAN_TEXT(about_text, Product);
    TOVAN_TEXT(about_text, Software);
    TOVAN_TEXT(about_text, Firmware);
    TOVAN_TEXT(about_text, FPGA);
    TOVAN_TEXT(about_text, Serial);
    // files_texts.h
    TOVAN_TEXT(files_text, Save_Data_Dialog);
    TOVAN_TEXT(files_text, Data_Save_Filter);
    TOVAN_TEXT(files_text, Save_Data_Title);
    TOVAN_TEXT(files_text, Open_Data_Dialog);
    TOVAN_TEXT(files_text, Data_Open_Filter);
    TOVAN_TEXT(files_text, Companion_Title);
    TOVAN_TEXT(files_text, Ask_Open_Companion);
    TOVAN_TEXT(files_text, Save_Settings_Dialog);
    TOVAN_TEXT(files_text, Settings_Save_Filter);
    TOVAN_TEXT(files_text, Open_Settings_Dialog);
    TOVAN_TEXT(files_text, Settings_Open_Filter);
    TOVAN_TEXT(files_text, Save_Image_Title);
    TOVAN_TEXT(files_text, Image_Filter);
    TOVAN_TEXT(files_text, Save_Text_Title);
    TOVAN_TEXT(files_text, Text_Filter);
    TOVAN_TEXT(files_text, Save_Binary_Title);
    TOVAN_TEXT(files_text, Binary_Filter);
    TOVAN_TEXT(files_text, Binary_Companion_Title);
    TOVAN_TEXT(files_text, Save_CSV_Title);
    TOVAN_TEXT(files_text, CSV_Filter);
    TOVAN_TEXT(files_text, Menu_CSV);
    TOVAN_TEXT(files_text, Cannot_Create);
    TOVAN_TEXT(files_text, Not_Found);
    TOVAN_TEXT(files_text, Invalid_Format);
    TOVAN_TEXT(files_text, CRC_Error);
    TOVAN_TEXT(files_text, Ask_Replace);
    // handoff_texts.h
    TOVAN_TOP_TEXT(Txt_Handoff_Settings_Title);
    TOVAN_TOP_TEXT(Txt_Handoff_Ask_Settings);
    TOVAN_TOP_TEXT(Txt_Handoff_Data_Title);
    TOVAN_TOP_TEXT(Txt_Handoff_Running);
    TOVAN_TOP_TEXT(Txt_Handoff_Ask_Data);
    // cli_texts.h
    TOVAN_TOP_TEXT(Txt_Cli_Usage);
    TOVAN_TOP_TEXT(Txt_Cli_Usage_Args);
    TOVAN_TOP_TEXT(Txt_Cli_About);
    TOVAN_TOP_TEXT(Txt_Cli_Options);
    TOVAN_TOP_TEXT(Txt_Cli_Opt_Demo);
    TOVAN_TOP_TEXT(Txt_Cli_Opt_Ini);
    TOVAN_TOP_TEXT(Txt_Cli_Opt_Fpga);
    TOVAN_TOP_TEXT(Txt_Cli_Opt_Help);
    TOVAN_TOP_TEXT(Txt_Cli_Opt_Version);
    TOVAN_TOP_TEXT(Txt_Cli_Opt_End);
    TOVAN_TOP_TEXT(Txt_Cli_Opt_File);
    TOVAN_TOP_TEXT(Txt_Cli_Path_Arg);
    TOVAN_TOP_TEXT(Txt_Cli_File_Arg);
    TOVAN_TOP_TEXT(Txt_Cli_Unknown_Option);
    TOVAN_TOP_TEXT(Txt_Cli_Missing_Argument);
    TOVAN_TOP_TEXT(Txt_Cli_No_Argument_Allowed);
    TOVAN_TOP_TEXT(Txt_Cli_Try_Help);
    TOVAN_TOP_TEXT(Txt_Cli_No_Display);
    TOVAN_TOP_TEXT(Txt_Cli_Handed_Over);
    TOVAN_TOP_TEXT(Txt_Cli_Raised);
    TOVAN_TOP_TEXT(Txt_Cli_Not_Handed_Over);
    TOVAN_TOP_TEXT(Txt_Cli_Unreachable);
    TOVAN_TOP_TEXT(Txt_Cli_Instance_Failed);
    TOVAN_TOP_TEXT(Txt_Settings_Not_Saved);
    // instance_texts.h
    TOVAN_TOP_TEXT(Txt_Instance_Unchecked);
    TOVAN_TOP_TEXT(Txt_Instance_Not_A_Folder);
    TOVAN_TOP_TEXT(Txt_Instance_Other_Owner);
    TOVAN_TOP_TEXT(Txt_Instance_Writable_By_Others);
    TOVAN_TOP_TEXT(Txt_Instance_No_Home);
    // session_texts.h
    TOVAN_TOP_TEXT(Txt_FPGA_Image_Title);
    TOVAN_TOP_TEXT(Txt_FPGA_Image_Missing);
    TOVAN_TOP_TEXT(Txt_FPGA_Image_Unusable);
    TOVAN_TOP_TEXT(Txt_FPGA_Image_Not_Found);
    TOVAN_TOP_TEXT(Txt_FPGA_Image_Unreadable);
    TOVAN_TOP_TEXT(Txt_FPGA_Image_Bad_Size);
    TOVAN_TOP_TEXT(Txt_FPGA_Image_Read_Error);
    TOVAN_TOP_TEXT(Txt_Example_No_Device);
    TOVAN_TOP_TEXT(Txt_Example_No_Frame);
    TOVAN_TOP_TEXT(Txt_Example_Bad_Argument);
    TOVAN_TOP_TEXT(Txt_Example_Usage);
    // settings_file_texts.h
    TOVAN_TOP_TEXT(Txt_Ini_Title);
    TOVAN_TOP_TEXT(Txt_Ini_Not_Read);
    TOVAN_TOP_TEXT(Txt_Ini_Not_Regular);
    TOVAN_TOP_TEXT(Txt_Ini_Too_Large);
    TOVAN_TOP_TEXT(Txt_Ini_Read_Error);
    TOVAN_TOP_TEXT(Txt_Ini_Defaults_Used);
    // file_texts.h
    TOVAN_TEXT(file_text, Cannot_Read_Existing);
    TOVAN_TEXT(file_text, Cannot_Write);
    TOVAN_TEXT(file_text, Cannot_Read);
    TOVAN_TEXT(file_text, Not_FPGA_Image);
    TOVAN_TEXT(file_text, Bytes);
    TOVAN_TEXT(file_text, Not_Regular_File);
    TOVAN_TEXT(file_text, Too_Large_To_Keep);
    TOVAN_TEXT(file_text, No_Such_File);
    TOVAN_TEXT(file_text, Access_Denied);
    TOVAN_TEXT(file_text, Read_Only_Disk);
    TOVAN_TEXT(file_text, Disk_Full);
    TOVAN_TEXT(file_text, Is_A_Folder);
    TOVAN_TEXT(file_text, Not_A_Folder);
    TOVAN_TEXT(file_text, IO_Error);
    TOVAN_TEXT(file_text, System_Error);
    // calibration_texts.h
    TOVAN_TEXT(calib_text, Start);
    TOVAN_TEXT(calib_text, Cancel);
    TOVAN_TEXT(calib_text, OK);
    TOVAN_TEXT(calib_text, Running);
    TOVAN_TEXT(calib_text, Done);
    TOVAN_TEXT(calib_text, Failed);
    TOVAN_TEXT(calib_text, Unknown);
    TOVAN_TEXT(calib_text, Zero_Window);
    TOVAN_TEXT(calib_text, Zero_Info);
    TOVAN_TEXT(calib_text, Zero_Point1);
    TOVAN_TEXT(calib_text, Zero_Point2);
    TOVAN_TEXT(calib_text, Zero_Offset);
    TOVAN_TEXT(calib_text, TDC_Window);
    TOVAN_TEXT(calib_text, TDC_Info);
    TOVAN_TEXT(calib_text, TDC_Rise);
    TOVAN_TEXT(calib_text, TDC_Fall);
    TOVAN_TEXT(calib_text, TDC_Step);
    TOVAN_TEXT(calib_text, TDC_Unit);
    TOVAN_TEXT(calib_text, Time_Window);
    TOVAN_TEXT(calib_text, Time_PPM);
    // recorder_texts.h
    TOVAN_TEXT(rec_text, Title);
    TOVAN_TEXT(rec_text, Button_File);
    TOVAN_TEXT(rec_text, Button_Start);
    TOVAN_TEXT(rec_text, Button_Stop);
    TOVAN_TEXT(rec_text, Button_Exit);
    TOVAN_TEXT(rec_text, Size_Unknown);
    TOVAN_TEXT(rec_text, Not_Admitted);
    TOVAN_TEXT(rec_text, Not_Ready);
    TOVAN_TEXT(rec_text, Sampling_Rate);
    TOVAN_TEXT(rec_text, Peak_On);
    TOVAN_TEXT(rec_text, Peak_Off);
    TOVAN_TEXT(rec_text, Write_Speed);
    TOVAN_TEXT(rec_text, MBytes_Hour);
    TOVAN_TEXT(rec_text, Time_Step);
    TOVAN_TEXT(rec_text, Voltage_Step);
    TOVAN_TEXT(rec_text, Zero_Level);
    TOVAN_TEXT(rec_text, Start_Line);
    TOVAN_TEXT(rec_text, Stop_Line);
    TOVAN_TEXT(rec_text, Write_Failed);
    TOVAN_TEXT(rec_text, Flush_Failed);
    TOVAN_TEXT(rec_text, File_Title);
    TOVAN_TEXT(rec_text, File_Filter);
    TOVAN_TEXT(rec_text, Replace_Question);
    TOVAN_TEXT(rec_text, Cannot_Open);
    TOVAN_TEXT(rec_text, Stop_Question);
    TOVAN_TEXT(rec_text, Warning_Title);
    TOVAN_TEXT(rec_text, Text_Title);
    TOVAN_TEXT(rec_text, Text_File_Line);
    TOVAN_TEXT(rec_text, Size);
    TOVAN_TEXT(rec_text, Bytes);
    TOVAN_TEXT(rec_text, Time);
    TOVAN_TEXT(rec_text, Label_Time);
    TOVAN_TEXT(fm_log_text, Title);
    TOVAN_TEXT(fm_log_text, Fin);
    TOVAN_TEXT(fm_log_text, Write_Failed);
#undef TOVAN_TOP_TEXTS
#undef TOVAN_TOP_TEXT
#undef TOVAN_TEXTS
#undef TOVAN_TEXT
    return all;
}

}  // namespace tovan
