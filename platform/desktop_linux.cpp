#include "platform/desktop.h"

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

} // namespace

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
