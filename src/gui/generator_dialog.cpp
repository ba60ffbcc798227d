#include "gui/generator_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "display/gen_mod_captions.h"
#include "i18n/captions.h"
#include "settings/gen_mod_fields.h"

namespace tovan {
namespace {

QToolButton* Speed_Button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setCheckable(true);
    b->setFixedSize(48, 22);
    return b;
}

// A pair of exclusive buttons, ids 0 and 1.
QButtonGroup* Button_Pair(QWidget* parent, QToolButton* b0, QToolButton* b1) {
    auto* g = new QButtonGroup(parent);
    g->setExclusive(true);
    g->addButton(b0, 0);
    g->addButton(b1, 1);
    return g;
}

// Group box holding a 0..1000 bar and its two scale buttons.
QGroupBox* Bar_Box(QWidget* parent, const char* box_name, const char* bar_name, QScrollBar*& bar,
                   QToolButton* b0, QToolButton* b1) {
    auto* box = new QGroupBox(parent);
    box->setObjectName(QString::fromLatin1(box_name));
    bar = new QScrollBar(Qt::Horizontal, box);
    bar->setObjectName(QString::fromLatin1(bar_name));
    bar->setRange(0, 1000);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setMinimumWidth(300);
    b0->setParent(box);
    b1->setParent(box);
    auto* h = new QHBoxLayout(box);
    h->addWidget(bar, 1);
    h->addWidget(b0);
    h->addWidget(b1);
    return box;
}

}  // namespace

Generator_Dialog::Generator_Dialog(Scope_Settings& s, std::function<void()> apply, QWidget* parent)
    : QDialog(parent), s_(s), apply_(std::move(apply)) {
    setObjectName(QStringLiteral("Form_GeneratorSet"));
    setModal(true);

    auto* am = Speed_Button(this, "SpeedButton_AM", QString::fromUtf8(gen_mod_text::AM(false)));
    fm_ = Speed_Button(this, "SpeedButton_FM", QString::fromUtf8(gen_mod_text::FM(false)));
    type_group_ = Button_Pair(this, am, fm_);

    auto* mf_10k = Speed_Button(this, "SpeedButton_MF_10K", QString::fromUtf8(gen_mod_text::Scale_10K(false)));
    auto* mf_100k = Speed_Button(this, "SpeedButton_MF_100K", QString::fromUtf8(gen_mod_text::Scale_100K(false)));
    freq_x_group_ = Button_Pair(this, mf_10k, mf_100k);
    freq_box_ = Bar_Box(this, "GroupBox_ModFreq", "ScrollBar_ModFreq", freq_bar_, mf_10k, mf_100k);

    auto* kam_100 = Speed_Button(this, "SpeedButton_KAM_100", QString::fromUtf8(gen_mod_text::Scale_100_Percent(false)));
    auto* kam_200 = Speed_Button(this, "SpeedButton_KAM_200", QString::fromUtf8(gen_mod_text::Scale_200_Percent(false)));
    k_x_group_ = Button_Pair(this, kam_100, kam_200);
    k_box_ = Bar_Box(this, "GroupBox_Mod_K", "ScrollBar_Mod_K", k_bar_, kam_100, kam_200);

    auto* dev_10k = Speed_Button(this, "SpeedButton_Dev_10K", QString::fromUtf8(gen_mod_text::Scale_10K(false)));
    auto* dev_100k = Speed_Button(this, "SpeedButton_Dev_100K", QString::fromUtf8(gen_mod_text::Scale_100K(false)));
    dev_x_group_ = Button_Pair(this, dev_10k, dev_100k);
    dev_box_ = Bar_Box(this, "GroupBox_Dev_FM", "ScrollBar_Dev_FM", dev_bar_, dev_10k, dev_100k);

    ok_ = new QPushButton(QString::fromUtf8(gen_mod_text::OK(false)), this);
    ok_->setObjectName(QStringLiteral("Button_OK"));
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("Button_Cancel"));

    auto* type_row = new QHBoxLayout;
    type_row->addWidget(am);
    type_row->addWidget(fm_);
    type_row->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* v = new QVBoxLayout(this);
    v->addLayout(type_row);
    v->addWidget(freq_box_);
    v->addWidget(k_box_);
    v->addWidget(dev_box_);
    v->addLayout(buttons);

    // Every handler stores its value, refreshes the captions and applies.
    auto on_button = [this](QButtonGroup* g, int Scope_Settings::*field) {
        connect(g, &QButtonGroup::idClicked, this, [this, field](int id) {
            s_.*field = id;
            Changed();
        });
    };
    on_button(type_group_, &Scope_Settings::Mod_Type);
    on_button(freq_x_group_, &Scope_Settings::Mod_Freq_x);
    on_button(k_x_group_, &Scope_Settings::Mod_K_x);
    on_button(dev_x_group_, &Scope_Settings::Dev_Freq_x);
    auto on_bar = [this](QScrollBar* bar, int Scope_Settings::*field) {
        connect(bar, &QScrollBar::valueChanged, this, [this, field](int pos) {
            if (loading_) return;
            s_.*field = pos;
            Changed();
        });
    };
    on_bar(freq_bar_, &Scope_Settings::Mod_Freq);
    on_bar(k_bar_, &Scope_Settings::Mod_K);
    on_bar(dev_bar_, &Scope_Settings::Dev_Freq);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void Generator_Dialog::Changed() {
    Set_Group_Captions();
    apply_();
}

void Generator_Dialog::Set_Group_Captions() {
    const Gen_Mod_Captions c = Make_Gen_Mod_Captions(s_, russian_);
    k_box_->setTitle(QString::fromStdString(c.Mod_K));
    dev_box_->setTitle(QString::fromStdString(c.Dev_FM));
    freq_box_->setTitle(QString::fromStdString(c.Mod_Freq));
}

void Generator_Dialog::Set_Language(bool ru) {
    russian_ = ru;
    setWindowTitle(QString::fromUtf8(gen_mod_text::Window(ru)));
    fm_->setText(QString::fromUtf8(gen_mod_text::FM(ru)));
    cancel_->setText(QString::fromUtf8(gen_mod_text::Cancel(ru)));
    Set_Group_Captions();
}

void Generator_Dialog::Prepare(bool ru) {
    cancel_->setFocus();
    cancel_->setDefault(true);

    // Values from a hand-edited file are clamped by the bars and the scale
    // buttons; what the controls show is stored and applied.
    const Gen_Mod_Fields before = Gen_Mod_Fields::Save(s_);
    const Gen_Mod_Fields shown = before.Clamped();
    shown.Restore(s_);

    type_group_->button(s_.Mod_Type)->setChecked(true);
    freq_x_group_->button(s_.Mod_Freq_x)->setChecked(true);
    k_x_group_->button(s_.Mod_K_x)->setChecked(true);
    dev_x_group_->button(s_.Dev_Freq_x)->setChecked(true);
    loading_ = true;
    freq_bar_->setValue(s_.Mod_Freq);
    k_bar_->setValue(s_.Mod_K);
    dev_bar_->setValue(s_.Dev_Freq);
    loading_ = false;

    Set_Language(ru);
    if (shown != before) apply_();
}

}  // namespace tovan
