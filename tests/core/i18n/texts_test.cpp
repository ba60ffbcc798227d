#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "i18n/all_texts.h"
#include "i18n/file_texts.h"

namespace tovan {
namespace {

namespace fs = std::filesystem;

bool Has_Cyrillic(const std::string& s) {
    // UTF-8 lead bytes 0xD0 and 0xD1 start the basic Cyrillic letters.
    for (unsigned char c : s)
        if (c == 0xD0 || c == 0xD1) return true;
    return false;
}

// Texts that read the same in both languages: names, units and numbers,
// the screen's read-outs and the device search's debug questions.
const std::set<std::string> Same_In_Both = {
    "OK", "Language", "English", "AM", "x1", "x10", "x100", " (x10)", " (x100)", "10K", "100K", "100%", "200%",
    // Device search in debug mode.
    "Number of devices = ", "True device found.", "Ather device found.", "\r\nDescription = ", "\r\nDev_Index = ",
    "\r\nDev_Loc = ", "\r\nOpen ?",
    // Screen read-outs.
    "/Div", "    p.d.", "Trig. ", " ext.", "     N = ", "Span ", " dBV", " dBm", " dBm (600 ohm)", " dBm (50 ohm)",
    "Vp-p = ", "Vdc = ", "Vp = ", "Fp = ", "Fin = ", "V = ", "F = ", "T = ", "dF = ", "dV = ", "dT = ", "F1 = ",
    "F2 = ", "1/dT = ", "V", "F", "dF", "dV", "F1", "F2", "Fsmpl = ", "Smpl = ", "Smpl = 2 x ", "Div = ", "FPS = ",
    " (Lost = ", "Vcc = ", "ERR_CRC_PS = ", "   Fmod ", "Dev ", "K ", "Noise (uniform spectrum 0..10 MHz)",
    // Export of a comma-separated table.
    "CSV...",
    // Calibration dialogs: values lines and units.
    "...", "Point1 = ", "      Point2 = ", "      Offset = ", "10/", " nS", "PPM = ",
    // The frequency-meter log line.
    "     Fin = "};

// Russian texts that are a name alone (the English one says more).
const std::set<std::string> Name_In_Russian = {"Tovan1"};

TEST(Text_Pairs, EveryPairHasBothLanguages) {
    const std::vector<Named_Text> all = All_Text_Pairs();
    ASSERT_GT(all.size(), 100u);
    for (const Named_Text& t : all) {
        SCOPED_TRACE(t.name);
        ASSERT_NE(t.text.ru, nullptr);
        ASSERT_NE(t.text.en, nullptr);
        EXPECT_NE(std::string(t.text.ru), "");
        EXPECT_NE(std::string(t.text.en), "");
        EXPECT_FALSE(Has_Cyrillic(t.text.en)) << t.text.en;
        if (Same_In_Both.count(t.text.en)) {
            EXPECT_STREQ(t.text.ru, t.text.en);
        } else {
            EXPECT_STRNE(t.text.ru, t.text.en);
            if (!Name_In_Russian.count(t.text.ru)) {
                EXPECT_TRUE(Has_Cyrillic(t.text.ru)) << t.text.ru;
            }
        }
    }
}

// A folder of the sources (the build passes their place in).
fs::path Source_Folder(const char* sub) { return (fs::path(TOVAN_SOURCE_DIR) / sub).lexically_normal(); }

std::string Read_All(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A pair, or a table of pairs, defined at namespace scope.
const std::regex Pair_Definition(
    R"(^\s*(?:inline\s+|static\s+|extern\s+)*(?:constexpr|const)\s+(?:Text_Pair|std::array<\s*Text_Pair\s*,\s*\w+\s*>)\s+(\w+))");

// Qualified names (below tovan::) of the pairs the i18n headers define.
std::set<std::string> Pairs_Defined_In(const fs::path& header) {
    std::set<std::string> names;
    std::vector<std::string> ns;
    const std::regex open_ns(R"(^namespace\s+([\w:]+)\s*\{)");
    const std::regex close_ns(R"(^\}\s*//\s*namespace)");
    std::istringstream in(Read_All(header));
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_search(line, m, open_ns)) {
            ns.push_back(m[1]);
        } else if (std::regex_search(line, close_ns)) {
            if (!ns.empty()) ns.pop_back();
        } else if (std::regex_search(line, m, Pair_Definition)) {
            std::string q;
            for (const std::string& n : ns) {
                std::string rest = n;
                for (size_t at; !rest.empty();) {
                    at = rest.find("::");
                    const std::string part = rest.substr(0, at);
                    if (part != "tovan") q += part + "::";
                    rest = at == std::string::npos ? "" : rest.substr(at + 2);
                }
            }
            names.insert(q + std::string(m[1]));
        }
    }
    return names;
}

TEST(Text_Pairs, EveryPairOfTheHeadersIsChecked) {
    const fs::path dir = Source_Folder("core/i18n");
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    std::set<std::string> listed;
    for (const Named_Text& t : All_Text_Pairs()) listed.insert(t.name);
    size_t defined = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() != ".h") continue;
        for (const std::string& name : Pairs_Defined_In(e.path())) {
            ++defined;
            EXPECT_TRUE(listed.count(name)) << name << " (" << e.path().filename().string()
                                            << ") is missing from All_Text_Pairs";
        }
    }
    EXPECT_GT(defined, 100u);  // the scan found the headers' pairs
}

