#pragma once
// The core never opens a window itself: whenever it has to tell the user
// something or ask a question it goes through this interface. The GUI
// implements it with Qt dialogs, the tests with scripted answers.
#include <string>

namespace tovan {

enum class Prompt_Icon { Information, Warning, Error };
enum class Prompt_Buttons { Ok, Yes_No };
enum class Prompt_Answer { Ok, Yes, No };

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
};

}  // namespace tovan
