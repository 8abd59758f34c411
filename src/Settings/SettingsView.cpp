#include "Settings/SettingsView.h"

#include "Localization/Localizer.h"
#include "Settings/AboutSettingsTab.h"
#include "Settings/GeneralSettingsTab.h"
#include "Settings/HistorySettingsTab.h"
#include "Settings/HotkeysSettingsTab.h"
#include "Settings/PrivacySettingsTab.h"
#include "Settings/SettingsIntroSplash.h"
#include "Ui/AnimatedValue.h"
#include "Ui/Blur.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

int indexOf(SettingsTab tab)
{
    const auto tabs = allCases<SettingsTab>();
    for (std::size_t i = 0; i < tabs.size(); ++i)
        if (tabs[i] == tab)
            return int(i);
    return 0;
}

constexpr double startScale = 0.97;
constexpr qreal startBlur = 8;

} // namespace

SettingsView::SettingsView(const SettingsContext& context, QWidget* parent)
    : QWidget(parent)
    , m_reveal(new AnimatedValue(0.0, this))
{
    setFixedSize(viewWidth, viewHeight);
    setAutoFillBackground(true);
    installDefaultTabs(context);

    m_introTimer.setSingleShot(true);
    m_introTimer.setInterval(introMs);
    connect(&m_introTimer, &QTimer::timeout, this, &SettingsView::reveal);
    m_reveal->setEaseInOut(revealMs);
    connect(m_reveal, &AnimatedValue::valueChanged, this, [this](double t) {
        if (m_revealLayer)
            m_revealLayer->update();
        if (t >= 1.0)
            finishIntro();
    });

    rebuild();
    m_splash = new SettingsIntroSplash(this);
    m_splash->setGeometry(rect());
    m_splash->raise();
}

SettingsView::~SettingsView() = default;

QWidget* SettingsView::tabView() const { return m_tabView; }
SegmentedControl* SettingsView::tabBar() const { return m_tabBar; }
SettingsIntroSplash* SettingsView::splash() const { return m_splash; }

void SettingsView::installDefaultTabs(const SettingsContext& c)
{
    m_factories.insert(SettingsTab::general, [c] {
        return new GeneralSettingsTab(*c.settings, *c.userDefaults, *c.localizer, *c.folderChooser, *c.folders);
    });
    m_factories.insert(SettingsTab::history, [c] {
        return new HistorySettingsTab(*c.settings, *c.clipboardStore, *c.screenshotStore, *c.alerts);
    });
    m_factories.insert(SettingsTab::hotkeys, [c] { return new HotkeysSettingsTab(*c.settings, *c.hotkeys, *c.beeper); });
    m_factories.insert(SettingsTab::privacy, [c] {
        return new PrivacySettingsTab({*c.settings, *c.permissions, *c.clipboardStore, *c.screenshotStore, *c.alerts,
                                       *c.authenticator, *c.beeper, *c.folders});
    });
    m_factories.insert(SettingsTab::about, [c] {
        const QString root = c.websiteRoot.isEmpty() ? AboutSettingsTab::configuredWebsiteRoot() : c.websiteRoot;
        return new AboutSettingsTab(*c.permissions, *c.workspace, *c.bundle, root, {c.checkForUpdates, c.uninstall});
    });
}


