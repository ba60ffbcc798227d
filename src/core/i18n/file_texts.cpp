#include "i18n/file_texts.h"

namespace tovan {

std::string Reason_Text(const std::error_code& ec, bool ru) {
    if (!ec) return {};
    const std::error_condition c = ec.default_error_condition();
    struct Known {
        std::errc code;
        const Text_Pair& text;
    };
    static const Known known[] = {
        {std::errc::no_such_file_or_directory, file_text::No_Such_File},
        {std::errc::permission_denied, file_text::Access_Denied},
        {std::errc::operation_not_permitted, file_text::Access_Denied},
        {std::errc::read_only_file_system, file_text::Read_Only_Disk},
        {std::errc::no_space_on_device, file_text::Disk_Full},
        {std::errc::is_a_directory, file_text::Is_A_Folder},
        {std::errc::not_a_directory, file_text::Not_A_Folder},
        {std::errc::io_error, file_text::IO_Error},
    };
    for (const Known& k : known)
        if (c == k.code) return k.text(ru);
    // The system's own description is in the system's language.
    return file_text::System_Error(ru) + std::to_string(ec.value()) + " (" + ec.message() + ").";
}

std::string File_Error_Text(const File_Error& e, bool ru) {
    std::string what;
    switch (e.fault) {
    case File_Fault::None: return {};
    case File_Fault::Cannot_Read_Existing: what = file_text::Cannot_Read_Existing(ru); break;
    case File_Fault::Cannot_Write: what = file_text::Cannot_Write(ru); break;
    case File_Fault::Cannot_Read: what = file_text::Cannot_Read(ru); break;
    case File_Fault::Not_Regular_File: what = file_text::Not_Regular_File(ru); break;
    case File_Fault::Too_Large_To_Keep: what = file_text::Too_Large_To_Keep(ru); break;
    case File_Fault::Not_FPGA_Image:
        what = file_text::Not_FPGA_Image(ru) + std::to_string(e.size) + file_text::Bytes(ru);
        break;
    }
    std::string text = e.path + "\r\n" + what;
    if (const std::string why = Reason_Text(e.reason, ru); !why.empty()) text += "\r\n" + why;
    return text;
}

}  // namespace tovan
