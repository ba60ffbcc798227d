#pragma once
// A failed file operation, told without words: what went wrong, with
// which file, and the system's reason. The window turns it into a sentence
// in the language of the moment (i18n/file_texts.h), so the core never
// decides the language of a message.
#include <cstdint>
#include <string>
#include <system_error>

namespace tovan {

enum class File_Fault {
    None,
    Cannot_Read_Existing,  // a file to be replaced exists but cannot be read; it is kept
    Cannot_Write,          // the new contents could not be written or put in place
    Cannot_Read,           // a named input file could not be opened or read
    Not_FPGA_Image,        // a named FPGA image has an impossible size (`size`)
    Not_Regular_File,      // the path (or where its link points) is a device, FIFO or folder; kept
    Too_Large_To_Keep,     // a file to be rewritten is larger than any file of ours; kept
};

struct File_Error {
    File_Fault fault = File_Fault::None;
    std::string path;
    std::error_code reason;  // the system's reason; empty when there is none
    uint64_t size = 0;       // Not_FPGA_Image: the file's size in bytes

    explicit operator bool() const { return fault != File_Fault::None; }
};

}  // namespace tovan
