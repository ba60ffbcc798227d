#pragma once
// Fixture of the tests that run the whole application: the program's own
// start (command line, settings file, session, window) on the virtual
// instrument with its manual clock, or on a bridge that lists no device,
// whatever is plugged into the machine. Device time moves only when a test
// says so, so nothing depends on how busy the machine is.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/virtual_instrument.h"
#include "gui/app.h"
#include "support/scripted_prompts.h"
#include "support/stub_usb_link.h"

namespace tovan::test {

using tovan::test_support::Scripted_Prompts;

enum class Backend { Virtual, Bridge_Without_Device };

// The bridge backend as it is with nothing plugged in.
class No_Device_Link final : public test_support::Stub_Usb_Link {
public:
    Ft_Status Open_By_Location(uint32_t, Dev_Handle*) override { return Ft_Device_Not_Found; }
    Ft_Status Get_Queue_Status(Dev_Handle, uint32_t*) override { return Ft_Invalid_Handle; }
    Ft_Status Get_Status(Dev_Handle, uint32_t*, uint32_t*, uint32_t*) override { return Ft_Invalid_Handle; }
};

class App_Session : public ::testing::Test {
protected:
    App_Env Env() {
        App_Env env;
        env.prompts = &prompts;
        // Whatever is plugged into this machine, the bridge lists nothing.
        env.link_factory = [this](Link_Kind k) -> std::unique_ptr<UsbLink> {
            if (k == Link_Kind::Bridge) return std::make_unique<No_Device_Link>();
            auto v = std::make_unique<Virtual_Instrument>(clock, 1, device_cal);
            vi = v.get();
            return v;
        };
        env.thread_sleep = [this](int ms) {
            if (vi) vi->Advance(std::chrono::milliseconds(ms));
        };
        // The supervision's waits: device time passes, the thread goes on.
        env.wait_ms = [this](int ms) {
            if (vi) vi->Advance(std::chrono::milliseconds(ms));
            app->Session().Wait_Passes(2);
        };
        // A modal dialog waiting for frames (the calibrations): device
        // time passes as in Wait_For, and the test may act at each round.
        env.wait_until_input = [this](const std::function<bool()>& done) {
            for (int i = 0; i < 8000 && !done(); ++i) {
                QCoreApplication::processEvents();
                if (on_dialog_wait) on_dialog_wait();
                if (done()) break;
                if (vi) vi->Advance(std::chrono::milliseconds(5));
                app->Session().Wait_Passes(1);
            }
        };
        return env;
    }
    QStringList Args(Backend b) const {
        QStringList args{QStringLiteral("tovan1")};
        if (b == Backend::Virtual) args << QStringLiteral("--demo");
        args << QStringLiteral("--ini") << Ini();
        return args;
    }
    // ini_text: the settings file the program starts with (English texts
    // for the checks unless told otherwise; null: no file at all); extra:
    // more command-line arguments.
    void Start(Backend b, const char* ini_text = "[Common]\nRussian=0\n", const QStringList& extra = {}) {
        prompts.unscripted_answer = Prompt_Answer::No;
        if (ini_text) {
            QFile ini(Ini());
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(ini_text);
            ini.close();
        }
        app = std::make_unique<App>(Args(b) << extra, Env());
        app->Start(nullptr);
        app->Timer1().stop();  // the tests tick by hand
        ASSERT_TRUE(Wait_For([&] { return !app->Window().Busy(); }));  // first activation done
    }
    void TearDown() override {
        if (app) app->Shutdown();
        app.reset();
    }
    // Moves device time on in 5 ms steps, letting the acquisition thread
    // and the window catch up after each, until `done` holds (at most
    // `steps` steps).
    bool Wait_For(const std::function<bool()>& done, int steps = 4000) {
        for (int i = 0; i < steps; ++i) {
            QCoreApplication::processEvents();
            if (done()) return true;
            if (vi) vi->Advance(std::chrono::milliseconds(5));
            app->Session().Wait_Passes(1);
        }
        return done();
    }
    // The settings file: tovan1.ini in the test's folder unless set.
    QString Ini() const { return ini_path.isEmpty() ? dir.filePath(QStringLiteral("tovan1.ini")) : ini_path; }
    QToolButton* Button(const char* name) {
        auto* b = app->Window().findChild<QToolButton*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    Virtual_Instrument& Device() { return *vi; }
    Acq_State& State() { return app->Inst().State; }
    Frame_Info Info() {
        return app->Session().With_Frame([](const Frame_Data& f, const Status_Values&) { return f.Info; });
    }
    bool Running() { return Wait_For([&] { return State().FPGA_OK.load() && Info().Frame_No > 0; }); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& s : prompts.shown) t.push_back(s.text);
        return t;
    }

    QTemporaryDir dir;
    QString ini_path;
    Scripted_Prompts prompts;
    std::shared_ptr<Manual_Device_Clock> clock = std::make_shared<Manual_Device_Clock>();
    Virtual_Instrument* vi = nullptr;
    Device_Calibration device_cal;  // the virtual instrument's own constants
    std::unique_ptr<App> app;
    // Runs at each round of a dialog's wait for frames.
    std::function<void()> on_dialog_wait;
};

}  // namespace tovan::test
