#pragma once

#include "catalogue/propertylist.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace Glimmerpad {

namespace SnippetKey {
inline constexpr char Identifier[] = "IDECodeSnippetIdentifier";
inline constexpr char Title[] = "IDECodeSnippetTitle";
inline constexpr char Summary[] = "IDECodeSnippetSummary";
inline constexpr char CompletionPrefix[] = "IDECodeSnippetCompletionPrefix";
inline constexpr char Contents[] = "IDECodeSnippetContents";
inline constexpr char Language[] = "IDECodeSnippetLanguage";
inline constexpr char UserSnippet[] = "IDECodeSnippetUserSnippet";
inline constexpr char Version[] = "IDECodeSnippetVersion";
} // namespace SnippetKey

// One snippet: a property-list dictionary kept exactly as read, so that every key and every
// value type survives into an override. Records are immutable and cheap to copy (shared);
// the keys the program reads are decoded once, when the record is made. A record made from
// bytes keeps the bytes and parses them again when its dictionary is first asked for.
class SnippetRecord
{
public:
    SnippetRecord() = default; // a null record, standing for "none"

    // Takes ownership of a dictionary node; a null or non-dictionary node gives a null record.
    static SnippetRecord fromDictionary(PlistPtr dictionary);
    // A dictionary node inside a tree that other records share (the system library): the record
    // keeps the whole tree alive. A non-dictionary node gives a null record.
    static SnippetRecord fromSharedTree(SharedPlist tree, plist_t dictionary);
    static SnippetRecord fromPropertyList(QByteArrayView bytes);
    // The same, keeping the bytes given; why none was read goes to *error (left empty when the
    // bytes hold a property list that is no dictionary). XML gives its keys without a tree made.
    static SnippetRecord fromBytes(QByteArray bytes, QString *error = nullptr);
    // The same from bytes already parsed into root (which is then freed): the record keeps the
    // bytes, as one read from a file does.
    static SnippetRecord fromParsedBytes(PlistPtr root, QByteArray bytes);

    bool isNull() const { return !d; }

    // Each is nullopt when the key is missing or holds something other than a string.
    const std::optional<QString> &identifier() const;
    const std::optional<QString> &title() const;
    const std::optional<QString> &summary() const;
    const std::optional<QString> &completionPrefix() const;
    std::optional<QString> contents() const;
    std::optional<QString> string(const char *key) const;

    // The underlying dictionary, for reading only.
    plist_t dictionary() const;
    // A deep copy of the dictionary, to build a changed record from.
    PlistPtr copyDictionary() const;

    QByteArray toXml() const;
    // The bytes a record read from a file was made from; empty for any other record.
    QByteArray sourceBytes() const;

    // Same object (not same contents): the identity lists and models use.
    bool isSameRecord(const SnippetRecord &other) const { return d == other.d; }
    // The identity as a key for hashes; null for a null record.
    const void *identity() const { return d.get(); }

private:
    struct Data;
    std::shared_ptr<const Data> d;
};

} // namespace Glimmerpad
