#include "MenuBar/MenuBarContentView.h"

#include "Localization/Localizer.h"
#include "MenuBar/CaptureButton.h"
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/ModeSwapCaptureButton.h"
#include "MenuBar/ScreenshotPreviewRow.h"
#include "MenuBar/ScrollCaptureButton.h"
#include "MenuBar/SectionHeader.h"
#include "Permissions/PermissionManager.h"
#include "Permissions/RefusalTexts.h"
#include "Text/ButtonText.h"
#include "Platform/Workspace.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Ui/AppImages.h"
#include "Ui/HoverRowButton.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"
#include "Ui/ZentuMark.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

// The strip scrolls sideways; a plain mouse wheel moves it too.
class HorizontalStrip : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    void wheelEvent(QWheelEvent* e) override
    {
        const QPoint delta = e->angleDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - step / 2);
        e->accept();
    }
};

QPushButton* borderlessButton(const QString& text, qreal px, QFont::Weight weight, QWidget* parent)
{
    auto* b = new QPushButton(ButtonText::escaped(text), parent);
    b->setAccessibleName(text);
    b->setFlat(true);
    b->setFont(Theme::font(px, weight));
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; background: transparent; color: %1; }"
                                    "QPushButton:pressed { color: %2; }")
                         .arg(Theme::accent(b).name(), Theme::accent(b).darker(130).name()));
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return b;
}

QLabel* secondaryLabel(const QString& text, qreal px, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setFont(Theme::font(px));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Theme::secondary(l));
    l->setPalette(p);
    return l;
}

} // namespace

MenuBarContentView::MenuBarContentView(SettingsManager& settings, ClipboardHistoryStore& clipboardStore,
                                       ScreenshotHistoryStore& screenshotStore, PermissionManager* permissions,
                                       Workspace& workspace, FrameClock& frameClock, TileHoverSync& tileHover,
                                       MenuBarActions actions, const ApplicationIdentity* appNames, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_clipboardStore(clipboardStore)
    , m_screenshotStore(screenshotStore)
    , m_permissions(permissions)
    , m_workspace(workspace)
    , m_frameClock(frameClock)
    , m_tileHover(tileHover)
    , m_actions(std::move(actions))
    , m_appNames(appNames)
{
    setFixedWidth(panelWidth);
    setAutoFillBackground(true);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->setSizeConstraint(QLayout::SetFixedSize);
    rebuild();
    connect(&m_settings, &SettingsManager::settingsChanged, this, &MenuBarContentView::refreshHotkeys);
    connect(&m_screenshotStore, &ScreenshotHistoryStore::itemsChanged, this, &MenuBarContentView::refreshTiles);
    connect(&m_clipboardStore, &ClipboardHistoryStore::itemsChanged, this, &MenuBarContentView::refreshClipboardHeight);
    if (m_permissions)
        connect(m_permissions, &PermissionManager::screenRecordingAuthorizedChanged, this,
                &MenuBarContentView::refreshBanner);
}

void MenuBarContentView::setActions(MenuBarActions actions) { m_actions = std::move(actions); }

void MenuBarContentView::dismiss()
{
    if (m_dismiss)
        m_dismiss();
    else
        window()->hide();
}

void MenuBarContentView::runAction(const std::function<void()>& action)
{
    if (action)
        action();
}

void MenuBarContentView::refreshBanner()
{
    if (m_banner)
        m_banner->setVisible(m_permissions && !m_permissions->screenRecordingAuthorized());
}

QList<HoverCardButton*> MenuBarContentView::captureCards() const { return m_cardButtons; }

QList<ScreenshotPreviewRow*> MenuBarContentView::tiles() const
{
    QList<ScreenshotPreviewRow*> result;
    for (const auto& t : m_tiles.order)
        if (t)
            result << t;
    return result;
}

void MenuBarContentView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_tilesStale)
        refreshTiles();
    // The banner follows the real permission state at once, not at the next poll.
    if (m_permissions)
        m_permissions->refresh();
}

