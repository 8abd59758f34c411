#pragma once
// The chip that stands for the whole tools group when the toolbar is at its
// narrowest: the current tool's symbol and a small chevron on an accent field.
#include <QWidget>

class EditorViewModel;

class CompactToolTrigger : public QWidget {
    Q_OBJECT
public:
    explicit CompactToolTrigger(EditorViewModel& vm, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    EditorViewModel& m_vm;
};
