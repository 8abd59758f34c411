#pragma once
// The application as assistive technology sees it. Qt leaves popup windows
// out of the application's children (menus are announced as they open), so
// the tray panel, a popup full of controls, could not be found at all. This
// lists visible popups other than menus among the application's windows.
#include <QAccessibleApplication>

class AccessibleApplication : public QAccessibleApplication {
public:
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    // Makes the application's interface this one; call before any assistive
    // technology asks for it (the first interface made is kept).
    static void install();

private:
    static QObjectList shownPopups();
};
