#pragma once
// "About": product name, the software's version and the device's
// firmware and FPGA versions; the serial number in debug mode.
#include <QDialog>

#include "app/about.h"

class QLabel;
class QPushButton;

namespace tovan {

class About_Dialog : public QDialog {
    Q_OBJECT
public:
    explicit About_Dialog(QWidget* parent = nullptr);
    void Prepare(const About_Lines& lines);

    QLabel* Label(const char* name) const;
    QPushButton* OK_Button() const { return ok_; }

private:
    QLabel* product_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* version1_ = nullptr;
    QLabel* version2_ = nullptr;
    QLabel* serial_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tovan
