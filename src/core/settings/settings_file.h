#pragma once
// Reading and writing the settings record as an INI file: the program's
// own file (full: machine-specific sections and keys included) and the
// ".tvs" and companion settings files (not full).
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/file_error.h"
#include "common/tovan1_version.h"
#include "settings/ini_file.h"
#include "settings/scope_settings.h"

namespace tovan {

inline constexpr int Soft_Version = Version_Number;

// Device facts written to section "System" of the program's own file, each
// only when known.
struct System_Info {
    std::optional<std::array<uint8_t, 5>> serial;  // while Serial_Valid
    int32_t firmware_version = -1;
    int32_t fpga_version = -1;
    std::optional<int32_t> tdc_rise, tdc_fall;  // while TDC_Valid
    std::optional<int32_t> vcc_10mV;            // while Vcc_Present
};

// Reads every key into the record (a missing file or key leaves the value
// as it is, or takes the fixed default where one is given). Does not
// apply the settings: the caller runs Apply_Settings afterwards.
// Returns why the file could not be read (Missing is no error: defaults).
Ini_Load_Failure Read_Settings(const std::string& path, bool full, Scope_Settings& s);
class Ini_File;
void Read_Settings(const Ini_File& ini, bool full, Scope_Settings& s);

// Loads the file if it exists, erases the known sections (never "System"
// or sections it does not know), writes the System information keys (full
// only) and every section, and replaces the file atomically. Returns the
// error (none on success); on failure the old file stays as it was.
File_Error Write_Settings(const std::string& path, bool full, const Scope_Settings& s,
                          const System_Info& info);

// The message for a settings file that exists but could not be read;
// empty for None and Missing.
std::string Ini_Load_Message(Ini_Load_Failure why, const std::string& path, bool lang_russian);

// A boolean key of section "System" (e.g. "Demo"); false when absent.
bool Read_System_Flag(const std::string& path, const char* key);

// Where the program keeps its own settings file: beside the executable
// with ".ini" when that folder is writable (a portable install), else in
// the per-user configuration folder (created when missing).
std::string Main_Ini_Path(const std::string& exe_path);

}  // namespace tovan
