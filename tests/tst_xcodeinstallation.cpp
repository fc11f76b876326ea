// The installation contract: version reading and gate, and where the system library lies.
#include "catalogue/xcodeinstallation.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

double widened(float value)
{
    return static_cast<double>(value);
}

TEST(XcodeVersion, LeadingVersionNumberReadsInSinglePrecision)
{
    const std::pair<const char16_t *, double> cases[] = {{u"5.1.1", widened(5.1f)},
                                                         {u"4.3.2", widened(4.3f)},
                                                         {u"  4.3", widened(4.3f)},
                                                         {u"abc", 0.0},
                                                         {u"", 0.0},
                                                         {u"-1", -1.0},
                                                         {u"10.2", widened(10.2f)},
                                                         {u"6", 6.0},
                                                         {u"\t12.0 (12A7209)", 12.0},
                                                         {u"+7.5beta", 7.5},
                                                         {u".5", 0.5},
                                                         {u"-", 0.0},
                                                         {u".", 0.0},
                                                         {u"v5.1", 0.0}};
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(Xcode::leadingVersionNumber(QStringView(text)), expected)
            << QStringView(text).toString().toStdString();
}

TEST(XcodeVersion, ReadsShortVersionStringOfTheBundle)
{
    Fixture fx;
    EXPECT_EQ(Xcode::xcodeVersionAtPath(fx.xcodePath()), 0.0); // no Info.plist
    fx.writeInfo(std::nullopt);
    EXPECT_EQ(Xcode::xcodeVersionAtPath(fx.xcodePath()), 0.0);
    fx.writeInfo(u"4.3.2"_s);
    EXPECT_EQ(Xcode::xcodeVersionAtPath(fx.xcodePath()), widened(4.3f));
    EXPECT_EQ(Xcode::xcodeVersionAtPath(fx.xcodePath() + u'/'), widened(4.3f));
}

TEST(XcodeVersion, GateAdmits43AndLater)
{
    const std::pair<const char16_t *, bool> cases[] = {{u"4.3", true},    {u"4.3.3", true}, {u"5.0", true},
                                                       {u"10.2", true},   {u"4.2", false},  {u"4.2.1", false},
                                                       {u"3.2.6", false}, {u"", false}};
    for (const auto &[text, supported] : cases) {
        EXPECT_EQ(Xcode::isSupportedVersion(Xcode::leadingVersionNumber(QStringView(text))), supported)
            << QStringView(text).toString().toStdString();
    }
    // A version given in double precision is compared as floatValue would give it.
    EXPECT_TRUE(Xcode::isSupportedVersion(4.3));
    EXPECT_FALSE(Xcode::isSupportedVersion(4.29));
}

// The version picks one location; only Xcode 10 and later look further when nothing is there.
// A library at a location the version does not pick is not read. Cases: version, library, expected.
TEST(XcodeVersion, LibraryLocationFollowsTheVersion)
{
    const char *ideKit = Xcode::kIdeKitLibraryComponent, *plugin = Xcode::kPluginLibraryComponent,
               *sourceEditor = Xcode::kSourceEditorLibraryComponent;
    const std::tuple<const char16_t *, const char *, const char *> cases[] = {
        {u"5.1", ideKit, ideKit},
        {u"5.1.1", plugin, ideKit},
        {u"6.0", ideKit, ideKit},
        {u"5.0.2", ideKit, plugin},
        {u"4.3", plugin, plugin},
        {u"9.4", sourceEditor, ideKit},
        {u"10.0", sourceEditor, sourceEditor},
        {u"10.0", ideKit, ideKit}};
    for (const auto &[version, library, expected] : cases) {
        SCOPED_TRACE(testing::Message() << QStringView(version).toString().toStdString() << " " << library);
        Fixture fx;
        fx.writeInfo(QString::fromUtf16(version));
        fx.writeLibrary(libraryFile({{.identifier = u"a"_s}}), QLatin1StringView(library));
        const QString path = fx.xcodePath() + QLatin1StringView(expected);
        EXPECT_EQ(Xcode::systemCodeSnippetsPath(fx.xcodePath(), Xcode::xcodeVersionAtPath(fx.xcodePath())),
                  path);
        EXPECT_EQ(Xcode::systemCodeSnippetsPath(fx.xcodePath() + u'/', Xcode::leadingVersionNumber(version)),
                  path);
        EXPECT_EQ(fx.load().rowCount(), library == expected ? 1 : 0);
    }
}

} // namespace
