// The recorder's commands without acquisition: admission, Start and Stop,
// the companion text file, the close question, and write errors from a
// disk that fails on demand; the frequency-meter log's file.
#include "recorder/recorder.h"

#include <gtest/gtest.h>

#include "recorder/fm_log.h"
#include "recorder_test_support.h"

namespace tovan {
namespace {

using namespace rec_test;

struct Clock {
    Local_Ms t = Local_Ms_Of(2026, 12, 10, 23, 59, 0);
    std::function<Local_Ms()> Fn() {
        return [this] { return t; };
    }
};

class Recorder_Window : public ::testing::Test {
protected:
    void SetUp() override {
        ps.s->Set_Last_Dir(dir.path.string());
        ps.Set_Frame(400, false);
    }
    Recorder& Rec() {
        if (!rec) rec = std::make_unique<Recorder>(*ps.s, ps.prompts, Recorder_Env{disk.Fn(), clock.Fn()});
        return *rec;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& s : ps.prompts.shown) t.push_back(s.text);
        return t;
    }
    Temp_Dir dir;
    Plain_Session ps;
    Failing_Disk disk;
    Clock clock;
    std::unique_ptr<Recorder> rec;
};

TEST_F(Recorder_Window, AdmissionRefusedInEachFailingCondition) {
    struct Case {
        const char* name;
        bool run, slow, fpga;
        Ft_Status link;
        bool admitted;
    };
    const Case cases[] = {
        {"all met", true, true, true, Ft_Ok, true},
        {"RUN up", false, true, true, Ft_Ok, false},
        {"triggered or fast", true, false, true, Ft_Ok, false},
        {"no FPGA", true, true, false, Ft_Ok, false},
        {"link failed", true, true, true, Ft_Io_Error, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ps.prompts.shown.clear();
        ps.s->Inst().Settings.Run = c.run;
        ps.s->Inst().Settings.Slow_Untriggered = c.slow;
        ps.s->Inst().State.FPGA_OK = c.fpga;
        ps.s->Inst().State.Link_Status = c.link;
        EXPECT_EQ(Rec().Admit(), c.admitted);
        if (c.admitted) {
            EXPECT_TRUE(ps.prompts.shown.empty());
        } else {
            ASSERT_EQ(ps.prompts.shown.size(), 1u);
            EXPECT_EQ(ps.prompts.shown[0].title, "Recorder");
            EXPECT_EQ(ps.prompts.shown[0].text, "Run 0.1 .. 20 S/Div. Disable Trigger.");
            EXPECT_EQ(ps.prompts.shown[0].icon, Prompt_Icon::Error);
        }
    }
}

TEST_F(Recorder_Window, StartThenStopGivesAnEmptyFileAndItsText) {
    Rec().Open_Window();
    const std::string bin = dir.File("recorder.bin");
    EXPECT_EQ(Rec().Get_View().file, bin);
    EXPECT_EQ(Rec().Get_View().size_label, "Size = ...");
    Rec().Start();
    ASSERT_TRUE(Rec().Recording());
    Recorder::View v = Rec().Get_View();
    EXPECT_FALSE(v.file_enabled || v.start_enabled || v.exit_enabled);
    EXPECT_TRUE(v.stop_enabled);
    EXPECT_TRUE(ps.s->Inst().State.Rec_Active.load());
    clock.t += 5000;
    Rec().Tick();
    EXPECT_EQ(Rec().Get_View().size_label, "Size = 0 Bytes    Time = 0  00:00:05");
    Rec().Stop();
    EXPECT_FALSE(Rec().Recording());
    EXPECT_FALSE(ps.s->Inst().State.Rec_Active.load());
    EXPECT_EQ(Read(bin), "");
    const std::string text = Read(dir.File("recorder.txt"));
    EXPECT_EQ(text.rfind("Oscilloscope recorder file = recorder.bin\r\n\r\nSampling rate = ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nStart recording = 12/10/26 23:59:00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nStop recording = 12/10/26 23:59:05\r\nSize = 0 Bytes\r\nTime = 0  00:00:05\r\n"),
              std::string::npos)
        << text;
    ASSERT_EQ(ps.prompts.shown.size(), 1u);  // the Stop question only
    EXPECT_EQ(ps.prompts.shown[0].text, "Stop recording?");
}

TEST_F(Recorder_Window, ARecordingOverDaysReportsWholeDays) {
    Rec().Open_Window();
    Rec().Start();
    clock.t += (2 * 86400 + 3600 + 2 * 60 + 3) * 1000LL;  // across two midnights
    Rec().Tick();
    EXPECT_EQ(Rec().Get_View().size_label, "Size = 0 Bytes    Time = 2  01:02:03");
}

TEST_F(Recorder_Window, RefusingTheStopQuestionAtCloseKeepsRecording) {
    Rec().Open_Window();
    Rec().Start();
    ps.prompts.Answer(Prompt_Answer::No);
    EXPECT_FALSE(Rec().Close_Request());
    EXPECT_TRUE(Rec().Recording());
    ps.Collect({1, 2, 3});
    Rec().Hand_Over();
    EXPECT_EQ(Rec().Rec_Bytes(), 3u);
    ps.prompts.Answer(Prompt_Answer::Yes);
    EXPECT_TRUE(Rec().Close_Request());
    EXPECT_FALSE(Rec().Recording());
    EXPECT_EQ(Read(dir.File("recorder.bin")), std::string("\x01\x02\x03", 3));
}

TEST_F(Recorder_Window, ARecordingNamedTxtKeepsItsBytes) {
    Rec().Open_Window();
    ps.prompts.Choose_File(dir.File("rec.txt"));
    Rec().Choose_File();
    ps.prompts.unscripted_answer = Prompt_Answer::Yes;
    Rec().Start();
    ps.Collect({7, 8, 9});
    Rec().Hand_Over();
    Rec().Stop();
    EXPECT_EQ(Read(dir.File("rec.txt")), std::string("\x07\x08\x09", 3));
}

TEST_F(Recorder_Window, ReplaceQuestionAndNotReady) {
    const std::string bin = dir.File("recorder.bin");
    std::ofstream(bin) << "kept";
    Rec().Open_Window();
    ps.prompts.Answer(Prompt_Answer::No);
    Rec().Start();
    EXPECT_FALSE(Rec().Recording());
    EXPECT_EQ(Read(bin), "kept");
    EXPECT_EQ(Texts(), std::vector<std::string>{bin + "\r\nThe file already exists. Replace existing file?"});

    // No frame yet: Start stays off until the window opens again, whatever
    // file is chosen.
    ps.Set_Frame(0, false);
    Rec().Open_Window();
    EXPECT_FALSE(Rec().Get_View().start_enabled);
    ps.Set_Frame(400, false);
    ps.prompts.Choose_File(dir.File("other.bin"));
    Rec().Choose_File();
    EXPECT_EQ(Rec().Get_View().file, dir.File("other.bin"));
    EXPECT_EQ(ps.s->Last_Dir(), dir.path.string());
    EXPECT_FALSE(Rec().Get_View().start_enabled);
    Rec().Start();
    EXPECT_FALSE(Rec().Recording());
}

TEST_F(Recorder_Window, FileThatCannotBeCreated) {
    ps.s->Set_Last_Dir((dir.path / "missing").string());
    Rec().Open_Window();
    Rec().Start();
    EXPECT_FALSE(Rec().Recording());
    EXPECT_EQ(Texts(), std::vector<std::string>{(dir.path / "missing" / "recorder.bin").string() +
                                                "\r\nCan't open file for writing."});
}

// A disk that fails: the recording ends at once with the file holding
// exactly what Rec_Bytes counts, the lines and the text file say why, and
// the user is told once.
TEST_F(Recorder_Window, WriteErrorsEndTheRecording) {
    struct Case {
        const char* name;
        long long budget;  // bytes the disk takes (-1: all)
        bool flush_fails;
        std::error_code why;
        uint64_t bytes;  // what the file and the count hold
        const char* line;  // the reason in the lines
    };
    const Case cases[] = {
        {"full at once", 0, false, std::make_error_code(std::errc::no_space_on_device), 0,
         "Recording stopped: the file could not be written. The disk is full."},
        {"full within a block", 150, false, std::make_error_code(std::errc::no_space_on_device), 150,
         "Recording stopped: the file could not be written. The disk is full."},
        {"full at a block's end", 200, false, std::make_error_code(std::errc::no_space_on_device), 200,
         "Recording stopped: the file could not be written. The disk is full."},
        {"stick removed", 120, false, std::make_error_code(std::errc::io_error), 120,
         "Recording stopped: the file could not be written. Input/output error."},
        {"flush at Stop", -1, true, {}, 300, "The file may not have been saved completely. Input/output error."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rec.reset();
        ps.prompts.shown.clear();
        disk.budget = c.budget;
        disk.flush_fails = c.flush_fails;
        disk.why = c.why;
        Rec().Open_Window();
        Rec().Start();
        ASSERT_TRUE(Rec().Recording());
        for (int block = 0; block < 3 && Rec().Recording(); ++block) {
            ps.Collect(std::vector<uint8_t>(100, static_cast<uint8_t>(block + 1)));
            Rec().Hand_Over();
        }
        if (c.flush_fails) {
            EXPECT_TRUE(Rec().Recording());
            Rec().Stop();
        } else {
            EXPECT_FALSE(Rec().Recording());
            EXPECT_FALSE(ps.s->Inst().State.Rec_Active.load());
            ps.Collect({9, 9});  // later bytes go nowhere
            Rec().Hand_Over();
            Rec().Tick();
        }
        EXPECT_EQ(Rec().Rec_Bytes(), c.bytes);
        EXPECT_EQ(fs::file_size(dir.File("recorder.bin")), c.bytes);
        const std::vector<std::string> memo = Rec().Get_View().memo;
        EXPECT_EQ(memo.back(), c.line);
        const std::string text = Read(dir.File("recorder.txt"));
        EXPECT_NE(text.find(std::string(c.line) + "\r\nSize = " + std::to_string(c.bytes) + " Bytes\r\n"),
                  std::string::npos)
            << text;
        // Told once, after the Stop question where there was one.
        const auto& shown = ps.prompts.shown;
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().icon, Prompt_Icon::Error);
        EXPECT_EQ(shown.back().text.rfind(dir.File("recorder.bin") + "\r\n", 0), 0u);
        EXPECT_EQ(shown.size(), c.flush_fails ? 2u : 1u);
        Rec().Tick();
        EXPECT_EQ(ps.prompts.shown.size(), shown.size());
        fs::remove(dir.File("recorder.bin"));
        fs::remove(dir.File("recorder.txt"));
    }
}

// --- frequency-meter log -----------------------------------------------------------

class FM_Log_File : public ::testing::Test {
protected:
    FM_Log& Log() {
        if (!log) {
            log = std::make_unique<FM_Log>(*ps.s, ps.prompts,
                                           FM_Log_Env{disk.Fn(), clock.Fn(), [this] { return dir.path.string(); }});
            log->On_Change([this](bool on) { changes.push_back(on); });
        }
        return *log;
    }
    void Set_Reading(int32_t count, int32_t gate) {
        ps.s->With_Frame_Mutable([&](Frame_Data& f, Status_Values&) {
            f.Info.FM_Count = count;
            f.Info.FM_Gate = gate;
        });
    }
    Temp_Dir dir;
    Plain_Session ps;
    Failing_Disk disk{"FMlog.txt"};
    Clock clock;
    std::unique_ptr<FM_Log> log;
    std::vector<bool> changes;
};

TEST_F(FM_Log_File, OffAndOnAgainAppendsASecondSeparator) {
    Log().Tick();  // off: nothing written
    Log().Toggle();
    EXPECT_TRUE(Log().On());
    Log().Tick();  // no gate time yet
    Set_Reading(1001, 100000000);
    clock.t += 1000;
    Log().Tick();
    Log().Toggle();
    Log().Tick();
    Log().Toggle();
    EXPECT_EQ(Read(dir.File("FMlog.txt")),
              "=====================================\r\n"
              "12/10/26 23:59:00     Fin = ...\r\n"
              "12/10/26 23:59:01     Fin = 1.000000 KHz\r\n"
              "=====================================\r\n");
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(ps.prompts.shown.empty());
}

TEST_F(FM_Log_File, AFailingFileIsReportedOnceAndTheItemUnchecked) {
    disk.budget = 40 + 33;  // the separator and one line
    Log().Toggle();
    for (int i = 0; i < 5; ++i) Log().Tick();
    EXPECT_FALSE(Log().On());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    ASSERT_EQ(ps.prompts.shown.size(), 1u);
    EXPECT_EQ(ps.prompts.shown[0].title, "FM Log");
    EXPECT_EQ(ps.prompts.shown[0].text,
              "FMlog.txt\r\nLogging stopped: the file could not be written.\r\nThe disk is full.");
}

TEST_F(FM_Log_File, AFileThatCannotBeOpenedLeavesTheItemUnchecked) {
    fs::create_directory(dir.File("FMlog.txt"));  // a folder in its place
    Log().Toggle();
    EXPECT_FALSE(Log().On());
    EXPECT_TRUE(changes.empty());
    ASSERT_EQ(ps.prompts.shown.size(), 1u);
    EXPECT_EQ(ps.prompts.shown[0].text, "FMlog.txt\r\nCan't open file for writing.");
}

}  // namespace
}  // namespace tovan
