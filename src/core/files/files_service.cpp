#include "files/files_service.h"

#include <filesystem>

#include "app/handoff.h"
#include "files/exports.h"
#include "files/tvd_file.h"
#include "i18n/file_texts.h"
#include "i18n/files_texts.h"
#include "i18n/handoff_texts.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"

namespace tovan {

namespace fs = std::filesystem;

std::string Replace_Extension(const std::string& path, const std::string& ext) {
    return fs::path(path).replace_extension(ext).string();
}

std::string Folder_Of(const std::string& path) { return fs::path(path).parent_path().string(); }

std::string File_Name_Of(const std::string& path) { return fs::path(path).filename().string(); }

// True when both paths name one file (a companion that would replace the
// file it belongs to).
static bool Same_File(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec) || a == b;
}

Files_Service::Files_Service(Session& session, Display_State& view, Prompts& prompts, Files_Hooks hooks)
    : session_(session), view_(view), prompts_(prompts), hooks_(std::move(hooks)) {}

std::string Files_Service::Proposed_Name(const std::string& ext) const {
    const bool from_file = session_.With_Frame([](const Frame_Data& f, const Status_Values&) { return f.From_File; });
    if (from_file && !view_.Data_File_Name.empty()) return Replace_Extension(view_.Data_File_Name, ext);
    return "*" + ext;
}

std::optional<std::string> Files_Service::Ask_Save(const Text_Pair& title, const Text_Pair& filter,
                                                   const std::string& ext) {
    File_Dialog_Request r;
    r.save = true;
    r.title = title(Ru());
    r.initial_dir = session_.Last_Dir();
    r.default_ext = ext;
    r.filter = filter(Ru());
    r.file_name = Proposed_Name(ext);
    std::optional<std::string> path = prompts_.File_Dialog(r);
    if (path && path->empty()) path.reset();
    if (path) session_.Set_Last_Dir(Folder_Of(*path));
    return path;
}

std::optional<std::string> Files_Service::Ask_Open(const Text_Pair& title, const Text_Pair& filter,
                                                   const std::string& ext) {
    File_Dialog_Request r;
    r.title = title(Ru());
    r.initial_dir = session_.Last_Dir();
    r.default_ext = ext;
    r.filter = filter(Ru());
    std::optional<std::string> path = prompts_.File_Dialog(r);
    if (path && path->empty()) path.reset();
    if (path) session_.Set_Last_Dir(Folder_Of(*path));
    return path;
}

void Files_Service::Tell(const Text_Pair& title, const std::string& path, const Text_Pair& what, Prompt_Icon icon) {
    prompts_.Message_Box(title(Ru()), path + what(Ru()), icon, Prompt_Buttons::Ok);
}

bool Files_Service::Write(const std::string& path, const std::string& bytes, const Text_Pair& title) {
    const File_Error err = Write_File_Atomically(path, bytes);
    if (!err) return true;
    // The message of a file that cannot be created, followed by why: a
    // full disk or a folder in the way is worth knowing.
    std::string why = Reason_Text(err.reason, Ru());
    if (why.empty() && err.fault == File_Fault::Not_Regular_File) why = file_text::Not_Regular_File(Ru());
    std::string text = path + files_text::Cannot_Create(Ru());
    if (!why.empty()) text += "\r\n" + why;
    prompts_.Message_Box(title(Ru()), text, Prompt_Icon::Error, Prompt_Buttons::Ok);
    return false;
}

bool Files_Service::May_Replace(const std::string& path, const Text_Pair& title) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return true;
    return prompts_.Message_Box(title(Ru()), path + files_text::Ask_Replace(Ru()), Prompt_Icon::Warning,
                                Prompt_Buttons::Yes_No) == Prompt_Answer::Yes;
}

