#pragma once
// The model behind one editor window: the image being edited, its annotations
// and tool settings, the selection, the gestures in progress and the undo
// history. Views read its state and call its operations; each published group
// of fields announces its changes with a signal. Every coordinate is in pixels
// of the edited image, origin top-left, y downwards. Main thread only.
#include "Editor/AnnotationGeometry.h"
#include "Editor/AnnotationHitTest.h"
#include "Editor/BlurPreviewCache.h"
#include "Editor/TextEntryBuffer.h"
#include "Models/EditorState.h"
#include "Models/ScreenshotItem.h"
#include "Platform/TextRecognizer.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QUuid>
#include <QVariantList>
#include <optional>

class EditorEnvironment;

class EditorViewModel : public QObject {
    Q_OBJECT
public:
    // item: the history entry the image belongs to, none for a loose image.
    EditorViewModel(const QImage& image, std::optional<ScreenshotItem> item, EditorEnvironment& environment,
                    QObject* parent = nullptr);
    ~EditorViewModel() override;

    // The crop gesture in progress: a new rectangle, moving the draft, or
    // pulling one of its corners (`cropResizeHandle`).
    enum class CropDragMode { newRect, move, resize };

    static constexpr int undoLimit = 100;
    static constexpr double minZoom = 0.25;
    static constexpr double maxZoom = 40;

    // --- Published state -------------------------------------------------
    const QImage& original() const { return m_original; }
    QSizeF imagePixelSize() const { return m_imagePixelSize; }
    const std::optional<ScreenshotItem>& item() const { return m_item; }
    const EditorState& state() const { return m_state; }
    // The annotation a drawing drag is shaping; not yet among the annotations.
    const std::optional<AnnotationObject>& draftAnnotation() const { return m_draft; }
    const QSet<QUuid>& selectedIDs() const { return m_selectedIDs; }
    // The one selected annotation; none when nothing or several are selected.
    std::optional<QUuid> selectedAnnotationID() const;
    const std::optional<QRectF>& marqueeRect() const { return m_marqueeRect; }
    // The topmost annotation under an image point.
    std::optional<QUuid> annotationAt(QPointF at) const;
    bool isDraggingSelection() const { return m_isDraggingSelection; }
    std::optional<DragHandle> activeHandle() const { return m_activeHandle; }
    double zoom() const { return m_zoom; }
    bool canUndo() const { return !m_undoStack.isEmpty(); }
    bool canRedo() const { return !m_redoStack.isEmpty(); }
    qsizetype undoCount() const { return m_undoStack.size(); }
    qsizetype redoCount() const { return m_redoStack.size(); }
    bool isCoalescingStyleEdit() const { return m_isCoalescingStyleEdit; }
    // Text entry: where a new text's field is open, and the text or bubble
    // whose words are being edited.
    const std::optional<QPointF>& pendingTextOrigin() const { return m_pendingTextOrigin; }
    const std::optional<QUuid>& editingTextID() const { return m_editingTextID; }
    const std::optional<QUuid>& editingBubbleID() const { return m_editingBubbleID; }
    // The crop rectangle being prepared, in image pixels.
    const std::optional<QRectF>& cropDraft() const { return m_cropDraft; }
    std::optional<CropDragMode> cropDragMode() const { return m_cropDragMode; }
    std::optional<DragHandle> cropResizeHandle() const { return m_cropResizeHandle; }
    // Set once a new picture replaced the opened one; the write-back then
    // stores the picture too.
    bool imageWasCropped() const { return m_imageWasCropped; }

    // Writes of the selection (also from a view binding); a single selected
    // cursor's settings become the cursor tool's settings.
    void setSelectedIDs(const QSet<QUuid>& ids);
    void setSelectedAnnotationID(std::optional<QUuid> id);
    // Held between minZoom and maxZoom.
    void setZoom(double zoom);

