#pragma once
// Stands in for the tray panel's content view until that view is part of the
// program: the app's name, 340 px wide.
#include <QWidget>

struct AppEnvironment;

class MenuBarPlaceholderView : public QWidget {
    Q_OBJECT
public:
    explicit MenuBarPlaceholderView(const AppEnvironment& environment, QWidget* parent = nullptr);
};