bool Files_Service::Write_Settings_File(const std::string& path, const std::string& header, const Text_Pair& title) {
    // The file is made anew with its header line, then the settings
    // writer adds the sections (keeping a header in section form).
    if (!Write(path, header, title)) return false;
    if (const File_Error err = Write_Settings(path, false, session_.Inst().Settings, System_Info{})) {
        std::string text = path + files_text::Cannot_Create(Ru());
        const std::string why = Reason_Text(err.reason, Ru());
        if (!why.empty()) text += "\r\n" + why;
        prompts_.Message_Box(title(Ru()), text, Prompt_Icon::Error, Prompt_Buttons::Ok);
        return false;
    }
    return true;
}

std::unique_ptr<Frame_Data> Files_Service::Frame_Copy() const {
    auto copy = std::make_unique<Frame_Data>();
    session_.With_Frame([&](const Frame_Data& f, const Status_Values&) { *copy = f; });
    return copy;
}

void Files_Service::Save_Data() {
    if (!Available()) return;
    const std::optional<std::string> path =
        Ask_Save(files_text::Save_Data_Dialog, files_text::Data_Save_Filter, ".tvd");
    if (!path) return;
    const std::unique_ptr<Frame_Data> frame = Frame_Copy();
    if (!Write(*path, Encode_TVD(*frame), files_text::Save_Data_Title)) return;
    view_.Data_File_Name = File_Name_Of(*path);
    session_.With_Frame_Mutable([](Frame_Data& f, Status_Values&) { f.From_File = true; });
    session_.Inst().Refresh_View();

    const std::string tvs = Replace_Extension(*path, ".tvs");
    if (Same_File(tvs, *path)) return;  // named ".tvs" itself: the data stays
    if (!May_Replace(tvs, files_text::Companion_Title)) return;
    Write_Settings_File(tvs, "Tovan1 SETTINGS FILE \r\n\r\n", files_text::Companion_Title);
}

void Files_Service::Open_Data() {
    if (!Available()) return;
    const std::optional<std::string> path =
        Ask_Open(files_text::Open_Data_Dialog, files_text::Data_Open_Filter, ".tvd");
    if (path) Load_Data_File(*path);
}

bool Files_Service::Load_Data_File(const std::string& path) {
    const std::optional<std::string> bytes = Read_File_Prefix(path, TVD_Max_Used_Size);
    if (!bytes) {
        Tell(Txt_Handoff_Data_Title, path, files_text::Not_Found, Prompt_Icon::Warning);
        return false;
    }
    auto loaded = std::make_unique<Frame_Data>();
    switch (Decode_TVD(*bytes, *loaded)) {
    case TVD_Status::Invalid_Format:
        Tell(Txt_Handoff_Data_Title, path, files_text::Invalid_Format, Prompt_Icon::Warning);
        return false;
    case TVD_Status::CRC_Error:
        Tell(Txt_Handoff_Data_Title, path, files_text::CRC_Error, Prompt_Icon::Warning);
        return false;
    case TVD_Status::Ok:
        break;
    }
    // A frame still being decoded would replace the loaded one: let the
    // acquisition thread finish its pass first.
    session_.Stop_And_Wait();
    session_.With_Frame_Mutable([&](Frame_Data& f, Status_Values&) { f = *loaded; });
    view_.Data_File_Name = File_Name_Of(path);
    Instrument& inst = session_.Inst();
    inst.Refresh_View();

    const std::string tvs = Replace_Extension(path, ".tvs");
    std::error_code ec;
    if (fs::exists(tvs, ec) &&
        prompts_.Message_Box(Txt_Handoff_Data_Title(Ru()), tvs + files_text::Ask_Open_Companion(Ru()),
                             Prompt_Icon::Question, Prompt_Buttons::Yes_No) == Prompt_Answer::Yes)
        Read_Settings(tvs, false, inst.Settings);
    inst.Settings.X_Pos = 0;
    inst.Apply_Settings();
    return true;
}

