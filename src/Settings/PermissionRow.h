#pragma once
// The state of one permission the app needs: its symbol (green when granted,
// orange when not), title and what it is for, then "Erlaubt" with a check
// mark or an "Aktivieren" button that asks for it. Used as a row of the
// Privacy tab and, larger, as a card of the first-run window.
#include "Ui/ProminentButton.h"

#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>

class PermissionManager;
class QLabel;
class SymbolLabel;

class PermissionRow : public QWidget {
    Q_OBJECT
public:
    struct Metrics {
        qreal iconSize;
        int iconFrame;
        int spacing;
        qreal titleSize;
        QFont::Weight titleWeight;
        qreal grantedSize;
        ProminentButton::Size buttonSize;
        // The subtitle's colour; the secondary label colour when invalid.
        QColor subtitleColor;
    };
    static Metrics formMetrics();
    static Metrics cardMetrics();

    PermissionRow(const QString& symbolName, const QString& title, const QString& subtitle, const Metrics& metrics,
                  QWidget* parent = nullptr);

    // Screen recording: asks the system, then opens its settings page.
    static PermissionRow* screenRecording(PermissionManager& permissions, const Metrics& metrics);
    // Accessibility: asks, which prompts and opens its page itself when needed.
    static PermissionRow* accessibility(PermissionManager& permissions, const Metrics& metrics);

    void setGranted(bool granted);
    bool isGranted() const { return m_granted; }
    QColor iconColor() const;

    std::function<void()> onActivate;

    QLabel* titleLabel() const { return m_title; }
    QLabel* subtitleLabel() const { return m_subtitle; }
    SymbolLabel* grantedLabel() const { return m_grantedLabel; }
    ProminentButton* activateButton() const { return m_activate; }

private:
    void refreshIcon();

    QString m_symbol;
    Metrics m_metrics;
    bool m_granted = false;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_subtitle;
    SymbolLabel* m_grantedLabel;
    ProminentButton* m_activate;
};
