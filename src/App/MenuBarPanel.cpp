#include "App/MenuBarPanel.h"

#include "Localization/Localizer.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"
#include "Ui/TransientUi.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr Qt::WindowFlags popupFlags = Qt::Popup | Qt::FramelessWindowHint;
} // namespace

MenuBarPanel::MenuBarPanel(QWidget* content, QWidget* parent)
    : QFrame(parent, popupFlags)
    , m_content(content)
    , m_noteRow(new QWidget(this))
    , m_note(new QLabel)
    , m_scroll(new QScrollArea(this))
{
    m_note->setObjectName(QStringLiteral("note"));
    setWindowTitle(QStringLiteral("Zentu.it"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The note of the window form, in the panel's own look.
    auto* noteLayout = new QVBoxLayout(m_noteRow);
    noteLayout->setContentsMargins(12, 12, 12, 0);
    auto* fill = new RoundedFill(10, [](const QWidget* w) { return Theme::withAlpha(Theme::accent(w), 0.12); }, m_noteRow);
    auto* fillLayout = new QVBoxLayout(fill);
    fillLayout->setContentsMargins(10, 8, 10, 8);
    m_note->setParent(fill);
    m_note->setWordWrap(true);
    m_note->setFont(Theme::font(Theme::calloutSize));
    fillLayout->addWidget(m_note);
    noteLayout->addWidget(fill);
    m_noteRow->setFixedWidth(contentWidth);
    m_noteRow->hide();
    layout->addWidget(m_noteRow);
    retranslate();

    // Scrolls only on a screen too low for the whole panel.
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setWidgetResizable(false);
    layout->addWidget(m_scroll);
    if (m_content) {
        m_content->setFixedWidth(contentWidth);
        m_scroll->setWidget(m_content);
        m_content->installEventFilter(this);
    }
    fit();
}

void MenuBarPanel::retranslate()
{
    m_note->setText(Localizer::t(QStringLiteral("Kein Infobereich (Tray) gefunden, deshalb hat Zentu.it kein Symbol. Die Tastenkürzel funktionieren weiterhin, und ein erneuter Start von Zentu.it öffnet dieses Panel.")));
}

void MenuBarPanel::setForm(bool asWindow)
{
    if (asWindow == m_asWindow)
        return;
    m_asWindow = asWindow;
    // Changing the flags hides the window; it is shown again by the caller.
    setWindowFlags(asWindow ? Qt::WindowFlags(Qt::Window) : popupFlags);
}

void MenuBarPanel::setNoteVisible(bool visible)
{
    m_noteRow->setVisible(visible && m_asWindow);
    fit();
}

void MenuBarPanel::showAt(const QRect& iconRect, const QRect& availableArea)
{
    setForm(false);
    m_iconRect = iconRect;
    m_available = availableArea;
    setNoteVisible(false);
    show();
    raise();
    activateWindow();
}

void MenuBarPanel::showAsWindow(const QRect& availableArea)
{
    const bool placed = m_asWindow && isVisible();
    setForm(true);
    m_available = availableArea;
    setNoteVisible(true);
    if (!placed && !availableArea.isEmpty())
        move(availableArea.center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    activateWindow();
}

void MenuBarPanel::fit()
{
    if (!m_content)
        return;
    if (m_content->layout())
        m_content->layout()->activate();
    m_content->adjustSize();
    const QSize wanted = m_content->size();
    const int note = m_noteRow->isVisibleTo(this) ? m_noteRow->layout()->totalHeightForWidth(contentWidth) : 0;
    const int room = m_available.isEmpty() ? wanted.height() : m_available.height() - note;
    const bool tooLow = wanted.height() > room;
    const int width = wanted.width() + (tooLow ? m_scroll->verticalScrollBar()->sizeHint().width() : 0);
    m_scroll->setFixedHeight(tooLow ? std::max(0, room) : wanted.height());
    const QSize size(width, note + m_scroll->height());
    // A window stays where it is (the user may have moved it).
    if (m_asWindow) {
        setFixedSize(size);
        return;
    }
    // Placed and sized in one step: resized first and moved after, a panel
    // that grows would show for a moment at its old place, past the screen's edge.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setGeometry(QRect(placement(m_iconRect, size, m_available), size));
    setFixedSize(size);
}

bool MenuBarPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The content grows and shrinks with the histories while the panel is
    // open: place it again after every change, never from a stale size.
    if (watched == m_content && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        fit();
    return QFrame::eventFilter(watched, event);
}

QPoint MenuBarPanel::placement(const QRect& iconRect, QSize panelSize, const QRect& availableArea)
{
    int x = iconRect.x() + iconRect.width() / 2 - panelSize.width() / 2;
    int y = iconRect.center().y() < availableArea.center().y() ? iconRect.bottom() + 1
                                                                : iconRect.top() - panelSize.height();
    if (!availableArea.isEmpty()) {
        x = std::clamp(x, availableArea.left(), std::max(availableArea.left(), availableArea.right() + 1 - panelSize.width()));
        y = std::clamp(y, availableArea.top(), std::max(availableArea.top(), availableArea.bottom() + 1 - panelSize.height()));
    }
    return QPoint(x, y);
}

void MenuBarPanel::hideEvent(QHideEvent* event)
{
    // A tooltip of the panel must not stay behind on the desktop.
    TransientUi::hideTooltips();
    QFrame::hideEvent(event);
}

void MenuBarPanel::mousePressEvent(QMouseEvent* event)
{
    // A popup receives every press while it is open; one outside closes it.
    if (!m_asWindow && !rect().contains(event->position().toPoint()))
        Q_EMIT dismissedByPress(event->globalPosition().toPoint());
    QFrame::mousePressEvent(event);
}

bool MenuBarPanel::event(QEvent* e)
{
    // Qt hands a language change on to the children after this frame's own
    // handling: the fit waits until the content is built in the new language.
    const bool handled = QFrame::event(e);
    if (e->type() == QEvent::LanguageChange) {
        retranslate();
        fit();
    }
    return handled;
}
