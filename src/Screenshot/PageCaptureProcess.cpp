#include "Screenshot/PageCaptureProcess.h"

#include "BuildSettings.h"
#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Screenshot/CaptureError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <climits>

using namespace PageCaptureWire;

namespace {
void log(const QString& message)
{
    DebugLog::write(QStringLiteral("BROWSER ") + message);
}
}

struct PageCaptureProcess::Completion {
    PageCaptureProcess* process;
    bool await_ready() const noexcept { return process->m_concluded; }
    void await_suspend(std::coroutine_handle<> h) { process->m_waiting = h; }
    void await_resume() { }
};

PageCaptureProcess::PageCaptureProcess(QString helper, QObject* parent)
    : QObject(parent)
    , m_helper(std::move(helper))
{
    m_silence.setSingleShot(true);
    m_silence.setInterval(silenceLimitMs);
    connect(&m_silence, &QTimer::timeout, this,
            [this] {
                log(QStringLiteral("Hilfsprozess antwortet nicht, wird beendet"));
                fail();
            });
}

PageCaptureProcess::~PageCaptureProcess()
{
    if (m_process) {
        m_process->disconnect(this);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(2000);
        }
    }
}

QString PageCaptureProcess::locateHelper()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/zentu-pagecapture");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QString::fromUtf8(BuildSettings::installBinDir) + QStringLiteral("/zentu-pagecapture");
}

qint64 PageCaptureProcess::helperProcessId() const
{
    return m_process && m_process->state() == QProcess::Running ? m_process->processId() : 0;
}

QCoro::Task<PageCaptureProcess::Result> PageCaptureProcess::capturePage(QUrl url)
{
    Request request;
    request.kind = Request::Kind::page;
    request.url = std::move(url);
    return run(std::move(request));
}

QCoro::Task<PageCaptureProcess::Result> PageCaptureProcess::renderDocument(QString path)
{
    Request request;
    request.kind = Request::Kind::document;
    request.path = std::move(path);
    return run(std::move(request));
}

QCoro::Task<PageCaptureProcess::Result> PageCaptureProcess::run(Request request)
{
    Q_ASSERT(!m_process);
    m_kind = request.kind;
    request.language = Localizer::language();
    m_process = new QProcess(this);
    // The engine's own complaints stay visible where the app's are.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &PageCaptureProcess::readMessages);
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        readMessages();
        if (m_concluded)
            return;
        if (status == QProcess::CrashExit)
            log(QStringLiteral("Hilfsprozess abgestürzt"));
        else
            log(QStringLiteral("Hilfsprozess ohne Ergebnis beendet (Code %1)").arg(code));
        fail();
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart || m_concluded)
            return;
        log(QStringLiteral("Hilfsprogramm startet nicht: ") + m_helper);
        fail();
    });
    m_process->start(m_helper, {});
    if (!m_concluded) {
        m_process->write(message(Type::request, encode(request)));
        m_silence.start();
    }

    Completion completion{this};
    co_await completion;
    if (m_error)
        throw CaptureError(*m_error);
    if (!m_result)
        co_return std::nullopt;
    co_return CapturedScreenshot::make(*std::exchange(m_result, std::nullopt), CaptureKind::scrolling, m_incomplete);
}

void PageCaptureProcess::readMessages()
{
    while (m_process && !m_concluded) {
        if (!m_header) {
            char bytes[headerSize];
            if (m_process->bytesAvailable() < headerSize)
                return;
            m_process->read(bytes, headerSize);
            m_silence.start();
            m_header = parseHeader(bytes);
            if (!m_header) {
                log(QStringLiteral("Hilfsprozess sendet Unverständliches"));
                return fail();
            }
            m_payload.clear();
        }
        if (m_header->type == Type::image) {
            if (!readImage())
                return;
            continue;
        }
        const qint64 missing = qint64(m_header->length) - m_payload.size();
        if (missing > 0) {
            const QByteArray piece = m_process->read(missing);
            if (!piece.isEmpty())
                m_silence.start();
            m_payload += piece;
            if (piece.size() < missing)
                return;
        }
        const Type type = m_header->type;
        m_header.reset();
        handle(type, std::exchange(m_payload, {}));
    }
}

