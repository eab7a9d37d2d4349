#pragma once
// String lists: TStrings, the list interface that string properties and control lines share,
// and TStringList, the list that holds its strings.
//
// One template, two instantiations, because the Parts use lists of both kinds of text:
// TStrings/TStringList hold byte strings (option text, class-name lists, INI sections) and
// TWideStrings/TWideStringList hold what a user reads (memo lines). Both compare with ASCII case
// folding unless CaseSensitive, so a list sorts and finds the same on every locale. Objects
// stored beside the strings are never owned by the list.

#include "vcl/Classes.h"

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class TStream;

template <class Char>
class TStringsT : public TPersistent {
public:
    using String = std::basic_string<Char>;
    using StringView = std::basic_string_view<Char>;

    const char* ClassName() const noexcept override
    {
        return std::is_same_v<Char, char> ? "TStrings" : "TWideStrings";
    }

    // The storage a descendant provides. Indexes outside 0..Count()-1 raise EStringListError
    // "List index out of bounds (%s)"; Insert also accepts Count().
    virtual int Count() const = 0;
    virtual String Strings(int index) const = 0;
    virtual void SetStrings(int index, StringView s) = 0;
    // The base keeps no objects beside the strings: it reads nullptr and ignores what is set.
    virtual TObject* Objects(int index) const;
    virtual void SetObjects(int index, TObject* object);
    virtual void InsertObject(int index, StringView s, TObject* object) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    // <0, 0, >0; the base compares without regard to ASCII case.
    virtual int CompareStrings(StringView a, StringView b) const;

    int Add(StringView s) { return AddObject(s, nullptr); }
    int AddObject(StringView s, TObject* object);
    void Insert(int index, StringView s) { InsertObject(index, s, nullptr); }
    void AddStrings(const TStringsT& source);

    int IndexOf(StringView s) const;
    // Name=value lines: the name is the text before the first "="; a line without "=" has no
    // name and is never found by name.
    int IndexOfName(StringView name) const;
    String Names(int index) const;
    String ValueFromIndex(int index) const;
    // The value of the first line with that name; empty when there is none.
    String Values(StringView name) const;
    // Replaces the value of the first line with that name, or adds a line; an empty value
    // deletes the line.
    void SetValues(StringView name, StringView value);

    // Every line followed by CR LF (so a non-empty list's text ends in CR LF).
    String Text() const;
    // Splits at CR LF, LF or CR; a final line break does not start another line.
    void SetText(StringView text);

    // Lists of the same kind copy strings and objects; anything else raises EConvertError.
    void Assign(const TPersistent* source) override;

    // The rest of the stream from its position, as Text: bytes as they are for byte lists,
    // UTF-8 for wide lists.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

protected:
    // Raises EStringListError "List index out of bounds (index)" unless 0 <= index < count.
    static void CheckIndex(int index, int count);
};

template <class Char>
class TStringListT : public TStringsT<Char> {
public:
    using typename TStringsT<Char>::String;
    using typename TStringsT<Char>::StringView;

    const char* ClassName() const noexcept override
    {
        return std::is_same_v<Char, char> ? "TStringList" : "TWideStringList";
    }

    int Count() const override { return static_cast<int>(FItems.size()); }
    String Strings(int index) const override;
    void SetStrings(int index, StringView s) override;
    TObject* Objects(int index) const override;
    void SetObjects(int index, TObject* object) override;
    void InsertObject(int index, StringView s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override { FItems.clear(); }
    int CompareStrings(StringView a, StringView b) const override;

    bool CaseSensitive() const noexcept { return FCaseSensitive; }
    void SetCaseSensitive(bool value) noexcept { FCaseSensitive = value; }

    // Orders by CompareStrings; equal strings (duplicates included) keep their order, and
    // objects move with their strings.
    void Sort();

private:
    struct Item {
        String Text;
        TObject* Object = nullptr;
    };
    const Item& At(int index) const;
    Item& At(int index);

    std::vector<Item> FItems;
    bool FCaseSensitive = false;
};

using TStrings = TStringsT<char>;
using TStringList = TStringListT<char>;
using TWideStrings = TStringsT<wchar_t>;
using TWideStringList = TStringListT<wchar_t>;

extern template class TStringsT<char>;
extern template class TStringsT<wchar_t>;
extern template class TStringListT<char>;
extern template class TStringListT<wchar_t>;