    // --- Undo ------------------------------------------------------------
    // Undo and redo bring back annotations and image only, never tool
    // settings, and leave nothing selected.
    void undo();
    void redo();
    // Removes every annotation as one undoable step; image and settings stay.
    void resetAll();

    // --- Tools and drawing -------------------------------------------------
    void setTool(EditorTool tool);
    // A drag with a drawing tool: begin, one update per pointer event (the
    // first in the same event as the begin), end.
    void beginDrag(QPointF at);
    void updateDrag(QPointF to);
    void endDrag();
    void placeBadge(QPointF at);
    void placeCursor(QPointF at);

    // --- Selection and direct manipulation --------------------------------
    // A select-tool drag that does not start on a handle: a click, a move of
    // the selection, or a marquee over empty canvas.
    void beginSelectionDrag(QPointF at);
    void updateSelectionDrag(QPointF to);
    // A select-tool drag on a handle of the single selected annotation.
    void beginHandleDrag(DragHandle handle, QUuid annotationID);
    void updateHandleDrag(QPointF to);
    // Ends every select-tool drag, handle drags included.
    void endSelectionDrag();
    void deleteSelected();

    // --- Style edits -------------------------------------------------------
    // Each setter makes its value the tool default and applies it to the
    // selected annotations of fitting kinds, as one undo step. A slider drag
    // is bracketed by beginStyleEdit()/endStyleEdit() and is one step as a
    // whole; a keyboard or wheel step calls the setter alone. An edit left
    // open closes on a tool change, a selection change, undo, redo and when
    // the window closes.
    void beginStyleEdit();
    void endStyleEdit();
    void setColor(const RGBAColor& color);
    void setLineWidth(double width);
    void setBlurStyle(BlurStyle style);
    void setBlurAmount(double amount);
    void setMagnification(double zoom);
    void setCursorStyle(const QString& style);
    void setCursorSize(double size);
    void setCursorHighlightEnabled(bool enabled);
    void setCursorHighlightColor(const RGBAColor& color);
    void setCursorHighlightSize(double size);
    void setCursorHighlightOpacity(double opacity);
    void setBubbleStyle(SpeechBubbleStyle style);
    void setDashed(bool dashed);
    void setFillEnabled(bool enabled);
    void setFillColor(const RGBAColor& color);
    void setCornerRadius(double radius);
    void setBadgeColor(const RGBAColor& color);
    void setBadgeTextColor(const RGBAColor& color);
    void setBadgeSize(double size);
    void setBadgeFontSize(double size);
    void setFontSize(double size);
    void setFontName(const std::optional<QString>& name);

    // --- Text entry --------------------------------------------------------
    // The words of the open field, written by the field as the user types.
    TextEntryBuffer& textBuffer() { return m_textBuffer; }
    // What a new entry creates: a text or a speech bubble.
    AnnotationKind pendingKind() const { return m_pendingKind; }
    // A double click: a text or speech bubble under the point opens for editing.
    void handleDoubleClick(QPointF at);
    // A text-tool click: an entry for a new annotation of the kind opens at
    // the point; an open entry is committed first.
    void beginText(QPointF at, AnnotationKind kind);
    // Opens the words of a text annotation again and selects it.
    void beginEditingText(QUuid id);
    // Opens the words of a speech bubble for editing and selects it.
    void beginEditingBubble(QUuid id);
    // The buffer becomes the bubble's words, as typed.
    void commitBubbleEdit();
    // The trimmed buffer becomes a new text or the re-edited one's words; an
    // emptied re-edited text is deleted.
    void commitPendingText();
    void cancelPendingText();
    // A pasted text as a new text annotation centred on the picture.
    void insertText(const QString& text);

