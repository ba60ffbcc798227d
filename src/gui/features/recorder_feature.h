#pragma once
// "Recorder..." and "FM_Log" in the File menu: the chart recorder's window
// (modal over the main window while acquisition and scrolling go on) and
// the frequency-meter log's check item, shown only in service mode. The
// work is done by the core's Recorder and FM_Log.
#include <QDialog>

#include "gui/features/window_feature.h"
#include "recorder/fm_log.h"
#include "recorder/recorder.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tovan {

class Instrument;

// TForm_Recorder: the target file, the information lines, the size label,
// File/Start/Stop/Exit and a 93 ms timer.
class Recorder_Dialog final : public QDialog {
    Q_OBJECT
public:
    Recorder_Dialog(Recorder& recorder, QWidget* parent);
    void Set_Language(bool lang_russian);
    // Shows what the recorder says now.
    void Show_State();
    // The window opens (FormShow).
    void Prepare();

    void reject() override;  // Exit, Esc and the close box: FormClose
    void keyPressEvent(QKeyEvent* ev) override;  // Esc only while Exit is offered

protected:
    void changeEvent(QEvent* ev) override;

private:
    Recorder& rec_;
    QLineEdit* edit_file_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QLabel* label_size_ = nullptr;
    QPushButton* button_file_ = nullptr;
    QPushButton* button_start_ = nullptr;
    QPushButton* button_stop_ = nullptr;
    QPushButton* button_exit_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<std::string> shown_memo_;
};

class Recorder_Feature final : public Window_Feature {
public:
    Recorder_Feature(Recorder& recorder, FM_Log& fm_log, Instrument& inst)
        : rec_(recorder), fm_log_(fm_log), inst_(inst) {}
    void Install(Main_Window& window) override;
    void Apply_Language(bool lang_russian) override;
    Recorder_Dialog* Dialog() const { return dialog_; }

private:
    void Open_Recorder(Main_Window& window);

    Recorder& rec_;
    FM_Log& fm_log_;
    Instrument& inst_;
    QAction* recorder_action_ = nullptr;
    QAction* fm_log_action_ = nullptr;
    Recorder_Dialog* dialog_ = nullptr;
};

}  // namespace tovan
