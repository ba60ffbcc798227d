#pragma once
// "Main <-> B.G. Oscillogram" in the View menu (Ctrl+B), offered only
// while no run is in progress; the work is done by BG_Service.
#include "background/bg_service.h"
#include "gui/features/window_feature.h"

class QAction;

namespace tovan {

class BG_Feature final : public Window_Feature {
public:
    explicit BG_Feature(BG_Service& service) : service_(service) {}
    void Install(Main_Window& window) override;
    void Apply_Language(bool lang_russian) override;

private:
    BG_Service& service_;
    QAction* action_ = nullptr;
};

}  // namespace tovan
