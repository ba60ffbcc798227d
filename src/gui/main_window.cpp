#include "gui/main_window.h"

#include "display/gen_readouts.h"
#include "display/geometry.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <tuple>

#include "gui/display_area.h"
#include "gui/generator_dialog.h"
#include "gui/glyphs.h"
#include "gui/trig_dialog.h"
#include "i18n/captions.h"
#include "i18n/window_texts.h"
#include "settings/gen_mod_fields.h"
#include "settings/generator_controls.h"
#include "settings/keyboard.h"

namespace tovan {

namespace {

constexpr int Client_W = 735;  // design client area
constexpr int Client_H = 503;
constexpr int Scope_W = 170;  // fixed width of the "Scope" group
constexpr int Gen_H = 135;    // fixed height of the "Generator" group
constexpr int Compact_Min_W = 430;
constexpr int Compact_Min_H = 250;

QFont Pixel_Font(int px, bool bold) {
    QFont f = QApplication::font();
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

}  // namespace

Main_Window::Main_Window(Instrument& inst, Prompts& prompts, Main_Window_Hooks hooks, QWidget* parent)
    : QMainWindow(parent), inst_(inst), prompts_(prompts), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("Tovan_MForm"));
    setWindowTitle(QFileInfo(QApplication::applicationFilePath()).completeBaseName());
    setFont(Pixel_Font(13, false));

    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("Client"));
    central_->setMinimumSize(Client_W, Client_H);
    setCentralWidget(central_);
    central_->installEventFilter(this);

    panel_signal_ = new QFrame(central_);
    panel_signal_->setObjectName(QStringLiteral("Panel_Signal"));
    panel_signal_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_signal_->setLineWidth(2);
    image_m_ = new Display_Area(panel_signal_, hooks_, inst_.Settings, [this] { Set_Compact(!inst_.Settings.Compact); });
    scroll_x_ = new QScrollBar(Qt::Horizontal, panel_signal_);
    scroll_x_->setObjectName(QStringLiteral("ScrollBar_X_POS"));
    scroll_x_->setRange(0, 3000);
    scroll_x_->setPageStep(50);
    scroll_x_->setFocusPolicy(Qt::NoFocus);
    connect(scroll_x_, &QScrollBar::valueChanged, this, [this](int v) {
        if (syncing_) return;
        inst_.Settings.X_Pos = v;
        Refresh();
    });

    Build_Scope_Panel();
    Build_Generator_Panel();
    Build_Menus();

    trig_dialog_ = new Trig_Dialog(inst_.Settings, [this] { Apply(); }, this);
    gen_dialog_ = new Generator_Dialog(inst_.Settings, [this] { Apply(); }, this);

    resize(Client_W, Client_H + menuBar()->sizeHint().height());
    normal_min_size_ = central_->minimumSize();
    Center_On_Screen();
    Layout_Panels();

    // Keys reach the window's handler whatever control has the focus.
    qApp->installEventFilter(this);

    Apply_Language(inst_.Settings.Russian);
    Sync_Controls();
}

Main_Window::~Main_Window() { qApp->removeEventFilter(this); }

QToolButton* Main_Window::Make_Button(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                                      int h, bool checkable) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setCheckable(checkable);
    b->setGeometry(x, y, w, h);
    b->setFont(Pixel_Font(11, false));
    b->setIconSize(QSize(w - 12, h - 8));
    return b;
}

