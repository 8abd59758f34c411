#pragma once
// Renders a web page or a PDF document into one tall image in the helper
// program zentu-pagecapture, started for this one capture: the app never
// loads the web engine or the PDF library itself, and a page that crashes the
// engine ends only the helper. Before every band or page the helper asks
// whether to go on, and the stop check answers; after each one it reports its
// progress; the helper's log lines go to the debug log. A picture the helper
// says lacks content comes back marked incomplete. A helper that dies, cannot
// start or stays silent for a minute ends the capture with the road's own
// error, never a hang.
#include "Screenshot/CapturedScreenshot.h"
#include "Screenshot/PageCaptureWire.h"

#include <QCoroTask>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <coroutine>
#include <functional>
#include <optional>

class QProcess;

class PageCaptureProcess : public QObject {
    Q_OBJECT
public:
    using StopRequested = std::function<bool()>;

    explicit PageCaptureProcess(QString helper = locateHelper(), QObject* parent = nullptr);
    // Ends a helper still at work.
    ~PageCaptureProcess() override;

    // Asked before each band or page; true ends the capture as a stop.
    void setStopRequested(StopRequested stop) { m_stopRequested = std::move(stop); }
    // Told after each band or page: how many are done, and the rows they fill.
    using Progress = std::function<void(int done, int heightPx)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // One capture per object: the picture (kind "scrolling", maybe marked
    // incomplete); nothing when stopped; throws CaptureError.
    using Result = std::optional<CapturedScreenshot>;
    QCoro::Task<Result> capturePage(QUrl url);
    QCoro::Task<Result> renderDocument(QString path);

    // The helper's process id while it runs, else 0.
    qint64 helperProcessId() const;

    // zentu-pagecapture beside the running program, else in the install prefix.
    static QString locateHelper();

    static constexpr int silenceLimitMs = 60000;

private:
    struct Completion;
    QCoro::Task<Result> run(PageCaptureWire::Request request);
    void readMessages();
    bool readImage();
    void handle(PageCaptureWire::Type type, const QByteArray& payload);
    void answer(bool goOn);
    // Ends the capture with the road's error (the cause is logged by the caller).
    void fail();
    void conclude(std::optional<QImage> image, std::optional<QString> error);

    QString m_helper;
    QProcess* m_process = nullptr;
    StopRequested m_stopRequested;
    Progress m_progress;
    PageCaptureWire::Request::Kind m_kind = PageCaptureWire::Request::Kind::page;
    QTimer m_silence;

    // The message being read.
    std::optional<PageCaptureWire::Header> m_header;
    QByteArray m_payload;
    QImage m_image;
    quint64 m_imageBytesRead = 0;

    bool m_concluded = false;
    bool m_incomplete = false;
    std::optional<QImage> m_result;
    std::optional<QString> m_error;
    std::coroutine_handle<> m_waiting;
};
