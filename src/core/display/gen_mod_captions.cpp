#include "display/gen_mod_captions.h"

#include "display/format_value.h"
#include "i18n/captions.h"

namespace tovan {

Gen_Mod_Captions Make_Gen_Mod_Captions(const Scope_Settings& s, bool ru) {
    Gen_Mod_Captions c;
    c.Mod_K = std::string(gen_mod_text::Mod_K(ru)) + Format_Fixed(Mod_Depth_Percent(s), 1) + " %";
    c.Dev_FM = std::string(gen_mod_text::Dev_FM(ru)) + Format_Value(Dev_Freq_Hz(s), Kind_Frequency, 3);
    c.Mod_Freq = std::string(gen_mod_text::Mod_Freq(ru)) + Format_Value(Mod_Freq_Hz(s), Kind_Frequency, 3);
    return c;
}

}  // namespace tovan