void Main_Window::Build_Scope_Panel() {
    group_scope_ = new QGroupBox(central_);
    group_scope_->setObjectName(QStringLiteral("GroupBox1"));
    group_scope_->setFont(Pixel_Font(13, true));

    run_ = Make_Button(group_scope_, "SpeedButton_Run", QString(), 8, 22, 64, 28, true);
    sngl_ = Make_Button(group_scope_, "SpeedButton_Sngl", QString(), 98, 22, 64, 28, true);
    run_->setFont(Pixel_Font(13, true));
    sngl_->setFont(Pixel_Font(13, true));
    connect(run_, &QToolButton::clicked, this, [this](bool on) { Run_Clicked(on); });
    connect(sngl_, &QToolButton::clicked, this, [this](bool on) { Single_Clicked(on); });

    time_div_label_ = new QLabel(group_scope_);
    time_div_label_->setObjectName(QStringLiteral("StaticText_TimeDiv"));
    time_div_label_->setAlignment(Qt::AlignCenter);
    time_div_label_->setGeometry(8, 64, 154, 20);
    time_div_label_->setFont(Pixel_Font(13, true));

    for (int i = 0; i < Time_Step_Count; ++i) {
        const auto& t = Time_Steps[static_cast<size_t>(i)];
        auto* b = Make_Button(group_scope_, t.button, QString::fromUtf8(t.caption), 8 + 52 * (i % 3), 88 + 24 * (i / 3),
                              50, 22, true);
        connect(b, &QToolButton::clicked, this, [this, i] { Time_Div_Clicked(i); });
        time_buttons_[static_cast<size_t>(i)] = b;
    }

    volts_div_button_ = Make_Button(group_scope_, "SpeedButton_VoltsDiv", QString(), 8, 319, 154, 20, false);
    volts_div_button_->setAutoRaise(true);
    connect(volts_div_button_, &QToolButton::clicked, this, [this] {
        Cycle_Probe(inst_.Settings);
        Apply();
    });
    for (int i = 0; i < Volts_Step_Count; ++i) {
        const auto& v = Volts_Steps[static_cast<size_t>(i)];
        auto* b = Make_Button(group_scope_, v.button, QString::fromUtf8(v.caption[0]), 8 + 52 * (i % 3),
                              343 + 24 * (i / 3), 50, 22, true);
        connect(b, &QToolButton::clicked, this, [this, i] { Volts_Div_Clicked(i); });
        volts_buttons_[static_cast<size_t>(i)] = b;
    }

    acdc_ = Make_Button(group_scope_, "SpeedButton_ACDC", QString(), 112, 398, 50, 22, true);
    acdc_->setIcon(Make_Glyph(Glyph::Coupling));
    trigger_button_ = Make_Button(group_scope_, "SpeedButton_Trigger", QString(), 8, 424, 154, 20, false);
    trigger_button_->setAutoRaise(true);
    trig_on_ = Make_Button(group_scope_, "SpeedButton_TrigOn", QString(), 8, 448, 50, 22, true);
    trig_edge_ = Make_Button(group_scope_, "SpeedButton_TrigEdge", QString(), 60, 448, 50, 22, true);
    trig_edge_->setIcon(Make_Glyph(Glyph::Edge));
    ret_trig_ = Make_Button(group_scope_, "SpeedButton_ret_trig", QString(), 112, 448, 50, 22, false);
    ret_trig_->setIcon(Make_Glyph(Glyph::Ret_Trig));
    trig_ext_ = Make_Button(group_scope_, "SpeedButton_TrigExt", QString(), 8, 472, 50, 22, true);
    auto_ = Make_Button(group_scope_, "SpeedButton_Auto", QString(), 60, 472, 50, 22, true);

    auto toggle = [this](QToolButton* b, bool Scope_Settings::*field) {
        connect(b, &QToolButton::clicked, this, [this, field](bool on) {
            inst_.Settings.*field = on;
            Apply();
        });
    };
    toggle(acdc_, &Scope_Settings::ACDC);
    toggle(trig_on_, &Scope_Settings::Trig_On);
    toggle(trig_edge_, &Scope_Settings::Trig_Edge);
    toggle(trig_ext_, &Scope_Settings::Trig_Ext);
    toggle(auto_, &Scope_Settings::Auto);
    connect(trigger_button_, &QToolButton::clicked, this, [this] { Open_Trigger_Dialog(); });
    connect(ret_trig_, &QToolButton::clicked, this, [this] {
        const int pos = hooks_.trigger_position ? hooks_.trigger_position() : 0;
        inst_.Settings.X_Pos = std::clamp(pos, scroll_x_->minimum(), scroll_x_->maximum());
        Refresh();
    });
}

