#pragma once
// The window part of a feature: the feature's service lives in the core;
// this part adds the menu items and dialogs that reach it and keeps their
// texts in the current language. Main_Window::Add_Feature installs it.
namespace tovan {

class Main_Window;

class Window_Feature {
public:
    virtual ~Window_Feature() = default;
    // Adds the feature's menu items (and dialogs) to the window.
    virtual void Install(Main_Window& window) = 0;
    // Sets the feature's texts for the language.
    virtual void Apply_Language(bool lang_russian) = 0;
};

}  // namespace tovan
