#pragma once
// The clipboard history window: the full list with its title, search field
// and filter, 380 × 520, titled "Zwischenablage-Verlauf". The coordinator owns
// it (open, bring forward, close); its texts follow the interface language.
#include <QWidget>

class AppNameResolver;
class ClipboardHistoryStore;
class ClipboardHistoryView;

class ClipboardHistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit ClipboardHistoryWindow(ClipboardHistoryStore& store, const AppNameResolver* appNames = nullptr,
                                    QWidget* parent = nullptr);

    ClipboardHistoryView* view() const { return m_view; }
    void retitle();

    static constexpr QSize contentSize{380, 520};

private:
    void rebuild();

    ClipboardHistoryStore& m_store;
    const AppNameResolver* m_appNames;
    ClipboardHistoryView* m_view = nullptr;
};
