#include "Settings/OnboardingView.h"

#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Settings/PermissionRow.h"
#include "Ui/AppImages.h"
#include "Ui/ProminentButton.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

// A permission card's ground: a light rounded box with a thin edge.
class Card : public QWidget {
public:
    explicit Card(QWidget* content)
    {
        auto* l = new QVBoxLayout(this);
        l->setContentsMargins(14, 14, 14, 14);
        l->addWidget(content);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
        p.fillPath(path, QColor::fromRgbF(0.965f, 0.965f, 0.965f));
        p.setPen(QPen(QColor::fromRgbF(0.88f, 0.88f, 0.88f), 1));
        p.drawPath(path);
    }
};

QLabel* centredText(const QString& text, qreal px, QFont::Weight weight, const QColor& colour)
{
    auto* label = new QLabel(text);
    label->setFont(Theme::font(px, weight));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    Theme::setForeground(label, colour);
    return label;
}

QPalette lightPalette(const QPalette& base)
{
    QPalette p = base;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, QColor(236, 236, 236));
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::Button, QColor(246, 246, 246));
        p.setColor(group, QPalette::WindowText, OnboardingView::ink());
        p.setColor(group, QPalette::Text, OnboardingView::ink());
        p.setColor(group, QPalette::ButtonText, OnboardingView::ink());
    }
    return p;
}

} // namespace

QColor OnboardingView::ink() { return QColor::fromRgbF(0.114f, 0.114f, 0.122f); }
QColor OnboardingView::ink3() { return QColor::fromRgbF(0.525f, 0.525f, 0.545f); }

OnboardingView::OnboardingView(PermissionManager& permissions, std::function<void()> onClose,
                               std::function<void(double)> onHeightChange, QWidget* parent)
    : QWidget(parent)
    , m_permissions(permissions)
    , m_onClose(std::move(onClose))
    , m_onHeightChange(std::move(onHeightChange))
{
    setFixedWidth(viewWidth);
    setPalette(lightPalette(palette()));
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Return is the window's default action, wherever the focus is.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_onClose)
                m_onClose();
        });
    }
    rebuild();
    connect(&permissions, &PermissionManager::screenRecordingAuthorizedChanged, this, &OnboardingView::showState);
    connect(&permissions, &PermissionManager::accessibilityAuthorizedChanged, this, &OnboardingView::showState);
}

bool OnboardingView::allGranted() const
{
    return m_permissions.screenRecordingAuthorized() && m_permissions.accessibilityAuthorized();
}

void OnboardingView::rebuild()
{
    // Fresh content with every text looked up again; the old one goes once
    // the current event is handled.
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = new QWidget(this);
    layout()->addWidget(m_content);
    auto* stack = new QVBoxLayout(m_content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(0, 26, 0, 20);
    header->setSpacing(9);
    auto* logo = new QLabel;
    logo->setPixmap(AppImages::logo(60, devicePixelRatioF()));
    logo->setFixedSize(60, 60);
    logo->setScaledContents(true);
    header->addSpacing(4);
    header->addWidget(logo, 0, Qt::AlignHCenter);
    header->addWidget(centredText(Localizer::t(QStringLiteral("Willkommen bei Zentu.it")), 21, QFont::Bold, ink()));
    QLabel* intro = centredText(
        Localizer::t(QStringLiteral("Zentu.it braucht zwei Dinge vom X-Server. Sobald beide verfügbar sind, ist Zentu.it startklar.")),
        Theme::calloutSize, QFont::Normal, ink3());
    intro->setContentsMargins(30, 0, 30, 0);
    header->addWidget(intro);
    stack->addLayout(header);

    auto* cards = new QVBoxLayout;
    cards->setContentsMargins(22, 0, 22, 0);
    cards->setSpacing(10);
    PermissionRow::Metrics metrics = PermissionRow::cardMetrics();
    metrics.subtitleColor = ink3();
    m_screenCard = PermissionRow::screenRecording(m_permissions, metrics);
    m_accessibilityCard = PermissionRow::accessibility(m_permissions, metrics);
    m_accessibilityCard->setObjectName(QStringLiteral("accessibilityCard"));
    cards->addWidget(new Card(m_screenCard));
    cards->addWidget(new Card(m_accessibilityCard));
    stack->addLayout(cards);

    m_note = centredText(PermissionRow::nothingToGrantNote(), Theme::captionSize, QFont::Normal, ink3());
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setContentsMargins(26, 12, 26, 0);
    stack->addWidget(m_note);

    m_ready = new QWidget;
    m_ready->setObjectName(QStringLiteral("readyRow"));
    auto* ready = new QHBoxLayout(m_ready);
    ready->setContentsMargins(0, 16, 0, 0);
    ready->setSpacing(8);
    auto* readyText = new SymbolLabel(QStringLiteral("checkmark.circle.fill"),
                                      Localizer::t(QStringLiteral("Alles bereit — Zentu.it ist startklar.")),
                                      Theme::font(Theme::calloutSize, QFont::DemiBold));
    readyText->setIconColor(Theme::green());
    Theme::setForeground(readyText->textLabel(), ink());
    ready->addWidget(readyText, 0, Qt::AlignHCenter);
    stack->addWidget(m_ready);

    m_okHolder = new QWidget;
    auto* okRow = new QHBoxLayout(m_okHolder);
    m_ok = new ProminentButton(Localizer::t(QStringLiteral("OK")), ProminentButton::Size::large);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setMinimumWidth(130);
    m_ok->setFixedWidth(qMax(130, m_ok->sizeHint().width()));
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
    okRow->addWidget(m_ok, 0, Qt::AlignHCenter);
    stack->addWidget(m_okHolder);

    m_content->show();
    showState();
    Q_EMIT rebuilt();
}

void OnboardingView::showState()
{
    const bool ready = allGranted();
    m_ready->setVisible(ready);
    m_okHolder->layout()->setContentsMargins(0, ready ? 12 : 20, 0, 24);
    scheduleMeasure();
}

int OnboardingView::okTopPadding() const { return m_okHolder->layout()->contentsMargins().top(); }

int OnboardingView::measuredHeight() const
{
    QLayout* l = m_content->layout();
    l->activate();
    return l->hasHeightForWidth() ? l->totalHeightForWidth(viewWidth) : l->totalSizeHint().height();
}

void OnboardingView::scheduleMeasure()
{
    // Several changes in one pass give one measurement.
    if (m_measurePending)
        return;
    m_measurePending = true;
    QTimer::singleShot(0, this, [this] {
        m_measurePending = false;
        reportHeight(measuredHeight());
    });
}

void OnboardingView::reportHeight(double height)
{
    if (!std::isfinite(height) || height == m_lastHeight)
        return;
    m_lastHeight = height;
    if (height > minimumReportedHeight && m_onHeightChange)
        m_onHeightChange(height);
}

void OnboardingView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        m_permissions.refresh();
}

void OnboardingView::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        rebuild();
    QWidget::changeEvent(e);
}
