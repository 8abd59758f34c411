#pragma once
// The app's own windows: the three that exist once at most (settings,
// clipboard history, first run) and any number of editors. Keeps each until
// its close has run, retitles them all when the language changes, and makes
// the app a regular application (task bar, Alt+Tab) while an editor or the
// settings are open, an accessory otherwise. The clipboard history and the
// editors are on every workspace, as the pinned pictures are; each window
// opens on the screen under the pointer.
#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class ActivationPolicy;
class HeapTrimmer;
class QTimer;
class QWidget;
class WindowDesktops;

class AppWindows : public QObject {
    Q_OBJECT
public:
    enum class Single { settings, clipboardHistory, onboarding };

    // With a trimmer, the memory an editor freed goes back to the system
    // shortly after its window is gone.
    AppWindows(ActivationPolicy& policy, WindowDesktops& desktops, std::shared_ptr<HeapTrimmer> trimmer = nullptr,
               QObject* parent = nullptr);
    ~AppWindows() override;

    // The window while it exists, else null.
    QWidget* window(Single which) const;
    // Makes the window around content (an empty view when null), centred on
    // the screen under the pointer, and brings it forward. The caller checks
    // first that none is open.
    QWidget* open(Single which, QWidget* content);
    // Whether the user sees the window now: shown, not minimised, on the
    // workspace looked at.
    bool isSeen(QWidget* window);
    // Brings the window forward where the user looks, also from another
    // workspace or from the task bar.
    void present(QWidget* window);

    // The registry keeps an editor window until it closes.
    void adoptEditor(std::unique_ptr<QWidget> window);
    // Each editor closes through its own close path.
    void closeEditors();
    const std::vector<std::unique_ptr<QWidget>>& editors() const { return m_editors; }
    // Freed memory goes back shortly after an editor is gone, and once more
    // when the workers it kept busy have ended (idle pool threads end after 30 s).
    static constexpr int trimDelayMs = 2000;
    static constexpr int lateTrimDelayMs = 40000;

    // Retitles every open window on each language change from now on, and once now.
    void followLanguage();
    void updateActivationPolicy();

protected:
    // A language change reaches every window: the titles follow it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QWidget>& slot(Single which) { return m_single[std::size_t(which)]; }
    void refreshTitles();
    static void bringForward(QWidget* window);
    bool joinsEveryWorkspace(const QWidget* window) const;

    ActivationPolicy& m_policy;
    WindowDesktops& m_desktops;
    std::shared_ptr<HeapTrimmer> m_trimmer;
    // Waits for the deletions an editor's going sets off before trimming.
    QTimer* m_trim;
    QTimer* m_lateTrim;
    std::array<std::unique_ptr<QWidget>, 3> m_single;
    std::vector<std::unique_ptr<QWidget>> m_editors;
    bool m_followsLanguage = false;
};
