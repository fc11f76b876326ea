#include "platform/gio_linux.h"

#include <QLibrary>
#include <QLoggingCategory>

#include <optional>

Q_LOGGING_CATEGORY(lcGio, "glimmerpad.platform.gio", QtWarningMsg)

namespace Glimmerpad::Platform {

namespace {

struct Loaded
{
    std::optional<Gio> functions;
    QString error;
};

Loaded load()
{
    // GIO's soname has stayed the same since GLib 2.0; GObject comes with it as its dependency.
    QLibrary library(QStringLiteral("gio-2.0"), 0);
    if (!library.load())
        return {std::nullopt, library.errorString()};
    QString missing;
    const auto resolve = [&](auto &function, const char *name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        if (!function)
            missing = QString::fromLatin1(name);
    };
    Gio gio{};
    resolve(gio.vfsGetLocal, "g_vfs_get_local");
    resolve(gio.vfsGetFileForPath, "g_vfs_get_file_for_path");
    resolve(gio.fileTrash, "g_file_trash");
    resolve(gio.ioErrorQuark, "g_io_error_quark");
    resolve(gio.objectUnref, "g_object_unref");
    resolve(gio.settingsSchemaSourceGetDefault, "g_settings_schema_source_get_default");
    resolve(gio.settingsSchemaSourceLookup, "g_settings_schema_source_lookup");
    resolve(gio.settingsSchemaHasKey, "g_settings_schema_has_key");
    resolve(gio.settingsSchemaUnref, "g_settings_schema_unref");
    resolve(gio.settingsNewFull, "g_settings_new_full");
    resolve(gio.settingsGetValue, "g_settings_get_value");
    if (!missing.isEmpty())
        return {std::nullopt, QStringLiteral("%1 has no function %2").arg(library.fileName(), missing)};
    // Never unloaded: GObject types registered by GIO cannot be unregistered.
    return {gio, QString()};
}

} // namespace

const Gio *gio(QString *error)
{
    static const Loaded loaded = [] {
        Loaded result = load();
        if (!result.functions)
            qCWarning(lcGio).noquote() << "GIO could not be opened:" << result.error;
        return result;
    }();
    if (!loaded.functions && error)
        *error = QStringLiteral("GIO could not be opened: ") + loaded.error;
    return loaded.functions ? &*loaded.functions : nullptr;
}

} // namespace Glimmerpad::Platform
