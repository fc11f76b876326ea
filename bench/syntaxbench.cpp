// What highlighting a body costs: a keystroke typed into a long Swift body (edit, incremental parse,
// the spans of every line whose highlighting changed), opening a short snippet, and compiling a
// language's query once.
#include "syntax/compiledquery.h"
#include "syntax/document.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace Glimmerpad::Syntax;

namespace {

// 40 blocks of 25 lines: a documented struct with an initialiser and a method of control flow,
// strings with interpolation, comments and numbers.
QString swiftBody(int blocks)
{
    QString body;
    for (int n = 0; n < blocks; ++n) {
        body += uR"body(/// A record of kind %1, kept in order.
struct Record%1: Codable, Equatable {
    let id: Int
    var title: String
    var tags: [String] = []

    init(id: Int, title: String) {
        self.id = id
        self.title = title
    }

    func summary(prefix: String = "é") -> String {
        let count = tags.count * %1 + 1
        if count > 10 {
            return "\(prefix) \(title): \(count) tags" // many
        } else if tags.isEmpty {
            return prefix + title
        }
        /* the usual case */
        for tag in tags where !tag.isEmpty {
            print("tag: \(tag)", 0x1F, 3.5)
    }
    return tags.map{$0.uppercased()}.joined(separator : ", ")
}
}
)body"_qs.arg(n);
}
return body;
}

// One line of code, 100 characters with its line feed, typed a character at a time.
const QString &typedLine()
{
    static const QString line =
        u"        let total = tags.reduce(0) { $0 + $1.count } // \"sum\" of <#tags#> in é order, kept"_qs
            .leftJustified(99, u' ') +
        u'\n';
    return line;
}

qsizetype lineStart(const QString &text, int line)
{
    qsizetype at = 0;
    for (int n = 0; n < line && at >= 0; ++n)
        at = text.indexOf(u'\n', at) + 1;
    return at;
}

// 20 edits that leave errors behind, spread over the body: braces and parentheses opened and
// closed where they should not be, a declaration without a name, a stray operator.
QString brokenSwiftBody()
{
    QString body = swiftBody(40);
    const char16_t *const breaks[] = {u"{", u"let = ", u")", u"(", u"+ +", u"}"};
    for (int n = 0; n < 20; ++n) {
        const qsizetype at = lineStart(body, 50 * n + 13) + 8;
        body.insert(at, QString::fromUtf16(breaks[n % std::size(breaks)]));
    }
    return body;
}

// What an editor does after a keystroke: the edit, then the spans of each line (block) that one of
// the changed ranges touches.
void highlightChangedLines(Document &document, const QString &text, const QList<TextRange> &changed)
{
    for (const TextRange &range : changed) {
        qsizetype start = text.lastIndexOf(u'\n', std::max(range.start - 1, 0));
        start = range.start == 0 ? 0 : start + 1;
        while (start <= range.end() && start <= text.size()) {
            qsizetype end = text.indexOf(u'\n', start);
            if (end < 0)
                end = text.size();
            benchmark::DoNotOptimize(document.spans(int(start), int(end - start)));
            start = end + 1;
        }
    }
}

void keystroke(benchmark::State &state, bool broken)
{
    waitUntilPrepared(Language::Swift);
    const QString original = broken ? brokenSwiftBody() : swiftBody(40);
    Document document(Language::Swift);
    document.setText(original);
    if (document.hasErrors() != broken) {
        state.SkipWithError(broken ? "the broken body parses" : "the body does not parse");
        return;
    }
    const qsizetype middle = lineStart(original, 500);
    QString text = original;
    qsizetype typed = 0;
    std::vector<double> microseconds;
    for (auto _ : state) {
        if (typed == typedLine().size()) {
            state.PauseTiming();
            text = original;
            document.setText(text);
            typed = 0;
            state.ResumeTiming();
        }
        text.insert(middle + typed, typedLine()[typed]);
        const auto start = std::chrono::steady_clock::now();
        const QList<TextRange> changed = document.applyEdit(text, int(middle + typed), 0, 1);
        highlightChangedLines(document, text, changed);
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        ++typed;
    }
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["median_us"] = microseconds[microseconds.size() / 2];
    state.counters["p99_us"] = microseconds[microseconds.size() * 99 / 100];
    state.counters["keystrokes"] = double(microseconds.size());
}

