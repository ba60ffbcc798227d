#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "gui/generator_dialog.h"
#include "gui_test_support.h"
#include "settings/gen_mod_fields.h"

namespace tovan::test {
namespace {

class Gen_Dialog : public Window_Test {
protected:
    void SetUp() override {
        inst.Settings.Russian = false;
        // Modulation reaches the device words only while Mod. is pressed.
        inst.Settings.Gen_On = true;
        inst.Settings.Gen_Mode_Button = Gen_Mode_Sel::Mod;
        Make();
        inst.Apply_Settings();  // device words of the start state
        Clear_Requests();
    }
    // Opens the dialog from its menu item; act runs inside its modal loop.
    void With_Dialog(std::function<void(Generator_Dialog&)> act) {
        bool ran = false;
        QTimer::singleShot(0, w.get(), [&] {
            ran = true;
            EXPECT_TRUE(w->Busy());
            act(*w->Gen_Mod_Dialog());
        });
        Action("Menu_GeneratorSet")->trigger();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(w->Busy());
    }
    Gen_Mod_Fields Fields() const { return Gen_Mod_Fields::Save(inst.Settings); }
    // Moves every control of the dialog away from the defaults.
    static void Change_All(Generator_Dialog& d) {
        d.Mod_Type_Group()->button(1)->click();
        d.Mod_Freq_Bar()->setValue(250);
        d.Mod_Freq_Scale()->button(1)->click();
        d.Mod_K_Bar()->setValue(333);
        d.Mod_K_Scale()->button(1)->click();
        d.Dev_FM_Bar()->setValue(15);
        d.Dev_FM_Scale()->button(1)->click();
    }
    static constexpr Gen_Mod_Fields Changed{1, 250, 1, 333, 1, 15, 1};
    static constexpr Gen_Mod_Fields Defaults{0, 100, 0, 700, 0, 300, 0};
};

TEST_F(Gen_Dialog, OpensWithRecordAndEnglishTexts) {
    With_Dialog([&](Generator_Dialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Generator Modulation Settings"));
        EXPECT_EQ(d.Mod_Type_Group()->button(1)->text(), QStringLiteral("FM"));
        EXPECT_EQ(d.Cancel_Button()->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(d.focusWidget(), d.Cancel_Button());
        EXPECT_TRUE(d.Mod_Type_Group()->button(0)->isChecked());
        EXPECT_TRUE(d.Mod_Freq_Scale()->button(0)->isChecked());
        EXPECT_TRUE(d.Mod_K_Scale()->button(0)->isChecked());
        EXPECT_TRUE(d.Dev_FM_Scale()->button(0)->isChecked());
        EXPECT_EQ(d.Mod_Freq_Bar()->value(), 100);
        EXPECT_EQ(d.Mod_K_Bar()->value(), 700);
        EXPECT_EQ(d.Dev_FM_Bar()->value(), 300);
        EXPECT_EQ(d.Mod_Freq_Bar()->pageStep(), 10);
        EXPECT_EQ(d.Mod_K_Box()->title(), QStringLiteral("K AM = 70.0 %"));
        EXPECT_EQ(d.Dev_FM_Box()->title(), QStringLiteral("Dev. FM = 3.000 KHz"));
        EXPECT_EQ(d.Mod_Freq_Box()->title(), QStringLiteral("Mod. Freq. = 1.000 KHz"));
        d.OK_Button()->click();
    });
}

TEST_F(Gen_Dialog, EveryChangeAppliesAtOnce) {
    With_Dialog([&](Generator_Dialog& d) {
        Clear_Requests();
        const auto word = inst.Params.Gen_Word2;
        d.Mod_K_Bar()->setValue(500);
        EXPECT_EQ(inst.Settings.Mod_K, 500);
        EXPECT_TRUE(inst.State.Config_Request.load());
        EXPECT_NE(inst.Params.Gen_Word2, word);  // the depth reached the device words
        EXPECT_EQ(d.Mod_K_Box()->title(), QStringLiteral("K AM = 50.0 %"));

        Clear_Requests();
        d.Mod_K_Scale()->button(1)->click();
        EXPECT_EQ(inst.Settings.Mod_K_x, 1);
        EXPECT_TRUE(inst.State.Config_Request.load());
        EXPECT_EQ(d.Mod_K_Box()->title(), QStringLiteral("K AM = 100.0 %"));

        Clear_Requests();
        d.Dev_FM_Bar()->setValue(d.Dev_FM_Bar()->value() + d.Dev_FM_Bar()->pageStep());
        EXPECT_EQ(inst.Settings.Dev_Freq, 310);
        EXPECT_TRUE(inst.State.Config_Request.load());
        EXPECT_EQ(d.Dev_FM_Box()->title(), QStringLiteral("Dev. FM = 3.100 KHz"));

        Clear_Requests();
        d.Mod_Freq_Scale()->button(1)->click();
        EXPECT_EQ(inst.Settings.Mod_Freq_x, 1);
        EXPECT_TRUE(inst.State.Config_Request.load());
        EXPECT_EQ(d.Mod_Freq_Box()->title(), QStringLiteral("Mod. Freq. = 10.000 KHz"));

        Clear_Requests();
        d.Mod_Type_Group()->button(1)->click();
        EXPECT_EQ(inst.Settings.Mod_Type, 1);
        EXPECT_TRUE(inst.State.Config_Request.load());
        d.OK_Button()->click();
    });
}

// Cancel and the close box both restore all seven fields and apply them again.
class Gen_Dialog_Dismiss : public Gen_Dialog, public ::testing::WithParamInterface<bool> {};

TEST_P(Gen_Dialog_Dismiss, RestoresAllFieldsAndReapplies) {
    const bool close_box = GetParam();
    const auto word = inst.Params.Gen_Word2;
    With_Dialog([&](Generator_Dialog& d) {
        Change_All(d);
        EXPECT_EQ(Fields(), Changed);
        Clear_Requests();
        if (close_box)
            d.close();
        else
            d.Cancel_Button()->click();
    });
    EXPECT_EQ(Fields(), Defaults);
    EXPECT_TRUE(inst.State.Config_Request.load());
    EXPECT_EQ(inst.Params.Gen_Word2, word);
}

INSTANTIATE_TEST_SUITE_P(CancelAndCloseBox, Gen_Dialog_Dismiss, ::testing::Bool());

TEST_F(Gen_Dialog, OkKeepsTheLiveValues) {
    With_Dialog([&](Generator_Dialog& d) {
        Change_All(d);
        Clear_Requests();
        d.OK_Button()->click();
    });
    EXPECT_EQ(Fields(), Changed);
    EXPECT_FALSE(inst.State.Config_Request.load());  // nothing to undo
    // Opening again shows the kept values.
    With_Dialog([&](Generator_Dialog& d) {
        EXPECT_TRUE(d.Mod_Type_Group()->button(1)->isChecked());
        EXPECT_EQ(d.Mod_K_Bar()->value(), 333);
        EXPECT_TRUE(d.Dev_FM_Scale()->button(1)->isChecked());
        EXPECT_EQ(d.Dev_FM_Box()->title(), QStringLiteral("Dev. FM = 1.500 KHz"));
        d.OK_Button()->click();
    });
}

TEST_F(Gen_Dialog, HandEditedValuesAreClampedOnShowing) {
    const Gen_Mod_Fields edited{5, 4000, 3, -20, -1, 1001, 9};
    const Gen_Mod_Fields clamped{1, 1000, 1, 0, 1, 1000, 1};
    edited.Restore(inst.Settings);
    With_Dialog([&](Generator_Dialog& d) {
        EXPECT_EQ(Fields(), clamped);
        EXPECT_TRUE(inst.State.Config_Request.load());  // the clamped values were applied
        EXPECT_TRUE(d.Mod_Type_Group()->button(1)->isChecked());
        EXPECT_EQ(d.Mod_Freq_Bar()->value(), 1000);
        EXPECT_EQ(d.Mod_K_Bar()->value(), 0);
        EXPECT_EQ(d.Mod_K_Box()->title(), QStringLiteral("K AM = 0.0 %"));
        d.Cancel_Button()->click();
    });
    // Cancel puts the saved fields back; applying them sanitises the record,
    // so the device never sees the out-of-range values.
    EXPECT_EQ(Fields(), clamped);
}

TEST_F(Gen_Dialog, LanguageSwitchReachesTheDialog) {
    Action("Menu_Russian")->trigger();
    Generator_Dialog& d = *w->Gen_Mod_Dialog();
    // Already rewritten before the next opening.
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Установки модуляции генератора"));
    EXPECT_EQ(Action("Menu_GeneratorSet")->text(), QStringLiteral("Модуляция генератора..."));
    With_Dialog([&](Generator_Dialog& dd) {
        EXPECT_EQ(dd.windowTitle(), QStringLiteral("Установки модуляции генератора"));
        EXPECT_EQ(dd.Mod_Type_Group()->button(1)->text(), QStringLiteral("ЧМ"));
        EXPECT_EQ(dd.Mod_Type_Group()->button(0)->text(), QStringLiteral("AM"));
        EXPECT_EQ(dd.Cancel_Button()->text(), QStringLiteral("Отмена"));
        EXPECT_EQ(dd.Mod_K_Box()->title(), QStringLiteral("Коэффициент АМ = 70.0 %"));
        EXPECT_EQ(dd.Dev_FM_Box()->title(), QStringLiteral("Девиация ЧМ = 3.000 KHz"));
        EXPECT_EQ(dd.Mod_Freq_Box()->title(), QStringLiteral("Модулирующая частота = 1.000 KHz"));
        dd.OK_Button()->click();
    });
    Action("Menu_English")->trigger();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Generator Modulation Settings"));
    EXPECT_EQ(d.Mod_Type_Group()->button(1)->text(), QStringLiteral("FM"));
    EXPECT_EQ(d.Cancel_Button()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(d.Mod_Freq_Box()->title(), QStringLiteral("Mod. Freq. = 1.000 KHz"));
}

TEST_F(Gen_Dialog, MenuItemFollowsTriggerInOptions) {
    auto* options = Find<QMenu>("Menu_Options");
    const auto actions = options->actions();
    ASSERT_GE(actions.size(), 2);
    int trig = -1, gen = -1;
    for (int i = 0; i < actions.size(); ++i) {
        if (actions[i]->objectName() == QLatin1String("Menu_Trigger")) trig = i;
        if (actions[i]->objectName() == QLatin1String("Menu_GeneratorSet")) gen = i;
    }
    ASSERT_GE(trig, 0);
    ASSERT_GT(gen, trig);
    // Only "FFT..." may stand between them.
    for (int i = trig + 1; i < gen; ++i) EXPECT_EQ(actions[i]->objectName(), QLatin1String("Menu_FFTSet"));
    EXPECT_TRUE(actions[gen + 1]->isSeparator());
}

}  // namespace
}  // namespace tovan::test