    // --- Crop ----------------------------------------------------------------
    // A crop-tool drag: begin on its first event (with the draft's corner
    // under the press, if any), then one update per event with the drag's
    // start and current point, end on release.
    void cropBegin(QPointF at, std::optional<DragHandle> handle);
    void cropUpdate(QPointF start, QPointF to);
    void endCropDrag();
    void cancelCrop();
    // The preset reshapes a draft at once.
    void setCropAspect(CropAspect aspect);
    // Cuts the picture to the rectangle as one undo step; false (and nothing
    // changed) for less than 8 × 8 pixels, the whole picture or no bitmap.
    bool applyCrop(const QRectF& rect);

    // --- Pictures and results ------------------------------------------------
    // Makes `image` the edited picture with these annotations, as one undo
    // step; nothing stays selected.
    void replaceImage(const QImage& image, const QList<AnnotationObject>& annotations);
    // The whole picture blurred for the canvas's preview of blur areas, kept
    // for later frames; null when it cannot be made.
    QImage blurredImage(BlurStyle style, double amount);
    // Writes the annotations (and a replaced picture) back to the history
    // entry the editor was opened on; nothing for a loose image.
    void persistAnnotations();
    // The chosen picture file, or a picture, as an image annotation: never
    // enlarged, at most 45 % of the edited picture's width, centred; it
    // becomes the selection and the select tool is chosen. An unreadable
    // file or an empty picture adds nothing.
    void insertImageFromPicker();
    void insertImageFile(const QString& path);
    void insertImage(const QImage& image);
    // The clipboard's picture, else its text without surrounding blanks.
    void paste();
    // The picture with every committed annotation burnt in (no draft, no
    // open text entry, no crop draft).
    QImage render() const;
    // What sharing hands on: the URL of the flattened picture as
    // "Zentu-XXXXXXXX.png" in the share folder, or the picture itself when
    // the file cannot be written.
    QVariantList shareItems();
    // The flattened picture to the clipboard, to the save dialog (after the
    // write-back) or pinned to the screen.
    void copyResult();
    void saveResult(const QString& suggestedName);
    void pinResult();

    // --- Text recognition and Live Text ---------------------------------------
    // Recognises the flattened picture's text; the newest recognition's
    // result, trimmed, becomes ocrText (also when empty) and, when not
    // empty, goes to the clipboard. Older ones still running are ignored.
    void runOCR();
    const std::optional<QString>& ocrText() const { return m_ocrText; }
    void setOcrText(const std::optional<QString>& text);
    bool isRunningOCR() const { return m_isRunningOCR; }
    // Live Text: while on, the picture's lines are read (once per picture)
    // and offered for selection. Only lines read from the current picture
    // are ever offered.
    bool liveTextEnabled() const { return m_liveTextEnabled; }
    void setLiveTextEnabled(bool enabled);
    const QList<RecognizedLine>& liveTextLines() const { return m_liveTextLines; }
    // A text chosen in the picture (Live Text) to the clipboard.
    void copyText(const QString& text);

    // The window is closing: no style edit or gesture stays open.
    void windowWillClose();

Q_SIGNALS:
    void imageChanged();       // original, imagePixelSize
    void annotationsChanged(); // state().annotations
    void settingsChanged();    // the tool and style fields of state()
    void selectionChanged();
    void draftChanged();
    void marqueeChanged();
    void textEntryChanged(); // pendingTextOrigin, editingTextID, editingBubbleID
    void zoomChanged();
    void historyChanged(); // canUndo, canRedo
    void cropChanged();    // cropDraft, cropDragMode
    void ocrChanged();      // ocrText, isRunningOCR
    void liveTextChanged(); // liveTextEnabled, liveTextLines

private:
    // One undo or redo entry: both members share their data with the state.
    struct EditorSnapshot {
        QList<AnnotationObject> annotations;
        QImage image;
        QSizeF pixelSize;
    };
    using KindSet = unsigned;

