#pragma once
// The model behind one editor window: the document state (the image being
// edited, its annotations, the tool settings, the selection and the zoom),
// the edits of it, style edits on the selection, and the undo history.
// Gestures and everything that brings pictures in or carries results out
// belong to the collaborators that work on the model: DrawingGesture and
// SelectionDrag (the canvas's drags), TextEntry, CropTool, ImageInsertion,
// EditorResults, ResultSharing and EditorTextRecognition; EditorSession
// builds them together. What differs per annotation kind it asks of
// AnnotationKinds. Views read its state and call its operations; each
// published group of fields announces its changes with a signal. Every
// coordinate is in pixels of the edited image, origin top-left, y downwards.
// Main thread only.
#include "Editor/AnnotationHitTest.h"
#include "Models/EditorState.h"
#include "Models/ScreenshotItem.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
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

    // --- Published state -------------------------------------------------
    const QImage& original() const { return m_original; }
    QSizeF imagePixelSize() const { return m_imagePixelSize; }
    const std::optional<ScreenshotItem>& item() const { return m_item; }
    const EditorState& state() const { return m_state; }
    const QSet<QUuid>& selectedIDs() const { return m_selectedIDs; }
    // The one selected annotation; none when nothing or several are selected.
    std::optional<QUuid> selectedAnnotationID() const;
    // The topmost annotation under an image point.
    std::optional<QUuid> annotationAt(QPointF at) const;
    // Where the first annotation with this identifier lies in the drawing
    // order; -1 when there is none.
    qsizetype indexOf(const QUuid& id) const;
    double zoom() const { return m_zoom; }
    bool canUndo() const { return !m_undoStack.isEmpty(); }
    bool canRedo() const { return !m_redoStack.isEmpty(); }
    qsizetype undoCount() const { return m_undoStack.size(); }
    bool isCoalescingStyleEdit() const { return m_isCoalescingStyleEdit; }
    // Set once a new picture replaced the opened one; the write-back then
    // stores the picture too.
    bool imageWasCropped() const { return m_imageWasCropped; }

    // Writes of the selection (also from a view binding); the cursor settings
    // of a single selected annotation whose kind offers them become the
    // cursor tool's settings.
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

    // --- Tool and selection edits --------------------------------------------
    // Open words settle first (toolAboutToChange); any tool but the select
    // tool leaves nothing selected.
    void setTool(EditorTool tool);
    // Removes the selected annotations as one undo step.
    void deleteSelected();

    // --- Style edits -------------------------------------------------------
    // Each setter makes its value the tool default and applies it to the
    // selected annotations of fitting kinds, as one undo step. A slider drag
    // is bracketed by beginStyleEdit()/endStyleEdit() and is one step as a
    // whole; a keyboard or wheel step calls the setter alone. An edit left
    // open closes on a tool change, a selection change, undo, redo and when
    // the window closes. The kinds a setter reaches are those whose option
    // group holds the setting (AnnotationKinds); the colour reaches every
    // kind, and is also the highlight of kinds offering cursor options.
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
    // A new annotation of the kind in the current tool settings: a fresh
    // identifier, the colour, the line width (never below the kind's
    // minimum), the settings of the option groups the kind offers, and what
    // the kind adds of its own (AnnotationKinds).
    AnnotationObject newAnnotation(AnnotationKind kind, QList<QPointF> points) const;
    // Adds it on top as one undo step and selects it alone.
    void addAnnotation(const AnnotationObject& annotation);
    // Replaces the annotation with the same identifier: as an undo step of
    // its own, or as part of the latest one. Nothing (false) when it is gone
    // or unchanged.
    bool changeAnnotation(const AnnotationObject& changed, bool asNewStep = true);
    // Moves the (first) annotations with these identifiers by the offset,
    // likewise; nothing for no offset.
    bool moveAnnotations(const QSet<QUuid>& ids, QPointF offset, bool asNewStep = true);
    // Removes that annotation as one undo step; nothing stays selected.
    void removeAnnotation(const QUuid& id);
    // Makes `image` the edited picture with these annotations, as one undo
    // step; nothing stays selected.
    void replaceImage(const QImage& image, const QList<AnnotationObject>& annotations);
    // The crop tool's ratio preset as a tool setting (CropTool reshapes the
    // draft to it).
    void storeCropAspect(CropAspect aspect);

Q_SIGNALS:
    void imageChanged();       // original, imagePixelSize
    void annotationsChanged(); // state().annotations
    void settingsChanged();    // the tool and style fields of state()
    void selectionChanged();
    void zoomChanged();
    void historyChanged(); // canUndo, canRedo

    // The moments at which open words are settled before the model goes on
    // (TextEntry listens; emitted and handled synchronously): a tool change,
    // and every annotation removed by resetAll().
    void toolAboutToChange();
    void annotationsReset();

private:
    // One undo or redo entry: both members share their data with the state.
    struct EditorSnapshot {
        QList<AnnotationObject> annotations;
        QImage image;
        QSizeF pixelSize;
    };

    EditorSnapshot snapshot() const;
    void pushUndo();
    void step(QList<EditorSnapshot>& from, QList<EditorSnapshot>& to);
    void restore(const EditorSnapshot& snapshot);
    void adoptCursorSettingsOfSelected();

    // Style setters: the tool default, then the selected annotations whose
    // kind fits, as one undo step.
    template <typename Fits, typename Change>
    void applyToSelected(Fits fits, Change change);
    template <typename Value>
    void setSetting(Value EditorState::*field, const Value& value);

    AnnotationHitTest m_hitTest;
    QImage m_original;
    std::optional<ScreenshotItem> m_item;
    QSizeF m_imagePixelSize;
    EditorState m_state;
    QSet<QUuid> m_selectedIDs;
    quint64 m_historyVersion = 0;
    bool m_imageWasCropped = false;
    double m_zoom = 1.0;
    QList<EditorSnapshot> m_undoStack; // oldest first
    QList<EditorSnapshot> m_redoStack;
    bool m_isCoalescingStyleEdit = false;
    // An open style edit takes its one snapshot with its first real change.
    bool m_styleEditNeedsSnapshot = false;
};
