#pragma once
// What one pinned picture shows: the picture (fixed) and how opaque it is
// drawn. The opacity starts at 1 and is kept between 0.2 and 1.
#include <QImage>
#include <QObject>
#include <functional>

class PinnedImageModel : public QObject {
    Q_OBJECT
public:
    static constexpr double minOpacity = 0.2;
    static constexpr double maxOpacity = 1.0;

    explicit PinnedImageModel(const QImage& image, QObject* parent = nullptr);

    const QImage& image() const { return m_image; }
    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);

    // Run by the close button.
    std::function<void()> onClose;

Q_SIGNALS:
    void opacityChanged();

private:
    QImage m_image;
    double m_opacity = 1.0;
};
