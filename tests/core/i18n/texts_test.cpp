#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

#include "i18n/all_texts.h"
#include "i18n/file_texts.h"

namespace tovan {
namespace {

bool Has_Cyrillic(const std::string& s) {
    // UTF-8 lead bytes 0xD0 and 0xD1 start the basic Cyrillic letters.
    for (unsigned char c : s)
        if (c == 0xD0 || c == 0xD1) return true;
    return false;
}

// Texts that read the same in both languages.
const std::set<std::string> Same_In_Both = {"OK", "Language", "English", "AM"};

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
            EXPECT_TRUE(Has_Cyrillic(t.text.ru)) << t.text.ru;
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
    [](const auto& info) { return std::string(info.param.name); });

TEST(File_Error_Texts, NoErrorNoTextAndUnknownReasonsKeepTheirCode) {
    EXPECT_EQ(File_Error_Text(File_Error{}, true), "");
    const std::string ru = Reason_Text(std::make_error_code(std::errc::too_many_links), true);
    EXPECT_EQ(ru.rfind("Системная ошибка " + std::to_string(int(std::errc::too_many_links)), 0), 0u) << ru;
}

}  // namespace
}  // namespace tovan
