// Code coloured in the window: the body editor colours each kind as the grammar reads it and
// follows typing as a fresh reading would, the compare view colours both sides readably on its
// marks, and colouring is never taken for typing.
#include "app/comparewindow.h"
#include "app/snippetlistmodel.h"
#include "app/snippettextedit.h"
#include "appfixture.h"
#include "chrome/rvcolors.h"
#include "syntax/document.h"

#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace Glimmerpad::Test {
namespace {

using Syntax::Kind;
using Syntax::Language;

void prepareAll()
{
    for (const Language language : {Language::C, Language::Cpp, Language::ObjectiveC, Language::Swift})
        Syntax::waitUntilPrepared(language);
}

// The colour the editor shows the text at `position` in; invalid where it is plain.
QColor colourAt(const QTextDocument *document, int position)
{
    const QTextBlock block = document->findBlock(position);
    const int at = position - block.position();
    const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
    for (const QTextLayout::FormatRange &range : formats) {
        if (at >= range.start && at < range.start + range.length)
            return range.format.foreground().color();
    }
    return {};
}

// Every coloured stretch of every line: what two editors must agree on.
QStringList colouring(const QTextDocument *document)
{
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QString line;
        for (const QTextLayout::FormatRange &range : block.layout()->formats())
            line += u"%1+%2:%3 "_s.arg(range.start)
                        .arg(range.length)
                        .arg(range.format.foreground().color().name());
        lines.append(line);
    }
    return lines;
}

TEST(Highlighting, TheEditorColoursEachKindAndLeavesTokensTheirOwnLook)
{
    prepareAll();
    struct Case
    {
        Language language;
        QString body;
        QString word;
        std::optional<Kind> kind; // none: a placeholder token
    };
    const Case cases[] = {
        {Language::Swift, u"let x = \"hi\" // note"_s, u"let"_s, Kind::Keyword},
        {Language::Swift, u"let x = \"hi\" // note"_s, u"\"hi\""_s, Kind::String},
        {Language::Swift, u"let x = \"hi\" // note"_s, u"// note"_s, Kind::Comment},
        {Language::Swift, u"guard let v = <#optional#> else { return }"_s, u"<#optional#>"_s, std::nullopt},
        {Language::C, u"for (int i = 0; i < <#count#>; i++) {}"_s, u"for"_s, Kind::Keyword},
        {Language::C, u"for (int i = 0; i < <#count#>; i++) {}"_s, u"0"_s, Kind::Number},
        {Language::Cpp, u"#include <vector>\nauto v = std::vector<int>{};"_s, u"#include"_s, Kind::Keyword},
        {Language::Cpp, u"#include <vector>\nauto v = std::vector<int>{};"_s, u"int"_s, Kind::Type},
        {Language::ObjectiveC, u"@autoreleasepool {\n    <#statements#>\n}"_s, u"<#statements#>"_s,
         std::nullopt},
        {Language::ObjectiveC, u"NSString *s = @\"é🙂\"; /* ß */"_s, u"/* ß */"_s, Kind::Comment},
    };
    const QPalette palette = QApplication::palette();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.body.toStdString() + " / " + c.word.toStdString());
        SnippetTextEdit edit;
        edit.setLanguage(c.language);
        edit.setPlainText(c.body);
        const QColor expected = c.kind ? SnippetTextEdit::syntaxColors(palette)[size_t(*c.kind)]
                                       : SnippetTextEdit::tokenColors(palette).text;
        const int at = int(c.body.indexOf(c.word));
        EXPECT_EQ(colourAt(edit.document(), at).name(), expected.name());
        EXPECT_EQ(colourAt(edit.document(), at + int(c.word.size()) - 1).name(), expected.name());
    }
    // Another language, or none, reads the same text anew.
    SnippetTextEdit edit;
    edit.setLanguage(Language::C);
    edit.setPlainText(u"int main(void) { return 0; }"_s);
    EXPECT_TRUE(colourAt(edit.document(), 0).isValid());
    edit.setLanguage(Language::None);
    EXPECT_FALSE(colourAt(edit.document(), 0).isValid());
}

