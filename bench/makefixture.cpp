// glimmerpad-fixture: writes a synthetic Xcode installation and home folder of any size.
#include "bench/fixture.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes DIR/Xcode.app (an Xcode 5.1 bundle with N system snippets) and DIR/home (M user snippet "
        "files: half of them overrides, a tenth of those switched off, the rest plain user snippets; "
        "a quarter binary). Prints what it wrote as JSON."));
    parser.addHelpOption();
    const QCommandLineOption systemOption(QStringLiteral("system"), QStringLiteral("System snippets (100)."),
                                          QStringLiteral("N"), QStringLiteral("100"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("User snippet files (200)."),
                                        QStringLiteral("M"), QStringLiteral("200"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Random seed (1)."),
                                        QStringLiteral("S"), QStringLiteral("1"));
    parser.addOptions({systemOption, userOption, seedOption});
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("An absent or empty folder."));
    parser.process(app);

    QTextStream err(stderr);
    bool systemOk = false, userOk = false, seedOk = false;
    Glimmerpad::Bench::FixtureSize size;
    size.systemSnippets = parser.value(systemOption).toInt(&systemOk);
    size.userSnippets = parser.value(userOption).toInt(&userOk);
    size.seed = parser.value(seedOption).toULongLong(&seedOk);
    if (!systemOk || !userOk || !seedOk || parser.positionalArguments().size() != 1) {
        err << "usage: glimmerpad-fixture [--system N] [--user M] [--seed S] DIR" << Qt::endl;
        return 2;
    }

    QString error;
    const auto summary =
        Glimmerpad::Bench::writeFixture(parser.positionalArguments().constFirst(), size, &error);
    if (!summary) {
        err << "glimmerpad-fixture: " << error << Qt::endl;
        return 1;
    }
    const QJsonObject report{
        {QStringLiteral("systemSnippets"), summary->systemSnippets},
        {QStringLiteral("userFiles"), summary->userFiles},
        {QStringLiteral("overrides"), summary->overrides},
        {QStringLiteral("disabledOverrides"), summary->disabledOverrides},
        {QStringLiteral("overriddenSystemSnippets"), summary->overriddenSystemSnippets},
        {QStringLiteral("plainUserSnippets"), summary->plainUserSnippets},
        {QStringLiteral("binaryFiles"), summary->binaryFiles},
        {QStringLiteral("libraryBytes"), summary->libraryBytes},
        {QStringLiteral("userFolderBytes"), summary->userFolderBytes},
    };
    QTextStream(stdout) << QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Compact))
                        << Qt::endl;
    return 0;
}
