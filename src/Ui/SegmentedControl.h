#pragma once
// A row of equal segments on a faint rounded track; the selected one is a
// raised light pill. Clicking anywhere in a segment selects it at once.
// Assistive technology sees each segment as a radio button named by its label.
#include <QList>
#include <QStringList>
#include <QWidget>

class QAbstractButton;

class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList& labels = {}, QWidget* parent = nullptr);

    void setLabels(const QStringList& labels);
    QStringList labels() const { return m_labels; }
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);

    // Metrics: font size of the labels and vertical padding inside a segment.
    void setMetrics(qreal fontPx, int verticalPadding);
    QRectF segmentRect(int index) const;
    // The invisible per-segment buttons that carry the accessible names.
    QList<QAbstractButton*> segmentButtons() const { return m_buttons; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int trackPadding = 4;
    static constexpr int spacing = 4;
    static constexpr qreal trackRadius = 10;
    static constexpr qreal pillRadius = 7;

Q_SIGNALS:
    void currentIndexChanged(int index);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void rebuildButtons();
    void placeButtons();

    QStringList m_labels;
    int m_current = 0;
    qreal m_fontPx = 11;
    int m_vPadding = 5;
    QList<QAbstractButton*> m_buttons;
};
