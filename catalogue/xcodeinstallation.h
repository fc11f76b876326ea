#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace Glimmerpad::Xcode {

// Versions are compared as single-precision numbers (the leading number of the version string), so
// "4.3" passes the gate (4.3f widens to 4.300000190734863) and "5.1" selects the newer library.
inline constexpr float kMinimumSupportedVersion = 4.3f;
inline constexpr float kIdeKitLibraryVersion = 5.1f;
inline constexpr float kSourceEditorLibraryVersion = 10.0f;

inline constexpr char kBundleIdentifier[] = "com.apple.dt.Xcode";

inline constexpr char kInfoPlistComponent[] = "/Contents/Info.plist";
inline constexpr char kIdeKitLibraryComponent[] =
    "/Contents/Frameworks/IDEKit.framework/Versions/Current/Resources/SystemCodeSnippets.codesnippets";
inline constexpr char kPluginLibraryComponent[] =
    "/Contents/PlugIns/IDECodeSnippetLibrary.ideplugin/Contents/Resources/SystemCodeSnippets.codesnippets";
inline constexpr char kSourceEditorLibraryComponent[] =
    "/Contents/PlugIns/IDESourceEditor.framework/Versions/A/Resources/SystemCodeSnippets.codesnippets";

// "/Xcode.app/" inside the given Applications folder.
QString defaultXcodeAppPath(const QString &applicationsDirectory);

// The leading decimal number of text (leading blanks, optional sign,
// digits, optional fraction), in single precision and widened; 0.0 when there is none.
double leadingVersionNumber(QStringView text);

// CFBundleShortVersionString of the bundle's Info.plist as it stands; nullopt when unreadable.
std::optional<QString> shortVersionStringAtPath(const QString &xcodePath);
// The same read as above; 0.0 when unreadable.
double xcodeVersionAtPath(const QString &xcodePath);

// CFBundleIdentifier of the bundle's Info.plist; nullopt when unreadable or absent. Recognises a
// running Xcode by its bundle, whatever the bundle is named.
std::optional<QString> bundleIdentifierAtPath(const QString &bundlePath);

bool isSupportedVersion(double version);

// Where the system snippet library of the bundle lies, chosen by version. Only the location the
// version selects is used, except that Xcode 10 and later, which moved the library, are looked
// up at the source-editor location when nothing exists at the selected one.
QString systemCodeSnippetsPath(const QString &xcodePath, double version);

} // namespace Glimmerpad::Xcode
