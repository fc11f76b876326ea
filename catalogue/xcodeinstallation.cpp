#include "catalogue/xcodeinstallation.h"

#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/paths.h"
#include "catalogue/propertylist.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcXcode, "glimmerpad.xcode", QtWarningMsg)

namespace Glimmerpad::Xcode {

QString defaultXcodeAppPath(const QString &applicationsDirectory)
{
    return appendPathComponent(applicationsDirectory, QStringLiteral("/Xcode.app/"));
}

static bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

static bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

double leadingVersionNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == u'.') {
        qsizetype fraction = i + 1;
        while (fraction < text.size() && isDigit(text[fraction]))
            ++fraction, ++digits;
        i = fraction;
    }
    if (digits == 0)
        return 0.0;
    bool ok = false;
    const float value = text.sliced(start, i - start).toFloat(&ok);
    return ok ? static_cast<double>(value) : 0.0;
}

std::optional<QString> shortVersionStringAtPath(const QString &xcodePath)
{
    const QString infoPath = appendPathComponent(xcodePath, QLatin1StringView(kInfoPlistComponent));
    const PlistPtr info = readPropertyListFile(infoPath, Limits::kMaxUserSnippetFileBytes);
    std::optional<QString> version = dictString(info.get(), "CFBundleShortVersionString");
    if (!version)
        qCDebug(lcXcode) << "no short version string in" << infoPath;
    return version;
}

double xcodeVersionAtPath(const QString &xcodePath)
{
    const std::optional<QString> version = shortVersionStringAtPath(xcodePath);
    return version ? leadingVersionNumber(*version) : 0.0;
}

std::optional<QString> bundleIdentifierAtPath(const QString &bundlePath)
{
    const PlistPtr info = readPropertyListFile(appendPathComponent(bundlePath, QLatin1StringView(kInfoPlistComponent)),
                                               Limits::kMaxUserSnippetFileBytes);
    return dictString(info.get(), "CFBundleIdentifier");
}

bool isSupportedVersion(double version)
{
    return static_cast<float>(version) >= kMinimumSupportedVersion;
}

QString systemCodeSnippetsPath(const QString &xcodePath, double version)
{
    const float v = static_cast<float>(version);
    const char *component = v >= kIdeKitLibraryVersion ? kIdeKitLibraryComponent : kPluginLibraryComponent;
    const QString selected = appendPathComponent(xcodePath, QLatin1StringView(component));
    if (v >= kSourceEditorLibraryVersion && !QFileInfo::exists(selected))
        return appendPathComponent(xcodePath, QLatin1StringView(kSourceEditorLibraryComponent));
    return selected;
}

} // namespace Glimmerpad::Xcode