void Main_Window::Build_Generator_Panel() {
    group_gen_ = new QGroupBox(central_);
    group_gen_->setObjectName(QStringLiteral("GroupBox2"));
    group_gen_->setFont(Pixel_Font(13, true));

    panel_gen_ = new QFrame(group_gen_);
    panel_gen_->setObjectName(QStringLiteral("Panel_Gen"));
    panel_gen_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_gen_->setAutoFillBackground(true);
    QPalette pal = panel_gen_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::green);
    panel_gen_->setPalette(pal);
    auto label = [this](const char* name, int x, int y, int px, bool bold) {
        auto* l = new QLabel(panel_gen_);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(Pixel_Font(px, bold));
        l->move(x, y);
        return l;
    };
    label_f_ = label("Label_F", 8, 6, 19, false);
    label_v_ = label("Label_V", 364, 6, 19, false);
    label_mod_ = label("Label_Mod", 136, 12, 13, true);
    label_pulse_ = label("Label_Pulse", 180, 12, 13, true);

    static constexpr const char* Range_Names[Gen_Range_Count] = {
        "SpeedButton_10K_1S", "SpeedButton_100K_100mS", "SpeedButton_1M_10mS",
        "SpeedButton_10M_1mS", "SpeedButton_50M_100uS", "SpeedButton__10uS_Noise"};
    for (int i = 0; i < Gen_Range_Count; ++i) {
        auto* b = Make_Button(group_gen_, Range_Names[i], QString(), 6 + 40 * i, 60, 38, 22, true);
        connect(b, &QToolButton::clicked, this, [this, i] {
            inst_.Settings.Gen_Range = i;
            Apply();
        });
        range_buttons_[static_cast<size_t>(i)] = b;
    }
    static constexpr const char* Wave_Names[Gen_Wave_Count] = {"SpeedButton_Sin", "SpeedButton_Rect",
                                                               "SpeedButton_Trian", "SpeedButton_Up_Trian",
                                                               "SpeedButton_Dn_Trian"};
    static constexpr Glyph Wave_Glyphs[Gen_Wave_Count] = {Glyph::Wave_Sin, Glyph::Wave_Rect, Glyph::Wave_Trian,
                                                          Glyph::Wave_Up_Trian, Glyph::Wave_Dn_Trian};
    for (int i = 0; i < Gen_Wave_Count; ++i) {
        auto* b = Make_Button(group_gen_, Wave_Names[i], QString(), 256 + 40 * i, 60, 38, 22, true);
        b->setIcon(Make_Glyph(Wave_Glyphs[i]));
        connect(b, &QToolButton::clicked, this, [this, i] {
            inst_.Settings.Gen_Wave = i;
            Apply();
        });
        wave_buttons_[static_cast<size_t>(i)] = b;
    }
    auto bar = [this](const char* name, Qt::Orientation o, int lo, int hi) {
        auto* sb = new QScrollBar(o, group_gen_);
        sb->setObjectName(QString::fromLatin1(name));
        sb->setRange(lo, hi);
        sb->setPageStep(10);
        return sb;
    };
    f_fast_ = bar("ScrollBar_F_fast", Qt::Horizontal, 0, 1000);
    f_slow_ = bar("ScrollBar_F_slow", Qt::Horizontal, 0, 1000);
    amplitude_ = bar("ScrollBar_Amplitude", Qt::Vertical, 0, 511);
    connect(f_fast_, &QScrollBar::valueChanged, this, [this](int v) {
        if (syncing_) return;
        Gen_F_Fast_Changed(inst_.Settings, v);
        Apply();
    });
    connect(f_slow_, &QScrollBar::valueChanged, this, [this](int v) {
        if (syncing_) return;
        Gen_F_Slow_Changed(inst_.Settings, v);
        Apply();
    });
    connect(amplitude_, &QScrollBar::valueChanged, this, [this](int v) {
        if (syncing_) return;
        inst_.Settings.Ampl = v;
        Apply();
    });

    gen_on_ = Make_Button(group_gen_, "SpeedButton_GenOn", QString(), 492, 19, 64, 28, true);
    gen_on_->setFont(Pixel_Font(13, true));
    connect(gen_on_, &QToolButton::clicked, this, [this](bool on) { Gen_On_Clicked(on); });
    mod_ = Make_Button(group_gen_, "SpeedButton_Mod", QString(), 492, 56, 64, 22, true);
    pulse_ = Make_Button(group_gen_, "SpeedButton_Pulse", QString(), 492, 80, 64, 22, true);
    sweep_ = Make_Button(group_gen_, "SpeedButton_Sweep", QString(), 492, 104, 64, 22, true);
    auto mode = [this](QToolButton* b, Gen_Mode_Sel m) {
        connect(b, &QToolButton::clicked, this, [this, m] {
            Gen_Mode_Clicked(inst_.Settings, m);
            Apply();
        });
    };
    mode(mod_, Gen_Mode_Sel::Mod);
    mode(pulse_, Gen_Mode_Sel::Pulse);
    mode(sweep_, Gen_Mode_Sel::Sweep);
}

