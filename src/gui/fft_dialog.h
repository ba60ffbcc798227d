#pragma once
// "FFT Settings": transform size, window and level scale. Each click is
// stored in the record and shown at once; the opener restores the values
// on Cancel.
#include <QDialog>
#include <array>
#include <functional>

#include "settings/scope_settings.h"

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace tovan {

class FFT_Dialog : public QDialog {
    Q_OBJECT
public:
    // refresh runs after every change (Refresh_View of the instrument).
    FFT_Dialog(Scope_Settings& s, std::function<void()> refresh, QWidget* parent = nullptr);

    // Sets the groups from the record and every text for the language;
    // called each time before the dialog is shown.
    void Prepare(bool lang_russian);

    QButtonGroup* Size_Group() const { return groups_[0]; }
    QButtonGroup* Win_Group() const { return groups_[1]; }
    QButtonGroup* Scale_Group() const { return groups_[2]; }
    QPushButton* OK_Button() const { return ok_; }
    QPushButton* Cancel_Button() const { return cancel_; }

private:
    Scope_Settings& s_;
    std::function<void()> refresh_;
    std::array<QGroupBox*, 3> boxes_{};
    std::array<QButtonGroup*, 3> groups_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tovan
