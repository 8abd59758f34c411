#include "Editor/ShareButton.h"

#include "Localization/Localizer.h"
#include "Text/ButtonText.h"

#include <QEvent>
#include <QMenu>
#include <QUrl>

ShareButton::ShareButton(MakeItems makeItems, ShareTo shareTo, QWidget* parent)
    : ToolbarIconButton(QStringLiteral("square.and.arrow.up"), QSize(34, 22), parent)
    , m_makeItems(std::move(makeItems))
    , m_shareTo(std::move(shareTo))
{
    connect(this, &QAbstractButton::clicked, this, &ShareButton::share);
    retranslate();
}

void ShareButton::retranslate()
{
    setName(Localizer::t(QStringLiteral("Teilen")));
}

void ShareButton::share()
{
    const QVariantList items = m_makeItems ? m_makeItems() : QVariantList{};
    QString path;
    for (const QVariant& item : items)
        if (item.metaType() == QMetaType::fromType<QUrl>() && item.toUrl().isLocalFile()) {
            path = item.toUrl().toLocalFile();
            break;
        }
    delete m_menu;
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("shareMenu"));
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    using Target = ShareTarget;
    const std::pair<Target, QString> entries[] = {
        {Target::defaultViewer, Localizer::t(QStringLiteral("Im Standardprogramm öffnen"))},
        {Target::email, Localizer::t(QStringLiteral("Per E-Mail senden"))},
        {Target::fileManager, Localizer::t(QStringLiteral("Im Dateimanager zeigen"))},
        {Target::copyPath, Localizer::t(QStringLiteral("Dateipfad kopieren"))},
    };
    for (const auto& [target, title] : entries) {
        QAction* action = m_menu->addAction(ButtonText::escaped(title));
        action->setEnabled(!path.isEmpty());
        connect(action, &QAction::triggered, this, [this, target, path] {
            if (m_shareTo)
                m_shareTo(target, path);
        });
    }
    m_menu->popup(mapToGlobal(QPoint(0, height())));
}

void ShareButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    ToolbarIconButton::changeEvent(e);
}
