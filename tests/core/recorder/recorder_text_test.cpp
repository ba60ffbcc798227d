// What the recorder window and the frequency-meter log say: the size
// label's digit groups, the information lines, elapsed days, log lines.
#include <gtest/gtest.h>

#include "recorder/fm_log.h"
#include "recorder/rec_time.h"
#include "recorder/recorder.h"

namespace tovan {
namespace {

TEST(Recorder_Text, DigitGroupsOfTheSizeLabel) {
    const struct {
        uint64_t v;
        const char* text;
    } cases[] = {{0, "0"},           {999, "999"},           {1000, "1 000"},
                 {1234567, "1 234 567"}, {1234567890, "1234 567 890"}, {999999, "999 999"}};
    for (const auto& c : cases) EXPECT_EQ(Group_Digits(c.v), c.text) << c.v;
}

TEST(Recorder_Text, InformationLines) {
    Frame_Info f;
    f.Smpl_Period = 400;
    f.Frame_uV_Div = 1000000;
    f.Frame_Zero = 127;
    bool ready = false;
    std::vector<std::string> lines = Rec_Info_Lines(f, false, &ready);
    EXPECT_TRUE(ready);
    const std::vector<std::string> want = {"Sampling rate = 250 KHz",
                                           "Peak detector off, bytes per sample = 1",
                                           "Write speed = 858.306885 MBytes/hour",
                                           "",
                                           "Time step = 4.000 uS",
                                           "Voltage step = 31.25 mV",
                                           "Zero level = 127",
                                           ""};
    EXPECT_EQ(lines, want);

    f.Peak_Det = 1;
    lines = Rec_Info_Lines(f, true, &ready);
    EXPECT_EQ(lines[1], "Пиковый детектор включен, байт на отсчет = 2");
    EXPECT_EQ(lines[2], "Скорость записи = 1716.613770 МБайт/час");

    f.Smpl_Period = 0;
    EXPECT_EQ(Rec_Info_Lines(f, false, &ready), (std::vector<std::string>{"Not ready.", ""}));
    EXPECT_FALSE(ready);
}

TEST(Recorder_Text, ElapsedTimeInWholeDays) {
    const struct {
        const char* name;
        Local_Ms start, end;
        const char* text;
    } cases[] = {
        {"none", Local_Ms_Of(2026, 3, 1, 10, 0, 0), Local_Ms_Of(2026, 3, 1, 10, 0, 0), "0  00:00:00"},
        {"across midnight", Local_Ms_Of(2026, 3, 1, 23, 59, 50), Local_Ms_Of(2026, 3, 2, 0, 0, 15), "0  00:00:25"},
        {"over a day", Local_Ms_Of(2026, 2, 28, 12, 0, 0), Local_Ms_Of(2026, 3, 2, 13, 2, 3), "2  01:02:03"},
        {"clock set back", Local_Ms_Of(2026, 3, 1, 10, 0, 0), Local_Ms_Of(2026, 3, 1, 9, 0, 0), "0  00:00:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(Elapsed_Text(c.start, c.end), c.text) << c.name;
    EXPECT_EQ(Date_Time_Text(Local_Ms_Of(2024, 2, 29, 7, 8, 9)), "02/29/24 07:08:09");  // C locale
}

TEST(FM_Log_Text, LineOfTheReading) {
    const struct {
        const char* name;
        int32_t count, gate, ppm, input;
        const char* reading;
    } cases[] = {
        {"1000 Hz", 1001, 100000000, 0, 0, "1.000000 KHz"},
        {"10 ppm", 1001, 100000000, 50, 0, "1.000010 KHz"},
        {"x8 input", 1001, 100000000, 0, 2, "8.000000 KHz"},
        {"x8 and 10 ppm", 1001, 100000000, 50, 2, "8.000080 KHz"},
        {"external input not scaled", 1001, 100000000, 0, 1, "1.000000 KHz"},
        {"no gate", 1001, 0, 0, 0, "..."},
    };
    for (const auto& c : cases) {
        Frame_Info f;
        f.FM_Count = c.count;
        f.FM_Gate = c.gate;
        f.Frame_PPM = c.ppm;
        f.Frame_FM_Input = c.input;
        EXPECT_EQ(FM_Log_Line("D T", f), std::string("D T     Fin = ") + c.reading) << c.name;
    }
}

}  // namespace
}  // namespace tovan
