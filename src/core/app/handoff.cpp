#include "app/handoff.h"

#include "i18n/handoff_texts.h"

namespace tovan {
namespace {

uint32_t Read_U32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (8 * i);
    return v;
}

void Put_U32(std::string& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

bool Is_Settings_File(const std::string& path) {
    static const std::string ext = ".tvs";
    return path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0;
}

Handoff_Action Decide_Handoff(const Handoff_Record& r, bool busy, bool run_state) {
    if (r.arg_count == 0 || r.text.empty()) return Handoff_Action::Bring_To_Front;
    if (busy) return Handoff_Action::Ignore;
    if (Is_Settings_File(r.text)) return Handoff_Action::Ask_Settings;
    return run_state ? Handoff_Action::Refuse_Running : Handoff_Action::Ask_Data;
}

Handoff_Prompt Handoff_Prompt_For(Handoff_Action a, const std::string& path, bool ru) {
    Handoff_Prompt p;
    switch (a) {
    case Handoff_Action::Ask_Settings:
        p.title = Txt_Handoff_Settings_Title(ru);
        p.text = path + Txt_Handoff_Ask_Settings(ru);
        break;
    case Handoff_Action::Ask_Data:
        p.title = Txt_Handoff_Data_Title(ru);
        p.text = path + Txt_Handoff_Ask_Data(ru);
        break;
    case Handoff_Action::Refuse_Running:
        p.title = Txt_Handoff_Data_Title(ru);
        p.text = path + Txt_Handoff_Running(ru);
        p.icon = Prompt_Icon::Error;
        p.buttons = Prompt_Buttons::Ok;
        break;
    default:
        break;
    }
    return p;
}

std::string Encode_Handoff(const Handoff_Record& r) {
    std::string out;
    const size_t n = r.text.size() > Handoff_Max_Text ? Handoff_Max_Text : r.text.size();
    Put_U32(out, r.arg_count);
    Put_U32(out, static_cast<uint32_t>(n));
    out.append(r.text, 0, n);
    return out;
}

Handoff_Decoder::State Handoff_Decoder::Feed(const char* data, size_t size) {
    if (state_ != State::Need_More) return state_;
    buf_.append(data, size);
    if (buf_.size() < 8) return state_;
    const uint32_t len = Read_U32(buf_, 4);
    if (len > Handoff_Max_Text) return state_ = State::Bad;
    if (buf_.size() < 8 + static_cast<size_t>(len)) return state_;
    record_.arg_count = Read_U32(buf_, 0);
    record_.text = buf_.substr(8, len);
    buf_.clear();
    return state_ = State::Done;
}

}  // namespace tovan
