#pragma once
// The files of the recorder and the frequency-meter log, behind an
// interface so that tests can make a disk fail on demand. Writes are not
// buffered by the program: what Write reports written has reached the
// operating system, so a byte count kept from it equals the file's size.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

namespace tovan {

class Rec_File {
public:
    virtual ~Rec_File() = default;
    // Writes the bytes; returns how many reached the file. Fewer than asked
    // only with `ec` set (a full disk, a removed stick, an I/O error).
    virtual size_t Write(const uint8_t* data, size_t size, std::error_code& ec) = 0;
    // Brings what was written to the disk.
    virtual std::error_code Flush() = 0;
    // Closes the file (idempotent).
    virtual std::error_code Close() = 0;
};

enum class Open_Mode { Create, Append };  // Create discards what the file held

// Opens a file for writing; null with `ec` set on failure.
using Open_File_Fn =
    std::function<std::unique_ptr<Rec_File>(const std::string& path, Open_Mode mode, std::error_code& ec)>;

// The disk.
std::unique_ptr<Rec_File> Open_Disk_File(const std::string& path, Open_Mode mode, std::error_code& ec);

// Writes a whole text; the error, none on success.
std::error_code Write_All(Rec_File& f, const std::string& text);

}  // namespace tovan
