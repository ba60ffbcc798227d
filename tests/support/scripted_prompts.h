#pragma once
// Prompts for tests: answers come from a queue, every box is recorded.
#include <deque>
#include <string>
#include <vector>

#include "common/prompts.h"

namespace tovan::test {

class Scripted_Prompts : public Prompts {
public:
    struct Shown {
        std::string title;
        std::string text;
        Prompt_Icon icon;
        Prompt_Buttons buttons;
    };

    // Queues the answer of the next Yes/No box (OK boxes always answer Ok).
    void Answer(Prompt_Answer a) { answers_.push_back(a); }

    Prompt_Answer Message_Box(const std::string& title, const std::string& text, Prompt_Icon icon,
                              Prompt_Buttons buttons) override {
        shown.push_back({title, text, icon, buttons});
        if (buttons == Prompt_Buttons::Ok) return Prompt_Answer::Ok;
        if (answers_.empty()) return Prompt_Answer::No;  // unscripted question: the safe answer
        const Prompt_Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }

    std::vector<Shown> shown;

private:
    std::deque<Prompt_Answer> answers_;
};

}  // namespace tovan::test
