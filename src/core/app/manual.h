#pragma once
// Where the user manual (an HTML file in each language) is looked for.
#include <string>
#include <vector>

namespace tovan {

struct Manual_Lookup {
    std::string path;                // the manual found; empty when none
    std::vector<std::string> tried;  // every file looked for, in order
};

// The manual's file name in a language: "tovan1_manual_ru.html" or
// "tovan1_manual_en.html".
std::string Manual_File_Name(bool russian);

// Looks for the manual in the interface language in `exe_dir`/doc, then in
// `doc_dir` (the installed documentation folder), then for the other
// language's edition in the same two places. An empty folder is skipped.
Manual_Lookup Find_Manual(const std::string& exe_dir, const std::string& doc_dir, bool russian);

// The documentation folder of this build's install prefix.
std::string Installed_Doc_Dir();

}  // namespace tovan