bool PageCaptureProcess::readImage()
{
    // The pixels go straight into the image: a page can be hundreds of megabytes.
    if (m_image.isNull()) {
        char bytes[imageHeaderSize];
        if (m_process->bytesAvailable() < imageHeaderSize)
            return false;
        m_process->read(bytes, imageHeaderSize);
        const std::optional<ImageHeader> h = decodeImageHeader(bytes, m_header->length);
        if (!h) {
            log(QStringLiteral("Hilfsprozess sendet ein unbrauchbares Bild"));
            fail();
            return false;
        }
        m_image = QImage(int(h->width), int(h->height), QImage::Format(h->format));
        if (m_image.isNull()) {
            log(QStringLiteral("Kein Speicher für das Bild (%1x%2)").arg(h->width).arg(h->height));
            m_process->kill();
            conclude(std::nullopt, m_kind == Request::Kind::page
                                       ? Localizer::t(QStringLiteral("Zu große Seite für den Bildspeicher."))
                                       : Localizer::t(QStringLiteral("Zu großes PDF für den Bildspeicher.")));
            return false;
        }
        m_imageBytesRead = 0;
    }
    const quint64 total = quint64(m_image.sizeInBytes());
    while (m_imageBytesRead < total) {
        const qint64 n = m_process->read(reinterpret_cast<char*>(m_image.bits()) + m_imageBytesRead,
                                         qint64(total - m_imageBytesRead));
        if (n <= 0)
            return false;
        m_imageBytesRead += quint64(n);
        m_silence.start();
    }
    m_header.reset();
    conclude(std::exchange(m_image, {}), std::nullopt);
    return false;
}

void PageCaptureProcess::handle(Type type, const QByteArray& payload)
{
    switch (type) {
    case Type::ask:
        answer(!(m_stopRequested && m_stopRequested()));
        return;
    case Type::log:
        DebugLog::write(QString::fromUtf8(payload));
        return;
    case Type::alive:
        return;
    case Type::progress:
        if (const std::optional<PageCaptureWire::Progress> p = decodeProgress(payload)) {
            if (m_progress)
                m_progress(int(qMin<quint32>(p->done, INT_MAX)), int(qMin<quint32>(p->heightPx, INT_MAX)));
            return;
        }
        log(QStringLiteral("Hilfsprozess sendet Unverständliches"));
        fail();
        return;
    case Type::incomplete:
        m_incomplete = true;
        return;
    case Type::stopped:
        conclude(std::nullopt, std::nullopt);
        return;
    case Type::error:
        conclude(std::nullopt, QString::fromUtf8(payload));
        return;
    default:
        log(QStringLiteral("Hilfsprozess sendet Unverständliches"));
        fail();
        return;
    }
}

void PageCaptureProcess::answer(bool goOn)
{
    if (m_process)
        m_process->write(header(goOn ? Type::proceed : Type::stop, 0));
}

void PageCaptureProcess::fail()
{
    if (m_concluded)
        return;
    if (m_process && m_process->state() != QProcess::NotRunning)
        m_process->kill();
    conclude(std::nullopt, m_kind == Request::Kind::page
                               ? Localizer::t(QStringLiteral("Seite konnte nicht aufgenommen werden."))
                               : Localizer::t(QStringLiteral("PDF konnte nicht gelesen werden.")));
}

void PageCaptureProcess::conclude(std::optional<QImage> image, std::optional<QString> error)
{
    if (m_concluded)
        return;
    m_concluded = true;
    m_silence.stop();
    m_result = std::move(image);
    m_error = std::move(error);
    if (m_process && m_process->state() != QProcess::NotRunning)
        m_process->closeWriteChannel();
    // Resumed from the event loop: the caller may destroy this object, which
    // must not happen inside one of its own process's signals.
    if (const std::coroutine_handle<> h = std::exchange(m_waiting, {}))
        QMetaObject::invokeMethod(this, [h] { h.resume(); }, Qt::QueuedConnection);
}
