#pragma once
// A switch of the editor toolbar drawn as a push button that stays pressed
// while it is on: a symbol (or a small drawing), optionally followed by a
// word, on a faint rounded field that turns accent-coloured when on.
#include <QAbstractButton>
#include <functional>

class ToggleChip : public QAbstractButton {
    Q_OBJECT
public:
    // Draws the leading picture into its box in the given ink.
    using Picture = std::function<void(QPainter&, const QRectF&, const QColor&)>;

    ToggleChip(Picture picture, QSizeF pictureSize, QWidget* parent = nullptr);
    // The leading picture is a symbol of the icon registry.
    static ToggleChip* withIcon(const QString& iconName, QWidget* parent = nullptr);

    // The word after the picture; none shows the picture alone.
    void setLabel(const QString& label);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static constexpr double onOpacity = 0.22;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Picture m_picture;
    QSizeF m_pictureSize;
    QString m_label;
};
