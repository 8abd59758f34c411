#include "Settings/AboutSettingsTab.h"

#include "BuildSettings.h"
#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Permissions/RefusalTexts.h"
#include "Platform/BundleInfo.h"
#include "Text/ButtonText.h"
#include "Platform/Workspace.h"
#include "Settings/DestructiveAction.h"
#include "Ui/AppImages.h"
#include "Ui/HoverRowButton.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"
#include "Ui/ZentuMark.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QString textOf(const QVariantMap& info, const char* key, const QString& fallback)
{
    const QVariant v = info.value(QString::fromLatin1(key));
    if (v.typeId() != QMetaType::QString || v.toString().isEmpty())
        return fallback;
    return v.toString();
}

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, Theme::primary(0.12));
    line->setPalette(p);
    return line;
}

// A row of the column, kept off the edges by the given inset.
void addInset(QVBoxLayout* column, QWidget* w, int inset, Qt::Alignment align = Qt::AlignHCenter)
{
    auto* holder = new QHBoxLayout;
    holder->setContentsMargins(inset, 0, inset, 0);
    holder->addWidget(w, 0, align);
    column->addLayout(holder);
}

// A secondary text across the column, wrapped and centred.
QLabel* centredNote(const QString& text, qreal px)
{
    auto* label = new QLabel(text);
    label->setFont(Theme::font(px));
    Theme::setForeground(label, Theme::secondary(label));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    label->setContentsMargins(32, 0, 32, 0);
    return label;
}

QPushButton* smallButton(const QString& text)
{
    auto* b = new QPushButton(ButtonText::escaped(text));
    b->setFont(Theme::font(11));
    b->setAccessibleName(text);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return b;
}

} // namespace

const QList<AboutSettingsTab::Link>& AboutSettingsTab::links()
{
    static const QList<Link> list{
        {ZENTU_TEXT("Website"), QStringLiteral("globe"), QString()},
        {ZENTU_TEXT("Dokumentation"), QStringLiteral("book"), QStringLiteral("/docs/index.html")},
        {ZENTU_TEXT("Hilfe & FAQ"), QStringLiteral("questionmark.circle"), QStringLiteral("/hilfe.html")},
        {ZENTU_TEXT("Datenschutz"), QStringLiteral("lock.shield"), QStringLiteral("/datenschutz.html")},
        {ZENTU_TEXT("Impressum"), QStringLiteral("building.columns"), QStringLiteral("/impressum.html")},
        {ZENTU_TEXT("AGB"), QStringLiteral("doc.plaintext"), QStringLiteral("/agb.html")},
    };
    return list;
}

QString AboutSettingsTab::versionString(const QVariantMap& info)
{
    return textOf(info, BundleInfo::shortVersionKey, QStringLiteral("1.0")) + QStringLiteral(" (")
        + textOf(info, BundleInfo::buildKey, QStringLiteral("1")) + QLatin1Char(')');
}

QString AboutSettingsTab::configuredWebsiteRoot() { return QString::fromUtf8(BuildSettings::websiteRoot); }

QUrl AboutSettingsTab::linkDestination(const QString& root, const QString& path)
{
    const QUrl url(root + path, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty())
        return url;
    return QUrl(root);
}

