#pragma once
// Every text the user sees exists in Russian and English; the pair is
// resolved at the moment the text is set, by the current language.
namespace tovan {

struct Text_Pair {
    const char* ru;
    const char* en;
    const char* operator()(bool lang_russian) const { return lang_russian ? ru : en; }
};

}  // namespace tovan
