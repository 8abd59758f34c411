#pragma once
// The intro card's window: the main screen dimmed, with one light card in its
// centre explaining the coming capture. Holds no state; its three actions are
// set by the presenter.
#include "MenuBar/CaptureIntroConfig.h"

#include <QAbstractButton>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <functional>

class QVariantAnimation;

// The card's typefaces: the first of the named families that is installed,
// else the system font; sizes in logical pixels.
namespace IntroFonts {
QFont introBody(qreal px, QFont::Weight weight = QFont::Normal);
QFont introDisplay(qreal px);
QFont system(qreal px, QFont::Weight weight = QFont::Normal);
}

// "Nicht mehr anzeigen" (light) and "OK" (dark): gradient buttons that shrink
// to 98 % and darken slightly while pressed, easing over 0.12 s.
class IntroButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { light, dark };
    IntroButton(Style style, const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Style m_style;
    qreal m_press = 0;
    QVariantAnimation* m_animation;
};

// "Abbrechen" with its "esc" key cap, no chrome.
class IntroCancelButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit IntroCancelButton(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QRectF keycapRect() const;

protected:
    void paintEvent(QPaintEvent*) override;
};

class CaptureIntroView : public QWidget {
    Q_OBJECT
public:
    // backdrop: a still of the covered screen area, shown dimmed; may be null.
    CaptureIntroView(const CaptureIntroConfig& config, const QImage& backdrop, QWidget* parent = nullptr);

    std::function<void()> onProceed;
    std::function<void()> onHideForever;
    std::function<void()> onCancel;

    static constexpr int cardWidth = 344;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    QImage m_backdrop;
    QWidget* m_card = nullptr;
    QWidget* m_headerIcon = nullptr;
    IntroButton* m_proceed = nullptr;
    IntroButton* m_hideForever = nullptr;
    IntroCancelButton* m_cancel = nullptr;
};
