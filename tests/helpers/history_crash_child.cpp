// A process that changes both histories and then waits to be killed, for the
// crash-consistency test. It first records a capture, a clipboard image and a
// text and lets them reach the disk ("acked <ids>"), then stops each store's
// writer after <jobs> further jobs, runs a fixed series of changes (among
// them an editor that cuts the first capture and draws on it, writing its
// picture back as the editor does on close), and reports
// "held <screenshot writer held> <clipboard writer held>" (0 when the writer
// ran out of jobs first):
//   history_crash_child <jobs>
// It never ends by itself.
#include "Debug/DebugLog.h"
#include "Editor/CropTool.h"
#include "Editor/DrawingGesture.h"
#include "Editor/EditorResults.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorViewModel.h"
#include "Editor/HistoryEditorEnvironment.h"
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/SettingsManager.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/FilledImage.h"

#include <QApplication>
#include <QTextStream>
#include <QThread>

namespace {
QString id(const QUuid& uuid) { return uuid.toString(QUuid::WithoutBraces).toUpper(); }

// The editor's road: open on the record, cut, draw an arrow, close.
void editAndClose(ScreenshotHistoryStore& store, const ScreenshotItem& item)
{
    HistoryEditorEnvironment environment(store);
    EditorSession session(store.image(item), item, environment);
    session.model().setTool(EditorTool::crop);
    session.crop().applyCrop({0, 0, 20, 15});
    session.model().setTool(EditorTool::arrow);
    session.drawing().beginDrag({2, 2});
    session.drawing().updateDrag({15, 10});
    session.drawing().endDrag();
    session.results().persistAnnotations();
}
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const AppFolders folders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>());
    DebugLog::File log(folders.debugLog());
    const int jobs = app.arguments().value(1).toInt();
    QTextStream out(stdout);

    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeClipboardService clipboard;
    SettingsManager settings(defaults, loginItem, keyboard);
    ScreenshotHistoryStore shots(settings, folders);
    ClipboardHistoryStore texts(settings, clipboard, folders);

    const ScreenshotItem a = shots.add(filledImage(40, 30, Qt::red), CaptureKind::area);
    texts.addImage(filledImage(20, 10, Qt::blue), std::nullopt);
    texts.addText(QStringLiteral("erster Text"), std::nullopt);
    shots.waitForPendingWrites();
    texts.waitForPendingWrites();
    out << "acked " << id(a.id) << ' ' << id(texts.items().at(1).id) << ' ' << id(texts.items().at(0).id) << '\n';
    out.flush();

    shots.writer().holdAfter(jobs);
    texts.writer().holdAfter(jobs);
    const ScreenshotItem b = shots.add(filledImage(50, 50, Qt::green), CaptureKind::window);
    editAndClose(shots, a);
    shots.toggleFavorite(b);
    shots.remove(a);
    shots.add(filledImage(60, 40, Qt::cyan), CaptureKind::fullScreen);
    const ClipboardItem firstImage = texts.items().at(1);
    texts.addImage(filledImage(25, 25, Qt::magenta), std::nullopt);
    texts.addText(QStringLiteral("zweiter Text"), std::nullopt);
    texts.remove(firstImage);

    const bool shotsHeld = shots.writer().waitUntilHeld();
    const bool textsHeld = texts.writer().waitUntilHeld();
    out << "held " << int(shotsHeld) << ' ' << int(textsHeld) << '\n';
    out.flush();
    for (;;)
        QThread::sleep(60);
}