// Snippets of under 50 lines, as Xcode ships them and users write them.
QString shortBody(Language language)
{
    switch (language) {
    case Language::Swift:
        return swiftBody(1) + uR"body(
extension Record0 {
    static func make(_ count: Int) -> [Record0] {
        (0..<count).map { Record0(id: $0, title: "<#title#> \($0)")
    }
}
}
)body"_qs;
    case Language::ObjectiveC:
        return uR"body(#import <UIKit/UIKit.h>

@interface <#ClassName#> : UIViewController <UITableViewDataSource>
@property (nonatomic, strong) NSArray<NSString *> *items;
@end

@implementation <#ClassName#>

- (void)viewDidLoad {
    [super viewDidLoad];
    self.items = @[@"one", @"two", @"<#three#>"];
    // Rows come from the items.
    self.tableView.dataSource = self;
}

- (NSInteger)tableView:(UITableView *)tableView numberOfRowsInSection:(NSInteger)section {
    return self.items.count;
}

- (UITableViewCell *)tableView:(UITableView *)tableView cellForRowAtIndexPath:(NSIndexPath *)indexPath {
    UITableViewCell *cell = [tableView dequeueReusableCellWithIdentifier:@"Cell" forIndexPath:indexPath];
    cell.textLabel.text = self.items[indexPath.row];
    if (indexPath.row % 2 == 0) {
        cell.backgroundColor = [UIColor colorWithWhite:0.96 alpha:1.0];
    }
    return cell;
}

- (void)dealloc {
    /* <#clean up#> */
}

@end
)body"_qs;
case Language::C:
case Language::Cpp:
return uR"body(#include <stdio.h>
#include <stdlib.h>

#define MAX_ITEMS 64

/* A list of numbers that grows as needed. */
typedef struct {
    int *items;
    size_t count, capacity;
} List;

static int list_append(List *list, int value) {
    if (list->count == list->capacity) {
        size_t capacity = list->capacity ? list->capacity * 2 : 8;
        int *items = realloc(list->items, capacity * sizeof *items);
        if (!items)
            return -1;
        list->items = items;
        list->capacity = capacity;
    }
    list->items[list->count++] = value;
    return 0;
}

int main(void) {
    List list = {0};
    for (int i = 0; i < MAX_ITEMS; ++i) {
        if (list_append(&list, i * <#factor#>) != 0) {
            fprintf(stderr, "out of memory\n");
            return 1;
        }
    }
    printf("%zu items, last %d\n", list.count, list.items[list.count - 1]);
    free(list.items);
    return 0;
}
)body"_qs;
case Language::None:
break;
}
return {};
}

// Opening a snippet: a document made, its body parsed and every line's spans asked for.
void openSnippet(benchmark::State &state, Language language)
{
    waitUntilPrepared(language);
    const QString body = shortBody(language);
    for (auto _ : state) {
        Document document(language);
        document.setText(body);
        for (qsizetype start = 0; start <= body.size();) {
            qsizetype end = body.indexOf(u'\n', start);
            if (end < 0)
                end = body.size();
            benchmark::DoNotOptimize(document.spans(int(start), int(end - start)));
            start = end + 1;
        }
    }
    state.counters["lines"] = double(body.count(u'\n'));
}

void compileQueryOnce(benchmark::State &state, Language language)
{
    for (auto _ : state)
        delete compileQuery(language);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    const auto us = benchmark::kMicrosecond;
    benchmark::RegisterBenchmark("syntax/keystroke/parses", keystroke, false)->Unit(us);
    benchmark::RegisterBenchmark("syntax/keystroke/errors", keystroke, true)->Unit(us);
    for (const Language language : {Language::Swift, Language::ObjectiveC, Language::C, Language::Cpp}) {
        const std::string name = languageName(language);
        benchmark::RegisterBenchmark(("syntax/open/" + name).c_str(), openSnippet, language)->Unit(us);
        benchmark::RegisterBenchmark(("syntax/query_compile/" + name).c_str(), compileQueryOnce, language)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
