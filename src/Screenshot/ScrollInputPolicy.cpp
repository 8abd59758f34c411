#include "Screenshot/ScrollInputPolicy.h"

#include <QStringList>

namespace {

// The last part of a reverse-domain id, lower case: "org.xfce.mousepad" is
// "mousepad", "debian-xterm" stays.
QString plainName(const QString& name)
{
    return name.section(QLatin1Char('.'), -1).toLower();
}

bool isTerminal(const QString& name)
{
    static const QStringList terminals = {
        QStringLiteral("konsole"),     QStringLiteral("yakuake"),   QStringLiteral("rxvt"),
        QStringLiteral("urxvt"),       QStringLiteral("alacritty"), QStringLiteral("kitty"),
        QStringLiteral("tilix"),       QStringLiteral("terminator"), QStringLiteral("terminology"),
        QStringLiteral("foot"),        QStringLiteral("footclient"), QStringLiteral("kgx"),
        QStringLiteral("console"),     QStringLiteral("guake"),     QStringLiteral("tilda"),
        QStringLiteral("sakura"),      QStringLiteral("blackbox"),  QStringLiteral("ptyxis"),
        QStringLiteral("st"),          QStringLiteral("st-256color"), QStringLiteral("contour"),
        QStringLiteral("cool-retro-term"), QStringLiteral("termite"), QStringLiteral("hyper"),
    };
    // xterm, uxterm, debian-xterm, wezterm, mlterm, gnome-terminal,
    // xfce4-terminal, lxterminal, qterminal, mate-terminal, terminal-server, …
    return name.endsWith(QLatin1String("term")) || name.contains(QLatin1String("terminal"))
        || terminals.contains(name);
}

bool isTextEditor(const QString& name)
{
    static const QStringList editors = {
        QStringLiteral("mousepad"),   QStringLiteral("gedit"),       QStringLiteral("texteditor"),
        QStringLiteral("gnome-text-editor"), QStringLiteral("kate"), QStringLiteral("kwrite"),
        QStringLiteral("pluma"),      QStringLiteral("xed"),         QStringLiteral("featherpad"),
        QStringLiteral("leafpad"),    QStringLiteral("l3afpad"),     QStringLiteral("geany"),
        QStringLiteral("gvim"),       QStringLiteral("emacs"),       QStringLiteral("code"),
        QStringLiteral("codium"),     QStringLiteral("vscodium"),    QStringLiteral("sublime_text"),
        QStringLiteral("notepadqq"),  QStringLiteral("scite"),       QStringLiteral("nedit"),
        QStringLiteral("gnome-builder"), QStringLiteral("builder"),  QStringLiteral("ghostwriter"),
        QStringLiteral("texstudio"),  QStringLiteral("kile"),        QStringLiteral("lapce"),
        QStringLiteral("zed"),        QStringLiteral("cudatext"),    QStringLiteral("xedit"),
    };
    return editors.contains(name);
}

} // namespace

ScrollInputPolicy::Kind ScrollInputPolicy::kindOf(const QString& applicationID, const QString& windowClass)
{
    const QString names[] = {plainName(windowClass), plainName(applicationID), windowClass.toLower(),
                             applicationID.toLower()};
    for (const QString& name : names)
        if (!name.isEmpty() && isTerminal(name))
            return Kind::terminal;
    for (const QString& name : names)
        if (!name.isEmpty() && isTextEditor(name))
            return Kind::textEditor;
    return Kind::ordinary;
}
