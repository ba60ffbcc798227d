#pragma once
// Message boxes for the core's prompts.
#include <QColor>
#include <QPointer>
#include <functional>
#include <QWidget>

#include "common/prompts.h"

namespace tovan {

class Qt_Prompts : public Prompts {
public:
    explicit Qt_Prompts(QWidget* parent = nullptr) : parent_(parent) {}
    void Set_Parent(QWidget* parent) { parent_ = parent; }
    // The language of the buttons, asked at each message (default English).
    void Set_Language(std::function<bool()> lang_russian) { lang_russian_ = std::move(lang_russian); }
    Prompt_Answer Message_Box(const std::string& title, const std::string& text, Prompt_Icon icon,
                              Prompt_Buttons buttons) override;
    bool Open_Document(const std::string& path) override;
    std::optional<std::string> File_Dialog(const File_Dialog_Request& request) override;
    std::optional<uint32_t> Pick_Color() override;

private:
    QPointer<QWidget> parent_;
    std::function<bool()> lang_russian_;
    QColor last_picked_;  // the picker opens with the colour last chosen in it
};

}  // namespace tovan
