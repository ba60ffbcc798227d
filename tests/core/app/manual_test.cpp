#include "app/manual.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace tovan {
namespace {

namespace fs = std::filesystem;

class Manual_Test : public ::testing::Test {
protected:
    Manual_Test() {
        fs::create_directories(exe / "doc");
        fs::create_directories(share);
    }
    ~Manual_Test() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void Put(const fs::path& dir, const char* name) { std::ofstream(dir / name) << "<html></html>"; }
    std::string In_Exe(const char* name) const { return (exe / "doc" / name).string(); }
    std::string In_Share(const char* name) const { return (share / name).string(); }

    static fs::path New_Root() {
        std::random_device rd;
        return fs::temp_directory_path() / ("tovan1_manual_" + std::to_string(rd()));
    }
    fs::path root = New_Root();
    fs::path exe = root / "bin";
    fs::path share = root / "share" / "doc" / "tovan1";
};

struct Manual_Case {
    const char* name;
    bool russian;
    bool exe_ru, exe_en, share_ru, share_en;  // which editions exist where
    const char* found_in;                     // "exe", "share" or nullptr
    const char* found_file;
    size_t tried;
};

class Manual_Lookup_Order : public Manual_Test, public ::testing::WithParamInterface<Manual_Case> {};

TEST_P(Manual_Lookup_Order, TakesTheFirstInLanguageThenPlaceOrder) {
    const auto& c = GetParam();
    if (c.exe_ru) Put(exe / "doc", "tovan1_manual_ru.html");
    if (c.exe_en) Put(exe / "doc", "tovan1_manual_en.html");
    if (c.share_ru) Put(share, "tovan1_manual_ru.html");
    if (c.share_en) Put(share, "tovan1_manual_en.html");
    const Manual_Lookup r = Find_Manual(exe.string(), share.string(), c.russian);
    if (c.found_in == nullptr) {
        EXPECT_EQ(r.path, "");
    } else {
        const fs::path dir = std::string(c.found_in) == "exe" ? exe / "doc" : share;
        EXPECT_EQ(r.path, (dir / c.found_file).string());
    }
    EXPECT_EQ(r.tried.size(), c.tried);
}

INSTANTIATE_TEST_SUITE_P(
    Manual, Manual_Lookup_Order,
    ::testing::Values(
        Manual_Case{"BesideTheProgram", true, true, true, true, true, "exe", "tovan1_manual_ru.html", 1},
        Manual_Case{"InstalledCopy", false, false, false, true, true, "share", "tovan1_manual_en.html", 2},
        Manual_Case{"InstalledBeatsOtherLanguage", true, false, true, true, false, "share",
                    "tovan1_manual_ru.html", 2},
        Manual_Case{"OtherLanguageBeside", true, false, true, false, false, "exe", "tovan1_manual_en.html", 3},
        Manual_Case{"OtherLanguageInstalled", false, false, false, true, false, "share",
                    "tovan1_manual_ru.html", 4},
        Manual_Case{"Nowhere", false, false, false, false, false, nullptr, "", 4}),
    [](const auto& tp) { return std::string(tp.param.name); });

TEST_F(Manual_Test, NothingFoundListsEveryPlaceInOrder) {
    const Manual_Lookup r = Find_Manual(exe.string(), share.string(), true);
    const std::vector<std::string> expected = {In_Exe("tovan1_manual_ru.html"), In_Share("tovan1_manual_ru.html"),
                                               In_Exe("tovan1_manual_en.html"), In_Share("tovan1_manual_en.html")};
    EXPECT_EQ(r.tried, expected);
    // A folder of that name is not a manual; an empty folder is not looked in.
    fs::create_directory(exe / "doc" / "tovan1_manual_ru.html");
    EXPECT_EQ(Find_Manual(exe.string(), "", true).tried.size(), 2u);
    EXPECT_EQ(Find_Manual(exe.string(), "", true).path, "");
}

}  // namespace
}  // namespace tovan
