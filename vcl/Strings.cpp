#include "vcl/Strings.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <algorithm>

namespace {

constexpr const char* IndexOutOfBounds = "List index out of bounds (%s)";

template <class Char>
std::basic_string<Char> LineBreak()
{
    return {Char('\r'), Char('\n')};
}

} // namespace

template <class Char>
void TStringsT<Char>::CheckIndex(int index, int count)
{
    if (index < 0 || index >= count)
        throw EStringListError(Format(IndexOutOfBounds, {IntToStr(index)}));
}

template <class Char>
TObject* TStringsT<Char>::Objects(int) const
{
    return nullptr;
}

template <class Char>
void TStringsT<Char>::SetObjects(int, TObject*)
{
}

template <class Char>
int TStringsT<Char>::CompareStrings(StringView a, StringView b) const
{
    return CompareTextAscii(a, b);
}

template <class Char>
int TStringsT<Char>::AddObject(StringView s, TObject* object)
{
    int index = Count();
    InsertObject(index, s, object);
    return index;
}

template <class Char>
void TStringsT<Char>::AddStrings(const TStringsT& source)
{
    // Read the count once: adding a list to itself doubles it instead of running on.
    const int n = source.Count();
    for (int i = 0; i < n; ++i)
        AddObject(source.Strings(i), source.Objects(i));
}

template <class Char>
int TStringsT<Char>::IndexOf(StringView s) const
{
    for (int i = 0, n = Count(); i < n; ++i) {
        if (CompareStrings(Strings(i), s) == 0)
            return i;
    }
    return -1;
}

template <class Char>
int TStringsT<Char>::IndexOfName(StringView name) const
{
    for (int i = 0, n = Count(); i < n; ++i) {
        String line = Strings(i);
        size_t eq = line.find(Char('='));
        if (eq != String::npos && CompareStrings(StringView(line).substr(0, eq), name) == 0)
            return i;
    }
    return -1;
}

template <class Char>
auto TStringsT<Char>::Names(int index) const -> String
{
    String line = Strings(index);
    size_t eq = line.find(Char('='));
    return eq == String::npos ? String() : line.substr(0, eq);
}

template <class Char>
auto TStringsT<Char>::ValueFromIndex(int index) const -> String
{
    String line = Strings(index);
    size_t eq = line.find(Char('='));
    return eq == String::npos ? String() : line.substr(eq + 1);
}

template <class Char>
auto TStringsT<Char>::Values(StringView name) const -> String
{
    int index = IndexOfName(name);
    return index < 0 ? String() : ValueFromIndex(index);
}

template <class Char>
void TStringsT<Char>::SetValues(StringView name, StringView value)
{
    int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    String line(name);
    line += Char('=');
    line += value;
    if (index < 0)
        Add(line);
    else
        SetStrings(index, line);
}

template <class Char>
auto TStringsT<Char>::Text() const -> String
{
    String text;
    for (int i = 0, n = Count(); i < n; ++i) {
        text += Strings(i);
        text += LineBreak<Char>();
    }
    return text;
}

template <class Char>
void TStringsT<Char>::SetText(StringView text)
{
    std::vector<String> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != Char('\r') && text[end] != Char('\n'))
            ++end;
        lines.emplace_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == Char('\r') && text[end + 1] == Char('\n'))
            ++end;
        start = end + 1;
    }
    Clear();
    for (const auto& line : lines)
        Add(line);
}

template <class Char>
void TStringsT<Char>::Assign(const TPersistent* source)
{
    auto* list = dynamic_cast<const TStringsT*>(source);
    if (!list) {
        TPersistent::Assign(source);
        return;
    }
    if (list == this)
        return;
    Clear();
    AddStrings(*list);
}

template <class Char>
void TStringsT<Char>::LoadFromStream(TStream& stream)
{
    uint64_t left = stream.Remaining();
    if (left > std::string().max_size())
        throw EReadError("Stream read error");
    std::string bytes(static_cast<size_t>(left), '\0');
    stream.ReadBuffer(bytes.data(), bytes.size());
    if constexpr (std::is_same_v<Char, char>)
        SetText(bytes);
    else
        SetText(UTF8ToWide(bytes));
}

template <class Char>
void TStringsT<Char>::SaveToStream(TStream& stream) const
{
    std::string bytes;
    if constexpr (std::is_same_v<Char, char>)
        bytes = Text();
    else
        bytes = WideToUTF8(Text());
    stream.WriteBuffer(bytes.data(), bytes.size());
}

template <class Char>
auto TStringListT<Char>::At(int index) const -> const Item&
{
    this->CheckIndex(index, Count());
    return FItems[static_cast<size_t>(index)];
}

template <class Char>
auto TStringListT<Char>::At(int index) -> Item&
{
    this->CheckIndex(index, Count());
    return FItems[static_cast<size_t>(index)];
}

template <class Char>
auto TStringListT<Char>::Strings(int index) const -> String
{
    return At(index).Text;
}

template <class Char>
void TStringListT<Char>::SetStrings(int index, StringView s)
{
    At(index).Text = String(s);
}

template <class Char>
TObject* TStringListT<Char>::Objects(int index) const
{
    return At(index).Object;
}

template <class Char>
void TStringListT<Char>::SetObjects(int index, TObject* object)
{
    At(index).Object = object;
}

template <class Char>
void TStringListT<Char>::InsertObject(int index, StringView s, TObject* object)
{
    // Count() appends.
    this->CheckIndex(index, Count() + 1);
    FItems.insert(FItems.begin() + index, Item{String(s), object});
}

template <class Char>
void TStringListT<Char>::Delete(int index)
{
    At(index);
    FItems.erase(FItems.begin() + index);
}

template <class Char>
int TStringListT<Char>::CompareStrings(StringView a, StringView b) const
{
    if (!FCaseSensitive)
        return CompareTextAscii(a, b);
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

template <class Char>
void TStringListT<Char>::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.Text, b.Text) < 0; });
}

template class TStringsT<char>;
template class TStringsT<wchar_t>;
template class TStringListT<char>;
template class TStringListT<wchar_t>;
