#pragma once

#include <plist/plist.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

// Walking libplist arrays and dictionaries without freeing iterators and keys by hand. Always
// iterated, never indexed: libplist 2.2 finds item i, and looks a key up in a dictionary read
// from a binary list, by walking from the first entry.
namespace Glimmerpad {

// Frees what libplist hands over from malloc: iterators and copied keys.
struct MallocFree
{
    void operator()(void *memory) const noexcept { std::free(memory); }
};
// A key or string libplist copied out for the caller.
using MallocString = std::unique_ptr<char, MallocFree>;

// The items of an array, one at a time and in order; none for any other node.
class ArrayItems
{
public:
    explicit ArrayItems(plist_t array) : m_array(array)
    {
        if (!PLIST_IS_ARRAY(array))
            return;
        plist_array_iter iter = nullptr;
        plist_array_new_iter(array, &iter);
        m_iter.reset(iter);
    }

    // The next item; null after the last.
    plist_t next()
    {
        plist_t item = nullptr;
        if (m_iter)
            plist_array_next_item(m_array, m_iter.get(), &item);
        return item;
    }

private:
    plist_t m_array;
    std::unique_ptr<void, MallocFree> m_iter;
};

// The entries of a dictionary, one at a time and in order; none for any other node.
class DictEntries
{
public:
    explicit DictEntries(plist_t dict) : m_dict(dict)
    {
        if (!PLIST_IS_DICT(dict))
            return;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(dict, &iter);
        m_iter.reset(iter);
    }

    // The next entry's value, its key left uncopied (plist_dict_item_get_key gives its node); null
    // after the last.
    plist_t next()
    {
        plist_t value = nullptr;
        if (m_iter)
            plist_dict_next_item(m_dict, m_iter.get(), nullptr, &value);
        return value;
    }

    // The next entry's key, copied, and its value into *value; null after the last.
    MallocString next(plist_t *value)
    {
        char *key = nullptr;
        *value = nullptr;
        if (m_iter)
            plist_dict_next_item(m_dict, m_iter.get(), &key, value);
        return MallocString(key);
    }

private:
    plist_t m_dict;
    std::unique_ptr<void, MallocFree> m_iter;
};

namespace Detail {

// Calls visit; whether to go on: its answer, or always when it answers nothing.
template<typename Visit, typename... Args> bool goOn(Visit &visit, Args... args)
{
    if constexpr (std::is_void_v<std::invoke_result_t<Visit &, Args...>>) {
        visit(args...);
        return true;
    } else {
        return static_cast<bool>(visit(args...));
    }
}

} // namespace Detail

// forEach…(node, visit): calls visit on each item or entry in order until it returns false (a visit
// that returns nothing sees them all); whether it saw them all. A node of another type has none.

// visit(plist_t item)
template<typename Visit> bool forEachItem(plist_t array, Visit &&visit)
{
    ArrayItems items(array);
    while (plist_t item = items.next()) {
        if (!Detail::goOn(visit, item))
            return false;
    }
    return true;
}

// visit(plist_t value), keys not copied.
template<typename Visit> bool forEachValue(plist_t dict, Visit &&visit)
{
    DictEntries entries(dict);
    while (plist_t value = entries.next()) {
        if (!Detail::goOn(visit, value))
            return false;
    }
    return true;
}

// visit(const char *key, plist_t value); the key is a copy that lives until visit returns.
template<typename Visit> bool forEachEntry(plist_t dict, Visit &&visit)
{
    DictEntries entries(dict);
    for (;;) {
        plist_t value = nullptr;
        const MallocString key = entries.next(&value);
        if (!key)
            return true;
        if (!Detail::goOn(visit, static_cast<const char *>(key.get()), value))
            return false;
    }
}

} // namespace Glimmerpad
