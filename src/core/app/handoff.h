#pragma once
// What the running instance does with a file handed over by a second
// start, and the texts it asks with.
#include <cstdint>
#include <string>

#include "common/prompts.h"

namespace tovan {

// The hand-off record: the second start's argument count and its last
// argument (its program path when it has no arguments).
struct Handoff_Record {
    uint32_t arg_count = 0;
    std::string text;
};

enum class Handoff_Action {
    Bring_To_Front,  // nothing to open: restore and raise the window
    Ignore,          // busy: dropped without a message
    Ask_Settings,    // ".tvs": ask, then open as a settings file
    Ask_Data,        // any other extension: ask, then open as a data file
    Refuse_Running   // data file while RUN or SINGLE is pressed
};

Handoff_Action Decide_Handoff(const Handoff_Record& r, bool busy, bool run_state);

// True when the path ends in ".tvs" exactly (the comparison is
// case-sensitive: ".TVS" is a data file).
bool Is_Settings_File(const std::string& path);

// The message box for an action that asks or refuses; empty title for
// the others.
struct Handoff_Prompt {
    std::string title;
    std::string text;
    Prompt_Icon icon = Prompt_Icon::Warning;
    Prompt_Buttons buttons = Prompt_Buttons::Yes_No;
};
Handoff_Prompt Handoff_Prompt_For(Handoff_Action a, const std::string& path, bool lang_russian);

// Wire format of the record on the local socket: argument count (uint32,
// little-endian), text length in bytes (uint32, little-endian), UTF-8 text.
inline constexpr uint32_t Handoff_Max_Text = 32768;
std::string Encode_Handoff(const Handoff_Record& r);

// Incremental decoder: feed bytes as they arrive. A length above
// Handoff_Max_Text marks the stream as bad and the rest is ignored.
class Handoff_Decoder {
public:
    enum class State { Need_More, Done, Bad };
    State Feed(const char* data, size_t size);
    const Handoff_Record& Record() const { return record_; }

private:
    std::string buf_;
    Handoff_Record record_;
    State state_ = State::Need_More;
};

}  // namespace tovan
