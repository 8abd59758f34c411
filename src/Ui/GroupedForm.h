#pragma once
// A settings form: sections stacked top to bottom, each a plain header text
// above a rounded group box of rows (see FormSection). Scrolls when the
// sections are taller than the space given to it.
#include <QScrollArea>

class FormSection;
class QVBoxLayout;

class GroupedForm : public QScrollArea {
    Q_OBJECT
public:
    explicit GroupedForm(QWidget* parent = nullptr);

    // A new section at the bottom; without a header when header is empty.
    FormSection* addSection(const QString& header = {});

    static constexpr int sideMargin = 20;
    // The extra room above the first and below the last section.
    static constexpr int verticalPadding = 4;
    static constexpr int topMargin = 16;
    static constexpr int sectionSpacing = 18;

private:
    QWidget* m_content;
    QVBoxLayout* m_sections;
};
