#include "device/fpga_image.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tovan {
namespace {

using Outcome = FPGA_Image_Attempt::Outcome;

bool Read_Image_File(const std::string& path, FPGA_Image& out) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        out.error = File_Error{File_Fault::Cannot_Read, path, ec};
        out.tried.push_back({path, std::filesystem::exists(path) ? Outcome::Unreadable : Outcome::Not_Found,
                             ec.message()});
        return false;
    }
    if (size == 0 || size > FPGA_Image_Max_Size) {
        out.error = File_Error{File_Fault::Not_FPGA_Image, path, {}, static_cast<uint64_t>(size)};
        out.tried.push_back({path, Outcome::Bad_Size, std::to_string(size)});
        return false;
    }
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!f.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        out.error = File_Error{File_Fault::Cannot_Read, path, std::make_error_code(std::errc::io_error)};
        out.tried.push_back({path, Outcome::Read_Error, {}});
        return false;
    }
    out.bytes = std::move(bytes);
    out.source = path;
    out.tried.push_back({path, Outcome::Used, {}});
    return true;
}

}  // namespace

std::vector<uint8_t> Builtin_FPGA_Image() {
    std::vector<uint8_t> img(FPGA_Image_Size);
    std::copy(std::begin(FPGA_Sync_Header), std::end(FPGA_Sync_Header), img.begin());
    uint32_t x = 0x2545F491u;  // xorshift32: a fixed, bitstream-like filler
    for (size_t i = sizeof(FPGA_Sync_Header); i < img.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        img[i] = static_cast<uint8_t>(x);
    }
    return img;
}

std::string Installed_Firmware_Dir() { return TOVAN_FIRMWARE_DIR; }

FPGA_Image Find_FPGA_Image(const std::string& override_path, const std::string& exe_dir,
                           const std::string& firmware_dir) {
    FPGA_Image img;
    std::string named = override_path;
    if (named.empty()) {
        if (const char* env = std::getenv(FPGA_Image_Env); env && *env) named = env;
    }
    if (!named.empty()) {
        if (Read_Image_File(named, img)) return img;
    } else {
        for (const std::string& dir : {exe_dir, firmware_dir}) {
            if (dir.empty()) continue;
            const std::string path = (std::filesystem::path(dir) / FPGA_Image_File_Name).string();
            if (!std::filesystem::exists(path)) {
                img.tried.push_back({path, Outcome::Not_Found, {}});
                continue;
            }
            const File_Error kept_error = img.error;  // only a named file's problem is reported there
            if (Read_Image_File(path, img)) return img;
            img.error = kept_error;
        }
    }
    img.bytes = Builtin_FPGA_Image();
    img.source = "built-in";
    return img;
}

}  // namespace tovan
