#pragma once
// The main window: display area, "Scope" and "Generator" front panels and
// the menu bar. Every control shows a field of the settings record; a
// handler changes the record, ends in Apply_Settings or Refresh_View and
// then re-reads every control from the record.
#include <QMainWindow>
#include <QImage>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/instrument.h"
#include "app/handoff.h"
#include "common/prompts.h"
#include "gui/features/window_feature.h"

class QAction;
class QActionGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMouseEvent;
class QScrollBar;
class QToolButton;

namespace tovan {

class Trig_Dialog;
class Generator_Dialog;

// The buttons whose press checks (and if need be re-opens) the link.
enum class Link_Button { Run, Single, Gen_On };

// Seams to the parts built elsewhere (device link, display, files). Every
// hook may be left empty; the window then uses the stated default.
struct Main_Window_Hooks {
    // Queue-status check and one re-open; true when the link is usable.
    // Default: true.
    std::function<bool(Link_Button)> link_check;
    // Shows the USB error box after a failed link_check.
    std::function<void(Link_Button)> show_link_error;
    // The latest screen picture; nullptr: the display shows the background colour.
    std::function<const QImage*()> screen_image;
    // The display area got a new size (plot layout, bitmap size).
    std::function<void(QSize)> display_resized;
    // Mouse events on the display area (press, move, release, double-click;
    // a double-click event stands for the second press). Returns true when
    // the double-click toggles the compact view.
    std::function<bool(QMouseEvent*)> display_mouse;
    // Trigger position of the current frame, for the return-to-trigger button.
    std::function<int()> trigger_position;
    // Opens a handed-over file; as_settings for ".tvs" files.
    std::function<void(const std::string&, bool as_settings)> open_file;
    // The File menu opens: the link check whose code the menu's commands read.
    std::function<void()> file_menu_opened;
    std::function<void()> on_first_activation;
    std::function<void()> on_close;  // every way of closing the window
    std::function<void()> on_exit;   // "Exit": before the window closes
};

class Display_Area;

class Main_Window : public QMainWindow {
    Q_OBJECT
public:
    Main_Window(Instrument& inst, Prompts& prompts, Main_Window_Hooks hooks = {}, QWidget* parent = nullptr);
    ~Main_Window() override;

    // Re-reads every control from the settings record.
    void Sync_Controls();
    // Sets every caption of the caption table for the language.
    void Apply_Language(bool lang_russian);
    // A feature adds its own menu items and dialogs; the window keeps it
    // and tells it every change of language.
    void Add_Feature(std::unique_ptr<Window_Feature> feature);

    // Busy rule of the single-instance hand-off: set during every modal
    // command and until the first activation has completed.
    bool Busy() const { return busy_ > 0; }
    // Busy from outside a handler (the once-a-second supervision).
    void Set_Busy(bool busy) { busy ? ++busy_ : --busy_; }
    class Busy_Scope {
    public:
        explicit Busy_Scope(Main_Window& w) : w_(w) { ++w_.busy_; }
        ~Busy_Scope() { --w_.busy_; }
        Busy_Scope(const Busy_Scope&) = delete;
        Busy_Scope& operator=(const Busy_Scope&) = delete;

    private:
        Main_Window& w_;
    };

    // While suspended the window is not kept on top whatever "Always On
    // Top" says (a window of its own is open above it).
    void Suspend_On_Top(bool on) {
        on_top_suspended_ = on;
        Sync_Controls();
    }

    // A file handed over by a second start.
    void Handle_Handoff(const Handoff_Record& r);
    // First activation: runs once, then the window accepts hand-offs.
    void First_Activation();
    // After a redraw: releases SINGLE when the single shot has completed.
    void After_Redraw();
    // Horizontal view range: 0..smpl_count (set by the display with each frame).
    void Set_View_Range(int smpl_count);
    // Read-out panel texts of the generator and their colour.
    void Set_Generator_Labels(const QString& f, const QString& v, const QString& mod, const QString& pulse,
                              const QColor& color, const QColor& panel_color = Qt::black);
    bool Compact() const { return inst_.Settings.Compact; }

    // Handlers (public so that the keyboard, menus and tests share them).
    void Run_Clicked(bool pressed);
    void Single_Clicked(bool pressed);
    void Gen_On_Clicked(bool pressed);
    void Time_Div_Clicked(int index);
    void Volts_Div_Clicked(int index);
    void Open_Trigger_Dialog();
    void Open_Generator_Dialog();
    void Set_Compact(bool on);

