#pragma once
// One end of a toolbar run that holds more controls than it shows: the
// controls fade into the bar's background under a small arrow, which scrolls
// the run on when clicked.
#include <QAbstractButton>

class ToolbarScrollEdge : public QAbstractButton {
    Q_OBJECT
public:
    enum class Side { leading, trailing };
    explicit ToolbarScrollEdge(Side side, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {width, 22}; }

    static constexpr int width = 30;

protected:
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;

private:
    void retranslate();

    Side m_side;
};
