#pragma once
// Shared fixture of the window tests: an instrument, scripted prompts and
// a shown main window on the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QToolButton>
#include <memory>

#include "acquisition/instrument.h"
#include "gui/main_window.h"
#include "support/scripted_prompts.h"

namespace tovan::test {

using tovan::test_support::Scripted_Prompts;

class Window_Test : public ::testing::Test {
protected:
    // A question nobody scripted gets the safe answer.
    Window_Test() { prompts.unscripted_answer = Prompt_Answer::No; }
    void Make() {
        w = std::make_unique<Main_Window>(inst, prompts, hooks);
        w->show();
        w->First_Activation();
        Clear_Requests();
    }
    void Clear_Requests() {
        inst.State.Config_Request.store(false);
        inst.State.Redraw_Request.store(false);
    }
    template <class T>
    T* Find(const char* name) {
        T* t = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(t, nullptr) << name;
        return t;
    }
    QToolButton* Button(const char* name) { return Find<QToolButton>(name); }
    QAction* Action(const char* name) { return Find<QAction>(name); }

    Instrument inst;
    Scripted_Prompts prompts;
    Main_Window_Hooks hooks;
    std::unique_ptr<Main_Window> w;
};

}  // namespace tovan::test
