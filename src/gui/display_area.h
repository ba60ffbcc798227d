#pragma once
// Image_M: the display area of the main window. It shows the latest screen
// picture and hands the mouse on to the display's mouse logic.
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>

#include "settings/scope_settings.h"

namespace tovan {

struct Main_Window_Hooks;

// When the next picture may go to the screen: at most once per refresh
// period. Times in nanoseconds of any steady clock.
class Present_Pacer {
public:
    // How long to wait from `now` before presenting (0: at once).
    int64_t Wait_ns(int64_t now, int64_t period) const {
        if (!presented_ || period <= 0) return 0;
        const int64_t since = now - last_;
        return since >= period || since < 0 ? 0 : period - since;
    }
    void Presented(int64_t now) {
        last_ = now;
        presented_ = true;
    }

private:
    int64_t last_ = 0;
    bool presented_ = false;
};

class Display_Area : public QWidget {
public:
    // toggle_compact: what a double-click above the plot does.
    Display_Area(QWidget* parent, Main_Window_Hooks& hooks, Scope_Settings& s, std::function<void()> toggle_compact);

    // A new picture is ready: shown at once, or at the next refresh of the
    // screen when one was shown less than a refresh period ago, so that
    // pictures faster than the screen refreshes are drawn but not shown.
    void Present();
    // Pictures put on the screen so far (paint events).
    uint64_t Presented() const { return presented_; }
    // Refresh period to keep to; zero (the default): the period of the
    // screen the window is on.
    void Set_Present_Period(std::chrono::nanoseconds period);

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
    int64_t Present_Period_ns() const;

    Main_Window_Hooks& hooks_;
    Scope_Settings& s_;
    std::function<void()> toggle_compact_;
    QElapsedTimer clock_;
    QTimer present_timer_;
    Present_Pacer pacer_;
    std::chrono::nanoseconds period_override_{0};
    uint64_t presented_ = 0;
};

}  // namespace tovan
