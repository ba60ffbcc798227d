#pragma once
// The core never opens a window itself: whenever it has to tell the user
// something or ask a question it goes through this interface. The GUI
// implements it with Qt dialogs, the tests with scripted answers.
#include <cstdint>
#include <optional>
#include <string>

namespace tovan {

enum class Prompt_Icon { Information, Warning, Error, Question };
enum class Prompt_Buttons { Ok, Yes_No };
enum class Prompt_Answer { Ok, Yes, No };

// A file chooser. The filter is a list of "description|pattern" pairs
// joined by '|' ("Tovan1 Data File (*.tvd)|*.tvd|All Files (*.*)|*.*").
struct File_Dialog_Request {
    bool save = false;          // a save dialog asks before replacing a file
    std::string title;
    std::string initial_dir;    // empty: the implementation's choice
    std::string default_ext;    // ".tvd": appended when the chosen name has none
    std::string filter;
    std::string file_name;      // proposed name ("*.tvd" proposes none)
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // Modal message box; texts are UTF-8, lines separated by "\r\n".
    virtual Prompt_Answer Message_Box(const std::string& title, const std::string& text,
                                      Prompt_Icon icon, Prompt_Buttons buttons) = 0;
    // Asks the desktop to show a local document (the user manual) in the
    // program registered for it. False when it could not be handed over;
    // an implementation without a desktop opens nothing.
    virtual bool Open_Document(const std::string& path) {
        (void)path;
        return false;
    }
    // Modal file chooser: the chosen full path, or nothing on Cancel. An
    // implementation without a desktop chooses nothing.
    virtual std::optional<std::string> File_Dialog(const File_Dialog_Request& request) {
        (void)request;
        return std::nullopt;
    }
    // The colour picker (one for the whole program: it opens with the
    // colour last chosen in it): the picked colour as 0x00BBGGRR, or
    // nothing when the user cancels.
    virtual std::optional<uint32_t> Pick_Color() { return std::nullopt; }
};

}  // namespace tovan
