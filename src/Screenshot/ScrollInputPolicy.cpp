#include "Screenshot/ScrollInputPolicy.h"


namespace {

// The last part of a reverse-domain id, lower case: "org.xfce.mousepad" is
// "mousepad", "debian-xterm" stays.
QString plainName(const QString& name)
{
    return name.section(QLatin1Char('.'), -1).toLower();
}

// Programs named neither "…term" nor "…terminal" that are terminals, and text editors.
struct Known {
    const char* name;
    ScrollInputPolicy::Kind kind;
};
constexpr ScrollInputPolicy::Kind terminal = ScrollInputPolicy::Kind::terminal;
constexpr ScrollInputPolicy::Kind editor = ScrollInputPolicy::Kind::textEditor;
constexpr Known known[] = {
    {"konsole", terminal},     {"yakuake", terminal},    {"rxvt", terminal},        {"urxvt", terminal},
    {"alacritty", terminal},   {"kitty", terminal},      {"tilix", terminal},       {"terminator", terminal},
    {"terminology", terminal}, {"foot", terminal},       {"footclient", terminal},  {"kgx", terminal},
    {"console", terminal},     {"guake", terminal},      {"tilda", terminal},       {"sakura", terminal},
    {"blackbox", terminal},    {"ptyxis", terminal},     {"st", terminal},          {"st-256color", terminal},
    {"contour", terminal},     {"termite", terminal},    {"hyper", terminal},       {"mousepad", editor},
    {"gedit", editor},         {"texteditor", editor},   {"gnome-text-editor", editor}, {"kate", editor},
    {"kwrite", editor},        {"pluma", editor},        {"xed", editor},           {"featherpad", editor},
    {"leafpad", editor},       {"l3afpad", editor},      {"geany", editor},         {"gvim", editor},
    {"emacs", editor},         {"code", editor},         {"codium", editor},        {"vscodium", editor},
    {"sublime_text", editor},  {"notepadqq", editor},    {"scite", editor},         {"nedit", editor},
    {"gnome-builder", editor}, {"builder", editor},      {"ghostwriter", editor},   {"texstudio", editor},
    {"kile", editor},          {"lapce", editor},        {"zed", editor},           {"cudatext", editor},
    {"xedit", editor},
};

ScrollInputPolicy::Kind kindByName(const QString& name)
{
    // xterm, uxterm, debian-xterm, wezterm, mlterm, cool-retro-term,
    // gnome-terminal, xfce4-terminal, lxterminal, qterminal, mate-terminal, …
    if (name.endsWith(QLatin1String("term")) || name.contains(QLatin1String("terminal")))
        return terminal;
    for (const Known& k : known)
        if (name == QLatin1String(k.name))
            return k.kind;
    return ScrollInputPolicy::Kind::ordinary;
}

} // namespace

ScrollInputPolicy::Kind ScrollInputPolicy::kindOf(const QString& applicationID, const QString& windowClass)
{
    // A terminal by any of its names wins over an editor by another.
    Kind found = Kind::ordinary;
    for (const QString& name : {plainName(windowClass), plainName(applicationID), windowClass.toLower(),
                                applicationID.toLower()}) {
        const Kind kind = name.isEmpty() ? Kind::ordinary : kindByName(name);
        if (kind == Kind::terminal)
            return kind;
        if (kind != Kind::ordinary)
            found = kind;
    }
    return found;
}