void SettingsView::rebuild()
{
    // A new identity: every view below starts with fresh state, every text is
    // looked up again. The old one goes once the current event is handled (the
    // change may come from one of its own controls).
    if (m_column) {
        m_column->hide();
        m_column->deleteLater();
    }
    m_column = new QWidget(this);
    m_column->setGeometry(rect());
    auto* stack = new QVBoxLayout(m_column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    QStringList labels;
    QStringList symbols;
    for (const SettingsTab tab : allCases<SettingsTab>()) {
        labels << label(tab);
        symbols << symbolName(tab);
    }
    m_tabBar = new SegmentedControl(labels, m_column);
    m_tabBar->setMetrics(12, 7);
    m_tabBar->setSymbols(symbols, 11);
    m_tabBar->setRadii(11, 8);
    m_tabBar->setSlideDuration(tabSlideMs);
    m_tabBar->setSegmentRole(QAccessible::PageTab);
    m_tabBar->setAccessibleName(Localizer::t(QStringLiteral("Einstellungen")));
    m_tabBar->setCurrentIndex(indexOf(m_tab));
    connect(m_tabBar, &SegmentedControl::currentIndexChanged, this,
            [this](int index) { selectTab(allCases<SettingsTab>().at(std::size_t(index))); });
    auto* barBox = new QWidget(m_column);
    auto* barLayout = new QVBoxLayout(barBox);
    barLayout->setContentsMargins(16, 14, 16, 10);
    barLayout->addWidget(m_tabBar);
    stack->addWidget(barBox);

    auto* divider = new QFrame(m_column);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setFixedHeight(1);
    QPalette dp = divider->palette();
    // The separator colour at 40 %.
    dp.setColor(QPalette::WindowText, Theme::primary(0.12 * 0.4, this));
    divider->setPalette(dp);
    stack->addWidget(divider);

    m_tabHost = new QWidget(m_column);
    auto* hostLayout = new QVBoxLayout(m_tabHost);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(m_tabHost, 1);
    m_tabView = nullptr;
    showTab();

    m_column->lower();
    m_column->show();
    if (m_splash)
        m_splash->retranslate();
    Q_EMIT rebuilt();
}

void SettingsView::showTab()
{
    if (!m_tabHost)
        return;
    if (m_tabView) {
        m_tabView->hide();
        m_tabView->deleteLater();
    }
    m_tabView = m_factories.value(m_tab)();
    m_tabView->setParent(m_tabHost);
    m_tabHost->layout()->addWidget(m_tabView);
    m_tabView->show();
}

void SettingsView::selectTab(SettingsTab tab)
{
    if (tab == m_tab)
        return;
    m_tab = tab;
    if (m_tabBar)
        m_tabBar->setCurrentIndex(indexOf(tab));
    showTab();
    Q_EMIT tabChanged(tab);
}

void SettingsView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_introStarted)
        return;
    m_introStarted = true;
    m_introTimer.start();
}

void SettingsView::reveal()
{
    if (!m_column || !m_splash) {
        finishIntro();
        return;
    }
    m_columnPicture = m_column->grab().toImage();
    m_columnHalf = m_columnPicture.scaled(m_columnPicture.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_columnHalf.setDevicePixelRatio(m_columnPicture.devicePixelRatio());
    m_splashPicture = m_splash->grab().toImage();
    m_revealLayer = new QWidget(this);
    m_revealLayer->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_revealLayer->setGeometry(rect());
    m_revealLayer->installEventFilter(this);
    m_revealLayer->show();
    m_revealLayer->raise();
    m_splash->hide();
    m_reveal->animateTo(1.0);
}

void SettingsView::finishIntro()
{
    if (!m_intro)
        return;
    m_intro = false;
    m_columnPicture = {};
    m_columnHalf = {};
    m_splashPicture = {};
    for (QWidget* cover : {static_cast<QWidget*>(m_splash.data()), m_revealLayer.data()})
        if (cover) {
            cover->hide();
            cover->deleteLater();
        }
    Q_EMIT introFinished();
}

bool SettingsView::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_revealLayer && e->type() == QEvent::Paint) {
        QPainter p(m_revealLayer);
        paintRevealFrame(p, size(), m_columnPicture, m_columnHalf, m_splashPicture, m_reveal->value(),
                         Theme::windowBackground(this));
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void SettingsView::paintRevealFrame(QPainter& p, QSize size, const QImage& column, const QImage& columnHalf,
                                    const QImage& splash, double t, const QColor& background)
{
    t = qBound(0.0, t, 1.0);
    const QRectF area(QPointF(0, 0), size);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(area, background);
    const double scale = startScale + (1.0 - startScale) * t;
    const qreal blur = startBlur * (1.0 - t);
    p.save();
    p.setOpacity(t);
    p.translate(size.width() / 2.0, 0);
    p.scale(scale, scale);
    p.translate(-size.width() / 2.0, 0);
    // Blurred, the picture loses nothing at half size and costs a quarter;
    // under half a pixel of blur it is shown sharp.
    if (blur >= 0.5 && !columnHalf.isNull())
        p.drawImage(area, Blur::blurred(columnHalf, blur / 2));
    else
        p.drawImage(area, column);
    p.restore();
    p.setOpacity(1.0 - t);
    p.drawImage(area, splash);
}

void SettingsView::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        rebuild();
    QWidget::changeEvent(e);
}