// Typing changes how later lines read (a comment opened or closed, a string across tokens): each
// line is coloured as an editor given the final text at once colours it.
TEST(Highlighting, TypingColoursEveryLineAsAFreshReadingWould)
{
    prepareAll();
    const QString body = u"int a = 1;\nint b = <#value#>;\nchar *s = \"é🙂\";\nreturn a + b;\n"_s;
    struct Edit
    {
        QString at; // where: before this text (empty: the start; "$": the end)
        int removed;
        QString inserted;
    };
    const Edit edits[] = {
        {{}, 0, u"/*"_s},          // everything after reads as a comment
        {u"return"_s, 0, u"*/"_s}, // and up to here only
        {{}, 2, {}},               // opened no more
        {u"#>;"_s, 1, {}},         // a placeholder token broken
        {u">;"_s, 0, u"#"_s},      // and mended
        {u"🙂"_s, 0, u"\" "_s},  // a string closed early, after a character of two units
        {u"$"_s, 0, u"}"_s},
    };
    SnippetTextEdit typed;
    typed.setLanguage(Language::C);
    typed.setPlainText(body);
    for (const Edit &edit : edits) {
        const QString text = typed.toPlainText();
        const int position = edit.at.isEmpty()   ? 0
                             : edit.at == u"$"_s ? int(text.size())
                                                 : int(text.indexOf(edit.at));
        ASSERT_GE(position, 0) << edit.at.toStdString();
        QTextCursor cursor(typed.document());
        cursor.setPosition(position);
        cursor.setPosition(position + edit.removed, QTextCursor::KeepAnchor);
        cursor.insertText(edit.inserted);

        SnippetTextEdit fresh;
        fresh.setLanguage(Language::C);
        fresh.setPlainText(typed.toPlainText());
        EXPECT_EQ(colouring(typed.document()), colouring(fresh.document()))
            << typed.toPlainText().toStdString();
    }
}

TEST(Highlighting, TheCompareViewColoursBothSidesReadablyOnItsMarks)
{
    prepareAll();
    const std::optional<QList<DiffLine>> lines =
        lineDiff(u"int a = 1;\nreturn a;\n"_s, u"int a = 2; // two\nreturn a;\n"_s);
    ASSERT_TRUE(lines);
    for (const char *name : {"light", "dark"}) {
        SCOPED_TRACE(name);
        QPalette palette = QApplication::palette();
        if (QByteArrayView(name) == "dark") {
            palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
            palette.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
        }
        CompareWindow window(nullptr);
        window.setPalette(palette);
        window.setComparisons(u"Title"_s, {{u"Yours"_s, u"Standard"_s, u"Mine"_s, *lines, Language::C}});
        const CompareColours marks = compareColours(window.beforePane()->palette());
        struct Pane
        {
            DiffPane *pane;
            int offset; // the unified view's sign
            QList<QColor> backgrounds;
        };
        for (const Pane &p : {Pane{window.beforePane(), 0, {marks.removedLine, marks.removedWord}},
                              Pane{window.afterPane(), 0, {marks.addedLine, marks.addedWord}},
                              Pane{window.unifiedPane(), 2, {marks.removedLine, marks.removedWord}}}) {
            const auto colours = p.pane->rowColours(0);
            ASSERT_FALSE(colours.isEmpty());
            EXPECT_EQ(colours.first().first.start, p.offset); // "int"
            EXPECT_EQ(colours.first().first.kind, Kind::Type);
            for (const auto &[span, colour] : colours) {
                for (const QColor &background : p.backgrounds)
                    EXPECT_GE(RVColors::contrastRatio(colour, background), RVColors::kTextContrast);
            }
        }
        // A line both sides share is coloured from its own side's text.
        EXPECT_FALSE(window.afterPane()->rowColours(1).isEmpty());
    }
}

// Colouring the text, also once the grammar is ready after the snippet was shown, is no typing.
TEST_F(AppTest, ColouringAShownSnippetIsNotTyping)
{
    fixture.install({{.identifier = u"swift"_s,
                      .title = u"Swift"_s,
                      .completionPrefix = u"sw"_s,
                      .contents = u"let x = 1 // one"_s,
                      .extraXml = u"<key>IDECodeSnippetLanguage</key>"
                                  "<string>Xcode.SourceCodeLanguage.Swift</string>"_s}});
    launch();
    selectRow(0);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return colourAt(editor().contentsView()->document(), 0).isValid(); }));
    EXPECT_FALSE(editor().isDirty());
    EXPECT_FALSE(editor().hasUnsavedText());
    QTest::mouseClick(editor().doneButton(), Qt::LeftButton);
    EXPECT_TRUE(userFiles().isEmpty());
}

} // namespace
} // namespace Glimmerpad::Test
