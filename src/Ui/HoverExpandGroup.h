#pragma once
// A chip that keeps a group of controls out of a narrow toolbar: resting the
// pointer on it opens the group in a popover below it, a click toggles it,
// and it closes shortly after the pointer has left both the chip and the
// popover. The popover never grabs the mouse, so the chip keeps receiving
// its enter and leave events.
#include "Ui/DelayScheduler.h"
#include "Ui/Popover.h"

#include <QAbstractButton>
#include <QPointer>
#include <functional>

class HoverExpandGroup : public QAbstractButton {
    Q_OBJECT
public:
    // content is built when the group first opens and is handed the group's
    // close action, for controls that close it after a choice.
    using ContentBuilder = std::function<QWidget*(std::function<void()> close)>;

    // trigger: the chip shown in the toolbar; its whole rectangle is the hit area.
    HoverExpandGroup(QWidget* trigger, ContentBuilder content, DelayScheduler& scheduler, QWidget* parent = nullptr);
    ~HoverExpandGroup() override;

    bool isOpen() const { return m_open; }
    // The popover, once the group has opened.
    Popover* popover() const { return m_popover; }

    // The pointer entered (true) or left (false) the chip or the popover.
    void hover(bool inside);
    // Closes at once, dropping a pending close.
    void collapse();

    static constexpr int closeDelayMs = 300;

Q_SIGNALS:
    void openChanged(bool open);

protected:
    void paintEvent(QPaintEvent*) override {}
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setOpen(bool open);

    QWidget* m_trigger;
    ContentBuilder m_content;
    DelayedAction m_closeWork;
    QPointer<Popover> m_popover;
    bool m_open = false;
};
