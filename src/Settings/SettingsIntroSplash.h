#pragma once
// The settings window's opening picture: the logo, the word mark and the word
// "Einstellungen" on the window background. When shown it rises into place:
// all three fade in and move up together, the logo growing from 55 %.
#include <QImage>
#include <QPixmap>
#include <QWidget>

class AnimatedValue;

class SettingsIntroSplash : public QWidget {
    Q_OBJECT
public:
    explicit SettingsIntroSplash(QWidget* parent = nullptr);

    // 0 before the entrance, 1 once it has settled.
    double progress() const;
    void retranslate();

    static constexpr int logoSide = 66;
    static constexpr int spacing = 13;

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* e) override;

private:
    AnimatedValue* m_on;
    QPixmap m_logo;
    QImage m_logoShadow;
    QString m_caption;
    bool m_entered = false;
};
