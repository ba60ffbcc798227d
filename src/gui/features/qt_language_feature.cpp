#include "gui/features/qt_language_feature.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace tovan {

Qt_Language_Feature::~Qt_Language_Feature() {
    if (installed_) QCoreApplication::removeTranslator(installed_.get());
}

void Qt_Language_Feature::Apply_Language(bool ru) {
    if (ru == Translated()) return;
    if (!ru) {
        QCoreApplication::removeTranslator(installed_.get());
        installed_.reset();
        return;
    }
    auto t = std::make_unique<QTranslator>();
    if (t->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(t.get()))
        installed_ = std::move(t);
}

}  // namespace tovan
