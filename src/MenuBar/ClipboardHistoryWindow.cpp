#include "MenuBar/ClipboardHistoryWindow.h"

#include "Localization/Localizer.h"
#include "MenuBar/ClipboardHistoryView.h"

#include <QVBoxLayout>

ClipboardHistoryWindow::ClipboardHistoryWindow(ClipboardHistoryStore& store, const AppNameResolver* appNames,
                                               QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_store(store)
    , m_appNames(appNames)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    resize(contentSize);
    retitle();
    rebuild();
    connect(&Localizer::shared(), &Localizer::langChanged, this, [this] {
        retitle();
        rebuild();
    });
}

void ClipboardHistoryWindow::retitle() { setWindowTitle(Localizer::t(QStringLiteral("Zwischenablage-Verlauf"))); }

void ClipboardHistoryWindow::rebuild()
{
    if (m_view) {
        layout()->removeWidget(m_view);
        m_view->deleteLater();
    }
    m_view = new ClipboardHistoryView(true, false, m_store, m_appNames, this);
    layout()->addWidget(m_view);
}
