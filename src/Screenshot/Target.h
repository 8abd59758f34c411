#pragma once
// What a scrolling capture captures once a window is picked: the page of a
// browser tab, a PDF document, or the window itself (scrolled and stitched).
#include "Screenshot/Doc.h"
#include "Screenshot/PickedWindow.h"
#include "Screenshot/Tab.h"

#include <QString>
#include <variant>

class Target {
public:
    enum class Kind { tab, pdf, window };

    static Target tab(Tab t) { return Target(std::move(t)); }
    static Target pdf(Doc d) { return Target(std::move(d)); }
    static Target window(PickedWindow w, QString name) { return Target(WindowCase{std::move(w), std::move(name)}); }

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    const Tab& tab() const { return std::get<Tab>(m_value); }
    const Doc& pdf() const { return std::get<Doc>(m_value); }
    const PickedWindow& window() const { return std::get<WindowCase>(m_value).window; }
    // Label handed to the window scroll loop, which writes it only to its log.
    const QString& windowName() const { return std::get<WindowCase>(m_value).name; }

private:
    struct WindowCase {
        PickedWindow window;
        QString name;
    };
    template <typename T>
    explicit Target(T v) : m_value(std::move(v)) { }
    std::variant<Tab, Doc, WindowCase> m_value;
};
