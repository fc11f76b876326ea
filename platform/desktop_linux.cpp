#include "platform/desktop.h"

#include "platform/gio_linux.h"

#include <QByteArray>
#include <QGuiApplication>

// After the Qt headers: Xlib defines macros (None, Bool, Status) that Qt's headers use as names.
#include <X11/Xlib.h>

namespace Glimmerpad::Platform {

namespace {

// An X11 compositing manager announces itself by owning the _NET_WM_CM_S<screen> selection.
bool x11CompositingManagerRunning()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(XDefaultScreen(display));
    // Only-if-exists: with no compositor ever started the atom may not exist, and that means no owner.
    const Atom atom = XInternAtom(display, selection.constData(), True);
    return atom != None && XGetSelectionOwner(display, atom) != None;
}

// GNOME's title-bar double-click action. The schema is looked up before anything else because
// g_settings_new() aborts the whole process when a schema is not installed.
bool gnomeMinimizesOnDoubleClick()
{
    static constexpr char schemaId[] = "org.gnome.desktop.wm.preferences";
    static constexpr char key[] = "action-double-click-titlebar";
    const Gio *gio = Platform::gio();
    GSettingsSchemaSource *source = gio ? gio->settingsSchemaSourceGetDefault() : nullptr; // not ours to free
    if (!source)
        return false;
    GSettingsSchema *schema = gio->settingsSchemaSourceLookup(source, schemaId, TRUE);
    if (!schema)
        return false;
    bool minimize = false;
    if (gio->settingsSchemaHasKey(schema, key)) {
        GSettings *settings = gio->settingsNewFull(schema, nullptr, nullptr);
        // Read as a variant: g_settings_get_string() is fatal on a key that is not a string.
        GVariant *value = gio->settingsGetValue(settings, key);
        minimize = g_variant_is_of_type(value, G_VARIANT_TYPE_STRING) &&
                   g_strcmp0(g_variant_get_string(value, nullptr), "minimize") == 0;
        g_variant_unref(value);
        gio->objectUnref(settings);
    }
    gio->settingsSchemaUnref(schema);
    return minimize;
}

} // namespace

bool miniaturizeOnDoubleClick()
{
    return gnomeMinimizesOnDoubleClick();
}

bool hasCompositingManager()
{
    if (!qGuiApp)
        return false;
    const QString platform = QGuiApplication::platformName();
    if (platform == u"xcb")
        return x11CompositingManagerRunning();
    // Wayland compositors always blend; "wayland-egl" and friends are the same session.
    if (platform.startsWith(u"wayland"))
        return true;
    // Nothing is on screen offscreen, but saying yes keeps the alpha channel in grabbed images,
    // which is what tests look at.
    if (platform == u"offscreen")
        return true;
    return false;
}

} // namespace Glimmerpad::Platform
