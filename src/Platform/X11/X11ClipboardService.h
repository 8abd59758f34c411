#pragma once
// The CLIPBOARD selection. Writes and the change count go through QClipboard,
// which announces our own writes synchronously and other programs' through
// XFixes. Another program's content is read over a connection of our own with
// a deadline per format: QClipboard would wait up to 5 s for a slow owner.
#include "Platform/ClipboardService.h"

#include <QHash>
#include <QMimeData>
#include <cstdint>

struct xcb_connection_t;

class X11ClipboardService final : public ClipboardService {
    Q_OBJECT
public:
    explicit X11ClipboardService(QObject* parent = nullptr);
    ~X11ClipboardService() override;

    qint64 changeCount() const override { return m_changeCount; }
    bool ownedByThisProcess() const override;
    QStringList types() override;
    std::optional<QByteArray> data(const QString& type) override;
    std::optional<QString> string() override;
    QImage image() override;
    qint64 writeText(const QString& text) override;
    qint64 writeImage(const QImage& image, const std::optional<QByteArray>& png) override;

    void setReadTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

private:
    bool readsLocally() const;
    const QMimeData* localData() const;
    std::optional<QByteArray> convert(const QString& target);
    uint32_t atom(const QString& name);
    QString atomName(uint32_t atom);

    qint64 m_changeCount = 0;
    qint64 m_stalledAt = -1;
    int m_timeoutMs = 500;
    xcb_connection_t* m_connection = nullptr;
    uint32_t m_window = 0;
    QHash<QString, uint32_t> m_atoms;
    QHash<uint32_t, QString> m_atomNames;
};
