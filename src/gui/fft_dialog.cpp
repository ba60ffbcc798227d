#include "gui/fft_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "i18n/dialog_texts.h"
#include "i18n/window_texts.h"

namespace tovan {

FFT_Dialog::FFT_Dialog(Scope_Settings& s, std::function<void()> refresh, QWidget* parent)
    : QDialog(parent), s_(s), refresh_(std::move(refresh)) {
    setObjectName(QStringLiteral("Form_FFTSet"));
    setModal(true);
    static const char* const names[3] = {"RadioGroup_FFT_Size", "RadioGroup_FFT_Win", "RadioGroup_FFT_Scale"};
    static const int counts[3] = {4, 3, 3};
    int Scope_Settings::*fields[3] = {&Scope_Settings::FFT_Size, &Scope_Settings::FFT_Win, &Scope_Settings::FFT_Scale};
    auto* top = new QHBoxLayout;
    for (size_t g = 0; g < 3; ++g) {
        boxes_[g] = new QGroupBox(this);
        boxes_[g]->setObjectName(QString::fromLatin1(names[g]));
        auto* col = new QVBoxLayout(boxes_[g]);
        groups_[g] = new QButtonGroup(boxes_[g]);
        for (int i = 0; i < counts[g]; ++i) {
            auto* b = new QRadioButton(boxes_[g]);
            groups_[g]->addButton(b, i);
            col->addWidget(b);
        }
        col->addStretch();
        top->addWidget(boxes_[g]);
        const auto field = fields[g];
        connect(groups_[g], &QButtonGroup::idClicked, this, [this, field](int id) {
            s_.*field = id;
            if (refresh_) refresh_();
        });
    }
    for (int i = 0; i < 4; ++i) groups_[0]->button(i)->setText(QString::number(1024 << i));
    ok_ = new QPushButton(QString::fromUtf8(window_text::Button_OK(false)), this);
    ok_->setObjectName(QStringLiteral("Button_OK"));
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("Button_Cancel"));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void FFT_Dialog::Prepare(bool ru) {
    const int values[3] = {s_.FFT_Size, s_.FFT_Win, s_.FFT_Scale};
    for (size_t g = 0; g < 3; ++g)
        if (QAbstractButton* b = groups_[g]->button(values[g])) b->setChecked(true);
    setWindowTitle(QString::fromUtf8(fft_text::Window(ru)));
    boxes_[0]->setTitle(QString::fromUtf8(fft_text::Size(ru)));
    boxes_[1]->setTitle(QString::fromUtf8(fft_text::Win(ru)));
    boxes_[2]->setTitle(QString::fromUtf8(fft_text::Scale(ru)));
    for (int i = 0; i < 3; ++i) {
        groups_[1]->button(i)->setText(QString::fromUtf8(fft_text::Win_Items[i](ru)));
        groups_[2]->button(i)->setText(QString::fromUtf8(fft_text::Scale_Items[i](ru)));
    }
    cancel_->setText(QString::fromUtf8(fft_text::Cancel(ru)));
    cancel_->setDefault(false);
    cancel_->setFocus();
}

}  // namespace tovan