AboutSettingsTab::AboutSettingsTab(PermissionManager& permissions, Workspace& workspace, const BundleInfo& bundle,
                                   const QString& websiteRoot, Actions actions, QWidget* parent)
    : QWidget(parent)
{
    // The column scrolls only when larger text would not fit.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(scroll);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    scroll->setWidget(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);

    auto* logo = new QLabel;
    logo->setPixmap(AppImages::logo(56, devicePixelRatioF()));
    logo->setFixedSize(56, 56);
    logo->setScaledContents(true);
    logo->setContentsMargins(0, 0, 0, 0);
    column->addSpacing(8);
    addInset(column, logo, 0);

    auto* mark = new QLabel;
    mark->setTextFormat(Qt::RichText);
    mark->setText(zentuMark(Theme::font(Theme::titleSize, QFont::Bold), 32, this));
    addInset(column, mark, 0);

    column->addWidget(centredNote(
        Localizer::t(QStringLiteral("Screenshots aufnehmen, annotieren und teilen – mit Verlauf für Zwischenablage und Aufnahmen.")),
        Theme::calloutSize));

    m_version = new QLabel(Localizer::t(QStringLiteral("Version")) + QLatin1Char(' ')
                           + versionString(bundle.infoDictionary()));
    m_version->setFont(Theme::font(Theme::captionSize));
    Theme::setForeground(m_version, Theme::secondary(m_version));
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addInset(column, m_version, 0);

    m_update = smallButton(Localizer::t(QStringLiteral("Nach Updates suchen")));
    m_update->setObjectName(QStringLiteral("updateButton"));
    connect(m_update, &QPushButton::clicked, this, [check = actions.checkForUpdates] {
        if (check)
            check();
    });
    addInset(column, m_update, 0);

    auto addDivider = [column] {
        auto* h = new QHBoxLayout;
        h->setContentsMargins(40, 0, 40, 0);
        h->addWidget(divider());
        column->addLayout(h);
    };
    addDivider();

    auto* status = new QVBoxLayout;
    status->setSpacing(6);
    m_status = new SymbolLabel(QString(), QString(), Theme::font(Theme::calloutSize));
    m_status->setObjectName(QStringLiteral("screenRecordingStatus"));
    status->addWidget(m_status, 0, Qt::AlignHCenter);
    // X11 has no settings page for this: no button, but what to do instead.
    m_statusHelp = centredNote(RefusalTexts::screenUnreadable(), Theme::captionSize);
    m_statusHelp->setObjectName(QStringLiteral("screenRecordingHelp"));
    status->addWidget(m_statusHelp);
    column->addLayout(status);
    showScreenRecording(permissions.screenRecordingAuthorized());
    connect(&permissions, &PermissionManager::screenRecordingAuthorizedChanged, this,
            &AboutSettingsTab::showScreenRecording);
    addDivider();

    auto* linkStack = new QVBoxLayout;
    linkStack->setSpacing(1);
    for (const Link& link : links()) {
        const QString title = Localizer::t(link.title);
        auto* row = new HoverRowButton(link.symbolName, title);
        row->setFontPixelSize(Theme::calloutSize);
        row->setTrailingSymbol(QStringLiteral("arrow.up.right"));
        row->setPadding(14, 6);
        // The whole 300 wide row is the link, its arrow at the right end.
        row->setFixedWidth(qMax(300, row->sizeHint().width()));
        const QUrl destination = linkDestination(websiteRoot, link.path);
        row->setAccessibleName(title);
        row->setAccessibleDescription(destination.toString());
        row->setToolTip(destination.toString());
        connect(row, &QAbstractButton::clicked, this, [&workspace, destination] { workspace.openUrl(destination); });
        linkStack->addWidget(row, 0, Qt::AlignHCenter);
        m_linkRows << row;
    }
    column->addLayout(linkStack);
    addDivider();

    m_uninstall = DestructiveAction::button(Localizer::t(QStringLiteral("Zentu.it deinstallieren…")),
                                            QStringLiteral("trash"));
    m_uninstall->setObjectName(QStringLiteral("uninstallButton"));
    m_uninstall->setFont(Theme::font(11));
    connect(m_uninstall, &QPushButton::clicked, this, [uninstall = actions.uninstall] {
        // Asks by itself before anything is removed.
        if (uninstall)
            uninstall();
    });
    addInset(column, m_uninstall, 0);
    auto* removes = new QLabel(Localizer::t(QStringLiteral("Entfernt die App, ihre Einstellungen und alle Daten.")));
    removes->setFont(Theme::font(Theme::captionSize));
    Theme::setForeground(removes, Theme::readableSecondary(removes));
    addInset(column, removes, 0);
    column->addStretch(1);
}

void AboutSettingsTab::showScreenRecording(bool authorized)
{
    m_statusHelp->setVisible(!authorized);
    if (authorized) {
        m_status->setSymbol(QStringLiteral("checkmark.circle.fill"));
        m_status->setIconColor(Theme::green());
        m_status->setText(Localizer::t(QStringLiteral("Bildschirmaufnahme ist erlaubt.")));
    } else {
        m_status->setSymbol(QStringLiteral("exclamationmark.triangle.fill"));
        m_status->setIconColor(Theme::orange());
        m_status->setText(Localizer::t(QStringLiteral("Bildschirmaufnahme wird für Screenshots benötigt.")));
    }
}
