#include "app/commandline.h"

#include <array>
#include <string_view>

namespace Glimmerpad::CommandLine {

namespace {

// What QGuiApplication, QApplication and the X11 platform plugin remove from the command line
// (Qt 6), with or without a second leading dash.
constexpr std::array kWithValue{
    std::u16string_view(u"platform"),     std::u16string_view(u"platformpluginpath"),
    std::u16string_view(u"platformtheme"), std::u16string_view(u"plugin"),
    std::u16string_view(u"qwindowgeometry"), std::u16string_view(u"qwindowtitle"),
    std::u16string_view(u"qwindowicon"),  std::u16string_view(u"geometry"),
    std::u16string_view(u"title"),        std::u16string_view(u"icon"),
    std::u16string_view(u"session"),      std::u16string_view(u"style"),
    std::u16string_view(u"stylesheet"),   std::u16string_view(u"display"),
    std::u16string_view(u"name"),         std::u16string_view(u"visual"),
};
constexpr std::array kFlags{
    std::u16string_view(u"reverse"), std::u16string_view(u"widgetcount"), std::u16string_view(u"testability"),
    std::u16string_view(u"sync"),    std::u16string_view(u"nograb"),      std::u16string_view(u"dograb"),
};
// Taken only as -name=value.
constexpr std::array kWithAttachedValue{
    std::u16string_view(u"style"), std::u16string_view(u"stylesheet"), std::u16string_view(u"qmljsdebugger"),
};

template <std::size_t N>
bool isOneOf(QStringView name, const std::array<std::u16string_view, N> &names)
{
    for (const std::u16string_view candidate : names) {
        if (name == QStringView(candidate.data(), qsizetype(candidate.size())))
            return true;
    }
    return false;
}

} // namespace

QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList kept;
    kept.reserve(arguments.size());
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        // The program's name, plain arguments, and everything after "--" are never Qt's.
        if (i == 0 || !argument.startsWith(u'-') || argument == u"--") {
            if (argument == u"--" && i > 0) {
                kept += arguments.mid(i);
                break;
            }
            kept.append(argument);
            continue;
        }
        QStringView name = QStringView(argument).mid(argument.startsWith(u"--") ? 2 : 1);
        if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
            if (!isOneOf(name.left(equals), kWithAttachedValue))
                kept.append(argument);
            continue;
        }
        if (isOneOf(name, kWithValue)) {
            ++i; // its value; Qt ignores the option when it has none
            continue;
        }
        if (!isOneOf(name, kFlags))
            kept.append(argument);
    }
    return kept;
}

} // namespace Glimmerpad::CommandLine
