#pragma once
// Image_M: the display area of the main window. It shows the latest screen
// picture and hands the mouse on to the display's mouse logic.
#include <QWidget>
#include <functional>

#include "settings/scope_settings.h"

namespace tovan {

struct Main_Window_Hooks;

class Display_Area : public QWidget {
public:
    // toggle_compact: what a double-click above the plot does.
    Display_Area(QWidget* parent, Main_Window_Hooks& hooks, Scope_Settings& s, std::function<void()> toggle_compact);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override { Forward(e); }
    void mouseMoveEvent(QMouseEvent* e) override { Forward(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { Forward(e); }
    // Qt delivers the second press of a double-click as this event alone;
    // the hook treats it as the press it is and says whether the
    // double-click rule toggles the compact view.
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (Forward(e)) toggle_compact_();
    }

private:
    bool Forward(QMouseEvent* e);
    Main_Window_Hooks& hooks_;
    Scope_Settings& s_;
    std::function<void()> toggle_compact_;
};

}  // namespace tovan
