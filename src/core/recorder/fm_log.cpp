#include "recorder/fm_log.h"

#include <filesystem>

#include "display/format_value.h"
#include "i18n/file_texts.h"
#include "i18n/recorder_texts.h"
#include "measure/measurements.h"

namespace tovan {

std::string FM_Log_Line(const std::string& date_time, const Frame_Info& f) {
    const Measurements m = Measure_Frame(f);
    return date_time + fm_log_text::Fin(false) + (m.Fin_Valid ? Format_Value(m.Fin_Hz, Kind_Frequency, -7) : "...");
}

FM_Log::FM_Log(Session& session, Prompts& prompts, FM_Log_Env env)
    : session_(session), prompts_(prompts), env_(std::move(env)) {}

FM_Log::~FM_Log() {
    if (file_) file_->Close();
}

std::string FM_Log::Path() const {
    std::error_code ec;
    const std::filesystem::path dir = env_.folder ? std::filesystem::path(env_.folder())
                                                  : std::filesystem::current_path(ec);
    return (dir / FM_Log_File_Name).string();
}

void FM_Log::Toggle() {
    if (file_) {
        file_->Close();
        file_.reset();
        if (on_change_) on_change_(false);
        return;
    }
    const bool ru = session_.Inst().Settings.Russian;
    std::error_code ec;
    const std::string path = Path();
    std::unique_ptr<Rec_File> f =
        env_.open_file ? env_.open_file(path, Open_Mode::Append, ec) : Open_Disk_File(path, Open_Mode::Append, ec);
    if (!f) {
        prompts_.Message_Box(fm_log_text::Title(ru), std::string(FM_Log_File_Name) + rec_text::Cannot_Open(ru),
                             Prompt_Icon::Error, Prompt_Buttons::Ok);
        return;
    }
    file_ = std::move(f);
    if (const std::error_code w = Write_All(*file_, FM_Log_Separator)) {
        Fail(w);
        return;
    }
    if (on_change_) on_change_(true);
}

void FM_Log::Tick() {
    const Frame_Info f = session_.With_Frame([](const Frame_Data& d, const Status_Values&) { return d.Info; });
    const Local_Ms now = env_.now ? env_.now() : Local_Now();
    const std::string line = FM_Log_Line(Date_Time_Text(now), f);
    if (!file_) return;
    if (const std::error_code ec = Write_All(*file_, line + "\r\n")) Fail(ec);
}

void FM_Log::Fail(const std::error_code& ec) {
    file_->Close();
    file_.reset();
    if (on_change_) on_change_(false);
    const bool ru = session_.Inst().Settings.Russian;
    prompts_.Message_Box(fm_log_text::Title(ru),
                         std::string(FM_Log_File_Name) + fm_log_text::Write_Failed(ru) + "\r\n" + Reason_Text(ec, ru),
                         Prompt_Icon::Error, Prompt_Buttons::Ok);
}

}  // namespace tovan
