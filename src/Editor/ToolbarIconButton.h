#pragma once
// An icon-only push button of the editor toolbar: a symbol on a rounded
// field that is faint while the pointer is over it and darker while pressed.
// A checkable one stays pressed while on; a prominent one is filled with the
// accent colour and draws its symbol in white. Its name for assistive
// technology is the text given with setName, also shown as its tooltip.
#include <QAbstractButton>

class ToolbarIconButton : public QAbstractButton {
    Q_OBJECT
public:
    ToolbarIconButton(const QString& symbolName, QSize size, QWidget* parent = nullptr);

    void setProminent(bool prominent);
    // The accessible name; shown as the toolbar's delayed tooltip (gooeyTip).
    void setName(const QString& name);

    QSize sizeHint() const override { return m_size; }
    QSize minimumSizeHint() const override { return m_size; }

    static constexpr qreal iconPx = 14;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    QString m_symbol;
    QSize m_size;
    bool m_prominent = false;
    bool m_hovering = false;
};
