#pragma once
// The toast's look: symbol and text in white on a dark capsule with a faint
// rim, 10 px of clear space around it. Follows its model.
#include <QPainterPath>
#include <QWidget>

class ToastModel;

class ToastPill : public QWidget {
    Q_OBJECT
public:
    explicit ToastPill(ToastModel& model, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The capsule in widget coordinates.
    QRectF capsuleRect() const;
    QPainterPath capsulePath() const;

    static constexpr int outerPadding = 10;
    static constexpr int horizontalPadding = 16;
    static constexpr int verticalPadding = 10;
    static constexpr int spacing = 8;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont symbolFont() const;
    QFont textFont() const;
    int symbolSize() const;
    void paintSymbol(QPainter& p, const QRectF& box) const;

    ToastModel& m_model;
};
