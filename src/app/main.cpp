// Program entry: one instance per user and executable name; a second
// start hands its last argument to the running instance and ends.
#include <QApplication>

#include "gui/app.h"
#include "gui/single_instance.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QStringList args = QApplication::arguments();
    tovan::Single_Instance instance(tovan::Single_Instance::Instance_Name(QApplication::applicationFilePath()));
    if (instance.Start() == tovan::Single_Instance::Role::Secondary) {
        tovan::Handoff_Record r;
        r.arg_count = static_cast<uint32_t>(args.size() - 1);
        r.text = (args.size() > 1 ? args.back() : args.front()).toStdString();
        instance.Send(r);
        return 0;
    }
    tovan::App app(args);
    app.Start(&instance);
    return QApplication::exec();
}
