#pragma once
// A section title of the panel: the already translated text in capitals,
// small, semibold and secondary, slightly tracked.
#include <QLabel>

class SectionHeader : public QLabel {
    Q_OBJECT
public:
    explicit SectionHeader(const QString& title, QWidget* parent = nullptr);
};
