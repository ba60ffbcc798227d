#include "display/gen_mod_captions.h"

#include <gtest/gtest.h>

namespace tovan {
namespace {

struct Mod_Case {
    int mod_k, mod_k_x, dev, dev_x, freq, freq_x;
    const char* k_am;
    const char* dev_fm;
    const char* mod_freq;
};

class Gen_Mod_Captions_Table : public ::testing::TestWithParam<Mod_Case> {};

TEST_P(Gen_Mod_Captions_Table, English) {
    const Mod_Case& c = GetParam();
    Scope_Settings s;
    s.Mod_K = c.mod_k;
    s.Mod_K_x = c.mod_k_x;
    s.Dev_Freq = c.dev;
    s.Dev_Freq_x = c.dev_x;
    s.Mod_Freq = c.freq;
    s.Mod_Freq_x = c.freq_x;
    const Gen_Mod_Captions t = Make_Gen_Mod_Captions(s, false);
    EXPECT_EQ(t.Mod_K, c.k_am);
    EXPECT_EQ(t.Dev_FM, c.dev_fm);
    EXPECT_EQ(t.Mod_Freq, c.mod_freq);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, Gen_Mod_Captions_Table,
    ::testing::Values(
        // Defaults: 70 % depth, 3 kHz deviation, 1 kHz modulating frequency.
        Mod_Case{700, 0, 300, 0, 100, 0, "K AM = 70.0 %", "Dev. FM = 3.000 KHz", "Mod. Freq. = 1.000 KHz"},
        // Bottom of the bars: zero reads on the lowest frequency rung.
        Mod_Case{0, 0, 0, 0, 0, 0, "K AM = 0.0 %", "Dev. FM = 0.000 mHz", "Mod. Freq. = 0.000 mHz"},
        // One step on the small scales.
        Mod_Case{1, 0, 1, 0, 1, 0, "K AM = 0.1 %", "Dev. FM = 10.000 Hz", "Mod. Freq. = 10.000 Hz"},
        // One step on the large scales.
        Mod_Case{1, 1, 1, 1, 1, 1, "K AM = 0.2 %", "Dev. FM = 100.000 Hz", "Mod. Freq. = 100.000 Hz"},
        // Top of the bars on both scales.
        Mod_Case{1000, 0, 1000, 0, 1000, 0, "K AM = 100.0 %", "Dev. FM = 10.000 KHz", "Mod. Freq. = 10.000 KHz"},
        Mod_Case{1000, 1, 1000, 1, 1000, 1, "K AM = 200.0 %", "Dev. FM = 100.000 KHz",
                 "Mod. Freq. = 100.000 KHz"},
        // Values between the rungs.
        Mod_Case{999, 0, 15, 1, 99, 0, "K AM = 99.9 %", "Dev. FM = 1.500 KHz", "Mod. Freq. = 990.000 Hz"},
        Mod_Case{333, 1, 101, 0, 250, 1, "K AM = 66.6 %", "Dev. FM = 1.010 KHz", "Mod. Freq. = 25.000 KHz"},
        // A scale field other than 0 or 1 (hand-edited file) is the large scale.
        Mod_Case{500, 5, 20, -1, 30, 7, "K AM = 100.0 %", "Dev. FM = 2.000 KHz", "Mod. Freq. = 3.000 KHz"}));

TEST(Gen_Mod_Captions, RussianPrefixesKeepTheValues) {
    const Gen_Mod_Captions t = Make_Gen_Mod_Captions(Scope_Settings{}, true);
    EXPECT_EQ(t.Mod_K, "Коэффициент АМ = 70.0 %");
    EXPECT_EQ(t.Dev_FM, "Девиация ЧМ = 3.000 KHz");
    EXPECT_EQ(t.Mod_Freq, "Модулирующая частота = 1.000 KHz");
}

}  // namespace
}  // namespace tovan
