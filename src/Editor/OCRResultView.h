#pragma once
// The sheet with the result of text recognition, 460 × 320 over the editor:
// the recognised text, selectable and scrolling, with "Erneut kopieren" to
// put all of it back on the clipboard; or, when nothing was found, a message
// alone. "Schließen" (Return) closes it, as does Escape.
#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class OCRResultView : public QDialog {
    Q_OBJECT
public:
    // copyText puts a text on the clipboard.
    OCRResultView(const QString& text, std::function<void(const QString&)> copyText, QWidget* parent = nullptr);

    QString text() const { return m_text; }

private:
    QString m_text;
    // Present only for a text that is not empty.
    QPlainTextEdit* m_textView = nullptr;
    QLabel* m_empty = nullptr;
    QPushButton* m_copyAgain = nullptr;
    QPushButton* m_close;
};
