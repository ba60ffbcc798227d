#pragma once
// Shared pieces of the recorder tests: a temporary folder, a disk that
// fails after a number of bytes, and a session without a device.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "recorder/rec_file.h"
#include "session/session.h"
#include "support/fake_usb_link.h"
#include "support/scripted_prompts.h"

namespace tovan::rec_test {

namespace fs = std::filesystem;

struct Temp_Dir {
    fs::path path;
    Temp_Dir() {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("tovan1_recorder_test_" +
                std::to_string(static_cast<long long>(std::chrono::steady_clock::now().time_since_epoch().count())) +
                "_" + std::to_string(n++));
        fs::create_directories(path);
    }
    ~Temp_Dir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

inline std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// The disk, except that files whose name ends in `suffix` take only
// `budget` bytes in all (then the write fails with `why`), and their flush
// fails when `flush_fails`.
struct Failing_Disk {
    std::string suffix = ".bin";
    long long budget = -1;  // -1: no limit
    bool flush_fails = false;
    std::error_code why = std::make_error_code(std::errc::no_space_on_device);

    class File final : public Rec_File {
    public:
        File(std::unique_ptr<Rec_File> real, Failing_Disk& disk) : real_(std::move(real)), disk_(disk) {}
        size_t Write(const uint8_t* data, size_t size, std::error_code& ec) override {
            size_t allow = size;
            if (disk_.budget >= 0 && static_cast<long long>(size) > disk_.budget)
                allow = static_cast<size_t>(disk_.budget);
            const size_t n = real_->Write(data, allow, ec);
            if (disk_.budget >= 0) disk_.budget -= static_cast<long long>(n);
            if (!ec && allow < size) ec = disk_.why;
            return n;
        }
        std::error_code Flush() override { return disk_.flush_fails ? std::make_error_code(std::errc::io_error) : real_->Flush(); }
        std::error_code Close() override { return real_->Close(); }

    private:
        std::unique_ptr<Rec_File> real_;
        Failing_Disk& disk_;
    };

    Open_File_Fn Fn() {
        return [this](const std::string& path, Open_Mode mode, std::error_code& ec) -> std::unique_ptr<Rec_File> {
            std::unique_ptr<Rec_File> f = Open_Disk_File(path, mode, ec);
            if (!f || path.size() < suffix.size() || path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
                return f;
            return std::make_unique<File>(std::move(f), *this);
        };
    }
};

// A session on a bridge with no device: the recorder's window logic
// without acquisition; tests set the frame and the flags themselves.
struct Plain_Session {
    test_support::Scripted_Prompts prompts;
    std::unique_ptr<Session> s;
    Plain_Session() {
        Session_Options o;
        o.link_factory = [](Link_Kind) { return std::make_unique<test_support::Fake_Usb_Link>(); };
        s = std::make_unique<Session>(o, prompts);
        s->Inst().Settings.Russian = false;
    }
    void Set_Frame(int32_t smpl_period, bool peak) {
        s->With_Frame_Mutable([&](Frame_Data& f, Status_Values&) {
            f.Info.Smpl_Period = smpl_period;
            f.Info.Peak_Det = peak ? 1 : 0;
            f.Info.Frame_uV_Div = 1000000;
            f.Info.Frame_Zero = 127;
        });
    }
    // Bytes as the decoder leaves them for the next hand-over.
    void Collect(const std::vector<uint8_t>& bytes) {
        Acq_State& st = s->Inst().State;
        std::lock_guard lock(st.Data_Mutex);
        std::copy(bytes.begin(), bytes.end(), st.Rec_Buffer.begin() + st.Rec_Count);
        st.Rec_Count += static_cast<int32_t>(bytes.size());
    }
};

}  // namespace tovan::rec_test
