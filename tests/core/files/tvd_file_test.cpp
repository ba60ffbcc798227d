// The waveform data file: its bytes for each kind of frame, the way back
// to the same frame, the loader's checks and its limits.
#include "files/tvd_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "files_fixtures.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tovan {
namespace {

using test_support::Bytes;
using test_support::Expected_Header;
using test_support::Fixture_Frame;
using test_support::Make_Frame;

constexpr int32_t E = No_Sample;

struct Layout_Case {
    Fixture_Frame frame;
    std::string samples;  // the bytes after the header
};

const Layout_Case Layouts[] = {
    {{"empty frame", 0, 0, 0, {}, {}, {}, {}}, ""},
    {{"normal", 3, 0, 0, {10, 128, 254}, {}, {}, {}}, Bytes({10, 128, 254})},
    {{"peak detect", 3, 1, 0, {10, 20, 30}, {11, 21, 31}, {}, {}}, Bytes({10, 11, 20, 21, 30, 31})},
    {{"peak detect with external trace", 2, 1, 1, {10, 20}, {11, 21}, {4, 28}, {28, 4}},
     Bytes({10, 11, 20, 21, 4, 28, 28, 4})},
    {{"value 255", 2, 0, 0, {255, 7}, {}, {}, {}}, Bytes({0xFF, 7})},
    {{"empty entry in the middle", 3, 0, 0, {1, E, 3}, {}, {}, {}}, Bytes({1, 0xFF, 3})},
    {{"external levels", 3, 0, 1, {5, 6, 7}, {}, {4, 28, E}, {}}, Bytes({5, 6, 7, 4, 28, 0xFF})},
};

class Tvd_Layout : public ::testing::TestWithParam<Layout_Case> {};

TEST_P(Tvd_Layout, BytesSizeAndRoundTrip) {
    const Layout_Case& c = GetParam();
    const auto frame = Make_Frame(c.frame);
    const std::string bytes = Encode_TVD(*frame);
    const size_t per_entry = (c.frame.peak ? 2u : 1u) * (c.frame.ext ? 2u : 1u);
    EXPECT_EQ(bytes.size(), TVD_Header_Size + per_entry * static_cast<size_t>(c.frame.n));
    EXPECT_EQ(bytes, Expected_Header(c.frame.n, c.frame.peak, c.frame.ext) + c.samples);

    auto loaded = std::make_unique<Frame_Data>();
    ASSERT_EQ(Decode_TVD(bytes, *loaded), TVD_Status::Ok);
    EXPECT_TRUE(loaded->From_File);
    EXPECT_EQ(0, std::memcmp(&loaded->Info, &frame->Info, sizeof(Frame_Info)));
    EXPECT_EQ(Encode_TVD(*loaded), bytes);
    for (size_t i = 0; i < static_cast<size_t>(c.frame.n); ++i) {
        // 255 and the empty marker both come back empty; without peak
        // detect the second array repeats the first.
        const auto back = [](int32_t v) { return v > 254 ? E : v; };
        EXPECT_EQ(loaded->Smpl_Buf_A[i], back(frame->Smpl_Buf_A[i])) << i;
        EXPECT_EQ(loaded->Smpl_Buf_B[i], c.frame.peak ? back(frame->Smpl_Buf_B[i]) : loaded->Smpl_Buf_A[i]) << i;
        EXPECT_EQ(loaded->Trig_Buf_A[i], c.frame.ext ? back(frame->Trig_Buf_A[i]) : E) << i;
        EXPECT_EQ(loaded->Trig_Buf_B[i], c.frame.ext && c.frame.peak ? back(frame->Trig_Buf_B[i])
                                                                     : loaded->Trig_Buf_A[i]) << i;
    }
    EXPECT_EQ(loaded->Smpl_Buf_A[static_cast<size_t>(c.frame.n)], E);
}

INSTANTIATE_TEST_SUITE_P(Frames, Tvd_Layout, ::testing::ValuesIn(Layouts), [](const ::testing::TestParamInfo<Layout_Case>& p) {
    std::string n = p.param.frame.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

struct Reject_Case {
    const char* name;
    void (*spoil)(std::string&);
    TVD_Status expected;
};

const Reject_Case Rejects[] = {
    {"wrong magic", [](std::string& b) { b[2] = 'X'; }, TVD_Status::Invalid_Format},
    {"byte 4 not 0", [](std::string& b) { b[4] = 1; }, TVD_Status::Invalid_Format},
    {"version not 100", [](std::string& b) { b[5] = 101; }, TVD_Status::Invalid_Format},
    {"106 bytes", [](std::string& b) { b.resize(106); }, TVD_Status::Invalid_Format},
    {"changed byte at 6", [](std::string& b) { b[6] ^= 0x40; }, TVD_Status::CRC_Error},
    {"changed byte at 105", [](std::string& b) { b[105] ^= 0x01; }, TVD_Status::CRC_Error},
};

TEST(Tvd_Loader, RejectsAndLeavesTheTargetAlone) {
    for (const Reject_Case& c : Rejects) {
        SCOPED_TRACE(c.name);
        std::string bytes = Encode_TVD(*Make_Frame(Layouts[0].frame));
        c.spoil(bytes);
        EXPECT_EQ(Check_TVD(bytes), c.expected);
        auto target = Make_Frame(Layouts[3].frame);
        const auto before = Make_Frame(Layouts[3].frame);
        EXPECT_EQ(Decode_TVD(bytes, *target), c.expected);
        EXPECT_EQ(0, std::memcmp(target.get(), before.get(), sizeof(Frame_Data)));
    }
}

TEST(Tvd_Loader, HugeCountStoresAtMostTheArrays) {
    Fixture_Frame fx{"huge", 3, 1, 1, {}, {}, {}, {}};
    auto frame = Make_Frame(fx);
    frame->Info.Smpl_Count = 1000000;
    std::string bytes = Encode_TVD(*frame);
    // The writer keeps to the arrays as well.
    EXPECT_EQ(bytes.size(), TVD_Header_Size + 4u * Smpl_Buf_Size);
    for (size_t i = TVD_Header_Size; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 200);
    bytes += std::string(1000, '\x05');  // more than any frame holds
    auto loaded = std::make_unique<Frame_Data>();
    ASSERT_EQ(Decode_TVD(bytes, *loaded), TVD_Status::Ok);
    EXPECT_EQ(loaded->Info.Smpl_Count, 1000000);  // the record as stored
    EXPECT_EQ(loaded->Smpl_Buf_A[0], static_cast<int32_t>(TVD_Header_Size % 200));
    EXPECT_EQ(loaded->Trig_Buf_B[Smpl_Buf_Size - 1], static_cast<int32_t>((bytes.size() - 1001) % 200));
}

TEST(Tvd_Loader, FileEndingEarlyLoadsWhatIsThere) {
    const Fixture_Frame fx{"cut", 3, 1, 1, {10, 20, 30}, {11, 21, 31}, {4, 4, 4}, {28, 28, 28}};
    std::string bytes = Encode_TVD(*Make_Frame(fx));
    bytes.resize(TVD_Header_Size + 3);  // entry 0 whole, entry 1 half
    auto loaded = std::make_unique<Frame_Data>();
    ASSERT_EQ(Decode_TVD(bytes, *loaded), TVD_Status::Ok);
    EXPECT_EQ(loaded->Smpl_Buf_A[0], 10);
    EXPECT_EQ(loaded->Smpl_Buf_B[0], 11);
    EXPECT_EQ(loaded->Smpl_Buf_A[1], 20);
    EXPECT_EQ(loaded->Smpl_Buf_B[1], 20);  // its second byte is missing
    EXPECT_EQ(loaded->Smpl_Buf_A[2], E);
    EXPECT_EQ(loaded->Trig_Buf_A[0], E);
}

TEST(Tvd_Loader, NegativeCountLoadsNoEntries) {
    Fixture_Frame fx{"negative", 2, 0, 0, {1, 2}, {}, {}, {}};
    auto frame = Make_Frame(fx);
    frame->Info.Smpl_Count = -5;
    const std::string bytes = Encode_TVD(*frame) + Bytes({1, 2, 3});
    EXPECT_EQ(bytes.size(), TVD_Header_Size + 3);
    auto loaded = std::make_unique<Frame_Data>();
    ASSERT_EQ(Decode_TVD(bytes, *loaded), TVD_Status::Ok);
    EXPECT_EQ(loaded->Smpl_Buf_A[0], E);
}

TEST(Read_File_Prefix, ReadsRegularFilesOnly) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tovan1_tvd_read_" + std::to_string(reinterpret_cast<uintptr_t>(&dir)));
    fs::create_directories(dir);
    const fs::path file = dir / "a.tvd";
    std::ofstream(file, std::ios::binary) << "0123456789";
    EXPECT_EQ(Read_File_Prefix(file.string(), 4), std::optional<std::string>("0123"));
    EXPECT_EQ(Read_File_Prefix(file.string(), 100), std::optional<std::string>("0123456789"));
    EXPECT_FALSE(Read_File_Prefix((dir / "missing.tvd").string(), 100));
    EXPECT_FALSE(Read_File_Prefix(dir.string(), 100));
#if defined(__unix__) || defined(__APPLE__)
    const fs::path fifo = dir / "pipe.tvd";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(Read_File_Prefix(fifo.string(), 100));  // returns at once, no writer needed
#endif
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tovan
