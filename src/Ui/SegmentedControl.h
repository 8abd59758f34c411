#pragma once
// A row of equal segments on a faint rounded track; the selected one is a
// raised light pill. Clicking anywhere in a segment selects it at once. With
// symbols each segment shows an icon before its label; a label too long for
// its segment shrinks (down to 60 %) before it is cut. The pill can slide from
// segment to segment. Screen readers see a group of radio buttons (or a tab
// list, see setSegmentRole) named by the segment labels.
#include <QAccessible>
#include <QStringList>
#include <QWidget>

class AnimatedValue;

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
    // Symbol names (see IconRegistry) drawn before the labels, at symbolPx.
    void setSymbols(const QStringList& symbols, qreal symbolPx);
    // Draws the symbols alone; the labels still name the segments for screen readers.
    void setSymbolsOnly(bool only);
    void setRadii(qreal track, qreal pill);
    // The pill slides to a newly selected segment over this time (0: jumps).
    void setSlideDuration(int ms);
    // How screen readers present the segments (RadioButton or PageTab).
    void setSegmentRole(QAccessible::Role role) { m_segmentRole = role; }
    QAccessible::Role segmentRole() const { return m_segmentRole; }

    QRectF segmentRect(int index) const;
    // Where the pill is drawn now (between two segments while sliding).
    QRectF pillRect() const;
    // The factor the label font of a segment is drawn at (1, or down to 0.6).
    qreal labelScale(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int trackPadding = 4;
    static constexpr int spacing = 4;
    static constexpr qreal trackRadius = 10;
    static constexpr qreal pillRadius = 7;
    static constexpr int symbolSpacing = 5;
    static constexpr qreal minimumLabelScale = 0.6;

Q_SIGNALS:
    void currentIndexChanged(int index);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    qreal contentWidth(int index, qreal scale) const;

    QStringList m_labels;
    QStringList m_symbols;
    int m_current = 0;
    qreal m_fontPx = 11;
    qreal m_symbolPx = 11;
    int m_vPadding = 5;
    bool m_symbolsOnly = false;
    qreal m_trackRadius = trackRadius;
    qreal m_pillRadius = pillRadius;
    int m_slideMs = 0;
    AnimatedValue* m_pillPosition;
    QAccessible::Role m_segmentRole = QAccessible::RadioButton;
};
