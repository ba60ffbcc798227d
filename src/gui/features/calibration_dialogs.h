#pragma once
// The three calibration dialogs. Each only shows what its core service
// (calibration/calibrations.h) does: Start runs the measurement, which waits
// for frames while the event loop goes on, so the dialog stays live and
// its Cancel (button, Esc or close box) ends the measurement at the next
// frame check.
#include <QDialog>

#include "calibration/calibrations.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace tovan {

class Zero_Calibrate_Dialog : public QDialog {
    Q_OBJECT
public:
    Zero_Calibrate_Dialog(Zero_Calibration& service, QWidget* parent = nullptr);
    // Texts, buttons and bar for a new run; the values line only in debug mode.
    void Prepare(bool lang_russian, bool debug, const Zero_Values& values);
    void Start();
    void reject() override;

    QLabel* Info_Label() const { return info_; }
    QLabel* Values_Label() const { return values_; }
    QProgressBar* Progress() const { return bar_; }
    QPushButton* Start_Button() const { return start_; }
    QPushButton* OK_Button() const { return ok_; }
    QPushButton* Cancel_Button() const { return cancel_; }

private:
    Zero_Calibration& service_;
    bool russian_ = true;
    bool debug_ = false;
    QLabel* info_ = nullptr;
    QLabel* values_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

class TDC_Calibrate_Dialog : public QDialog {
    Q_OBJECT
public:
    TDC_Calibrate_Dialog(TDC_Calibration& service, QWidget* parent = nullptr);
    // `stored`: the values the device reports, when it does.
    void Prepare(bool lang_russian, std::optional<std::pair<int32_t, int32_t>> stored);
    void Start();
    void reject() override;

    QLabel* Info_Label() const { return info_; }
    QLabel* Values_Label() const { return values_; }
    QProgressBar* Progress() const { return bar_; }
    QPushButton* Start_Button() const { return start_; }
    QPushButton* OK_Button() const { return ok_; }
    QPushButton* Cancel_Button() const { return cancel_; }

private:
    TDC_Calibration& service_;
    bool russian_ = true;
    QLabel* info_ = nullptr;
    QLabel* values_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

class Time_Calibrate_Dialog : public QDialog {
    Q_OBJECT
public:
    Time_Calibrate_Dialog(Time_Calibration& service, QWidget* parent = nullptr);
    void Prepare(bool lang_russian, int time_ppm);

    QSlider* PPM_Bar() const { return bar_; }
    QLabel* PPM_Label() const { return label_; }
    QPushButton* OK_Button() const { return ok_; }
    QPushButton* Cancel_Button() const { return cancel_; }

private:
    Time_Calibration& service_;
    bool russian_ = true;
    bool loading_ = false;
    QSlider* bar_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tovan