    EditorSnapshot snapshot() const;
    void pushUndo();
    void step(QList<EditorSnapshot>& from, QList<EditorSnapshot>& to);
    void restore(const EditorSnapshot& snapshot);
    void adoptCursorStateIfNeeded();
    std::optional<qsizetype> topHit(QPointF at) const;
    qsizetype indexOf(const QUuid& id) const;
    void setMarquee(std::optional<QRectF> rect);
    // A new annotation with the current line width; the rest of its style is the caller's.
    AnnotationObject newAnnotation(AnnotationKind kind, const RGBAColor& color, QList<QPointF> points) const;
    // Adds it on top as one undo step and selects it alone.
    void addAnnotation(const AnnotationObject& annotation);
    // Changes one annotation as part of a drag whose undo step is taken on
    // its first real change; false when nothing changed.
    bool changeDuringDrag(qsizetype index, const AnnotationObject& changed, bool& didPushUndo);

    // Style setters: the tool default, then the selection.
    template <typename Change>
    void applyToSelected(KindSet kinds, Change change);
    template <typename Value>
    void setSetting(Value EditorState::*field, const Value& value);
    static KindSet kinds(std::initializer_list<AnnotationKind> list);
    static constexpr KindSet everyKind = ~0u;

    QRectF constrainedCrop(const QRectF& rect) const;

    static std::optional<QPointF> oppositeCorner(const AnnotationObject& a, DragHandle handle);
    static void resizeCursor(AnnotationObject& a, DragHandle handle, QPointF to);

    EditorEnvironment& m_environment;
    AnnotationHitTest m_hitTest;
    QImage m_original;
    std::optional<ScreenshotItem> m_item;
    QSizeF m_imagePixelSize;
    EditorState m_state;
    std::optional<AnnotationObject> m_draft;
    QSet<QUuid> m_selectedIDs;
    std::optional<QRectF> m_marqueeRect;
    std::optional<QUuid> m_editingBubbleID;
    std::optional<QUuid> m_editingTextID;
    std::optional<QPointF> m_pendingTextOrigin;
    AnnotationKind m_pendingKind = AnnotationKind::text;
    TextEntryBuffer m_textBuffer;
    // Counts every change of the history, so a new bubble's first words can
    // tell whether its creation is still the latest step.
    quint64 m_historyVersion = 0;
    std::optional<quint64> m_newBubbleVersion;
    std::optional<QRectF> m_cropDraft;
    std::optional<CropDragMode> m_cropDragMode;
    std::optional<DragHandle> m_cropResizeHandle;
    std::optional<QPointF> m_cropMoveLast;
    bool m_imageWasCropped = false;
    BlurPreviewCache m_blurCache;
    // Starts reading the current picture for Live Text unless it was read.
    void readLiveTextIfNeeded();
    std::optional<QString> m_ocrText;
    bool m_isRunningOCR = false;
    quint64 m_ocrGeneration = 0; // the recognition whose result counts
    bool m_liveTextEnabled = false;
    QList<RecognizedLine> m_liveTextLines;
    qint64 m_liveTextImageKey = 0; // the picture last read for Live Text (0: none)
    quint64 m_liveTextGeneration = 0;
    double m_zoom = 1.0;
    QList<EditorSnapshot> m_undoStack; // oldest first
    QList<EditorSnapshot> m_redoStack;
    bool m_isCoalescingStyleEdit = false;
    // An open style edit takes its one snapshot with its first real change.
    bool m_styleEditNeedsSnapshot = false;

    // Select-tool drags.
    bool m_isDraggingSelection = false;
    std::optional<QPointF> m_moveLastPoint;
    std::optional<QUuid> m_movingAnnotationID;
    bool m_didPushMoveUndo = false;
    std::optional<QPointF> m_marqueeStart;
    std::optional<DragHandle> m_activeHandle;
    std::optional<QUuid> m_handleAnnotationID;
    bool m_didPushHandleUndo = false;
    // The corner a rectangle keeps while one of its corners is dragged.
    std::optional<QPointF> m_handleAnchor;
};