QMenu* Main_Window::Add_Menu(QMenu* parent, const char* name, const QString& text) {
    QMenu* m = parent ? parent->addMenu(text) : menuBar()->addMenu(text);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

QAction* Main_Window::Add_Action(QMenu* menu, const char* name, const QString& text, bool checkable,
                                 std::function<void()> handler) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(checkable);
    connect(a, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    return a;
}

void Main_Window::Build_Menus() {
    Scope_Settings& s = inst_.Settings;
    // File: "Exit"; the features put their commands above it.
    menu_file_ = Add_Menu(nullptr, "Menu_File", QString());
    Add_Action(menu_file_, "Menu_Exit", QString(), false, [this] {
        if (hooks_.on_exit) hooks_.on_exit();
        close();
    });
    connect(menu_file_, &QMenu::aboutToShow, this, [this] {
        if (hooks_.file_menu_opened) hooks_.file_menu_opened();
        const bool stopped = !inst_.State.Run_State.load();
        for (const char* name : {"Menu_Save_As", "Menu_Open", "Menu_Export"})
            if (auto* m = findChild<QMenu*>(QString::fromLatin1(name))) m->menuAction()->setEnabled(stopped);
            else if (auto* a = findChild<QAction*>(QString::fromLatin1(name))) a->setEnabled(stopped);
    });

    // Options.
    QMenu* options = Add_Menu(nullptr, "Menu_Options", QString());
    QAction* trig = Add_Action(options, "Menu_Trigger", QString(), false,
                               [this] { Open_Trigger_Dialog(); });
    trig->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    Add_Action(options, "Menu_GeneratorSet", QString(), false,
               [this] { Open_Generator_Dialog(); });
    options->addSeparator();
    QMenu* sampling = Add_Menu(options, "Menu_Sampling", QString());
    auto* g_mode = new QActionGroup(this);
    smpl_mode_items_[0] = Add_Action(sampling, "Menu_SmplNormal", QString(), true, [this, &s] {
        s.Smpl_PeakDet = false;
        Apply();
    });
    smpl_mode_items_[1] = Add_Action(sampling, "Menu_SmplPeakDet", QString(), true, [this, &s] {
        s.Smpl_PeakDet = true;
        Apply();
    });
    for (auto* a : smpl_mode_items_) g_mode->addAction(a);
    sampling->addSeparator();
    auto* g_n = new QActionGroup(this);
    static constexpr const char* Smpl_Names[4] = {"Menu_Smpl_1000", "Menu_Smpl_2500", "Menu_Smpl_5000",
                                                  "Menu_Smpl_8000"};
    for (int i = 0; i < 4; ++i) {
        smpl_n_items_[static_cast<size_t>(i)] =
            Add_Action(sampling, Smpl_Names[i], QString::number(Record_Lengths[static_cast<size_t>(i)]), true,
                       [this, &s, i] {
                           s.Smpl_N = i;
                           Apply();
                       });
        g_n->addAction(smpl_n_items_[static_cast<size_t>(i)]);
    }
    QMenu* probe = Add_Menu(options, "Menu_Probe", QString());
    auto* g_probe = new QActionGroup(this);
    static constexpr const char* Probe_Names[3] = {"Menu_x1", "Menu_x10", "Menu_x100"};
    for (int i = 0; i < 3; ++i) {
        probe_items_[static_cast<size_t>(i)] =
            Add_Action(probe, Probe_Names[i], QString(), true, [this, &s, i] {
                Select_Probe(s, i);
                Apply();
            });
        g_probe->addAction(probe_items_[static_cast<size_t>(i)]);
    }
    QMenu* fm = Add_Menu(options, "Menu_Freqmeter", QString());
    auto* g_fm = new QActionGroup(this);
    static constexpr const char* FM_Names[3] = {"Menu_FM_1input", "Menu_FM_2input", "Menu_FM_2inputHF"};
    for (int i = 0; i < 3; ++i) {
        fm_items_[static_cast<size_t>(i)] = Add_Action(fm, FM_Names[i], QString(), true, [this, &s, i] {
            s.FM_Input = i;
            Apply();
        });
        g_fm->addAction(fm_items_[static_cast<size_t>(i)]);
    }

    // View.
    menu_view_ = Add_Menu(nullptr, "Menu_View", QString());
    menu_markers_1_ = Add_Action(menu_view_, "Menu_Markers_1", QString(), true, [this, &s] {
        s.Markers_1 = !s.Markers_1;
        if (s.Markers_1) s.Markers_2 = false;
        Refresh();
    });
    menu_markers_2_ = Add_Action(menu_view_, "Menu_Markers_2", QString(), true, [this, &s] {
        s.Markers_2 = !s.Markers_2;
        if (s.Markers_2) s.Markers_1 = false;
        Refresh();
    });
    menu_view_->addSeparator();
    auto view_toggle = [this](const char* name, bool Scope_Settings::*field, bool apply, const char* key) {
        QAction* a = Add_Action(menu_view_, name, QString(), true, [this, field, apply] { Toggle_View(field, apply); });
        if (key) a->setShortcut(QKeySequence(QString::fromLatin1(key)));
        view_toggles_.emplace_back(a, field);
        return a;
    };
    view_toggle("Menu_Measure", &Scope_Settings::Measure, false, "Ctrl+M");
    view_toggle("Menu_ExtTrig", &Scope_Settings::ExtTrig, true, nullptr);
    view_toggle("Menu_Grid", &Scope_Settings::Grid, false, "Ctrl+G");
    view_toggle("Menu_TrigPosL", &Scope_Settings::TrigPosL, false, nullptr);
    view_toggle("Menu_Smpl_Info", &Scope_Settings::Smpl_Info, false, nullptr);
    view_toggle("Menu_BG_View", &Scope_Settings::BG_View, false, nullptr);
    menu_view_->addSeparator();
    auto* g_trace = new QActionGroup(this);
    static constexpr const char* Trace_Names[3] = {"Menu_Dots", "Menu_Vectors", "Menu_Sinxx"};
    for (int i = 0; i < 3; ++i) {
        trace_items_[static_cast<size_t>(i)] = Add_Action(menu_view_, Trace_Names[i], QString(), true, [this, &s, i] {
            s.Trace_Mode = i;
            Refresh();
        });
        g_trace->addAction(trace_items_[static_cast<size_t>(i)]);
    }
    menu_view_->addSeparator();
    view_toggle("Menu_FFT", &Scope_Settings::FFT_View, false, "Ctrl+F");
    menu_view_->addSeparator();
    view_toggle("Menu_Lenta", &Scope_Settings::Lenta, true, nullptr);
    menu_view_->addSeparator();
    view_toggle("Menu_On_Top", &Scope_Settings::On_Top, false, nullptr);
    QMenu* lang = Add_Menu(menu_view_, "Menu_Language", QString());
    auto* g_lang = new QActionGroup(this);
    menu_russian_ = Add_Action(lang, "Menu_Russian", QString(), true, [this] { Set_Language(true); });
    menu_english_ = Add_Action(lang, "Menu_English", QString(), true, [this] { Set_Language(false); });
    g_lang->addAction(menu_russian_);
    g_lang->addAction(menu_english_);
    QAction* compact = Add_Action(menu_view_, "Menu_Compact", QString(), true, [this] { Set_Compact(!inst_.Settings.Compact); });
    compact->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    view_toggles_.emplace_back(compact, &Scope_Settings::Compact);

    // Help: its items come with their features.
    Add_Menu(nullptr, "Menu_Help", QString());
}

void Main_Window::Toggle_View(bool Scope_Settings::*field, bool apply) {
    inst_.Settings.*field = !(inst_.Settings.*field);
    apply ? Apply() : Refresh();
}

void Main_Window::Apply() {
    inst_.Apply_Settings();
    Sync_Controls();
}

void Main_Window::Refresh() {
    inst_.Refresh_View();
    Sync_Controls();
}

void Main_Window::Set_Language(bool russian) {
    inst_.Settings.Russian = russian;
    Apply_Language(russian);
    Refresh();
}

void Main_Window::Apply_Language(bool ru) {
    for (const Control_Caption& c : Main_Window_Captions()) {
        const QString name = QString::fromLatin1(c.control);
        const QString text = QString::fromUtf8(c.text(ru));
        if (auto* m = findChild<QMenu*>(name)) {
            m->setTitle(text);
        } else if (auto* a = findChild<QAction*>(name)) {
            a->setText(text);
        } else if (auto* b = findChild<QAbstractButton*>(name)) {
            b->setText(text);
        } else if (auto* g = findChild<QGroupBox*>(name)) {
            g->setTitle(text);
        } else if (auto* l = findChild<QLabel*>(name)) {
            l->setText(text);
        }
    }
    volts_div_button_->setText(QString::fromStdString(Volts_Div_Button_Caption(inst_.Settings.Probe, ru)));
    if (gen_dialog_) gen_dialog_->Set_Language(ru);
    for (const auto& f : features_) f->Apply_Language(ru);
}

void Main_Window::Add_Feature(std::unique_ptr<Window_Feature> feature) {
    feature->Install(*this);
    feature->Apply_Language(inst_.Settings.Russian);
    features_.push_back(std::move(feature));
}

void Main_Window::Sync_Controls() {
    const Scope_Settings& s = inst_.Settings;
    syncing_ = true;
    run_->setChecked(s.Run);
    sngl_->setChecked(s.Sngl);
    for (int i = 0; i < Time_Step_Count; ++i) time_buttons_[static_cast<size_t>(i)]->setChecked(i == s.Time_Div);
    for (int i = 0; i < Volts_Step_Count; ++i) {
        auto* b = volts_buttons_[static_cast<size_t>(i)];
        b->setChecked(i == s.Volts_Div);
        b->setText(QString::fromUtf8(s.Volts_Captions[static_cast<size_t>(i)]));
    }
    volts_div_button_->setText(QString::fromStdString(Volts_Div_Button_Caption(s.Probe, s.Russian)));
    acdc_->setChecked(s.ACDC);
    trig_on_->setChecked(s.Trig_On);
    trig_edge_->setChecked(s.Trig_Edge);
    trig_ext_->setChecked(s.Trig_Ext);
    auto_->setChecked(s.Auto);
    scroll_x_->setValue(s.X_Pos);

    for (int i = 0; i < 3; ++i) probe_items_[static_cast<size_t>(i)]->setChecked(i == s.Probe);
    smpl_mode_items_[0]->setChecked(!s.Smpl_PeakDet);
    smpl_mode_items_[1]->setChecked(s.Smpl_PeakDet);
    for (int i = 0; i < 4; ++i) smpl_n_items_[static_cast<size_t>(i)]->setChecked(i == s.Smpl_N);
    for (int i = 0; i < 3; ++i) fm_items_[static_cast<size_t>(i)]->setChecked(i == s.FM_Input);
    for (int i = 0; i < 3; ++i) trace_items_[static_cast<size_t>(i)]->setChecked(i == s.Trace_Mode);
    menu_markers_1_->setChecked(s.Markers_1);
    menu_markers_2_->setChecked(s.Markers_2);
    for (auto& [a, field] : view_toggles_) a->setChecked(s.*field);
    menu_russian_->setChecked(s.Russian);
    menu_english_->setChecked(!s.Russian);

    // Generator.
    gen_on_->setChecked(s.Gen_On);
    for (int i = 0; i < Gen_Range_Count; ++i) {
        auto* b = range_buttons_[static_cast<size_t>(i)];
        b->setChecked(i == s.Gen_Range);
        b->setText(QString::fromUtf8(s.Range_Captions[static_cast<size_t>(i)]));
    }
    range_buttons_[Gen_50M_100uS]->setVisible(s.Gen_50M_Visible);
    range_buttons_[Gen_10uS_Noise]->setVisible(s.Gen_Noise_Visible);
    for (int i = 0; i < Gen_Wave_Count; ++i) {
        auto* b = wave_buttons_[static_cast<size_t>(i)];
        b->setChecked(i == s.Gen_Wave);
        b->setEnabled(s.Wave_Enabled[static_cast<size_t>(i)]);
    }
    mod_->setChecked(s.Mod());
    pulse_->setChecked(s.Pulse());
    sweep_->setChecked(s.Sweep());
    sweep_->setEnabled(s.Sweep_Enabled);
    f_fast_->setEnabled(s.Freq_Bars_Enabled);
    f_slow_->setEnabled(s.Freq_Bars_Enabled);
    f_fast_->setValue(s.F_fast);
    f_slow_->setValue(s.F_slow);
    amplitude_->setRange(s.Ampl_Min(), s.Ampl_Max());
    amplitude_->setValue(s.Ampl);
    syncing_ = false;

    const bool on_top = s.On_Top && !on_top_suspended_;
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on_top) {
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, on_top);
        if (visible) show();
    }
}

