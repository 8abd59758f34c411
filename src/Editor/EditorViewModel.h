#pragma once
// The model behind one editor window: the image being edited, its annotations
// and tool settings, the selection, the drawing and select-tool gestures in
// progress, and the undo history. Where a text is being typed and the crop
// rectangle being prepared are part of its published state, but the
// operations on them, like everything that brings pictures in or carries
// results out, belong to the collaborators that work on the model (TextEntry,
// CropTool, ImageInsertion, EditorResults, ResultSharing,
// EditorTextRecognition; EditorSession builds them together). Views read its
// state and call its operations; each published group of fields announces its
// changes with a signal. Every coordinate is in pixels of the edited image,
// origin top-left, y downwards. Main thread only.
#include "Editor/AnnotationGeometry.h"
#include "Editor/AnnotationHitTest.h"
#include "Editor/BlurPreviewCache.h"
#include "Editor/ShareTarget.h"
#include "Models/EditorState.h"
#include "Models/ScreenshotItem.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QUuid>
#include <optional>

class EditorEnvironment;

class EditorViewModel : public QObject {
    Q_OBJECT
public:
    // item: the history entry the image belongs to, none for a loose image.
    EditorViewModel(const QImage& image, std::optional<ScreenshotItem> item, EditorEnvironment& environment,
                    QObject* parent = nullptr);

    static constexpr int undoLimit = 100;
    static constexpr double minZoom = 0.25;
    static constexpr double maxZoom = 40;
    // One zoom step in or out multiplies or divides by this.
    static constexpr double zoomStep = 1.25;

    // The share button's menu still names its targets through the model.
    using ShareTarget = ::ShareTarget;

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
    // Where the first annotation with this identifier lies in the drawing
    // order; -1 when there is none.
    qsizetype indexOf(const QUuid& id) const;
    bool isDraggingSelection() const { return m_isDraggingSelection; }
    std::optional<DragHandle> activeHandle() const { return m_activeHandle; }
    double zoom() const { return m_zoom; }
    bool canUndo() const { return !m_undoStack.isEmpty(); }
    bool canRedo() const { return !m_redoStack.isEmpty(); }
    qsizetype undoCount() const { return m_undoStack.size(); }
    qsizetype redoCount() const { return m_redoStack.size(); }
    bool isCoalescingStyleEdit() const { return m_isCoalescingStyleEdit; }
    // Text entry (TextEntry writes it): where a new text's field is open, and
    // the text or bubble whose words are being edited.
    const std::optional<QPointF>& pendingTextOrigin() const { return m_pendingTextOrigin; }
    const std::optional<QUuid>& editingTextID() const { return m_editingTextID; }
    const std::optional<QUuid>& editingBubbleID() const { return m_editingBubbleID; }
    // The crop rectangle being prepared, in image pixels (CropTool writes it).
    const std::optional<QRectF>& cropDraft() const { return m_cropDraft; }
    // Set once a new picture replaced the opened one; the write-back then
    // stores the picture too.
    bool imageWasCropped() const { return m_imageWasCropped; }
    // The whole picture blurred for the canvas's preview of blur areas, kept
    // for later frames until the picture changes; null when it cannot be made.
    QImage blurredImage(BlurStyle style, double amount);

    // Writes of the selection (also from a view binding); a single selected
    // cursor's settings become the cursor tool's settings.
    void setSelectedIDs(const QSet<QUuid>& ids);
    void setSelectedAnnotationID(std::optional<QUuid> id);
    // Held between minZoom and maxZoom.
    void setZoom(double zoom);
    // One step in or out, and back to 1.
    void zoomIn() { setZoom(m_zoom * zoomStep); }
    void zoomOut() { setZoom(m_zoom / zoomStep); }
    void resetZoom() { setZoom(1); }

    // --- Undo ------------------------------------------------------------
    // Undo and redo bring back annotations and image only, never tool
    // settings, and leave nothing selected.
    void undo();
    void redo();
    // Removes every annotation as one undoable step; image and settings stay.
    void resetAll();
    // Counts every change of the history, so an edit can tell whether the
    // step it belongs to is still the latest.
    quint64 historyVersion() const { return m_historyVersion; }

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

    // --- Edits the collaborators make --------------------------------------
    // A new annotation with a fresh identifier and the current line width;
    // the rest of its style is the caller's.
    AnnotationObject newAnnotation(AnnotationKind kind, const RGBAColor& color, QList<QPointF> points) const;
    // Adds it on top as one undo step and selects it alone.
    void addAnnotation(const AnnotationObject& annotation);
    // Replaces the annotation with the same identifier: as an undo step of
    // its own, or as part of the latest one. Nothing when it is gone.
    void changeAnnotation(const AnnotationObject& changed, bool asNewStep = true);
    // Removes that annotation as one undo step; nothing stays selected.
    void removeAnnotation(const QUuid& id);
    // Makes `image` the edited picture with these annotations, as one undo
    // step; nothing stays selected.
    void replaceImage(const QImage& image, const QList<AnnotationObject>& annotations);
    // Where text is being typed: a new entry's origin, the re-edited text,
    // the bubble whose words are edited.
    void setTextEntry(std::optional<QPointF> pendingTextOrigin, std::optional<QUuid> editingTextID,
                      std::optional<QUuid> editingBubbleID);
    void setCropDraft(const std::optional<QRectF>& draft);
    // The crop tool's ratio preset as a tool setting (CropTool reshapes the
    // draft to it).
    void storeCropAspect(CropAspect aspect);

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
    void cropChanged();    // cropDraft

    // The moments at which open words are settled before the model goes on
    // (TextEntry listens; emitted and handled synchronously): a tool change,
    // a select-tool press, a drawn annotation before and after it is added,
    // and every annotation removed by resetAll().
    void toolAboutToChange();
    void selectionDragAboutToBegin(QPointF at);
    void drawingAboutToBeAdded(AnnotationKind kind);
    void drawingAdded(QUuid id, AnnotationKind kind);
    void annotationsReset();

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
    void setMarquee(std::optional<QRectF> rect);
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

    static std::optional<QPointF> oppositeCorner(const AnnotationObject& a, DragHandle handle);
    static void resizeCursor(AnnotationObject& a, DragHandle handle, QPointF to);

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
    quint64 m_historyVersion = 0;
    std::optional<QRectF> m_cropDraft;
    bool m_imageWasCropped = false;
    BlurPreviewCache m_blurCache;
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
