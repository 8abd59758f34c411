#pragma once
// One "Max. Einträge" row of the History tab: a picker of 100, 200, 500,
// "Unbegrenzt" (0) and "Benutzerdefiniert …", and while the limit is none of
// those presets a whole-number field beside it. Choosing the custom entry from
// a preset proposes 300. A typed number counts only once editing finishes
// (Return or leaving the field): a limit taken per keystroke would trim the
// history to 2, then 25, on the way to 250.
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

class HistoryLimitRow : public QWidget {
    Q_OBJECT
public:
    // section: the section's name, telling the two rows' controls apart for screen readers.
    HistoryLimitRow(const QString& title, const QString& section, QWidget* parent = nullptr);

    // Shows a stored limit (never reports it back).
    void setValue(qint64 limit);
    qint64 value() const { return m_value; }
    bool isCustomMode() const;

    // The limit the user chose; the owner stores it.
    std::function<void(qint64 limit)> onCommit;

    static bool isPreset(qint64 limit);
    // The picker's tag of the custom entry; never stored.
    static constexpr int customTag = -1;
    // What the custom entry proposes when chosen from a preset.
    static constexpr qint64 customStart = 300;
    static constexpr int fieldWidth = 70;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void choose(int index);
    void commitField();
    void showValue();
    void commit(qint64 limit);

    QLabel* m_title;
    QComboBox* m_picker;
    QLineEdit* m_field;
    qint64 m_value = 0;
};
