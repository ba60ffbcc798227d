#include "files/tvd_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define TOVAN_POSIX 1
#endif

namespace tovan {
namespace {

constexpr char Magic[4] = {'T', 'V', 'D', ':'};
constexpr size_t Record_At = 6;
constexpr size_t Check_At = 106;
constexpr uint8_t Empty_Byte = 0xFF;

uint8_t Sample_Byte(int32_t v) { return v > 254 ? Empty_Byte : static_cast<uint8_t>(v & 0xFF); }

void Put_I32(std::string& out, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

int32_t Get_I32(std::string_view b, size_t at) {
    uint32_t u = 0;
    for (size_t i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (8 * i);
    return static_cast<int32_t>(u);
}

void Put_Block(std::string& out, const Smpl_Array& a, const Smpl_Array& b, int n, bool pairs) {
    for (int i = 0; i < n; ++i) {
        out.push_back(static_cast<char>(Sample_Byte(a[static_cast<size_t>(i)])));
        if (pairs) out.push_back(static_cast<char>(Sample_Byte(b[static_cast<size_t>(i)])));
    }
}

// Reads one block from `at` on; the end of the bytes ends it.
void Get_Block(std::string_view bytes, size_t& at, Smpl_Array& a, Smpl_Array& b, int n, bool pairs) {
    for (int i = 0; i < n; ++i) {
        if (at >= bytes.size()) return;
        const uint8_t first = static_cast<uint8_t>(bytes[at++]);
        if (first != Empty_Byte) a[static_cast<size_t>(i)] = b[static_cast<size_t>(i)] = first;
        if (!pairs) continue;
        if (at >= bytes.size()) return;
        const uint8_t second = static_cast<uint8_t>(bytes[at++]);
        if (second != Empty_Byte) b[static_cast<size_t>(i)] = second;
    }
}

}  // namespace

int TVD_Entries(const Frame_Info& info) { return std::clamp(info.Smpl_Count, 0, Smpl_Buf_Size); }

std::string Encode_TVD(const Frame_Data& f) {
    const Frame_Info& r = f.Info;
    const bool pairs = r.Peak_Det == 1;
    const int n = TVD_Entries(r);
    std::string out;
    out.reserve(TVD_Header_Size + static_cast<size_t>(n) * (pairs ? 4 : 2));
    out.append(Magic, 4);
    out.push_back(0);
    out.push_back(static_cast<char>(TVD_Version));
    for (int i = 0; i < Frame_Info::Field_Count; ++i) Put_I32(out, r.data()[i]);
    out.append(4, static_cast<char>(0xFF));
    uint8_t check = 0;
    for (size_t i = Record_At; i < Check_At; ++i) check ^= static_cast<uint8_t>(out[i]);
    out.push_back(static_cast<char>(check));
    Put_Block(out, f.Smpl_Buf_A, f.Smpl_Buf_B, n, pairs);
    if (r.Ext_Trace == 1) Put_Block(out, f.Trig_Buf_A, f.Trig_Buf_B, n, pairs);
    return out;
}

TVD_Status Check_TVD(std::string_view b) {
    if (b.size() < TVD_Header_Size || b.substr(0, 4) != std::string_view(Magic, 4) || b[4] != 0 ||
        static_cast<uint8_t>(b[5]) != TVD_Version)
        return TVD_Status::Invalid_Format;
    uint8_t check = 0;
    for (size_t i = Record_At; i < Check_At; ++i) check ^= static_cast<uint8_t>(b[i]);
    return check == static_cast<uint8_t>(b[Check_At]) ? TVD_Status::Ok : TVD_Status::CRC_Error;
}

TVD_Status Decode_TVD(std::string_view bytes, Frame_Data& out) {
    const TVD_Status st = Check_TVD(bytes);
    if (st != TVD_Status::Ok) return st;
    out.Clear();
    for (int i = 0; i < Frame_Info::Field_Count; ++i)
        out.Info.data()[i] = Get_I32(bytes, Record_At + 4 * static_cast<size_t>(i));
    const bool pairs = out.Info.Peak_Det == 1;
    const int n = TVD_Entries(out.Info);
    size_t at = TVD_Header_Size;
    Get_Block(bytes, at, out.Smpl_Buf_A, out.Smpl_Buf_B, n, pairs);
    if (out.Info.Ext_Trace == 1) Get_Block(bytes, at, out.Trig_Buf_A, out.Trig_Buf_B, n, pairs);
    out.From_File = true;
    return TVD_Status::Ok;
}

std::optional<std::string> Read_File_Prefix(const std::string& path, size_t max_bytes) {
    std::string data;
#ifdef TOVAN_POSIX
    // Without blocking (a FIFO would wait for a writer), and checked on the
    // open descriptor, so that the file read is the file checked.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        data.resize(max_bytes);
        size_t got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        data.resize(got);
    }
    ::close(fd);
    if (!ok) return std::nullopt;
#else
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::nullopt;
    data.resize(max_bytes);
    f.read(data.data(), static_cast<std::streamsize>(max_bytes));
    if (f.bad()) return std::nullopt;
    data.resize(static_cast<size_t>(f.gcount()));
#endif
    return data;
}

}  // namespace tovan
