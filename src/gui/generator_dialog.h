#pragma once
// "Generator Modulation Settings": AM or FM, depth, deviation and
// modulating frequency with their scales. Each change is stored in the
// record and applied at once, so the generator follows the dialog.
#include <QDialog>
#include <functional>

#include "settings/scope_settings.h"

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace tovan {

class Generator_Dialog : public QDialog {
    Q_OBJECT
public:
    // apply runs after every change (Apply_Settings of the instrument).
    Generator_Dialog(Scope_Settings& s, std::function<void()> apply, QWidget* parent = nullptr);

    // Sets the controls from the record and the texts for the language;
    // called each time before the dialog is shown.
    void Prepare(bool lang_russian);
    // Rewrites the texts for the language without touching the controls.
    void Set_Language(bool lang_russian);

    QButtonGroup* Mod_Type_Group() const { return type_group_; }     // ids 0 AM, 1 FM
    QButtonGroup* Mod_Freq_Scale() const { return freq_x_group_; }   // ids 0 "10K", 1 "100K"
    QButtonGroup* Mod_K_Scale() const { return k_x_group_; }         // ids 0 "100%", 1 "200%"
    QButtonGroup* Dev_FM_Scale() const { return dev_x_group_; }      // ids 0 "10K", 1 "100K"
    QScrollBar* Mod_Freq_Bar() const { return freq_bar_; }
    QScrollBar* Mod_K_Bar() const { return k_bar_; }
    QScrollBar* Dev_FM_Bar() const { return dev_bar_; }
    QGroupBox* Mod_Freq_Box() const { return freq_box_; }
    QGroupBox* Mod_K_Box() const { return k_box_; }
    QGroupBox* Dev_FM_Box() const { return dev_box_; }
    QPushButton* OK_Button() const { return ok_; }
    QPushButton* Cancel_Button() const { return cancel_; }

private:
    void Set_Group_Captions();
    void Changed();

    Scope_Settings& s_;
    std::function<void()> apply_;
    bool russian_ = true;
    bool loading_ = false;
    QButtonGroup* type_group_ = nullptr;
    QToolButton* fm_ = nullptr;
    QGroupBox* freq_box_ = nullptr;
    QGroupBox* k_box_ = nullptr;
    QGroupBox* dev_box_ = nullptr;
    QScrollBar* freq_bar_ = nullptr;
    QScrollBar* k_bar_ = nullptr;
    QScrollBar* dev_bar_ = nullptr;
    QButtonGroup* freq_x_group_ = nullptr;
    QButtonGroup* k_x_group_ = nullptr;
    QButtonGroup* dev_x_group_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tovan
