#pragma once
// "Color Settings": a button and a swatch for each of the ten colours of
// the screen, and Default. Each pick is stored in the record and shown at
// once; the opener restores the colours on Cancel.
#include <QDialog>
#include <array>
#include <functional>

#include "common/prompts.h"
#include "settings/scope_settings.h"

class QFrame;
class QPushButton;

namespace tovan {

class Colors_Dialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int Count = 10;
    // refresh runs after every change (Refresh_View of the instrument);
    // the picker is the prompts' colour picker.
    Colors_Dialog(Color_Set& colors, Prompts& prompts, std::function<void()> refresh, QWidget* parent = nullptr);

    // Sets every text for the language and paints the swatches; called
    // each time before the dialog is shown.
    void Prepare(bool lang_russian);

    QPushButton* Color_Button(int i) const { return buttons_[static_cast<size_t>(i)]; }
    QFrame* Swatch(int i) const { return panels_[static_cast<size_t>(i)]; }
    QPushButton* Default_Button() const { return default_; }
    QPushButton* OK_Button() const { return ok_; }
    QPushButton* Cancel_Button() const { return cancel_; }

private:
    void Show_Colors();
    void Changed();

    Color_Set& colors_;
    Prompts& prompts_;
    std::function<void()> refresh_;
    std::array<QPushButton*, Count> buttons_{};
    std::array<QFrame*, Count> panels_{};
    QPushButton* default_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The fields of a colour set in the dialog's order.
uint32_t Color_Set::* const* Color_Fields();

}  // namespace tovan
