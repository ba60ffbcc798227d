#include "gui/trig_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "common/numeric.h"
#include "i18n/captions.h"

namespace tovan {
namespace {

QGroupBox* Radio_Group(QWidget* parent, const char* name, int count, QButtonGroup*& group) {
    auto* box = new QGroupBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(box);
    group = new QButtonGroup(box);
    group->setExclusive(true);
    const int rows = (count + 1) / 2;  // two columns, filled top to bottom
    for (int i = 0; i < count; ++i) {
        auto* b = new QRadioButton(box);
        group->addButton(b, i);
        grid->addWidget(b, i % rows, i / rows);
    }
    return box;
}

}  // namespace

Trig_Dialog::Trig_Dialog(Scope_Settings& s, std::function<void()> apply, QWidget* parent)
    : QDialog(parent), s_(s), apply_(std::move(apply)) {
    setObjectName(QStringLiteral("Form_TrigSet"));
    setModal(true);
    pre_box_ = Radio_Group(this, "RadioGroup_PreTrig", 10, pre_group_);
    nr_box_ = Radio_Group(this, "RadioGroup_NR", 6, nr_group_);
    trig_n_ = new QSlider(Qt::Horizontal, this);
    trig_n_->setObjectName(QStringLiteral("TrackBar_TrigN"));
    trig_n_->setRange(1, 255);
    trig_n_->setSingleStep(1);
    trig_n_->setPageStep(1);
    trig_n_->setTickInterval(1);
    trig_n_->setTickPosition(QSlider::TicksBelow);
    label_n_ = new QLabel(this);
    label_n_->setObjectName(QStringLiteral("Label_TrigN"));
    ok_ = new QPushButton(QString::fromUtf8(trig_text::OK(false)), this);
    ok_->setObjectName(QStringLiteral("Button_OK"));
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("Button_Cancel"));

    auto* top = new QHBoxLayout;
    top->addWidget(pre_box_);
    top->addWidget(nr_box_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addWidget(label_n_);
    v->addWidget(trig_n_);
    v->addLayout(buttons);

    connect(pre_group_, &QButtonGroup::idClicked, this, [this](int id) {
        s_.Trig_Pre = id;
        apply_();
    });
    connect(nr_group_, &QButtonGroup::idClicked, this, [this](int id) {
        s_.Trig_Hyst = id;
        apply_();
    });
    connect(trig_n_, &QSlider::valueChanged, this, [this](int pos) {
        Set_Trig_N_Label();
        if (loading_) return;
        s_.Trig_N = pos;
        apply_();
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void Trig_Dialog::Set_Trig_N_Label() {
    label_n_->setText(QString::fromUtf8(trig_text::Trig_N_Prefix(russian_)) + QString::number(trig_n_->value()));
}

void Trig_Dialog::Prepare(bool ru) {
    russian_ = ru;
    cancel_->setFocus();
    cancel_->setDefault(true);
    setWindowTitle(QString::fromUtf8(trig_text::Window(ru)));
    pre_box_->setTitle(QString::fromUtf8(trig_text::Pre_Trig(ru)));
    nr_box_->setTitle(QString::fromUtf8(trig_text::Noise_Reject(ru)));
    cancel_->setText(QString::fromUtf8(trig_text::Cancel(ru)));
    const QString div = QString::fromUtf8(trig_text::Div(ru));
    for (int i = 0; i < 10; ++i)
        pre_group_->button(i)->setText(i == 0 ? QString::fromUtf8(trig_text::Off(ru))
                                              : QString::number(i) + QLatin1Char(' ') + div);
    for (int i = 0; i < 6; ++i)
        nr_group_->button(i)->setText(QString::fromUtf8(trig_text::NR_Items[static_cast<size_t>(i)](ru)));

    pre_group_->button(Clamp(s_.Trig_Pre, 0, 9))->setChecked(true);
    nr_group_->button(Clamp(s_.Trig_Hyst, 0, 5))->setChecked(true);
    // A value from a hand-edited file is clamped by the bar; the clamped
    // value is stored and applied.
    const int n = Clamp(s_.Trig_N, 1, 255);
    loading_ = true;
    trig_n_->setValue(n);
    loading_ = false;
    Set_Trig_N_Label();
    if (n != s_.Trig_N) {
        s_.Trig_N = n;
        apply_();
    }
}

}  // namespace tovan
