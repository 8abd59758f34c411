#include "Editor/ImageInsertButton.h"

#include "Localization/Localizer.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"
#include "Ui/TooltipHost.h"

#include <QEvent>
#include <QPainter>

ImageInsertButton::ImageInsertButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFixedSize(frameWidth, frameHeight);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::TabFocus);
    retranslate();
}

void ImageInsertButton::retranslate()
{
    const QString name = Localizer::t(QStringLiteral("Bild"));
    setAccessibleName(name);
    gooeyTip(this, name);
}

void ImageInsertButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (isDown() || hasFocus())
        RoundedFill::paint(p, QRectF(rect()), 6, Theme::primary(isDown() ? 0.12 : 0.06, this));
    IconRegistry::paint(p, QStringLiteral("photo.badge.plus"), QRectF(rect()), Theme::primary(this), iconPx);
}

void ImageInsertButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QAbstractButton::changeEvent(e);
}
