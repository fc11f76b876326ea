// The strings tables: German covers every text the English table has, and the language is taken
// from the user's locale.
#include "app/strings.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct Entry
{
    QString source;
    QString translation;
    bool finished = true;
};

QMap<QString, Entry> readTable(const QString &language)
{
    QFile file(
        QStringLiteral(GLIMMERPAD_SOURCE_DIR "/resources/translations/glimmerpad_%1.ts").arg(language));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
    QMap<QString, Entry> table;
    QXmlStreamReader xml(&file);
    QString id;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1StringView("message")) {
            id = xml.attributes().value(QLatin1StringView("id")).toString();
        } else if (xml.name() == QLatin1StringView("source")) {
            table[id].source = xml.readElementText();
        } else if (xml.name() == QLatin1StringView("translation")) {
            table[id].finished = xml.attributes().value(QLatin1StringView("type")).isEmpty();
            // Plural texts hold one form per number; all must be there.
            table[id].translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    return table;
}

QStringList placeholders(const QString &text)
{
    QStringList found;
    for (const QRegularExpressionMatch &match : QRegularExpression(QStringLiteral("%\\d")).globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

TEST(Translations, GermanCoversEveryEnglishText)
{
    const QMap<QString, Entry> english = readTable(QStringLiteral("en"));
    const QMap<QString, Entry> german = readTable(QStringLiteral("de"));
    ASSERT_GE(english.size(), 10);
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        SCOPED_TRACE(qPrintable(it.key()));
        EXPECT_FALSE(it.key().isEmpty());
        ASSERT_TRUE(german.contains(it.key()));
        const Entry &de = german[it.key()];
        EXPECT_TRUE(de.finished);
        EXPECT_FALSE(de.translation.isEmpty());
        EXPECT_EQ(placeholders(de.translation), placeholders(it->source));
        EXPECT_EQ(de.translation.count(u'&'), it->source.count(u'&')); // one mnemonic each, or none
    }
    EXPECT_EQ(german.size(), english.size());
}

TEST(Translations, TheUsersLanguageIsLoadedWithEnglishBehindIt)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Glimmerpad::Strings::installTranslations(*QCoreApplication::instance());
    EXPECT_EQ(qtTrId("menu_quit"), QStringLiteral("&Beenden"));
    EXPECT_EQ(qtTrId("Done"), QStringLiteral("Fertig")); // a Designer text, looked up by its English text
    EXPECT_EQ(qtTrId("no_such_key"), QStringLiteral("no_such_key"));
}

} // namespace
