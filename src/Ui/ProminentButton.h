#pragma once
// A filled push button in the accent colour with white text, in three control
// sizes: the primary action of a row or a window.
#include <QPushButton>

class ProminentButton : public QPushButton {
    Q_OBJECT
public:
    enum class Size { small, regular, large };
    explicit ProminentButton(const QString& text, Size size = Size::regular, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QFont labelFont() const;
    QMargins padding() const;

    Size m_size;
};
