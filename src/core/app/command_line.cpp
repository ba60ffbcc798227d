#include "app/command_line.h"

#include <filesystem>

#include "common/tovan1_version.h"
#include "i18n/cli_texts.h"

namespace tovan {
namespace {

bool Empty(const char* s) { return s == nullptr || *s == '\0'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Options that take a path.
struct Path_Option {
    const char* name;
    std::string Command_Line::*field;
};
constexpr Path_Option Path_Options[] = {
    {"--ini", &Command_Line::ini_path},
    {"--fpga-image", &Command_Line::fpga_image},
};

}  // namespace

const char* Software_Version_Text() { return Version_String; }

std::vector<std::string> Command_Line::Options_Not_Handed_Over() const {
    std::vector<std::string> out;
    if (demo) out.emplace_back("--demo");
    if (!ini_path.empty()) out.emplace_back("--ini");
    if (!fpga_image.empty()) out.emplace_back("--fpga-image");
    return out;
}

Command_Line Parse_Command_Line(const std::vector<std::string>& args, bool ru) {
    Command_Line c;
    auto fail = [&](const Text_Pair& what, const std::string& option) {
        c.action = Command_Line::Action::Error;
        c.error = what(ru) + option;
        return c;
    };
    bool options_ended = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options_ended || a.empty() || a[0] != '-') {
            c.files.push_back(a);
            continue;
        }
        if (a == "--") {
            options_ended = true;
            continue;
        }
        if (a == "--help") {
            c.action = Command_Line::Action::Help;
            return c;
        }
        if (a == "--version") {
            c.action = Command_Line::Action::Version;
            return c;
        }
        if (a == "--demo") {
            c.demo = true;
            continue;
        }
        if (a.rfind("--demo=", 0) == 0 || a.rfind("--help=", 0) == 0 || a.rfind("--version=", 0) == 0)
            return fail(Txt_Cli_No_Argument_Allowed, a.substr(0, a.find('=')));
        bool matched = false;
        for (const Path_Option& p : Path_Options) {
            const std::string name = p.name;
            if (a == name) {
                // The next argument is the path, whatever it looks like,
                // but there must be one and it must not be empty.
                if (i + 1 >= args.size() || args[i + 1].empty()) return fail(Txt_Cli_Missing_Argument, name);
                c.*p.field = args[++i];
                matched = true;
            } else if (a.rfind(name + "=", 0) == 0) {
                if (a.size() == name.size() + 1) return fail(Txt_Cli_Missing_Argument, name);
                c.*p.field = a.substr(name.size() + 1);
                matched = true;
            }
            if (matched) break;
        }
        if (!matched) return fail(Txt_Cli_Unknown_Option, a);
    }
    return c;
}

std::string Program_Name(std::string_view argv0) {
    std::string name = std::filesystem::path(std::string(argv0)).stem().string();
    return name.empty() ? std::string("tovan1") : name;
}

std::string Help_Text(const std::string& program, bool ru) {
    const std::string path = Txt_Cli_Path_Arg(ru);
    auto line = [](const std::string& opt, const char* what) {
        std::string l = "  " + opt;
        // Columns count characters, not the bytes of UTF-8.
        size_t width = 0;
        for (const char c : l) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (width < 24) l.append(24 - width, ' ');
        else l += "\n" + std::string(24, ' ');
        // Continuation lines of the description line up under its start.
        for (const char* c = what; *c; ++c) l += *c == '\n' ? "\n" + std::string(24, ' ') : std::string(1, *c);
        return l + "\n";
    };
    std::string t;
    t += Txt_Cli_Usage(ru) + program + Txt_Cli_Usage_Args(ru) + "\n";
    t += std::string(Txt_Cli_About(ru)) + "\n\n";
    t += std::string(Txt_Cli_Options(ru)) + "\n";
    t += line("--demo", Txt_Cli_Opt_Demo(ru));
    t += line("--ini " + path, Txt_Cli_Opt_Ini(ru));
    t += line("--fpga-image " + path, Txt_Cli_Opt_Fpga(ru));
    t += line("--help", Txt_Cli_Opt_Help(ru));
    t += line("--version", Txt_Cli_Opt_Version(ru));
    t += line("--", Txt_Cli_Opt_End(ru));
    t += "\n" + line(Txt_Cli_File_Arg(ru), Txt_Cli_Opt_File(ru));
    return t;
}

std::string Version_Text(const std::string& program) { return program + " " + Software_Version_Text() + "\n"; }

bool Display_Available(const char* display, const char* wayland_display, const char* qpa_platform) {
#if defined(_WIN32) || defined(__APPLE__)
    (void)display;
    (void)wayland_display;
    (void)qpa_platform;
    return true;
#else
    if (!Empty(display) || !Empty(wayland_display)) return true;
    if (Empty(qpa_platform)) return false;
    // A list of platforms to try in turn ("wayland;xcb"), each with
    // optional arguments after ':' ("offscreen:fontengine=freetype").
    static const char* const Displayless[] = {"offscreen", "minimal", "minimalegl", "vnc",
                                              "linuxfb",   "eglfs",   "vkkhrdisplay"};
    const std::string_view list(qpa_platform);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view entry = list.substr(start, end - start);
        entry = entry.substr(0, entry.find(':'));
        for (const char* p : Displayless)
            if (entry == p) return true;
        start = end + 1;
    }
    return false;
#endif
}

std::string Messages_Locale(const char* lc_all, const char* lc_messages, const char* lang,
                            std::string_view fallback) {
    for (const char* v : {lc_all, lc_messages, lang})
        if (!Empty(v)) return v;
    return std::string(fallback);
}

bool Initial_Lang_Russian(std::string_view locale, bool settings_file_exists) {
    if (settings_file_exists) return true;
    if (locale.size() < 2 || Lower(locale[0]) != 'r' || Lower(locale[1]) != 'u') return false;
    if (locale.size() == 2) return true;
    const char next = locale[2];
    return next == '_' || next == '-' || next == '.' || next == '@';
}

}  // namespace tovan
