// Program entry: the command line is checked before anything else (help,
// version and errors need no display); then one instance per user and
// executable name: a second start hands its last file to the running
// instance and ends. The first instance ends the way the Exit command
// does, also on SIGTERM, SIGINT, SIGHUP and at the end of the desktop
// session.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLocale>
#include <QTimer>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "gui/app.h"
#include "gui/exit_signals.h"
#include "gui/single_instance.h"
#include "i18n/cli_texts.h"
#include "i18n/instance_texts.h"

namespace {

using namespace tovan;

// The console speaks the language of the user's locale.
bool Console_Russian() {
    return Initial_Lang_Russian(Messages_Locale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                                std::getenv("LANG"), QLocale::system().name().toStdString()),
                                false);
}

// Second start: hands the last file (or nothing, which brings the running
// window to the front) over. Returns the exit status.
int Hand_Over(Single_Instance& instance, const Command_Line& cl, const std::string& argv0,
              const std::string& program, bool ru) {
    for (const std::string& opt : cl.Options_Not_Handed_Over())
        std::cerr << program << ": " << Txt_Cli_Not_Handed_Over(ru) << opt << '\n';
    Handoff_Record r;
    r.arg_count = static_cast<uint32_t>(cl.files.size());
    // The running instance has a working folder of its own.
    std::error_code ec;
    const std::filesystem::path absolute =
        cl.files.empty() || cl.files.back().empty() ? std::filesystem::path() : std::filesystem::absolute(cl.files.back(), ec);
    r.text = cl.files.empty() ? argv0 : (ec || absolute.empty() ? cl.files.back() : absolute.string());
    if (!instance.Send(r)) {
        std::cerr << program << ": " << Txt_Cli_Unreachable(ru) << " (" << instance.Socket_Path().toStdString()
                  << ")\n";
        return 1;
    }
    if (cl.files.empty() || cl.files.back().empty())
        std::cerr << program << ": " << Txt_Cli_Raised(ru) << '\n';
    else
        std::cerr << program << ": " << Txt_Cli_Handed_Over(ru) << r.text << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The arguments as UTF-8, the way the rest of the program and the
    // hand-off carry them.
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(QString::fromLocal8Bit(argv[i]).toStdString());
    if (args.empty()) args.emplace_back();
    const bool ru = Console_Russian();
    const std::string program = Program_Name(args.front());
    const Command_Line cl = Parse_Command_Line(args, ru);
    switch (cl.action) {
        case Command_Line::Action::Help: std::cout << Help_Text(program, ru) << std::flush; return 0;
        case Command_Line::Action::Version: std::cout << Version_Text(program) << std::flush; return 0;
        case Command_Line::Action::Error:
            std::cerr << program << ": " << cl.error << '\n'
                      << Txt_Cli_Try_Help(ru) << program << " --help\n";
            return 2;
        case Command_Line::Action::Run: break;
    }
    if (!Display_Available(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"))) {
        std::cerr << program << ": " << Txt_Cli_No_Display(ru) << '\n';
        return 1;
    }

    QApplication qapp(argc, argv);
    // Installed before the lock is taken: whoever sees this instance
    // running can end it cleanly.
    Exit_Signals exit_signals;
    Single_Instance instance(Single_Instance::Instance_Name(QApplication::applicationFilePath()));
    const Single_Instance::Role role = instance.Start();
    if (role == Single_Instance::Role::Secondary) return Hand_Over(instance, cl, args.front(), program, ru);
    if (role == Single_Instance::Role::Failed) {
        if (instance.Error())
            std::cerr << program << ": " << Txt_Instance_Unchecked(ru) << Private_Dir_Error_Text(instance.Error(), ru)
                      << '\n';
        else
            std::cerr << program << ": " << Txt_Cli_Instance_Failed(ru) << instance.Socket_Path().toStdString() << '\n';
    }

    App app(QApplication::arguments());
    app.Start(&instance);

    // Ends the program as the Exit command does (link closed, settings
    // written, window closed), once open modal boxes have given way.
    bool exiting = false;
    int modal_tries = 0;
    int busy_tries = 0;
    std::function<void()> exit_now = [&] {
        if (exiting) return;
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal_tries < 50) {
            ++modal_tries;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
            // Again once the box's own event loop has returned.
            QTimer::singleShot(0, &qapp, [&] { exit_now(); });
            return;
        }
        // A command is under way outside a modal box (the link supervision
        // waiting for the device, a file being loaded): end after it, so that
        // nothing it does afterwards reopens the link or touches a stopped
        // session.
        if (app.Window().Busy() && busy_tries < 500) {
            ++busy_tries;
            QTimer::singleShot(20, &qapp, [&] { exit_now(); });
            return;
        }
        exiting = true;
        if (auto* exit_action = app.Window().findChild<QAction*>(QStringLiteral("Menu_Exit"))) {
            exit_action->trigger();
        } else {
            app.Shutdown();
            app.Window().close();
        }
        // Also when the window was never shown (no last-window-closed).
        QCoreApplication::quit();
    };
    exit_signals.on_signal = [&](int) { exit_now(); };
#if QT_CONFIG(sessionmanager)
    // The desktop session ends: close the way Exit does, from the event
    // loop rather than inside the session manager's call.
    QObject::connect(&qapp, &QGuiApplication::commitDataRequest, &qapp,
                     [&](QSessionManager&) { QTimer::singleShot(0, &qapp, [&] { exit_now(); }); });
#endif
    // Any other way out of the event loop while the window is still open
    // (the platform asked to quit) still saves the settings and closes the
    // link. A window closed by the user has saved them already.
    QObject::connect(&qapp, &QCoreApplication::aboutToQuit, &qapp, [&] {
        if (!app.Window().isVisible()) return;
        modal_tries = 50;
        busy_tries = 500;
        exit_now();
    });

    const int rc = QApplication::exec();
    app.Shutdown();
    return rc;
}
