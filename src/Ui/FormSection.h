#pragma once
// One section of a GroupedForm: an optional header text, a rounded group box
// whose rows are parted by hairlines, and an optional footer note below it.
// Captions (small secondary notes) sit in the cell of the row above them.
#include <QWidget>

class QLabel;
class QVBoxLayout;
class ToggleSwitch;

class FormSection : public QWidget {
    Q_OBJECT
public:
    explicit FormSection(const QString& header = {}, QWidget* parent = nullptr);

    // Adds a row (reparented into the box) below the previous one.
    QWidget* addRow(QWidget* row);
    // A row of a text on the left and a control at the right edge.
    QWidget* addRow(const QString& text, QWidget* control);
    // A row of a text and an on/off switch; the switch is named by the text.
    ToggleSwitch* addToggle(const QString& text);
    // A caption-style note in the cell of the last row.
    QLabel* addCaption(const QString& text);
    // A caption-style note below the box.
    QLabel* setFooter(const QString& text);

    // Caption text as the forms show it: small, in the secondary colour.
    static QLabel* makeCaption(const QString& text, QWidget* parent);

    static constexpr int rowMinHeight = 36;
    static constexpr int cellHPadding = 12;
    static constexpr int cellVPadding = 6;
    static constexpr qreal boxRadius = 8;

private:
    QLabel* m_header = nullptr;
    QLabel* m_footer = nullptr;
    QWidget* m_box;
    QVBoxLayout* m_boxLayout;
    QVBoxLayout* m_lastCell = nullptr;
    int m_rows = 0;
};
