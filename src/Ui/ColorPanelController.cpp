#include "Ui/ColorPanelController.h"

#include <QColorDialog>
#include <QSignalBlocker>

ColorPanelController::ColorPanelController(QObject* parent) : QObject(parent) {}

ColorPanelController::~ColorPanelController()
{
    disconnect(m_presenterGone);
    delete m_panel;
}

void ColorPanelController::present(const QColor& color, QObject* presenter, OnChange onChange)
{
    dropCallback();
    if (presenter) {
        m_presenter = presenter;
        m_onChange = std::move(onChange);
        m_presenterGone = connect(presenter, &QObject::destroyed, this, [this] { dropCallback(); });
    }
    if (!m_panel) {
        m_panel = new QColorDialog;
        m_panel->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::NoButtons |
                            QColorDialog::DontUseNativeDialog);
        m_panel->setAttribute(Qt::WA_ShowWithoutActivating);
        connect(m_panel, &QColorDialog::currentColorChanged, this, &ColorPanelController::changed);
    }
    {
        // Setting the colour from here is not a change made in the panel.
        const QSignalBlocker quiet(m_panel);
        m_panel->setCurrentColor(color);
    }
    m_panel->show();
    m_panel->raise();
}

void ColorPanelController::changed(const QColor& color)
{
    m_latest = color;
    if (m_deliveryPending)
        return;
    m_deliveryPending = true;
    // A change made for one control never reaches the next one to present.
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            m_deliveryPending = false;
            if (generation == m_generation)
                deliver();
        },
        Qt::QueuedConnection);
}

void ColorPanelController::deliver()
{
    if (!m_onChange)
        return;
    if (!m_presenter) { // gone without telling (cannot happen through destroyed, kept as a guard)
        dropCallback();
        return;
    }
    // A copy: the callback may present the panel again and replace itself.
    const OnChange callback = m_onChange;
    callback(m_latest);
}

void ColorPanelController::dropCallback()
{
    ++m_generation;
    disconnect(m_presenterGone);
    m_presenterGone = {};
    m_presenter = nullptr;
    m_onChange = nullptr;
}
