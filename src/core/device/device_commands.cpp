#include "device/device_commands.h"

#include <chrono>
#include <thread>

namespace tovan {
namespace {

class Block_Writer {
public:
    explicit Block_Writer(std::array<uint8_t, Max_Config_Block>& out) : out_(out) {}
    void Byte(uint8_t b) { out_[static_cast<size_t>(len_++)] = b; }
    void Bytes(uint64_t v, int count) {
        for (int i = 0; i < count; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Section(uint8_t count, uint8_t bank, uint8_t first) {
        Byte(count);
        Byte(bank);
        Byte(first);
    }
    int Length() const { return len_; }
    std::array<uint8_t, Max_Config_Block>& out_;

private:
    int len_ = 0;
};

}  // namespace

int Build_Config_Block(const Device_Params& p, uint8_t seq, const Config_Extras& extras,
                       std::array<uint8_t, Max_Config_Block>& out) {
    Block_Writer w(out);
    w.Byte(0);  // N, filled in below
    w.Byte(static_cast<uint8_t>(5 + (extras.tdc ? 1 : 0) + (extras.serial ? 1 : 0)));

    w.Section(2, 0, Reg_Offset_DAC);
    w.Bytes(p.Offset_DAC, 2);

    w.Section(16, 0, Reg_Gen_Mode);
    w.Byte(p.Gen_Mode);
    w.Bytes(static_cast<uint64_t>(p.Gen_Word1), 5);
    w.Bytes(static_cast<uint64_t>(p.Gen_Word2), 5);
    w.Byte(static_cast<uint8_t>(static_cast<uint32_t>(p.Gen_Ampl_Code) * 64u));
    w.Byte(static_cast<uint8_t>(static_cast<uint32_t>(p.Gen_Ampl_Code) >> 2));
    w.Bytes(static_cast<uint32_t>(p.Mod_Word), 3);

    w.Section(14, 0, Reg_Trig_Flags);
    w.Byte(p.Trig_Flags);
    w.Bytes(p.Smpl_Divider, 3);
    w.Bytes(p.Pre_Count, 2);
    w.Bytes(p.Post_Count, 2);
    w.Byte(p.Thr_Low);
    w.Byte(p.Thr_High);
    w.Byte(static_cast<uint8_t>(p.Smpl_Divider >> 24));
    w.Byte(0);
    w.Byte(p.Trig_Mode_Byte);
    w.Byte(4);

    w.Section(2, 0, Reg_Gain);
    w.Byte(p.Gain_Byte);
    w.Byte(seq);

    if (extras.tdc) {
        w.Section(2, 1, Reg1_TDC_Rise);
        for (uint8_t b : *extras.tdc) w.Byte(b);
    }
    if (extras.serial) {
        w.Section(Serial_Size, 1, Reg1_Serial);
        for (uint8_t b : *extras.serial) w.Byte(b);
    }

    w.Section(1, 0, Reg_FM_Input);
    w.Byte(p.FM_Input);

    const int n = w.Length();
    out[0] = static_cast<uint8_t>(n);
    uint8_t check = 0;
    for (int i = 0; i < n; ++i) check ^= out[static_cast<size_t>(i)];
    w.Byte(check);
    return n + 1;
}

void Nibble_Code(std::span<const uint8_t> in, uint8_t* out) {
    for (uint8_t b : in) {
        *out++ = b & Nibble_Max;
        *out++ = static_cast<uint8_t>(b >> 4);
    }
}

void Real_Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void Send_Config(UsbLink& link, Acq_State& st, const Device_Params& p) {
    const Dev_Handle h = st.Handle.load();
    link.Purge(h, Purge_Tx);
    const uint8_t cmd = Cmd_Config;
    uint32_t written = 0;
    link.Write(h, &cmd, 1, &written);

    const uint8_t seq = static_cast<uint8_t>(st.Seq_Counter.load() + 1);
    st.Seq_Counter.store(seq);

    Config_Extras extras;
    if (st.TDC_Send_Request.exchange(false)) {
        extras.tdc = std::array<uint8_t, 2>{st.TDC_Set_Rise.load(), st.TDC_Set_Fall.load()};
        std::lock_guard lock(st.Data_Mutex);
        st.Status.TDC_Valid = false;
    }
    if (st.Serial_Send_Request.exchange(false)) {
        std::array<uint8_t, 5> serial{};
        for (size_t i = 0; i < serial.size(); ++i) serial[i] = st.Serial_New[i].load();
        extras.serial = serial;
        std::lock_guard lock(st.Data_Mutex);
        st.Status.Serial_Valid = false;
    }

    std::array<uint8_t, Max_Config_Block> block{};
    const int len = Build_Config_Block(p, seq, extras, block);
    std::array<uint8_t, 2 * Max_Config_Block> wire{};
    Nibble_Code(std::span(block.data(), static_cast<size_t>(len)), wire.data());

    link.Purge(h, Purge_Rx);
    // The purge cut any frame in progress: the parser starts afresh at the
    // next frame start.
    st.Parser.phase = Frame_Parser::Phase::None;
    st.Parser.grace_frames = Frame_Parser::Reconfig_Grace_Frames;
    const Ft_Status rc = link.Write(h, wire.data(), static_cast<uint32_t>(2 * len), &written);
    st.Link_Status.store(rc);
}

void Load_FPGA(UsbLink& link, Acq_State& st, std::span<const uint8_t> image,
               const Sleep_Fn& sleep_ms) {
    if (image.empty()) {
        // No image to send (the bridge without an image file): nothing goes
        // out and the load fails as an unanswered one would.
        st.FPGA_OK.store(false);
        st.Err_FPGA_Config.store(true);
        st.Redraw_Request.store(true);
        return;
    }
    const Dev_Handle h = st.Handle.load();
    link.Purge(h, Purge_Rx | Purge_Tx);
    const uint8_t cmd = Cmd_FPGA;
    uint32_t written = 0;
    Ft_Status rc = link.Write(h, &cmd, 1, &written);
    st.Link_Status.store(rc);
    sleep_ms(200);
    link.Purge(h, Purge_Rx);

    std::array<uint8_t, 1024> chunk{};
    bool abandoned = false;
    for (size_t pos = 0; pos < image.size() && !abandoned; pos += 512) {
        const size_t len = std::min<size_t>(512, image.size() - pos);
        Nibble_Code(image.subspan(pos, len), chunk.data());
        uint32_t left = static_cast<uint32_t>(2 * len);
        const uint8_t* at = chunk.data();
        int idle_writes = 0;
        while (left > 0) {
            written = 0;
            rc = link.Write(h, at, left, &written);
            if (written > left) written = left;
            at += written;
            left -= written;
            if (rc != Ft_Ok || written == 0) {
                if (++idle_writes >= FPGA_Write_Retries || rc != Ft_Ok) {
                    abandoned = true;
                    break;
                }
            } else {
                idle_writes = 0;
            }
        }
    }
    st.Link_Status.store(rc);

    if (!abandoned) {
        sleep_ms(200);
        std::array<uint8_t, 512> answer{};
        uint32_t got = 0;
        link.Read(h, answer.data(), static_cast<uint32_t>(answer.size()), &got);
        if (got > answer.size()) got = static_cast<uint32_t>(answer.size());
        size_t i = 0;
        while (i < got) {
            size_t k = 0;
            while (k < FPGA_Ack.size() && i + k < got && answer[i + k] == FPGA_Ack[k]) ++k;
            if (k == FPGA_Ack.size()) {
                st.FPGA_OK.store(true);
                if (i + 3 < got) st.FPGA_Version.store(answer[i + 3]);
                if (i + 4 < got) st.Firmware_Version.store(answer[i + 4]);
                i += 5;
            } else {
                i += k + 1;  // resume after the mismatching byte
            }
        }
    }
    st.Err_FPGA_Config.store(!st.FPGA_OK.load());
    st.Redraw_Request.store(true);
}

}  // namespace tovan
