#pragma once
// The File menu's commands as a service of the session: waveform data
// files (".tvd") with their companion settings files, settings files
// (".tvs"), and the exports (image, text, raw binary, CSV). Dialogs and
// messages go through the prompts; the frame is read and replaced under
// the data lock. GUI thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/prompts.h"
#include "display/trace.h"
#include "i18n/text_pair.h"
#include "session/session.h"

namespace tovan {

struct Files_Hooks {
    // The screen picture as the bytes of an image file: PNG when `png`,
    // otherwise BMP. Nothing when there is no picture or it cannot be
    // encoded.
    std::function<std::optional<std::string>(bool png)> screen_image;
};

class Files_Service {
public:
    // `view` is the display state whose Data_File_Name the screen shows.
    Files_Service(Session& session, Display_State& view, Prompts& prompts, Files_Hooks hooks = {});

    // Saving, opening and exporting data are offered only while no run is
    // in progress (their shortcuts do nothing meanwhile).
    bool Available() const { return !session_.Inst().State.Run_State.load(); }

    void Save_Data();        // "Save..."
    void Open_Data();        // "Open..."
    void Save_Settings_As(); // "Save Settings..."
    void Open_Settings();    // "Open Settings..."
    void Export_Image();     // "Image..." (BMP, or PNG for a ".png" name)
    void Export_Text();      // "Text..."
    void Export_Row_Binary();// "Row Binary..."
    void Export_CSV();       // "CSV..."

    // Loads a data file into the live frame; a rejected file changes
    // nothing. False when the file was not loaded (the user was told).
    bool Load_Data_File(const std::string& path);
    // Reads a settings file (without calibration or system keys) and
    // applies it. False when it could not be opened (the user was told).
    bool Load_Settings_File(const std::string& path);
    // A file named on the command line or dropped on the window: ".tvs"
    // (exactly) as settings, anything else as data (refused while a run
    // is in progress).
    void Open_Path(const std::string& path);

    // The name a save dialog proposes for the extension (".bmp"): the
    // loaded or saved data file's name with that extension while the frame
    // came from a file, otherwise "*" and the extension.
    std::string Proposed_Name(const std::string& ext) const;

private:
    bool Ru() const { return session_.Inst().Settings.Russian; }
    std::optional<std::string> Ask_Save(const Text_Pair& title, const Text_Pair& filter, const std::string& ext);
    std::optional<std::string> Ask_Open(const Text_Pair& title, const Text_Pair& filter, const std::string& ext);
    // Writes the bytes; tells the user when the file cannot be written.
    bool Write(const std::string& path, const std::string& bytes, const Text_Pair& title);
    // Yes when the file does not exist or the user agrees to replace it.
    bool May_Replace(const std::string& path, const Text_Pair& title);
    bool Write_Settings_File(const std::string& path, const std::string& header, const Text_Pair& title);
    void Tell(const Text_Pair& title, const std::string& path, const Text_Pair& what, Prompt_Icon icon);
    std::unique_ptr<Frame_Data> Frame_Copy() const;

    Session& session_;
    Display_State& view_;
    Prompts& prompts_;
    Files_Hooks hooks_;
};

// The path with its extension (from the last '.' of the file name on)
// replaced by `ext`, or `ext` appended when the name has none.
std::string Replace_Extension(const std::string& path, const std::string& ext);
// Folder part and file name of a path.
std::string Folder_Of(const std::string& path);
std::string File_Name_Of(const std::string& path);

}  // namespace tovan