void Files_Service::Save_Settings_As() {
    const std::optional<std::string> path =
        Ask_Save(files_text::Save_Settings_Dialog, files_text::Settings_Save_Filter, ".tvs");
    if (path) Write_Settings_File(*path, "[Tovan1 SETTINGS FILE]\r\n\r\n", files_text::Save_Settings_Dialog);
}

void Files_Service::Open_Settings() {
    const std::optional<std::string> path =
        Ask_Open(files_text::Open_Settings_Dialog, files_text::Settings_Open_Filter, ".tvs");
    if (path) Load_Settings_File(*path);
}

bool Files_Service::Load_Settings_File(const std::string& path) {
    // Only a file that can be read is taken; a text without settings
    // gives every key its default.
    if (!Read_File_Prefix(path, 1)) {
        Tell(Txt_Handoff_Settings_Title, path, files_text::Not_Found, Prompt_Icon::Warning);
        return false;
    }
    Instrument& inst = session_.Inst();
    const Ini_Load_Failure why = Read_Settings(path, false, inst.Settings);
    if (why != Ini_Load_Failure::None) {
        // It opened, but it is not a file of settings (too large, not a
        // regular file) or vanished meanwhile: nothing changes.
        const std::string text = Ini_Load_Message(why, path, Ru());
        prompts_.Message_Box(Txt_Handoff_Settings_Title(Ru()),
                             text.empty() ? path + files_text::Not_Found(Ru()) : text, Prompt_Icon::Warning,
                             Prompt_Buttons::Ok);
        return false;
    }
    inst.Apply_Settings();
    return true;
}

void Files_Service::Open_Path(const std::string& path) {
    if (Is_Settings_File(path)) {
        Load_Settings_File(path);
    } else if (!Available()) {
        // The next frame would replace it at once.
        Tell(Txt_Handoff_Data_Title, path, Txt_Handoff_Running, Prompt_Icon::Error);
    } else {
        Load_Data_File(path);
    }
}

void Files_Service::Export_Image() {
    if (!Available()) return;
    const std::optional<std::string> path =
        Ask_Save(files_text::Save_Image_Title, files_text::Image_Filter, ".bmp");
    if (!path) return;
    std::string ext = fs::path(*path).extension().string();
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    std::optional<std::string> bytes;
    if (hooks_.screen_image) bytes = hooks_.screen_image(ext == ".png");
    if (!bytes) {
        Tell(files_text::Save_Image_Title, *path, files_text::Cannot_Create, Prompt_Icon::Error);
        return;
    }
    Write(*path, *bytes, files_text::Save_Image_Title);
}

void Files_Service::Export_Text() {
    if (!Available()) return;
    const std::optional<std::string> path = Ask_Save(files_text::Save_Text_Title, files_text::Text_Filter, ".txt");
    if (path) Write(*path, tovan::Export_Text(*Frame_Copy()), files_text::Save_Text_Title);
}

void Files_Service::Export_Row_Binary() {
    if (!Available()) return;
    const std::optional<std::string> path =
        Ask_Save(files_text::Save_Binary_Title, files_text::Binary_Filter, ".bin");
    if (!path) return;
    const std::unique_ptr<Frame_Data> frame = Frame_Copy();
    if (!Write(*path, tovan::Export_Row_Binary(*frame), files_text::Save_Binary_Title)) return;
    const std::string txt = Replace_Extension(*path, ".txt");
    if (Same_File(txt, *path)) return;
    if (!May_Replace(txt, files_text::Binary_Companion_Title)) return;
    Write(txt, Export_Row_Binary_Text(frame->Info, File_Name_Of(*path)), files_text::Binary_Companion_Title);
}

void Files_Service::Export_CSV() {
    if (!Available()) return;
    const std::optional<std::string> path = Ask_Save(files_text::Save_CSV_Title, files_text::CSV_Filter, ".csv");
    if (path) Write(*path, tovan::Export_CSV(*Frame_Copy()), files_text::Save_CSV_Title);
}

}  // namespace tovan