TEST(Text_Pairs, NoPairIsDefinedOutsideTheTextFolder) {
    const fs::path src = Source_Folder("");
    const fs::path i18n = Source_Folder("core/i18n");
    ASSERT_TRUE(fs::is_directory(i18n)) << i18n;
    for (const auto& e : fs::recursive_directory_iterator(src)) {
        const fs::path& p = e.path();
        if (!e.is_regular_file() || (p.extension() != ".h" && p.extension() != ".cpp")) continue;
        if (p.parent_path() == i18n) continue;
        std::istringstream in(Read_All(p));
        int line_no = 0;
        for (std::string line; std::getline(in, line);) {
            ++line_no;
            std::smatch m;
            EXPECT_FALSE(std::regex_search(line, m, Pair_Definition))
                << p.string() << ":" << line_no << ": pair " << m[1] << " belongs in src/core/i18n/";
        }
    }
}

struct File_Error_Case {
    const char* name;
    File_Error error;
    const char* ru;  // expected lines after the path
    const char* en;
};

class File_Error_Texts : public ::testing::TestWithParam<File_Error_Case> {};

TEST_P(File_Error_Texts, ComeInTheChosenLanguage) {
    const auto& c = GetParam();
    EXPECT_EQ(File_Error_Text(c.error, true), c.error.path + "\r\n" + c.ru);
    EXPECT_EQ(File_Error_Text(c.error, false), c.error.path + "\r\n" + c.en);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, File_Error_Texts,
    ::testing::Values(
        File_Error_Case{"ReadOnlyFile",
                        {File_Fault::Cannot_Write, "/x/t.ini", std::make_error_code(std::errc::permission_denied)},
                        "Не удалось записать файл.\r\nНет доступа.",
                        "The file cannot be written.\r\nAccess denied."},
        File_Error_Case{"MissingFolder",
                        {File_Fault::Cannot_Write, "/x/t.ini", std::error_code(ENOENT, std::system_category())},
                        "Не удалось записать файл.\r\nФайл или папка не существует.",
                        "The file cannot be written.\r\nNo such file or folder."},
        File_Error_Case{"UnreadableOldFile", {File_Fault::Cannot_Read_Existing, "/x/t.ini", {}},
                        "Не удалось прочитать имеющийся файл; он оставлен без изменений.",
                        "The existing file cannot be read; it is left as it is."},
        File_Error_Case{"WrongImageSize", {File_Fault::Not_FPGA_Image, "/x/f.bin", {}, 0},
                        "Файл не является образом FPGA, размер: 0 байт.",
                        "The file is not an FPGA image, size: 0 bytes."}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST(File_Error_Texts, NoErrorNoTextAndUnknownReasonsKeepTheirCode) {
    EXPECT_EQ(File_Error_Text(File_Error{}, true), "");
    const std::string ru = Reason_Text(std::make_error_code(std::errc::too_many_links), true);
    EXPECT_EQ(ru.rfind("Системная ошибка " + std::to_string(int(std::errc::too_many_links)), 0), 0u) << ru;
}

}  // namespace
}  // namespace tovan
