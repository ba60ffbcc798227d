#pragma once
// The File menu's file commands: "Open...", "Open Settings...", "Save...",
// "Save Settings..." and "Export" (image, text, raw binary, CSV), each
// marking the window busy while it runs; and a ".tvd" or ".tvs" file
// dropped on the window, opened as one named on the command line. The
// work is done by Files_Service.
#include <QObject>
#include <functional>
#include <vector>

#include "files/files_service.h"
#include "gui/features/window_feature.h"

class QAction;
class QMenu;

namespace tovan {

class Files_Feature final : public QObject, public Window_Feature {
public:
    explicit Files_Feature(Files_Service& service) : service_(service) {}
    void Install(Main_Window& window) override;
    void Apply_Language(bool lang_russian) override;

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;

private:
    QAction* Add(QMenu* menu, QAction* before, const char* name, std::function<void(Files_Service&)> command);

    Files_Service& service_;
    Main_Window* window_ = nullptr;
    std::vector<QAction*> actions_;
    QMenu* export_ = nullptr;
    QAction* csv_ = nullptr;
};

}  // namespace tovan
