#pragma once
// "Trigger Settings": pre-trigger length, noise reject and edge count.
// Each change is stored in the record and applied at once.
#include <QDialog>
#include <functional>

#include "settings/scope_settings.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

namespace tovan {

class Trig_Dialog : public QDialog {
    Q_OBJECT
public:
    // apply runs after every change (Apply_Settings of the instrument).
    Trig_Dialog(Scope_Settings& s, std::function<void()> apply, QWidget* parent = nullptr);

    // Sets the controls from the record and the texts for the language;
    // called each time before the dialog is shown.
    void Prepare(bool lang_russian);

    QButtonGroup* Pre_Trig_Group() const { return pre_group_; }
    QButtonGroup* NR_Group() const { return nr_group_; }
    QSlider* Trig_N_Bar() const { return trig_n_; }
    QLabel* Trig_N_Label() const { return label_n_; }
    QPushButton* OK_Button() const { return ok_; }
    QPushButton* Cancel_Button() const { return cancel_; }

private:
    void Set_Trig_N_Label();

    Scope_Settings& s_;
    std::function<void()> apply_;
    bool russian_ = true;
    bool loading_ = false;
    QGroupBox* pre_box_ = nullptr;
    QGroupBox* nr_box_ = nullptr;
    QButtonGroup* pre_group_ = nullptr;
    QButtonGroup* nr_group_ = nullptr;
    QSlider* trig_n_ = nullptr;
    QLabel* label_n_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tovan