void Main_Window::Layout_Panels() {
    const int W = central_->width(), H = central_->height();
    if (inst_.Settings.Compact) {
        panel_signal_->setGeometry(0, 0, W, H);
    } else {
        panel_signal_->setGeometry(0, 0, W - Scope_W, H - Gen_H);
        group_scope_->setGeometry(W - Scope_W, 0, Scope_W, H);
        group_gen_->setGeometry(0, H - Gen_H, W - Scope_W, Gen_H);
    }
    const QRect c = panel_signal_->contentsRect();
    image_m_->setGeometry(c.x(), c.y(), c.width(), c.height() - 16);
    scroll_x_->setGeometry(c.x(), c.bottom() - 15, c.width(), 16);

    // Scope panel: the trigger rows follow the bottom edge; the volts/div
    // rows and the coupling button are spread with the group's height.
    const int gh = group_scope_->height();
    const int dy = gh - Client_H;
    const double s = gh / 505.0;
    trigger_button_->move(8, 424 + dy);
    trig_on_->move(8, 448 + dy);
    trig_edge_->move(60, 448 + dy);
    ret_trig_->move(112, 448 + dy);
    trig_ext_->move(8, 472 + dy);
    auto_->move(60, 472 + dy);
    volts_div_button_->move(8, static_cast<int>(t2_top_ * s - 24));
    const int h2 = volts_buttons_[0]->height();
    for (int i = 0; i < Volts_Step_Count; ++i)
        volts_buttons_[static_cast<size_t>(i)]->move(8 + 52 * (i % 3),
                                                     static_cast<int>(t2_top_ * s + (i / 3) * (h2 + 2)));
    acdc_->move(112, static_cast<int>(tA_top_ * s));

    // Generator panel: the read-out and the bars grow with the width, the
    // waveform, amplitude and mode controls keep to the right edge.
    const int dw = group_gen_->width() - 565;
    panel_gen_->setGeometry(6, 19, 449 + dw, 35);
    Place_Generator_Labels();
    for (int i = 0; i < Gen_Wave_Count; ++i) wave_buttons_[static_cast<size_t>(i)]->move(256 + 40 * i + dw, 60);
    f_fast_->setGeometry(6, 88, 449 + dw, 16);
    f_slow_->setGeometry(6, 109, 449 + dw, 16);
    amplitude_->setGeometry(466 + dw, 19, 16, 106);
    gen_on_->move(492 + dw, 19);
    mod_->move(492 + dw, 56);
    pulse_->move(492 + dw, 80);
    sweep_->move(492 + dw, 104);
}

