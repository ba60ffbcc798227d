#include "gui/features/calibration_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "i18n/calibration_texts.h"

namespace tovan {
namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QPushButton* Make_Button(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// Info line, values line, bar, then Start, OK and Cancel in a row.
void Lay_Out(QDialog* d, QLabel* info, QLabel* values, QProgressBar* bar, QPushButton* start, QPushButton* ok,
             QPushButton* cancel) {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* v = new QVBoxLayout(d);
    v->addWidget(info);
    v->addWidget(values);
    v->addWidget(bar);
    v->addLayout(buttons);
    d->setMinimumWidth(460);
}

void Show_Progress(QProgressBar* bar, int position) {
    bar->setValue(position);
    bar->repaint();
}

}  // namespace

// --- zero -------------------------------------------------------------------

Zero_Calibrate_Dialog::Zero_Calibrate_Dialog(Zero_Calibration& service, QWidget* parent)
    : QDialog(parent), service_(service) {
    setObjectName(QStringLiteral("Form_ZeroCalibrate"));
    setModal(true);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("Label_Info"));
    values_ = new QLabel(this);
    values_->setObjectName(QStringLiteral("Label_D"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar_ZeroClbr"));
    bar_->setTextVisible(false);
    start_ = Make_Button(this, "Button_Start");
    ok_ = Make_Button(this, "Button_OK");
    cancel_ = Make_Button(this, "Button_Cancel");
    Lay_Out(this, info_, values_, bar_, start_, ok_, cancel_);
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &Zero_Calibrate_Dialog::reject);
}

void Zero_Calibrate_Dialog::Prepare(bool ru, bool debug, const Zero_Values& values) {
    russian_ = ru;
    debug_ = debug;
    setWindowTitle(Q(calib_text::Zero_Window(ru)));
    info_->setText(Q(calib_text::Zero_Info(ru)));
    start_->setText(Q(calib_text::Start(ru)));
    ok_->setText(Q(calib_text::OK(ru)));
    cancel_->setText(Q(calib_text::Cancel(ru)));
    start_->setEnabled(true);
    ok_->setEnabled(false);
    bar_->setRange(0, Zero_Progress_Max);
    bar_->setValue(0);
    values_->setVisible(debug);
    values_->setText(Q(Zero_Values_Line(values)));
    cancel_->setFocus();
}

void Zero_Calibrate_Dialog::Start() {
    const bool ru = russian_;
    start_->setEnabled(false);
    ok_->setEnabled(false);
    info_->setText(Q(calib_text::Running(ru)));
    bar_->setValue(0);
    if (debug_) values_->setText(Q(calib_text::Unknown(ru)));
    switch (service_.Start([this](int pos) { Show_Progress(bar_, pos); })) {
        case Calibration_Outcome::Done:
            if (debug_) values_->setText(Q(Zero_Values_Line(service_.Current())));
            bar_->setValue(bar_->maximum());
            info_->setText(Q(calib_text::Done(ru)));
            ok_->setEnabled(true);
            start_->setEnabled(true);
            break;
        case Calibration_Outcome::Failed:
            info_->setText(Q(calib_text::Failed(ru)));
            bar_->setValue(0);
            start_->setEnabled(true);
            break;
        case Calibration_Outcome::Cancelled: break;
    }
}

void Zero_Calibrate_Dialog::reject() {
    service_.Cancel();
    QDialog::reject();
}

// --- TDC ----------------------------------------------------------------------

TDC_Calibrate_Dialog::TDC_Calibrate_Dialog(TDC_Calibration& service, QWidget* parent)
    : QDialog(parent), service_(service) {
    setObjectName(QStringLiteral("Form_TDCCalibrate"));
    setModal(true);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("Label_Info"));
    values_ = new QLabel(this);
    values_->setObjectName(QStringLiteral("Label_D"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar_TDCClbr"));
    bar_->setTextVisible(false);
    start_ = Make_Button(this, "Button_Start");
    ok_ = Make_Button(this, "Button_OK");
    cancel_ = Make_Button(this, "Button_Cancel");
    Lay_Out(this, info_, values_, bar_, start_, ok_, cancel_);
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &TDC_Calibrate_Dialog::reject);
}

void TDC_Calibrate_Dialog::Prepare(bool ru, std::optional<std::pair<int32_t, int32_t>> stored) {
    russian_ = ru;
    setWindowTitle(Q(calib_text::TDC_Window(ru)));
    info_->setText(Q(calib_text::TDC_Info(ru)));
    start_->setText(Q(calib_text::Start(ru)));
    ok_->setText(Q(calib_text::OK(ru)));
    cancel_->setText(Q(calib_text::Cancel(ru)));
    start_->setEnabled(true);
    ok_->setEnabled(false);
    bar_->setRange(0, TDC_Progress_Max);
    bar_->setValue(0);
    values_->setText(stored ? Q(TDC_Values_Line(ru, stored->first, stored->second)) : Q(calib_text::Unknown(ru)));
    cancel_->setFocus();
}

void TDC_Calibrate_Dialog::Start() {
    const bool ru = russian_;
    start_->setEnabled(false);
    ok_->setEnabled(false);
    info_->setText(Q(calib_text::Running(ru)));
    bar_->setValue(0);
    const auto pass = [this, ru](int pos, std::optional<int32_t> rise, std::optional<int32_t> fall) {
        values_->setText(Q(TDC_Values_Line(ru, rise, fall)));
        Show_Progress(bar_, pos);
    };
    switch (service_.Start(pass)) {
        case Calibration_Outcome::Done:
            values_->setText(Q(TDC_Values_Line(ru, service_.Rise(), service_.Fall())));
            bar_->setValue(bar_->maximum());
            info_->setText(Q(calib_text::Done(ru)));
            ok_->setEnabled(true);
            start_->setEnabled(true);
            break;
        case Calibration_Outcome::Failed:
            // Only Cancel remains: the device keeps its values.
            info_->setText(Q(calib_text::Failed(ru)));
            values_->setText(Q(calib_text::Unknown(ru)));
            bar_->setValue(0);
            break;
        case Calibration_Outcome::Cancelled: break;
    }
}

void TDC_Calibrate_Dialog::reject() {
    service_.Cancel();
    QDialog::reject();
}

// --- time ---------------------------------------------------------------------

Time_Calibrate_Dialog::Time_Calibrate_Dialog(Time_Calibration& service, QWidget* parent)
    : QDialog(parent), service_(service) {
    setObjectName(QStringLiteral("Form_TimeCalibrate"));
    setModal(true);
    // System menu only, fixed size.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    bar_ = new QSlider(Qt::Horizontal, this);
    bar_->setObjectName(QStringLiteral("TrackBar_PPM"));
    bar_->setRange(Time_PPM_Min, Time_PPM_Max);
    bar_->setSingleStep(1);
    bar_->setPageStep(1);
    bar_->setTickInterval(50);
    bar_->setTickPosition(QSlider::TicksAbove);
    bar_->setFocusPolicy(Qt::ClickFocus);  // no tab stop; arrow keys once clicked
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label_PPM"));
    ok_ = Make_Button(this, "Button_OK");
    cancel_ = Make_Button(this, "Button_Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(label_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* v = new QVBoxLayout(this);
    v->addWidget(bar_);
    v->addLayout(buttons);
    setMinimumWidth(420);
    v->setSizeConstraint(QLayout::SetFixedSize);
    connect(bar_, &QSlider::valueChanged, this, [this](int pos) {
        label_->setText(Q(PPM_Text(russian_, pos)));
        if (!loading_) service_.Set(pos);
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void Time_Calibrate_Dialog::Prepare(bool ru, int time_ppm) {
    russian_ = ru;
    setWindowTitle(Q(calib_text::Time_Window(ru)));
    ok_->setText(Q(calib_text::OK(ru)));
    cancel_->setText(Q(calib_text::Cancel(ru)));
    loading_ = true;
    bar_->setValue(time_ppm);
    loading_ = false;
    label_->setText(Q(PPM_Text(ru, time_ppm)));
    cancel_->setFocus();
}

}  // namespace tovan
