#pragma once
// A small chip of the editor toolbar: a symbol, an optional short text (a
// value such as "4 px") and an optional small chevron, in the secondary
// colour on a faint rounded field. Pressing it opens something (a popover);
// what, is the owner's business.
#include <QAbstractButton>

class ToolbarChip : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToolbarChip(const QString& iconName, QWidget* parent = nullptr);

    void setIconName(const QString& name);
    void setChevron(bool shown);
    void setSpacing(int spacing);
    // No field and no padding: the label alone is the button.
    void setPlain(bool plain);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static constexpr int padX = 6;
    static constexpr int padY = 3;
    static constexpr qreal iconPx = 13;
    static constexpr qreal chevronPx = 8;

protected:
    void paintEvent(QPaintEvent*) override;
    // The leading picture: the symbol by default; subclasses may draw their own.
    virtual QSizeF leadingSize() const;
    virtual void paintLeading(QPainter& p, const QRectF& box, const QColor& ink);

private:
    QString m_icon;
    bool m_chevron = false;
    int m_spacing = 4;
    bool m_plain = false;
};
