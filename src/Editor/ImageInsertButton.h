#pragma once
// The picture button after the tools: asks for a picture file to place on the
// screenshot. What opens the file dialog is the owner's business; the button
// only reports the press.
#include <QAbstractButton>

class ImageInsertButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ImageInsertButton(QWidget* parent = nullptr);

    static constexpr int frameWidth = 28;
    static constexpr int frameHeight = 24;
    static constexpr qreal iconPx = 15;

protected:
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;

private:
    void retranslate();
};
