#include "app/manual.h"

#include <filesystem>

#ifndef TOVAN_DOC_DIR
#define TOVAN_DOC_DIR ""
#endif

namespace tovan {

std::string Manual_File_Name(bool russian) {
    return std::string("tovan1_manual_") + (russian ? "ru" : "en") + ".html";
}

Manual_Lookup Find_Manual(const std::string& exe_dir, const std::string& doc_dir, bool russian) {
    namespace fs = std::filesystem;
    Manual_Lookup r;
    const std::string folders[2] = {exe_dir.empty() ? std::string() : (fs::path(exe_dir) / "doc").string(),
                                     doc_dir};
    for (const bool lang : {russian, !russian}) {
        for (const std::string& folder : folders) {
            if (folder.empty()) continue;
            const std::string path = (fs::path(folder) / Manual_File_Name(lang)).string();
            r.tried.push_back(path);
            std::error_code ec;
            if (fs::is_regular_file(path, ec)) {
                r.path = path;
                return r;
            }
        }
    }
    return r;
}

std::string Installed_Doc_Dir() { return TOVAN_DOC_DIR; }

}  // namespace tovan
