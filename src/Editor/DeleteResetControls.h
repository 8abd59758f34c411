#pragma once
// "Auswahl löschen" and "Alles zurücksetzen" at the end of the toolbar's
// option row: title and symbol, or the symbol alone while the toolbar is
// compact. Delete is on only with exactly one annotation selected (the Delete
// key takes several); reset only while there are annotations.
#include <QWidget>

class EditorViewModel;
class QToolButton;

class DeleteResetControls : public QWidget {
    Q_OBJECT
public:
    explicit DeleteResetControls(EditorViewModel& vm, QWidget* parent = nullptr);

    void setCompact(bool compact);

protected:
    void changeEvent(QEvent* e) override;

private:
    void sync();
    void retranslate();

    EditorViewModel& m_vm;
    QToolButton* m_delete;
    QToolButton* m_reset;
};
