#pragma once
// Message boxes for the core's prompts.
#include <QPointer>
#include <QWidget>

#include "common/prompts.h"

namespace tovan {

class Qt_Prompts : public Prompts {
public:
    explicit Qt_Prompts(QWidget* parent = nullptr) : parent_(parent) {}
    void Set_Parent(QWidget* parent) { parent_ = parent; }
    Prompt_Answer Message_Box(const std::string& title, const std::string& text, Prompt_Icon icon,
                              Prompt_Buttons buttons) override;
    bool Open_Document(const std::string& path) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace tovan
