// A separate X client for the real-clipboard tests. It either takes the
// CLIPBOARD and keeps serving it until its standard input closes:
//   clipboard_owner text <text>
//   clipboard_owner image <width> <height> [noise]   (noise: too big for one transfer)
//   clipboard_owner marked <format> <value> <text>
//   clipboard_owner stall <text>     (takes the clipboard, then never answers)
// or reads the clipboard as any other program would and prints what it got:
//   clipboard_owner read   ->  "formats: a,b,c" and "image: WxH"
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    if (args.value(0) == QLatin1String("read")) {
        // Let the connection settle before asking, then print and leave.
        QTimer::singleShot(0, [&] {
            const QMimeData* md = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
            out << "formats: " << (md ? md->formats().join(',') : QString()) << "\n";
            const QImage image = md && md->hasImage() ? md->imageData().value<QImage>() : QImage();
            out << "image: " << image.width() << "x" << image.height() << "\n";
            if (!image.isNull())
                out << "pixel: " << QColor(image.pixel(0, 0)).name() << "\n";
            out.flush();
            app.quit();
        });
        return app.exec();
    }

    auto* md = new QMimeData;
    if (args.value(0) == QLatin1String("text")) {
        md->setText(args.value(1));
    } else if (args.value(0) == QLatin1String("image")) {
        QImage image(args.value(1).toInt(), args.value(2).toInt(), QImage::Format_RGB32);
        image.fill(QColor(20, 120, 220));
        if (args.value(3) == QLatin1String("noise")) {
            quint32 state = 12345;
            for (int y = 20; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    state = state * 1664525u + 1013904223u;
                    image.setPixel(x, y, 0xff000000u | (state >> 8));
                }
        }
        md->setImageData(image);
    } else if (args.value(0) == QLatin1String("stall")) {
        md->setText(args.value(1));
    } else if (args.value(0) == QLatin1String("marked")) {
        md->setText(args.value(3));
        md->setData(args.value(1), args.value(2).toUtf8());
    } else {
        std::fprintf(stderr, "unknown mode\n");
        return 2;
    }
    QGuiApplication::clipboard()->setMimeData(md, QClipboard::Clipboard);
    out << "ready\n";
    out.flush();
    if (args.value(0) == QLatin1String("stall")) {
        ::sleep(60); // a hung program: requests for the content go unanswered
        return 0;
    }
    QSocketNotifier stdinClosed(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinClosed, &QSocketNotifier::activated, &app, [&] {
        char buf[64];
        if (::read(STDIN_FILENO, buf, sizeof buf) <= 0)
            app.quit();
    });
    return app.exec();
}
