#pragma once
// "Contents" in the Help menu: the user manual in the interface language,
// handed to the desktop's viewer; when none is found, a message says where
// it was looked for. The lookup is the core's (Find_Manual).
#include <string>

#include "app/manual.h"
#include "common/prompts.h"
#include "gui/features/window_feature.h"
#include "settings/scope_settings.h"

class QAction;

namespace tovan {

class Help_Feature final : public Window_Feature {
public:
    // doc_dir: the installed documentation folder (tests point it elsewhere).
    Help_Feature(Prompts& prompts, const Scope_Settings& settings, std::string doc_dir = Installed_Doc_Dir())
        : prompts_(prompts), settings_(settings), doc_dir_(std::move(doc_dir)) {}
    void Install(Main_Window& window) override;
    void Apply_Language(bool lang_russian) override;
    // Help -> Contents.
    void Open_Manual();

private:
    Prompts& prompts_;
    const Scope_Settings& settings_;
    std::string doc_dir_;
    QAction* action_ = nullptr;
};

}  // namespace tovan
