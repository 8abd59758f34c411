#pragma once
// The helper's end of the conversation with the app (PageCaptureWire): reads
// the request and the answers from one descriptor and writes to another,
// blocking; the helper does one thing at a time. A broken pipe means the app
// is gone, and so ends the helper.
#include "Screenshot/PageCaptureWire.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

class PageCaptureChannel {
public:
    PageCaptureChannel(int input, int output);

    std::optional<PageCaptureWire::Request> readRequest();
    // Asks the app whether to render the next band or page; no answer (the
    // app gone) counts as no.
    bool mayGoOn();

    void log(const QString& line);
    void alive();
    void sendProgress(int done, int heightPx);
    // incomplete: the image lacks content, and the app is told so first.
    void sendImage(const QImage& image, bool incomplete);
    void sendStopped();
    void sendError(const QString& message);

private:
    std::optional<PageCaptureWire::Header> readHeader();
    bool readExactly(char* into, qint64 size);
    void write(const char* data, qint64 size);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }

    int m_input;
    int m_output;
};
