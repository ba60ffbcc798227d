// Program entry: one instance per user and executable name; a second
// start hands its last argument to the running instance and ends.
#include <QApplication>
#include <cstdio>

#include "i18n/instance_texts.h"

#include "gui/app.h"
#include "gui/single_instance.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QStringList args = QApplication::arguments();
    tovan::Single_Instance instance(tovan::Single_Instance::Instance_Name(QApplication::applicationFilePath()));
    const tovan::Single_Instance::Role role = instance.Start();
    if (role == tovan::Single_Instance::Role::Failed && !instance.Error().isEmpty()) {
        const QByteArray lang = qgetenv("LANG");
        std::fprintf(stderr, "%s%s\n", tovan::Txt_Instance_Unchecked(lang.startsWith("ru")),
                     instance.Error().toLocal8Bit().constData());
    }
    if (role == tovan::Single_Instance::Role::Secondary) {
        const tovan::App_Options options = tovan::App_Options::Parse(args);
        tovan::Handoff_Record r;
        r.arg_count = static_cast<uint32_t>(options.files.size());
        r.text = (options.files.isEmpty() ? args.front() : options.files.back()).toStdString();
        instance.Send(r);
        return 0;
    }
    tovan::App app(args);
    app.Start(&instance);
    const int rc = QApplication::exec();
    app.Shutdown();
    return rc;
}