    Trig_Dialog* Trigger_Dialog() const { return trig_dialog_; }
    Generator_Dialog* Gen_Mod_Dialog() const { return gen_dialog_; }

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;
    void closeEvent(QCloseEvent* ev) override;
    void showEvent(QShowEvent* ev) override;

private:
    QToolButton* Make_Button(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                             int h, bool checkable);
    void Build_Scope_Panel();
    void Build_Generator_Panel();
    // Places the read-out labels by their texts (no two overlap).
    void Place_Generator_Labels();
    void Build_Menus();
    QAction* Add_Action(QMenu* menu, const char* name, const QString& text, bool checkable,
                        std::function<void()> handler);
    QMenu* Add_Menu(QMenu* parent, const char* name, const QString& text);
    void Layout_Panels();
    void Set_Client_Minimum(QSize size);
    void Center_On_Screen();
    void Link_Button_Clicked(Link_Button which, bool pressed);
    bool Handle_Key(int key, Qt::KeyboardModifiers mods);
    void Apply();
    void Refresh();
    void Set_Language(bool russian);
    void Toggle_View(bool Scope_Settings::*field, bool apply);

    Instrument& inst_;
    Prompts& prompts_;
    Main_Window_Hooks hooks_;
    int busy_ = 1;  // busy until the first activation has completed
    bool first_activation_pending_ = true;
    bool syncing_ = false;
    bool on_top_suspended_ = false;
    bool compact_shown_before_ = false;
    QRect compact_geometry_;  // as compact view was last left
    bool compact_maximized_ = false;
    QRect normal_geometry_;  // as compact view was last entered
    bool normal_maximized_ = false;
    QSize normal_min_size_;

    QWidget* central_ = nullptr;
    QFrame* panel_signal_ = nullptr;
    Display_Area* image_m_ = nullptr;
    QScrollBar* scroll_x_ = nullptr;
    QGroupBox* group_scope_ = nullptr;
    QGroupBox* group_gen_ = nullptr;
    QToolButton* run_ = nullptr;
    QToolButton* sngl_ = nullptr;
    QLabel* time_div_label_ = nullptr;
    std::array<QToolButton*, Time_Step_Count> time_buttons_{};
    QToolButton* volts_div_button_ = nullptr;
    std::array<QToolButton*, Volts_Step_Count> volts_buttons_{};
    QToolButton* acdc_ = nullptr;
    QToolButton* trigger_button_ = nullptr;
    QToolButton* trig_on_ = nullptr;
    QToolButton* trig_edge_ = nullptr;
    QToolButton* ret_trig_ = nullptr;
    QToolButton* trig_ext_ = nullptr;
    QToolButton* auto_ = nullptr;
    int t2_top_ = 343;  // start-up tops for the front-panel spacing
    int tA_top_ = 398;

    QFrame* panel_gen_ = nullptr;
    QLabel* label_f_ = nullptr;
    QLabel* label_v_ = nullptr;
    QLabel* label_mod_ = nullptr;
    QLabel* label_pulse_ = nullptr;
    std::array<QToolButton*, Gen_Range_Count> range_buttons_{};
    std::array<QToolButton*, Gen_Wave_Count> wave_buttons_{};
    QScrollBar* f_fast_ = nullptr;
    QScrollBar* f_slow_ = nullptr;
    QScrollBar* amplitude_ = nullptr;
    QToolButton* gen_on_ = nullptr;
    QToolButton* mod_ = nullptr;
    QToolButton* pulse_ = nullptr;
    QToolButton* sweep_ = nullptr;

    QMenu* menu_file_ = nullptr;
    QMenu* menu_view_ = nullptr;
    std::array<QAction*, 3> probe_items_{};
    std::array<QAction*, 2> smpl_mode_items_{};
    std::array<QAction*, 4> smpl_n_items_{};
    std::array<QAction*, 3> fm_items_{};
    std::array<QAction*, 3> trace_items_{};
    QAction* menu_markers_1_ = nullptr;
    QAction* menu_markers_2_ = nullptr;
    QAction* menu_russian_ = nullptr;
    QAction* menu_english_ = nullptr;
    std::vector<std::pair<QAction*, bool Scope_Settings::*>> view_toggles_;

    Trig_Dialog* trig_dialog_ = nullptr;
    Generator_Dialog* gen_dialog_ = nullptr;
    std::vector<std::unique_ptr<Window_Feature>> features_;
};

}  // namespace tovan