void Main_Window::Set_Client_Minimum(QSize size) {
    central_->setMinimumSize(size);
    // The window's own minimum follows only when its layout runs again; a
    // resize made before that would still be held by the old minimum.
    if (layout()) layout()->activate();
}

void Main_Window::Center_On_Screen() {
    const QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!sc) return;
    // The frame, as far as it is known yet, is what is centred; move()
    // places the frame's corner.
    QRect g = frameGeometry();
    g.moveCenter(sc->availableGeometry().center());
    move(g.topLeft());
}

void Main_Window::Set_Compact(bool on) {
    Scope_Settings& s = inst_.Settings;
    if (on == s.Compact) return;
    if (on) {
        // Leaving gives this back.
        normal_geometry_ = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
        normal_maximized_ = isMaximized();
        s.Compact = true;
        group_scope_->hide();
        group_gen_->hide();
        Set_Client_Minimum(QSize(Compact_Min_W, Compact_Min_H));
        if (!compact_shown_before_) {
            compact_shown_before_ = true;
            showNormal();
            setGeometry(QRect(normal_geometry_.topLeft(), normal_geometry_.size() - QSize(Scope_W, Gen_H)));
        } else if (compact_geometry_.isValid()) {
            showNormal();
            setGeometry(compact_geometry_);
            if (compact_maximized_) showMaximized();
        }
    } else {
        compact_maximized_ = isMaximized();
        compact_geometry_ = compact_maximized_ ? normalGeometry() : geometry();
        s.Compact = false;
        showNormal();
        group_scope_->show();
        group_gen_->show();
        Set_Client_Minimum(normal_min_size_);
        if (normal_geometry_.isValid()) setGeometry(normal_geometry_);
        if (normal_maximized_) showMaximized();
    }
    Layout_Panels();
    Refresh();
}

