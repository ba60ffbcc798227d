#pragma once
// A Prompts implementation for tests: records every message box and
// answers from a script (Yes / Ok when the script has run out).
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/prompts.h"

namespace tovan::test_support {

class Scripted_Prompts : public Prompts {
public:
    struct Shown {
        std::string title;
        std::string text;
        Prompt_Icon icon;
        Prompt_Buttons buttons;
    };

    std::deque<Prompt_Answer> answers;
    std::vector<Shown> shown;
    // The answer of a Yes/No box when the script has run out.
    Prompt_Answer unscripted_answer = Prompt_Answer::Yes;
    // Documents handed to the desktop, and whether the desktop takes them.
    std::vector<std::string> opened;
    bool open_succeeds = true;

    // File dialogs shown, and the queued choices (nullopt: Cancel; the
    // dialog cancels when the queue has run out).
    std::vector<File_Dialog_Request> file_dialogs;
    std::deque<std::optional<std::string>> file_choices;
    void Choose_File(std::optional<std::string> path) { file_choices.push_back(std::move(path)); }

    // Colour pickers shown, and the queued picks (nullopt: Cancel; the
    // picker cancels when the queue has run out).
    int color_pickers = 0;
    std::deque<std::optional<uint32_t>> color_picks;

    // Queues the answer of the next Yes/No box.
    void Answer(Prompt_Answer a) { answers.push_back(a); }

    Prompt_Answer Message_Box(const std::string& title, const std::string& text, Prompt_Icon icon,
                              Prompt_Buttons buttons) override {
        shown.push_back(Shown{title, text, icon, buttons});
        if (buttons == Prompt_Buttons::Yes_No && !answers.empty()) {
            const Prompt_Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Prompt_Buttons::Yes_No ? unscripted_answer : Prompt_Answer::Ok;
    }

    std::optional<std::string> File_Dialog(const File_Dialog_Request& request) override {
        file_dialogs.push_back(request);
        if (file_choices.empty()) return std::nullopt;
        std::optional<std::string> c = std::move(file_choices.front());
        file_choices.pop_front();
        return c;
    }

    std::optional<uint32_t> Pick_Color() override {
        ++color_pickers;
        if (color_picks.empty()) return std::nullopt;
        const std::optional<uint32_t> c = color_picks.front();
        color_picks.pop_front();
        return c;
    }

    bool Open_Document(const std::string& path) override {
        opened.push_back(path);
        return open_succeeds;
    }
};

}  // namespace tovan::test_support
