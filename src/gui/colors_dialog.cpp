#include "gui/colors_dialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "i18n/dialog_texts.h"
#include "i18n/window_texts.h"

namespace tovan {

uint32_t Color_Set::* const* Color_Fields() {
    static uint32_t Color_Set::* const fields[Colors_Dialog::Count] = {
        &Color_Set::Background, &Color_Set::Border,   &Color_Set::Signal,   &Color_Set::Markers,
        &Color_Set::Grid,       &Color_Set::Grid_Frame, &Color_Set::Trig_Pos, &Color_Set::Trig_Sig,
        &Color_Set::FFT,        &Color_Set::Smpl_Info};
    return fields;
}

Colors_Dialog::Colors_Dialog(Color_Set& colors, Prompts& prompts, std::function<void()> refresh, QWidget* parent)
    : QDialog(parent), colors_(colors), prompts_(prompts), refresh_(std::move(refresh)) {
    setObjectName(QStringLiteral("Form_ColorSet"));
    setModal(true);
    static const char* const names[Count] = {"clBackground", "clBorder",   "clSignal",   "clMarkers", "clGrid",
                                             "clGrid_Frame", "clTrig_Pos", "clTrig_Sig", "clFFT",     "clSmpl_Info"};
    auto* grid = new QGridLayout;
    for (int i = 0; i < Count; ++i) {
        const size_t k = static_cast<size_t>(i);
        buttons_[k] = new QPushButton(this);
        // The last button's name lacks the "cl", as it always has.
        buttons_[k]->setObjectName(i == Count - 1 ? QStringLiteral("Button_Smpl_Info")
                                                  : QStringLiteral("Button_") + QString::fromLatin1(names[i]));
        panels_[k] = new QFrame(this);
        panels_[k]->setObjectName(QStringLiteral("Panel_") + QString::fromLatin1(names[i]));
        panels_[k]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[k]->setAutoFillBackground(true);
        panels_[k]->setMinimumSize(40, 20);
        grid->addWidget(buttons_[k], i, 0);
        grid->addWidget(panels_[k], i, 1);
        connect(buttons_[k], &QPushButton::clicked, this, [this, i] {
            if (const std::optional<uint32_t> c = prompts_.Pick_Color()) colors_.*Color_Fields()[i] = *c;
            Changed();
        });
    }
    default_ = new QPushButton(this);
    default_->setObjectName(QStringLiteral("Button_clDefault"));
    ok_ = new QPushButton(QString::fromUtf8(window_text::Button_OK(false)), this);
    ok_->setObjectName(QStringLiteral("Button_OK"));
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("Button_Cancel"));
    connect(default_, &QPushButton::clicked, this, [this] {
        colors_ = Color_Set{};
        Changed();
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(default_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* all = new QVBoxLayout(this);
    all->addLayout(grid);
    all->addLayout(buttons);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Show_Colors();
}

void Colors_Dialog::Show_Colors() {
    for (int i = 0; i < Count; ++i) {
        const uint32_t c = colors_.*Color_Fields()[i];
        QPalette pal = panels_[static_cast<size_t>(i)]->palette();
        pal.setColor(QPalette::Window, QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        panels_[static_cast<size_t>(i)]->setPalette(pal);
    }
}

void Colors_Dialog::Changed() {
    Show_Colors();
    if (refresh_) refresh_();
}

void Colors_Dialog::Prepare(bool ru) {
    setWindowTitle(QString::fromUtf8(color_text::Window(ru)));
    for (int i = 0; i < Count; ++i)
        buttons_[static_cast<size_t>(i)]->setText(QString::fromUtf8(color_text::Fields[i](ru)));
    default_->setText(QString::fromUtf8(color_text::Default(ru)));
    cancel_->setText(QString::fromUtf8(color_text::Cancel(ru)));
    Show_Colors();
    cancel_->setFocus();
}

}  // namespace tovan