void Main_Window::Link_Button_Clicked(Link_Button which, bool pressed) {
    Busy_Scope busy(*this);
    Scope_Settings& s = inst_.Settings;
    switch (which) {
    case Link_Button::Run:
        inst_.State.Single_State.store(false);
        s.Run = pressed;
        if (pressed) s.Sngl = false;  // one group in which all may be up
        break;
    case Link_Button::Single:
        s.Sngl = pressed;
        if (pressed) s.Run = false;
        break;
    case Link_Button::Gen_On:
        s.Gen_On = pressed;
        break;
    }
    Sync_Controls();
    if (pressed && hooks_.link_check && !hooks_.link_check(which)) {
        if (which == Link_Button::Gen_On) {
            Refresh();
            if (hooks_.show_link_error) hooks_.show_link_error(which);
            s.Gen_On = false;
            Refresh();
            return;
        }
        if (hooks_.show_link_error) hooks_.show_link_error(which);
        (which == Link_Button::Run ? s.Run : s.Sngl) = false;
        Sync_Controls();
        return;
    }
    Apply();
}

void Main_Window::Run_Clicked(bool pressed) { Link_Button_Clicked(Link_Button::Run, pressed); }
void Main_Window::Single_Clicked(bool pressed) { Link_Button_Clicked(Link_Button::Single, pressed); }
void Main_Window::Gen_On_Clicked(bool pressed) { Link_Button_Clicked(Link_Button::Gen_On, pressed); }

void Main_Window::Time_Div_Clicked(int index) {
    inst_.Settings.Time_Div = index;
    Apply();
}

void Main_Window::Volts_Div_Clicked(int index) {
    Select_Volts_Div(inst_.Settings, index);
    Apply();
}

void Main_Window::Open_Trigger_Dialog() {
    Busy_Scope busy(*this);
    Scope_Settings& s = inst_.Settings;
    const int pre = s.Trig_Pre, hyst = s.Trig_Hyst, n = s.Trig_N;
    trig_dialog_->Prepare(s.Russian);
    trig_dialog_->adjustSize();
    trig_dialog_->move(geometry().center() - trig_dialog_->rect().center());
    if (trig_dialog_->exec() != QDialog::Accepted) {
        s.Trig_Pre = pre;
        s.Trig_Hyst = hyst;
        s.Trig_N = n;
        Apply();
    }
}

void Main_Window::Open_Generator_Dialog() {
    Busy_Scope busy(*this);
    Scope_Settings& s = inst_.Settings;
    const Gen_Mod_Fields saved = Gen_Mod_Fields::Save(s);
    gen_dialog_->Prepare(s.Russian);
    gen_dialog_->adjustSize();
    gen_dialog_->move(geometry().center() - gen_dialog_->rect().center());
    if (gen_dialog_->exec() != QDialog::Accepted) {
        saved.Restore(s);
        Apply();
    }
}

void Main_Window::Set_View_Range(int smpl_count) {
    Scope_Settings& s = inst_.Settings;
    const int max = std::max(0, smpl_count);
    if (s.X_Pos > max) s.X_Pos = 0;
    syncing_ = true;
    scroll_x_->setRange(0, max);
    scroll_x_->setValue(s.X_Pos);
    syncing_ = false;
}

void Main_Window::Set_Generator_Labels(const QString& f, const QString& v, const QString& mod, const QString& pulse,
                                       const QColor& color, const QColor& panel_color) {
    if (panel_gen_->palette().color(QPalette::Window) != panel_color) {
        QPalette pp = panel_gen_->palette();
        pp.setColor(QPalette::Window, panel_color);
        panel_gen_->setPalette(pp);
    }
    for (auto [l, t] : {std::pair{label_f_, f}, {label_v_, v}, {label_mod_, mod}, {label_pulse_, pulse}}) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, color);
        l->setPalette(p);
        l->setText(t);
        l->setVisible(!t.isEmpty());
    }
    Place_Generator_Labels();
}

