#pragma once

// Before the Qt headers, so that no Qt macro can rename a name in them.
#include <gio/gio.h>

#include <QString>

namespace Glimmerpad::Platform {

// The GIO and GObject functions this layer calls, opened the first time one is needed rather than
// when the program starts: most runs never trash a file nor read a desktop setting, and loading
// GIO's libraries would cost every start. GLib's own functions are called directly: Qt's event
// loop already has GLib loaded.
struct Gio
{
    decltype(&g_vfs_get_local) vfsGetLocal;
    decltype(&g_vfs_get_file_for_path) vfsGetFileForPath;
    decltype(&g_file_trash) fileTrash;
    decltype(&g_io_error_quark) ioErrorQuark;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_settings_schema_source_get_default) settingsSchemaSourceGetDefault;
    decltype(&g_settings_schema_source_lookup) settingsSchemaSourceLookup;
    decltype(&g_settings_schema_has_key) settingsSchemaHasKey;
    decltype(&g_settings_schema_unref) settingsSchemaUnref;
    decltype(&g_settings_new_full) settingsNewFull;
    decltype(&g_settings_get_value) settingsGetValue;
};

// GIO's functions, every one resolved; null when GIO cannot be opened, with the reason in *error.
const Gio *gio(QString *error = nullptr);

} // namespace Glimmerpad::Platform
