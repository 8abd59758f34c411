#pragma once
// The state of one thing the app needs from the X server: its symbol (green
// when there, orange when not), title and what it is for, then "Erlaubt"
// with a check mark or "Nicht verfügbar" with a warning sign and, below, what
// refuses it and what the user can do. X11 has nothing to grant, so there is
// no button that asks. Used as a row of the Privacy tab and, larger, as a
// card of the first-run window.
#include <QColor>
#include <QFont>
#include <QWidget>

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
        qreal stateSize;
        // The subtitle's colour; the secondary label colour when invalid.
        QColor subtitleColor;
    };
    static Metrics formMetrics();
    static Metrics cardMetrics();

    // refusal: shown under the subtitle while the thing is not available.
    PermissionRow(const QString& symbolName, const QString& title, const QString& subtitle, const QString& refusal,
                  const Metrics& metrics, QWidget* parent = nullptr);

    // Reading the screen: every capture.
    static PermissionRow* screenRecording(PermissionManager& permissions, const Metrics& metrics);
    // XTEST: the scrolling capture.
    static PermissionRow* accessibility(PermissionManager& permissions, const Metrics& metrics);

    // The note under the rows (Privacy tab) and the cards (first-run window).
    static QString nothingToGrantNote();

    void setGranted(bool granted);
    bool isGranted() const { return m_granted; }
    QColor iconColor() const;

private:
    void refreshIcon();

    QString m_symbol;
    Metrics m_metrics;
    bool m_granted = false;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_subtitle;
    QLabel* m_refusal;
    SymbolLabel* m_grantedLabel;
    SymbolLabel* m_unavailableLabel;
};
