#pragma once
// A capture card with one symbol and one title (the full-screen card).
#include "MenuBar/HoverCardButton.h"

class CaptureButton : public HoverCardButton {
    Q_OBJECT
public:
    // title: already translated by the caller.
    CaptureButton(QString title, QString systemImage, QString hotkey, std::function<void()> action,
                  QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const { return m_title; }

protected:
    qreal iconAreaHeight() const override { return 22; }
    void paintIcon(QPainter& p, const QRectF& area, const QColor& color) override;
    void paintTitle(QPainter& p, const QRectF& area, const QColor& color) override;

private:
    QString m_title;
    QString m_systemImage;
};
