// Arbitrary bytes as a settings file: the reader, the parameter
// computation and a write-back of the loaded file must all stay sound.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/compute_params.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tovan;
    const bool full = size > 0 && (data[0] & 1);
    Ini_File ini;
    ini.Load_Text(std::string_view(reinterpret_cast<const char*>(data), size));
    Scope_Settings s;
    Read_Settings(ini, full, s);
    Device_Params p;
    Compute_Params(s, p);
    Ini_File again;
    again.Load_Text(ini.Text());
    if (again.Text() != ini.Text()) __builtin_trap();  // loading what we wrote is stable
    return 0;
}
