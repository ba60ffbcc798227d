#pragma once
// The texts Qt draws itself (the buttons of file dialogs, the colour
// picker, message boxes) in the language of the interface: Qt's own
// Russian translation is installed while Russian is chosen, where the
// system has it (Debian: qt6-translations-l10n). Without it they stay
// English.
#include <QTranslator>
#include <memory>

#include "gui/features/window_feature.h"

namespace tovan {

class Qt_Language_Feature final : public Window_Feature {
public:
    ~Qt_Language_Feature() override;
    void Install(Main_Window&) override {}
    void Apply_Language(bool lang_russian) override;
    // True while Qt's Russian texts are in use.
    bool Translated() const { return installed_ != nullptr; }

private:
    std::unique_ptr<QTranslator> installed_;
};

}  // namespace tovan
