// zentu-pagecapture: renders one web page or PDF document into a tall image
// for the app, which starts it for each whole-page capture and talks to it over
// stdin and stdout (Screenshot/PageCaptureWire.h). The web engine and the PDF
// library live only here, so the tray app stays small, and a page that crashes
// the engine ends this process, never the app.
#include "Localization/Localizer.h"
#include "PageCapture/Capturer.h"
#include "PageCapture/PageCaptureChannel.h"
#include "PageCapture/PdfRenderer.h"
#include "Platform/Qt/WebEngineEnvironment.h"
#include "Platform/UserDefaults.h"
#include "Screenshot/CaptureError.h"

#include <QApplication>
#include <QPdfDocument>
#include <QCoroTask>
#include <QTimer>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
// The helper speaks the language the app asked for, whatever the stored
// choice: the app has resolved it already.
class NoDefaults final : public UserDefaults {
public:
    QVariant value(const QString&) const override { return {}; }
    void setValue(const QString&, const QVariant&) override { }
    void remove(const QString&) override { }
    bool removePersistentDomain(QString*) override { return true; }
};

void deliver(PageCaptureChannel& channel, const std::optional<CapturedScreenshot>& shot)
{
    if (!shot) {
        channel.sendStopped();
        return;
    }
    const QImage& image = shot->image;
    if (image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32)
        channel.sendImage(image, shot->incomplete);
    else
        channel.sendImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied), shot->incomplete);
}

QCoro::Task<void> capturePage(PageCaptureChannel& channel, QUrl url)
{
    Capturer capturer([&channel](const QString& line) { channel.log(line); });
    capturer.setStopRequested([&channel] { return !channel.mayGoOn(); });
    capturer.setProgress([&channel](int done, int heightPx) { channel.sendProgress(done, heightPx); });
    // The app gives up on a helper that stays silent; loading and scripts may
    // legitimately take a while.
    QTimer alive;
    QObject::connect(&alive, &QTimer::timeout, [&channel] { channel.alive(); });
    alive.start(5000);
    try {
        const std::optional<CapturedScreenshot> shot = co_await capturer.capture(url);
        deliver(channel, shot);
    } catch (const CaptureError& error) {
        channel.sendError(error.message());
    }
}

void renderDocument(PageCaptureChannel& channel, const QString& path)
{
    try {
        auto document = PdfRenderer::openFile(path);
        PdfRenderer::Watch watch;
        watch.stopRequested = [&channel] { return !channel.mayGoOn(); };
        watch.progress = [&channel](int pages, int heightPx) { channel.sendProgress(pages, heightPx); };
        watch.log = [&channel](const QString& line) { channel.log(QStringLiteral("BROWSER ") + line); };
        deliver(channel, renderPDF(*document, watch));
    } catch (const CaptureError& error) {
        channel.sendError(error.message());
    }
}
}

#ifdef __SANITIZE_ADDRESS__
// In a sanitizer build: Chromium inside the web engine frees some objects
// through a smaller base type, which is its own business, not this program's.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

int main(int argc, char** argv)
{
    // Ends with the app that started it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1)
        return 1;
    std::signal(SIGPIPE, SIG_IGN);
    // Only messages go to the app: whatever a library prints goes to stderr.
    const int output = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    PageCaptureChannel channel(STDIN_FILENO, output);
    const std::optional<PageCaptureWire::Request> request = channel.readRequest();
    if (!request)
        return 2;

    using Kind = PageCaptureWire::Request::Kind;
    if (request->kind == Kind::document) {
        // Documents need no screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        WebEngineEnvironment::prepare();
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentu.it"));
    NoDefaults defaults;
    const QString language = request->language;
    const Localizer::Scope localizer(std::make_shared<Localizer>(defaults, [language] { return QStringList{language}; }));

    if (request->kind == Kind::document)
        renderDocument(channel, request->path);
    else
        QCoro::waitFor(capturePage(channel, request->url));
    return 0;
}
