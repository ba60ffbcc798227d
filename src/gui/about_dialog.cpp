#include "gui/about_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "i18n/window_texts.h"

namespace tovan {

About_Dialog::About_Dialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setModal(true);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    const QIcon app_icon = QApplication::windowIcon().isNull()
                               ? style()->standardIcon(QStyle::SP_ComputerIcon)
                               : QApplication::windowIcon();
    icon->setPixmap(app_icon.pixmap(32, 32));
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    product_ = label("ProductName");
    version_ = label("Version");
    version1_ = label("Version1");
    version2_ = label("Version2");
    serial_ = label("Label_SN");
    ok_ = new QPushButton(QString::fromUtf8(window_text::Button_OK(false)), this);
    ok_->setObjectName(QStringLiteral("OKButton"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* texts = new QVBoxLayout;
    for (QLabel* l : {product_, version_, version1_, version2_, serial_}) texts->addWidget(l);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(ok_, 0, Qt::AlignHCenter);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel* About_Dialog::Label(const char* name) const { return findChild<QLabel*>(QString::fromLatin1(name)); }

void About_Dialog::Prepare(const About_Lines& l) {
    setWindowTitle(QString::fromStdString(l.title));
    product_->setText(QString::fromStdString(l.product));
    version_->setText(QString::fromStdString(l.version));
    version1_->setText(QString::fromStdString(l.firmware));
    version2_->setText(QString::fromStdString(l.fpga));
    serial_->setText(QString::fromStdString(l.serial));
    serial_->setVisible(l.serial_visible);
    ok_->setFocus();
}

}  // namespace tovan