void Main_Window::Place_Generator_Labels() {
    // A hidden label holds no text (Set_Generator_Labels).
    const Gen_Readout_Texts t{label_f_->text(), label_v_->text(), label_mod_->text(), label_pulse_->text()};
    const Gen_Readout_Layout l = Layout_Gen_Readouts(t, Pixel_Font(19, false), Pixel_Font(13, true), panel_gen_->width());
    for (auto [label, rect, font] : {std::tuple{label_f_, l.F, l.Big}, {label_v_, l.V, l.Big},
                                     {label_mod_, l.Mod, l.Small}, {label_pulse_, l.Pulse, l.Small}}) {
        if (rect.isEmpty()) continue;
        if (label->font() != font) label->setFont(font);
        label->setGeometry(rect);
    }
}

void Main_Window::After_Redraw() {
    if (inst_.Take_Single_Release()) Sync_Controls();
    image_m_->Present();
}

void Main_Window::First_Activation() {
    if (!first_activation_pending_) return;
    first_activation_pending_ = false;
    if (hooks_.on_first_activation) hooks_.on_first_activation();
    --busy_;  // from now on hand-offs are accepted
}

void Main_Window::Handle_Handoff(const Handoff_Record& r) {
    const Handoff_Action action = Decide_Handoff(r, Busy(), inst_.State.Run_State.load());
    auto to_front = [this] {
        if (isMinimized()) showNormal();
        show();
        raise();
        activateWindow();
    };
    if (action == Handoff_Action::Ignore) return;
    // Without a way to open files yet, a handed-over file only brings the
    // window to the front: no question whose Yes would do nothing.
    if (action == Handoff_Action::Bring_To_Front || !hooks_.open_file) {
        to_front();
        return;
    }
    Busy_Scope busy(*this);
    to_front();
    const Handoff_Prompt p = Handoff_Prompt_For(action, r.text, inst_.Settings.Russian);
    const Prompt_Answer a = prompts_.Message_Box(p.title, p.text, p.icon, p.buttons);
    if (a == Prompt_Answer::Yes && hooks_.open_file)
        hooks_.open_file(r.text, action == Handoff_Action::Ask_Settings);
}

bool Main_Window::Handle_Key(int key, Qt::KeyboardModifiers mods) {
    Scope_Key k = Scope_Key::Other;
    switch (key) {
    case Qt::Key_Space: k = Scope_Key::Space; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: k = Scope_Key::Enter; break;
    case Qt::Key_Left: k = Scope_Key::Left; break;
    case Qt::Key_Right: k = Scope_Key::Right; break;
    case Qt::Key_Up: k = Scope_Key::Up; break;
    case Qt::Key_Down: k = Scope_Key::Down; break;
    default: return false;
    }
    Scope_Settings& s = inst_.Settings;
    switch (Keyboard_Step(s, k, mods.testFlag(Qt::ShiftModifier), scroll_x_->maximum())) {
    case Key_Result::Apply: Apply(); break;
    case Key_Result::Refresh: Refresh(); break;
    case Key_Result::Toggle_Run: Run_Clicked(!s.Run); break;
    case Key_Result::Toggle_Single: Single_Clicked(!s.Sngl); break;
    case Key_Result::None: return false;
    }
    return true;
}

bool Main_Window::eventFilter(QObject* obj, QEvent* ev) {
    if (obj == central_ && ev->type() == QEvent::Resize) {
        Layout_Panels();
        inst_.State.Redraw_Request.store(true);
        return false;
    }
    if (ev->type() == QEvent::KeyPress) {
        // Only while this window is the active one and no dialog or menu is
        // open; the keys are taken so that a focused button does not also
        // act on Space or Enter.
        auto* w = qobject_cast<QWidget*>(obj);
        if (w && w->window() == this && QApplication::activeModalWidget() == nullptr &&
            QApplication::activePopupWidget() == nullptr && !qobject_cast<QMenuBar*>(obj) &&
            !qobject_cast<QMenu*>(obj)) {
            auto* ke = static_cast<QKeyEvent*>(ev);
            if (Handle_Key(ke->key(), ke->modifiers())) return true;
        }
    }
    return QMainWindow::eventFilter(obj, ev);
}

void Main_Window::showEvent(QShowEvent* ev) {
    QMainWindow::showEvent(ev);
    if (first_activation_pending_) {
        // Once more now that the window has its frame.
        Center_On_Screen();
        QTimer::singleShot(0, this, [this] { First_Activation(); });
    }
}

void Main_Window::closeEvent(QCloseEvent* ev) {
    if (hooks_.on_close) hooks_.on_close();
    ev->accept();
}

}  // namespace tovan
