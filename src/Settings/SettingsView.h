#pragma once
// The settings window's content, 640 × 850: a tab bar ("Allgemein",
// "Verlauf", "Hotkeys", "Datenschutz", "Über") with a sliding selection pill
// above the selected tab's view, which is made anew each time it is shown.
// On first show an opening picture stays for 0.95 s, then fades out while the
// tabs fade in, grow from 97 % and come into focus (0.45 s). A change of the
// interface language rebuilds the tab bar and the tab in the new language,
// keeping the selected tab and without the opening picture.
#include "Settings/SettingsContext.h"
#include "Settings/SettingsTab.h"

#include <QImage>
#include <QMap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class AnimatedValue;
class QPainter;
class SegmentedControl;
class SettingsIntroSplash;

class SettingsView : public QWidget {
    Q_OBJECT
public:
    // Makes the view a tab shows, parented by the caller.
    using TabFactory = std::function<QWidget*()>;

    explicit SettingsView(const SettingsContext& context, QWidget* parent = nullptr);
    ~SettingsView() override;


    SettingsTab tab() const { return m_tab; }
    void selectTab(SettingsTab tab);
    QWidget* tabView() const;
    SegmentedControl* tabBar() const;
    // The opening picture while it is up.
    SettingsIntroSplash* splash() const;

    // One frame of the reveal at progress t (0…1) onto p, size big: the tabs
    // (column, and column at half size for the strong blur) fade in, grow from
    // 97 % at the top centre and come into focus; the opening picture fades
    // out above them.
    static void paintRevealFrame(QPainter& p, QSize size, const QImage& column, const QImage& columnHalf,
                                 const QImage& splash, double t, const QColor& background);

    static constexpr int viewWidth = 640;
    static constexpr int viewHeight = 850;
    static constexpr int introMs = 950;
    static constexpr int revealMs = 450;
    static constexpr int tabSlideMs = 180;

Q_SIGNALS:
    void tabChanged(SettingsTab tab);
    void introFinished();
    // The content was built again for a new interface language.
    void rebuilt();

protected:
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void installDefaultTabs(const SettingsContext& context);
    void rebuild();
    void showTab();
    void reveal();
    void finishIntro();

    QMap<SettingsTab, TabFactory> m_factories;
    SettingsTab m_tab = SettingsTab::general;
    bool m_intro = true;
    bool m_introStarted = false;

    QPointer<QWidget> m_column;
    QPointer<SegmentedControl> m_tabBar;
    QPointer<QWidget> m_tabHost;
    QPointer<QWidget> m_tabView;
    QPointer<SettingsIntroSplash> m_splash;

    // The reveal: the column and the splash as pictures, blended by m_reveal
    // on a layer above the live column, which already takes the clicks.
    QTimer m_introTimer;
    AnimatedValue* m_reveal;
    QPointer<QWidget> m_revealLayer;
    QImage m_columnPicture;
    QImage m_columnHalf;
    QImage m_splashPicture;
};