void MenuBarContentView::rebuild()
{
    // A new identity: every piece of view state (hover, animations, query)
    // starts fresh in the new language.
    if (m_content) {
        layout()->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    m_tiles = {};
    m_cardButtons.clear();

    m_content = new QWidget(this);
    auto* stack = new QVBoxLayout(m_content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(buildHeader(m_content));

    auto* block = new QWidget(m_content);
    auto* blockLayout = new QVBoxLayout(block);
    blockLayout->setContentsMargins(12, 12, 12, 12);
    blockLayout->setSpacing(14);
    m_banner = buildBanner(block);
    m_banner->setObjectName(QStringLiteral("permissionBanner"));
    blockLayout->addWidget(m_banner);
    m_cards = buildCards(block);
    m_cards->setObjectName(QStringLiteral("captureActions"));
    blockLayout->addWidget(m_cards);
    m_recent = buildRecent(block);
    m_recent->setObjectName(QStringLiteral("recentScreenshots"));
    blockLayout->addWidget(m_recent);
    m_clipboard = buildClipboard(block);
    blockLayout->addWidget(m_clipboard);
    stack->addWidget(block);

    auto* divider = new QFrame(m_content);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setFixedHeight(1);
    QPalette dp = divider->palette();
    dp.setColor(QPalette::WindowText, Theme::primary(0.12, this));
    divider->setPalette(dp);
    stack->addWidget(divider);

    stack->addWidget(buildFooter(m_content));

    m_content->setFixedWidth(panelWidth);
    // Every part takes its state before the content joins the panel, so the
    // panel's size is right before it is first shown (the host places it by it).
    refreshBanner();
    refreshHotkeys();
    refreshTiles();
    refreshClipboardHeight();
    layout()->addWidget(m_content);
    m_content->show();
    Q_EMIT rebuilt();
}

QWidget* MenuBarContentView::buildHeader(QWidget* parent)
{
    auto* header = new QWidget(parent);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(8);
    auto* icon = new QLabel(header);
    icon->setFixedSize(18, 18);
    icon->setPixmap(AppImages::menubarIcon(18, devicePixelRatioF()));
    row->addWidget(icon, 0, Qt::AlignVCenter);
    m_wordMark = new QLabel(header);
    m_wordMark->setObjectName(QStringLiteral("wordMark"));
    m_wordMark->setTextFormat(Qt::RichText);
    m_wordMark->setText(zentuMark(Theme::font(15, QFont::Bold), 17, m_wordMark));
    row->addWidget(m_wordMark, 0, Qt::AlignVCenter);
    row->addStretch(1);
    return header;
}

QWidget* MenuBarContentView::buildBanner(QWidget* parent)
{
    // On a rounded orange wash.
    auto* banner = new RoundedFill(10, [](const QWidget*) { return Theme::withAlpha(Theme::orange(), 0.12); }, parent);
    auto* row = new QHBoxLayout(banner);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(10);
    row->setAlignment(Qt::AlignTop);
    auto* icon = new QLabel(banner);
    icon->setPixmap(IconRegistry::pixmap(QStringLiteral("exclamationmark.triangle.fill"), 18, Theme::orange(),
                                         devicePixelRatioF()));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    auto* title = new QLabel(Localizer::t(QStringLiteral("Bildschirmaufnahme erforderlich")), banner);
    title->setFont(Theme::font(12, QFont::DemiBold));
    column->addWidget(title);
    // What refuses and what to do; X11 has no settings page to open.
    m_bannerText = secondaryLabel(RefusalTexts::screenUnreadable(), 11, banner);
    m_bannerText->setObjectName(QStringLiteral("bannerText"));
    m_bannerText->setWordWrap(true);
    column->addWidget(m_bannerText);
    row->addLayout(column, 1);
    return banner;
}

QWidget* MenuBarContentView::buildCards(QWidget* parent)
{
    auto* cards = new QWidget(parent);
    auto* row = new QHBoxLayout(cards);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    // Each card closes the panel first, then starts its capture.
    auto* area = new ModeSwapCaptureButton(m_frameClock, QString(), [this] {
        dismiss();
        runAction(m_actions.captureInteractive);
    }, cards);
    auto* full = new CaptureButton(Localizer::t(QStringLiteral("Bildschirm")), QStringLiteral("display"), QString(), [this] {
        dismiss();
        runAction(m_actions.captureFullScreen);
    }, cards);
    auto* scroll = new ScrollCaptureButton(m_frameClock, QString(), [this] {
        dismiss();
        runAction(m_actions.captureScrollingWindow);
    }, cards);
    for (HoverCardButton* card : {static_cast<HoverCardButton*>(area), static_cast<HoverCardButton*>(full),
                                  static_cast<HoverCardButton*>(scroll)}) {
        row->addWidget(card, 1, Qt::AlignVCenter);
        m_cardButtons << card;
    }
    return cards;
}

void MenuBarContentView::refreshHotkeys()
{
    static constexpr HotkeyAction order[] = {HotkeyAction::captureArea, HotkeyAction::captureFullScreen,
                                             HotkeyAction::captureWindow};
    for (int i = 0; i < m_cardButtons.size() && i < 3; ++i)
        m_cardButtons.at(i)->setHotkey(m_settings.hotkey(order[i]).displayString());
}

QWidget* MenuBarContentView::buildRecent(QWidget* parent)
{
    auto* section = new QWidget(parent);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(new SectionHeader(Localizer::t(QStringLiteral("Letzte Screenshots")), section));
    titleRow->addStretch(1);
    m_folderButton = new QToolButton(section);
    m_folderButton->setObjectName(QStringLiteral("folderButton"));
    m_folderButton->setAutoRaise(true);
    m_folderButton->setIcon(IconRegistry::icon(QStringLiteral("folder"), 15, Theme::primary(this)));
    m_folderButton->setIconSize(QSize(15, 15));
    m_folderButton->setToolTip(Localizer::t(QStringLiteral("Speicherordner öffnen")));
    m_folderButton->setAccessibleName(m_folderButton->toolTip());
    m_folderButton->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
    connect(m_folderButton, &QToolButton::clicked, this,
            [this] { m_workspace.openFolder(m_screenshotStore.picturesFolder()); });
    titleRow->addWidget(m_folderButton);
    column->addLayout(titleRow);

    m_strip = new HorizontalStrip(section);
    m_strip->setFrameShape(QFrame::NoFrame);
    m_strip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_strip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_strip->setWidgetResizable(true);
    m_strip->setFixedHeight(tileSize.height() + 2);
    m_strip->viewport()->setAutoFillBackground(false);
    auto* host = new QWidget;
    host->setAutoFillBackground(false);
    m_tileLayout = new QHBoxLayout(host);
    m_tileLayout->setContentsMargins(0, 0, 0, 2);
    m_tileLayout->setSpacing(8);
    m_tileLayout->addStretch(1);
    m_strip->setWidget(host);
    column->addWidget(m_strip);
    return section;
}

void MenuBarContentView::refreshTiles()
{
    if (!m_tileLayout)
        return;
    const QList<ScreenshotItem>& items = m_screenshotStore.items();
    // The section's presence sets the panel's size before it shows; the strip
    // is of fixed height, so its tiles (a thumbnail each) wait for the panel
    // to open: a closed panel holds none for the captures made meanwhile.
    m_recent->setVisible(!items.isEmpty());
    m_tilesStale = !isVisible();
    if (m_tilesStale)
        return;
    const int count = qMin(maxTiles, int(items.size()));
    QWidget* host = m_strip->widget();
    m_tiles.sync(m_tileLayout, items, count, [&](const ScreenshotItem& item) {
        return new ScreenshotPreviewRow(item, m_actions, m_screenshotStore, m_workspace, m_tileHover,
                                        tileSize, host);
    });
}

QWidget* MenuBarContentView::buildClipboard(QWidget* parent)
{
    auto* section = new QWidget(parent);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(new SectionHeader(Localizer::t(QStringLiteral("Zwischenablage")), section));
    titleRow->addStretch(1);
    m_allButton = borderlessButton(Localizer::t(QStringLiteral("Alle")), 11, QFont::Medium, section);
    m_allButton->setObjectName(QStringLiteral("allButton"));
    connect(m_allButton, &QPushButton::clicked, this, [this] { runAction(m_actions.showClipboardHistory); });
    titleRow->addWidget(m_allButton);
    column->addLayout(titleRow);
    m_clipboardList = new ClipboardHistoryView(false, true, m_clipboardStore, m_appNames, section);
    m_clipboardList->setObjectName(QStringLiteral("clipboardList"));
    column->addWidget(m_clipboardList);
    return section;
}

void MenuBarContentView::refreshClipboardHeight()
{
    if (m_clipboardList)
        m_clipboardList->setFixedHeight(m_clipboardStore.items().isEmpty() ? emptyClipboardHeight : clipboardHeight);
}

QWidget* MenuBarContentView::buildFooter(QWidget* parent)
{
    auto* footer = new QWidget(parent);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(4);
    m_settingsButton = new HoverRowButton(QStringLiteral("gearshape"), Localizer::t(QStringLiteral("Einstellungen")), footer);
    m_settingsButton->setObjectName(QStringLiteral("settingsButton"));
    m_quitButton = new HoverRowButton(QStringLiteral("power"), Localizer::t(QStringLiteral("Beenden")), footer);
    m_quitButton->setObjectName(QStringLiteral("quitButton"));
    connect(m_settingsButton, &QAbstractButton::clicked, this, [this] { runAction(m_actions.openSettings); });
    connect(m_quitButton, &QAbstractButton::clicked, this, [this] { runAction(m_actions.quit); });
    row->addWidget(m_settingsButton);
    row->addStretch(1);
    row->addWidget(m_quitButton);
    return footer;
}

void MenuBarContentView::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        rebuild();
    QWidget::changeEvent(e);
}
