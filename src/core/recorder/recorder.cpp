#include "recorder/recorder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "display/format_value.h"
#include "i18n/file_texts.h"
#include "i18n/recorder_texts.h"
#include "measure/measurements.h"

namespace tovan {
namespace fs = std::filesystem;

std::string Group_Digits(uint64_t v) {
    std::string d = std::to_string(v);
    if (d.size() > 3) d.insert(d.size() - 3, 1, ' ');
    if (d.size() > 7) d.insert(d.size() - 7, 1, ' ');
    return d;
}

std::vector<std::string> Rec_Info_Lines(const Frame_Info& f, bool ru, bool* ready) {
    std::vector<std::string> lines;
    const bool ok = f.Smpl_Period > 0;
    if (ready) *ready = ok;
    if (!ok) {
        lines.push_back(rec_text::Not_Ready(ru));
    } else {
        const double rate = 1e8 / f.Smpl_Period;
        const int b = f.Peak_Det == 1 ? 2 : 1;
        lines.push_back(rec_text::Sampling_Rate(ru) + Format_Value(rate, Kind_Frequency, -3));
        lines.push_back(b == 2 ? rec_text::Peak_On(ru) : rec_text::Peak_Off(ru));
        lines.push_back(rec_text::Write_Speed(ru) + Format_Fixed(rate * b * 3600 / 1048576, 6) +
                        rec_text::MBytes_Hour(ru));
        lines.push_back("");
        lines.push_back(rec_text::Time_Step(ru) + Format_Value(f.Smpl_Period * 10.0, Kind_Time, -4));
        lines.push_back(rec_text::Voltage_Step(ru) + Format_Value(f.Frame_uV_Div * 0.03125, Kind_Voltage, -4));
        lines.push_back(rec_text::Zero_Level(ru) + std::to_string(f.Frame_Zero));
    }
    lines.push_back("");
    return lines;
}

Recorder::Recorder(Session& session, Prompts& prompts, Recorder_Env env)
    : session_(session), prompts_(prompts), env_(std::move(env)), hand_buf_(Rec_Buffer_Size) {}

Recorder::~Recorder() { Shutdown(); }

bool Recorder::Ru() const { return session_.Inst().Settings.Russian; }
Local_Ms Recorder::Now() const { return env_.now ? env_.now() : Local_Now(); }

std::unique_ptr<Rec_File> Recorder::Open(const std::string& path, Open_Mode mode, std::error_code& ec) const {
    return env_.open_file ? env_.open_file(path, mode, ec) : Open_Disk_File(path, mode, ec);
}

void Recorder::Set_Active(bool on) {
    Acq_State& st = session_.Inst().State;
    std::lock_guard lock(st.Data_Mutex);
    // A position or bytes left from before belong to no recording.
    st.Rec_Count = 0;
    st.Rec_Last_Pos = -1;
    st.Rec_Seq = -1;
    st.Rec_Active.store(on);
}

bool Recorder::Admit() {
    const Instrument& inst = session_.Inst();
    const Scope_Settings& s = inst.Settings;
    if (s.Run && s.Slow_Untriggered && inst.State.FPGA_OK.load() && inst.State.Link_Status.load() == Ft_Ok)
        return true;
    const bool ru = Ru();
    prompts_.Message_Box(rec_text::Title(ru), rec_text::Not_Admitted(ru), Prompt_Icon::Error, Prompt_Buttons::Ok);
    return false;
}

void Recorder::Open_Window() {
    Finish_Failed();
    start_ready_ = true;
    const std::string& dir = session_.Last_Dir();
    std::error_code ec;
    fs::path folder = dir.empty() ? fs::current_path(ec) : fs::path(dir);
    path_ = (folder / "recorder.bin").string();
    {
        std::lock_guard lock(m_);
        rec_bytes_ = 0;
    }
    shown_ = false;
    start_ = end_ = Now();
    Show_Rec_Info();
}

void Recorder::Show_Rec_Info() {
    const Frame_Info f =
        session_.With_Frame([](const Frame_Data& d, const Status_Values&) { return d.Info; });
    bool ready = false;
    memo_ = Rec_Info_Lines(f, Ru(), &ready);
    if (!ready) start_ready_ = false;
}

void Recorder::Choose_File() {
    Finish_Failed();
    if (Recording()) return;
    const bool ru = Ru();
    File_Dialog_Request r;
    r.save = true;
    r.title = rec_text::File_Title(ru);
    r.initial_dir = session_.Last_Dir();
    r.default_ext = ".bin";
    r.filter = rec_text::File_Filter(ru);
    r.file_name = "*.bin";
    const std::optional<std::string> chosen = prompts_.File_Dialog(r);
    if (!chosen || chosen->empty()) return;
    session_.Set_Last_Dir(fs::path(*chosen).parent_path().string());
    path_ = *chosen;
    shown_ = false;
    Show_Rec_Info();
}

void Recorder::Start() {
    Finish_Failed();
    if (Recording() || !start_ready_) return;
    const bool ru = Ru();
    std::error_code ec;
    if (fs::exists(path_, ec) &&
        prompts_.Message_Box(rec_text::File_Title(ru), path_ + rec_text::Replace_Question(ru), Prompt_Icon::Warning,
                             Prompt_Buttons::Yes_No) != Prompt_Answer::Yes)
        return;
    std::unique_ptr<Rec_File> f = Open(path_, Open_Mode::Create, ec);
    if (!f) {
        prompts_.Message_Box(rec_text::File_Title(ru), path_ + rec_text::Cannot_Open(ru), Prompt_Icon::Error,
                             Prompt_Buttons::Ok);
        return;
    }
    {
        std::lock_guard lock(m_);
        file_ = std::move(f);
        rec_bytes_ = 0;
        fail_.clear();
        state_ = State::Recording;
    }
    Set_Active(true);
    start_ = end_ = Now();
    shown_ = true;
    Show_Rec_Info();
    memo_.push_back(rec_text::Start_Line(ru) + Date_Time_Text(start_));
}

void Recorder::Stop() {
    Finish_Failed();
    if (!Recording()) return;
    const bool ru = Ru();
    if (prompts_.Message_Box(rec_text::Warning_Title(ru), rec_text::Stop_Question(ru), Prompt_Icon::Warning,
                             Prompt_Buttons::Yes_No) != Prompt_Answer::Yes)
        return;
    Finish_Failed();  // a write may have failed while the question was open
    if (!Recording()) return;
    End_Recording(false);
}

bool Recorder::Close_Request() {
    Finish_Failed();
    if (!Recording()) return true;
    const bool ru = Ru();
    if (prompts_.Message_Box(rec_text::Warning_Title(ru), rec_text::Stop_Question(ru), Prompt_Icon::Warning,
                             Prompt_Buttons::Yes_No) != Prompt_Answer::Yes)
        return false;
    Finish_Failed();
    if (Recording()) End_Recording(false);
    return true;
}

void Recorder::Shutdown() {
    Finish_Failed();
    if (Recording()) End_Recording(true);
}

void Recorder::End_Recording(bool ask_nothing) {
    Set_Active(false);
    std::error_code ec;
    {
        std::lock_guard lock(m_);
        if (file_) {
            ec = file_->Flush();
            const std::error_code closed = file_->Close();
            if (!ec) ec = closed;
            file_.reset();
        }
        state_ = State::Idle;
    }
    const bool ru = Ru();
    end_ = Now();
    memo_.push_back(rec_text::Stop_Line(ru) + Date_Time_Text(end_));
    if (ec) memo_.push_back(std::string(rec_text::Flush_Failed(ru)) + " " + Reason_Text(ec, ru));
    Write_Rec_Text(ask_nothing);
    if (ec && !ask_nothing)
        prompts_.Message_Box(rec_text::File_Title(ru),
                             path_ + "\r\n" + rec_text::Flush_Failed(ru) + "\r\n" + Reason_Text(ec, ru),
                             Prompt_Icon::Error, Prompt_Buttons::Ok);
}

void Recorder::Finish_Failed() {
    std::error_code ec;
    {
        std::lock_guard lock(m_);
        if (state_ != State::Failed) return;
        ec = fail_;
        state_ = State::Idle;
    }
    const bool ru = Ru();
    end_ = Now();
    memo_.push_back(rec_text::Stop_Line(ru) + Date_Time_Text(end_));
    memo_.push_back(std::string(rec_text::Write_Failed(ru)) + " " + Reason_Text(ec, ru));
    Write_Rec_Text(false);
    prompts_.Message_Box(rec_text::File_Title(ru),
                         path_ + "\r\n" + rec_text::Write_Failed(ru) + "\r\n" + Reason_Text(ec, ru),
                         Prompt_Icon::Error, Prompt_Buttons::Ok);
}

void Recorder::Write_Rec_Text(bool ask_nothing) {
    const bool ru = Ru();
    const std::string txt = fs::path(path_).replace_extension(".txt").string();
    std::error_code ec;
    // A recording named ".txt" itself: its bytes stay, no description.
    if (txt == path_ || fs::weakly_canonical(txt, ec) == fs::weakly_canonical(path_, ec)) return;
    if (fs::exists(txt, ec)) {
        if (ask_nothing) return;
        if (prompts_.Message_Box(rec_text::Text_Title(ru), txt + rec_text::Replace_Question(ru), Prompt_Icon::Warning,
                                 Prompt_Buttons::Yes_No) != Prompt_Answer::Yes)
            return;
    }
    std::unique_ptr<Rec_File> f = Open(txt, Open_Mode::Create, ec);
    if (!f) {
        if (!ask_nothing)
            prompts_.Message_Box(rec_text::Text_Title(ru), txt + rec_text::Cannot_Open(ru), Prompt_Icon::Error,
                                 Prompt_Buttons::Ok);
        return;
    }
    std::string text = rec_text::Text_File_Line(ru) + fs::path(path_).filename().string() + "\r\n\r\n";
    for (const std::string& line : memo_) text += line + "\r\n";
    text += rec_text::Size(ru) + std::to_string(Rec_Bytes()) + rec_text::Bytes(ru) + "\r\n";
    text += rec_text::Time(ru) + Elapsed_Text(start_, end_) + "\r\n";
    ec = Write_All(*f, text);
    if (!ec) ec = f->Close();
    if (ec && !ask_nothing)
        prompts_.Message_Box(rec_text::Text_Title(ru),
                             txt + "\r\n" + file_text::Cannot_Write(ru) + "\r\n" + Reason_Text(ec, ru),
                             Prompt_Icon::Error, Prompt_Buttons::Ok);
}

void Recorder::Tick() {
    Finish_Failed();
    if (Recording()) end_ = Now();
}

void Recorder::Hand_Over() {
    Acq_State& st = session_.Inst().State;
    std::lock_guard lock(m_);
    size_t n = 0;
    {
        std::lock_guard data(st.Data_Mutex);
        if (state_ == State::Recording && st.Rec_Count > 0) {
            n = static_cast<size_t>(std::min(st.Rec_Count, Rec_Buffer_Size));
            std::memcpy(hand_buf_.data(), st.Rec_Buffer.data(), n);
        }
        st.Rec_Count = 0;
    }
    if (n == 0 || !file_) return;
    std::error_code ec;
    const size_t written = file_->Write(hand_buf_.data(), n, ec);
    rec_bytes_ += written;
    if (!ec && written == n) return;
    // The disk has failed: nothing more goes to the file.
    fail_ = ec ? ec : std::make_error_code(std::errc::io_error);
    file_->Close();
    file_.reset();
    state_ = State::Failed;
    std::lock_guard data(st.Data_Mutex);
    st.Rec_Active.store(false);
    st.Rec_Count = 0;
}

Recorder::View Recorder::Get_View() const {
    const bool ru = Ru();
    View v;
    v.file = path_;
    v.memo = memo_;
    const bool rec = Recording();
    v.file_enabled = v.exit_enabled = !rec;
    v.start_enabled = !rec && start_ready_;
    v.stop_enabled = rec;
    v.size_label = shown_ ? rec_text::Size(ru) + Group_Digits(Rec_Bytes()) + rec_text::Bytes(ru) +
                                rec_text::Label_Time(ru) + Elapsed_Text(start_, end_)
                          : std::string(rec_text::Size_Unknown(ru));
    return v;
}

bool Recorder::Recording() const {
    std::lock_guard lock(m_);
    return state_ == State::Recording;
}

uint64_t Recorder::Rec_Bytes() const {
    std::lock_guard lock(m_);
    return rec_bytes_;
}

}  // namespace tovan
