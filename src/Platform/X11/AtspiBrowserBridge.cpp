#include "Platform/X11/AtspiBrowserBridge.h"

#include "Debug/DebugLog.h"
#include "Platform/X11/X11ScreenLayout.h"

#include <QList>
#include <vector>
#include <atspi/atspi.h>

namespace {
// Owns one reference to a GObject from libatspi.
template <typename T>
struct Ref {
    T* p = nullptr;
    explicit Ref(T* v = nullptr) : p(v) { }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& o) noexcept : p(std::exchange(o.p, nullptr)) { }
    ~Ref()
    {
        if (p)
            g_object_unref(p);
    }
    explicit operator bool() const { return p != nullptr; }
};

void clear(GError*& error)
{
    if (error)
        g_error_free(error);
    error = nullptr;
}

AtspiRole roleOf(AtspiAccessible* a)
{
    GError* error = nullptr;
    const AtspiRole role = atspi_accessible_get_role(a, &error);
    const bool failed = error != nullptr;
    clear(error);
    return failed ? ATSPI_ROLE_INVALID : role;
}

bool showing(AtspiAccessible* a)
{
    Ref<AtspiStateSet> states(atspi_accessible_get_state_set(a));
    return states && atspi_state_set_contains(states.p, ATSPI_STATE_SHOWING);
}

QString documentUrl(AtspiAccessible* a)
{
    Ref<AtspiDocument> doc(atspi_accessible_get_document_iface(a));
    if (!doc)
        return QString();
    // Firefox names the attribute "DocURL", Chromium "URI".
    for (const char* name : {"DocURL", "URI", "URL"}) {
        GError* error = nullptr;
        gchar* value = atspi_document_get_document_attribute_value(doc.p, const_cast<gchar*>(name), &error);
        clear(error);
        if (value) {
            const QString url = QString::fromUtf8(value);
            g_free(value);
            if (!url.isEmpty())
                return url;
        }
    }
    return QString();
}

// The outermost showing web document below a frame (breadth first, bounded:
// a page's own tree can be huge, the browser's chrome above it is not).
QString frontDocumentUrl(AtspiAccessible* frame)
{
    QList<AtspiAccessible*> queue{frame};
    std::vector<Ref<AtspiAccessible>> owned;
    int visited = 0;
    while (!queue.isEmpty() && visited < 2000) {
        AtspiAccessible* node = queue.takeFirst();
        ++visited;
        if (node != frame && roleOf(node) == ATSPI_ROLE_DOCUMENT_WEB) {
            if (showing(node)) {
                const QString url = documentUrl(node);
                if (!url.isEmpty())
                    return url;
            }
            continue; // never descend into a page
        }
        GError* error = nullptr;
        const gint n = atspi_accessible_get_child_count(node, &error);
        clear(error);
        for (gint i = 0; i < n && i < 200; ++i) {
            AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, &error);
            clear(error);
            if (!child)
                continue;
            owned.emplace_back(child);
            queue.append(child);
        }
    }
    return QString();
}
}

AtspiBrowserBridge::AtspiBrowserBridge(std::shared_ptr<const X11ScreenLayout> layout)
    : m_layout(layout ? std::move(layout) : std::make_shared<X11ScreenLayout>())
{
}

AtspiBrowserBridge::~AtspiBrowserBridge() = default;

QList<DocumentWindow> AtspiBrowserBridge::windowList(const QString&, qint64 pid)
{
    if (atspi_init() > 1) {
        DebugLog::write(QStringLiteral("BROWSER AT-SPI nicht erreichbar"));
        return {};
    }
    // Fail fast instead of waiting for D-Bus's default timeouts.
    atspi_set_timeout(1500, 3000);
    QList<DocumentWindow> out;
    const DesktopPixels layout = m_layout->current();
    Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
    if (!desktop)
        return out;
    GError* error = nullptr;
    const gint apps = atspi_accessible_get_child_count(desktop.p, &error);
    clear(error);
    for (gint i = 0; i < apps; ++i) {
        Ref<AtspiAccessible> app(atspi_accessible_get_child_at_index(desktop.p, i, &error));
        clear(error);
        if (!app)
            continue;
        const guint appPid = atspi_accessible_get_process_id(app.p, &error);
        const bool failed = error != nullptr;
        clear(error);
        if (failed || qint64(appPid) != pid)
            continue;
        const gint windows = atspi_accessible_get_child_count(app.p, &error);
        clear(error);
        for (gint w = 0; w < windows; ++w) {
            Ref<AtspiAccessible> frame(atspi_accessible_get_child_at_index(app.p, w, &error));
            clear(error);
            if (!frame)
                continue;
            const AtspiRole role = roleOf(frame.p);
            if (role != ATSPI_ROLE_FRAME && role != ATSPI_ROLE_WINDOW)
                continue;
            Ref<AtspiComponent> component(atspi_accessible_get_component_iface(frame.p));
            if (!component)
                continue;
            AtspiRect* r = atspi_component_get_extents(component.p, ATSPI_COORD_TYPE_SCREEN, &error);
            clear(error);
            if (!r)
                continue;
            const QString url = frontDocumentUrl(frame.p);
            if (!url.isEmpty())
                out.append({layout.toPoints(QRectF(r->x, r->y, r->width, r->height)).toRect(), url});
            g_free(r);
        }
    }
    return out;
}
