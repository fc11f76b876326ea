#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace Glimmerpad::Bench {

// How big a synthetic installation and home folder are.
struct FixtureSize
{
    int systemSnippets = 100; // records in the system library
    int userSnippets = 200;   // files in the user snippet folder
    std::uint64_t seed = 1;   // the same seed and sizes always give the same bytes
};

// What was written, for the generator's report and for cross-checks.
struct FixtureSummary
{
    int systemSnippets = 0;
    int userFiles = 0;
    int overrides = 0;         // user files carrying a system identifier
    int disabledOverrides = 0; // of those, the ones with an empty completion shortcut
    int overriddenSystemSnippets = 0;
    int plainUserSnippets = 0;
    int binaryFiles = 0;
    qint64 libraryBytes = 0;
    qint64 userFolderBytes = 0;
};

// <root>/Xcode.app: an Xcode 5.1 bundle with the system library at the IDEKit location.
QString fixtureXcodePath(const QString &root);
// <root>/home: a home folder whose user snippet folder holds the user files.
QString fixtureHome(const QString &root);
QString fixtureUserFolder(const QString &root);

// Writes a fixture below root, which must be absent or an empty folder. Half of the user files
// override system snippets (a tenth of those switched off), the rest are plain user snippets; a
// quarter of the user files are binary property lists. Nullopt with *error set on failure.
std::optional<FixtureSummary> writeFixture(const QString &root, const FixtureSize &size,
                                           QString *error = nullptr);

} // namespace Glimmerpad::Bench
