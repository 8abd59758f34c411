#pragma once
// A picture on the clipboard kept as its PNG file only. Programs that paste
// it as PNG get those bytes; one that asks for a picture in another form gets
// it decoded then. So a screenshot left on the clipboard costs its compressed
// size, not a screen's worth of pixels, for as long as it stays there.
#include <QByteArray>
#include <QMimeData>

class EncodedImageMimeData final : public QMimeData {
    Q_OBJECT
public:
    explicit EncodedImageMimeData(QByteArray png);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QByteArray m_png;
};
