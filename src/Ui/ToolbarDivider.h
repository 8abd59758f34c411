#pragma once
// The thin vertical line that separates the groups of a toolbar row.
#include <QWidget>

class ToolbarDivider : public QWidget {
public:
    explicit ToolbarDivider(int height = 22, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};
