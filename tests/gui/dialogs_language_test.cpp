#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "gui/trig_dialog.h"
#include "gui_test_support.h"
#include "i18n/captions.h"

namespace tovan::test {
namespace {

class Dialogs : public Window_Test {
protected:
    void SetUp() override {
        inst.Settings.Russian = false;
        inst.Settings.Trig_On = true;  // the edge count reaches the device only when triggered
        Make();
    }
    // Opens the trigger dialog; act runs inside its modal loop.
    void With_Trigger_Dialog(std::function<void(Trig_Dialog&)> act) {
        bool ran = false;
        QTimer::singleShot(0, w.get(), [&] {
            ran = true;
            EXPECT_TRUE(w->Busy());
            act(*w->Trigger_Dialog());
        });
        w->Open_Trigger_Dialog();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(w->Busy());
    }
};

TEST_F(Dialogs, TriggerDialogAppliesLiveAndCancelRestores) {
    With_Trigger_Dialog([&](Trig_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Trigger Settings"));
        EXPECT_EQ(d.Pre_Trig_Group()->button(9)->text(), QStringLiteral("9 Div"));
        EXPECT_EQ(d.NR_Group()->button(5)->text(), QStringLiteral("2 Div"));
        Clear_Requests();
        d.Trig_N_Bar()->setValue(7);
        EXPECT_EQ(d.Trig_N_Label()->text(), QStringLiteral("Trigger N = 7"));
        EXPECT_EQ(inst.Params.Trig_Mode_Byte, 7);
        EXPECT_TRUE(inst.State.Config_Request.load());
        d.Pre_Trig_Group()->button(9)->click();
        EXPECT_EQ(inst.Settings.Trig_Pre, 9);
        d.NR_Group()->button(5)->click();
        EXPECT_EQ(inst.Settings.Trig_Hyst, 5);
        Clear_Requests();
        d.Cancel_Button()->click();
    });
    EXPECT_EQ(inst.Settings.Trig_N, 1);
    EXPECT_EQ(inst.Settings.Trig_Pre, 1);
    EXPECT_EQ(inst.Settings.Trig_Hyst, 1);
    EXPECT_EQ(inst.Params.Trig_Mode_Byte, 1);
    EXPECT_TRUE(inst.State.Config_Request.load());  // restored values applied again
}

TEST_F(Dialogs, TriggerDialogOkKeepsAndCloseBoxCancels) {
    With_Trigger_Dialog([&](Trig_Dialog& d) {
        d.Trig_N_Bar()->setValue(9);
        d.OK_Button()->click();
    });
    EXPECT_EQ(inst.Settings.Trig_N, 9);
    With_Trigger_Dialog([&](Trig_Dialog& d) {
        d.Trig_N_Bar()->setValue(3);
        d.reject();  // the window's close box
    });
    EXPECT_EQ(inst.Settings.Trig_N, 9);
}

TEST_F(Dialogs, TriggerDialogClampsHandEditedCount) {
    inst.Settings.Trig_N = 900;
    With_Trigger_Dialog([&](Trig_Dialog& d) {
        EXPECT_EQ(d.Trig_N_Bar()->value(), 255);
        EXPECT_EQ(inst.Settings.Trig_N, 255);
        d.OK_Button()->click();
    });
}

QString Shown_Text(QObject* o) {
    if (auto* m = qobject_cast<QMenu*>(o)) return m->title();
    if (auto* a = qobject_cast<QAction*>(o)) return a->text();
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    return {};
}

TEST_F(Dialogs, LanguageSwitchRewritesEveryCaptionAndBack) {
    auto check = [&](bool ru) {
        int found = 0;
        for (const Control_Caption& c : Main_Window_Captions()) {
            QObject* o = w->findChild<QObject*>(QString::fromLatin1(c.control));
            if (!o) continue;  // not built yet
            ++found;
            EXPECT_EQ(Shown_Text(o), QString::fromUtf8(c.text(ru))) << c.control;
        }
        return found;
    };
    EXPECT_GE(check(false), 45);
    Clear_Requests();
    Action("Menu_Russian")->trigger();
    EXPECT_TRUE(inst.Settings.Russian);
    EXPECT_TRUE(inst.State.Redraw_Request.load());
    EXPECT_GE(check(true), 45);
    Action("Menu_English")->trigger();
    EXPECT_FALSE(inst.Settings.Russian);
    EXPECT_GE(check(false), 45);
}

}  // namespace
}  // namespace tovan::test
