#include "skin/core/sSkinOptions.h"

#include "skin/core/TextRoutines.h"
#include "vcl/IniFiles.h"
#include "vcl/Strings.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view GlobalSection = "GLOBALINFO";
constexpr ks::IniKey ParentKey = "PARENTCLASS";
constexpr std::string_view AbsentText = "?";
constexpr int AbsentInteger = -1;

// ---- Global values --------------------------------------------------------------------------

enum class GlobalKind { Integer, Strict, Colour };

struct GlobalKey {
    ks::IniKey Key;
    GlobalKind Kind;
    // The default as text, because strict keys convert their default like a value.
    std::string_view Default;
    int16_t TsSkinData::*Field16 = nullptr;
    TColor TsSkinData::*Colour = nullptr;
};

// In the order they are read: a strict key that raises leaves the keys before it stored.
constexpr GlobalKey GlobalKeys[] = {
    {"BORDERWIDTH", GlobalKind::Integer, "4", &TsSkinData::BorderWidth},
    {"TITLEHEIGHT", GlobalKind::Integer, "30", &TsSkinData::TitleHeight},
    {"MAXHEIGHT", GlobalKind::Integer, "0", &TsSkinData::MaxHeight},
    {"FORMOFFSET", GlobalKind::Integer, "8", &TsSkinData::FormOffset},
    {"CENTEROFFSET", GlobalKind::Integer, "0", &TsSkinData::CenterOffset},
    {"BORDERMODE", GlobalKind::Integer, "0", &TsSkinData::BorderMode},
    {"SHADOW1COLOR", GlobalKind::Colour, "0", nullptr, &TsSkinData::Shadow1Color},
    {"SHADOW1OFFSET", GlobalKind::Strict, "0", &TsSkinData::Shadow1Offset},
    {"SHADOW1BLUR", GlobalKind::Strict, "-1", &TsSkinData::Shadow1Blur},
    {"SHADOW1TRANSPARENCY", GlobalKind::Strict, "0", &TsSkinData::Shadow1Transparency},
    {"BISPACE", GlobalKind::Integer, "0", &TsSkinData::BISpace},
    {"BIVALIGN", GlobalKind::Integer, "0", &TsSkinData::BIVAlign},
    {"BIRIGHT", GlobalKind::Integer, "0", &TsSkinData::BIRight},
    {"BILEFT", GlobalKind::Integer, "0", &TsSkinData::BILeft},
    {"BORDERCOLOR", GlobalKind::Colour, "0", nullptr, &TsSkinData::BorderColor},
    {"BIKEEPHUE", GlobalKind::Integer, "0", &TsSkinData::BIKeepHue},
    {"BICONCLOSEGLOW", GlobalKind::Strict, "0", &TsSkinData::BICloseGlow},
    {"BICONCLOSEGLOWMARGIN", GlobalKind::Strict, "0", &TsSkinData::BICloseGlowMargin},
    {"BICONMAXGLOW", GlobalKind::Strict, "0", &TsSkinData::BIMaxGlow},
    {"BICONMAXGLOWMARGIN", GlobalKind::Strict, "0", &TsSkinData::BIMaxGlowMargin},
    {"BICONMINGLOW", GlobalKind::Strict, "0", &TsSkinData::BIMinGlow},
    {"BICONMINGLOWMARGIN", GlobalKind::Strict, "0", &TsSkinData::BIMinGlowMargin},
};

// ---- Section records ------------------------------------------------------------------------

struct IntegerKey {
    ks::IniKey Key;
    int& (*Field)(TsGeneralData&);
    int Default;
    // In a common section an absent key gives 0 at once; only a written -1 takes the parent's.
    bool AbsentIsZeroWhenMerged = false;
};

constexpr IntegerKey IntegerKeys[] = {
    {"COLOR", [](TsGeneralData& d) -> int& { return d.Color; }, clWhite},
    {"GLOW", [](TsGeneralData& d) -> int& { return d.GlowCount; }, 0, true},
    {"GLOWMARGIN", [](TsGeneralData& d) -> int& { return d.GlowMargin; }, 0, true},
    {"FONTCOLOR", [](TsGeneralData& d) -> int& { return d.FontColor[0]; }, 0},
    {"TCLEFT", [](TsGeneralData& d) -> int& { return d.FontColor[1]; }, -1},
    {"TCTOP", [](TsGeneralData& d) -> int& { return d.FontColor[2]; }, -1},
    {"TCRIGHT", [](TsGeneralData& d) -> int& { return d.FontColor[3]; }, -1},
    {"TCBOTTOM", [](TsGeneralData& d) -> int& { return d.FontColor[4]; }, -1},
    {"HOTFONTCOLOR", [](TsGeneralData& d) -> int& { return d.HotFontColor[0]; }, 0},
    {"HOTTCLEFT", [](TsGeneralData& d) -> int& { return d.HotFontColor[1]; }, -1},
    {"HOTTCTOP", [](TsGeneralData& d) -> int& { return d.HotFontColor[2]; }, -1},
    {"HOTTCRIGHT", [](TsGeneralData& d) -> int& { return d.HotFontColor[3]; }, -1},
    {"HOTTCBOTTOM", [](TsGeneralData& d) -> int& { return d.HotFontColor[4]; }, -1},
    {"TRANSPARENCY", [](TsGeneralData& d) -> int& { return d.Transparency; }, 0},
    {"GRADIENTPERCENT", [](TsGeneralData& d) -> int& { return d.GradientPercent; }, 0},
    {"IMAGEPERCENT", [](TsGeneralData& d) -> int& { return d.ImagePercent; }, 0},
    {"FADINGITERATIONS", [](TsGeneralData& d) -> int& { return d.FadingIterations; }, 5},
    {"HOTCOLOR", [](TsGeneralData& d) -> int& { return d.HotColor; }, clWhite},
    {"HOTTRANSPARENCY", [](TsGeneralData& d) -> int& { return d.HotTransparency; }, 0},
    {"HOTGRADIENTPERCENT", [](TsGeneralData& d) -> int& { return d.HotGradientPercent; }, 0},
    {"HOTIMAGEPERCENT", [](TsGeneralData& d) -> int& { return d.HotImagePercent; }, 0},
};

struct FlagKey {
    ks::IniKey Key;
    bool TsGeneralData::*Field;
};

constexpr FlagKey FlagKeys[] = {
    {"RESERVEDBOOLEAN", &TsGeneralData::ReservedBoolean},
    {"GIVEOWNFONT", &TsGeneralData::GiveOwnFont},
    {"SHOWFOCUS", &TsGeneralData::ShowFocus},
    {"FADINGENABLED", &TsGeneralData::FadingEnabled},
};

struct TextKey {
    ks::IniKey Key;
    std::string TsGeneralData::*Field;
    std::string_view Default;
};

constexpr TextKey TextKeys[] = {
    {"GRADIENTDATA", &TsGeneralData::GradientData, " "},
    {"HOTGRADIENTDATA", &TsGeneralData::HotGradientData, ""},
};

// IniInt, with the plain decimal numbers that make up nearly every value read straight off by
// from_chars; anything else (hexadecimal, blanks, "+", junk) takes the general way.
int OptionInteger(std::string_view text, int def)
{
    if (!text.empty() && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) {
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc() && end == text.data() + text.size())
            return value;
    }
    return IniInt(text, def);
}

bool IsTrue(std::string_view text)
{
    return SameTextAscii(text, "TRUE");
}

void ParseGradients(TsGeneralData& d)
{
    d.GradientArray = ParseGradient(d.GradientData);
    d.HotGradientArray = ParseGradient(d.HotGradientData);
}

// The position in the text of the section a PARENTCLASS value names; -1 when it names none or
// one the text does not hold.
int ParentIndex(const TMemIniFile& ini, std::optional<std::string_view> parent)
{
    return !parent || parent->empty() || *parent == AbsentText ? -1 : ini.IndexOfSection(*parent);
}

// The sections an inherited lookup visits, in order, as positions in the text: the section, its
// parent, the parent's parent ... Each section is listed once: a chain that comes back to a
// section it has seen would only ask the same sections again. Found once per section and shared
// by every key read from it, so a record costs one walk up its chain rather than one per key.
class ParentChain {
public:
    // parentOf(position) gives the position of a section's parent, -1 for none.
    template <class ParentOf>
    void Walk(int start, ParentOf parentOf, const TsSkinOptionsLimits& limits)
    {
        FSections.clear();
        for (int depth = 0, index = start; depth <= limits.MaxParentDepth; ++depth) {
            // An absent section holds no key and names no parent.
            if (index < 0 || std::find(FSections.begin(), FSections.end(), index) != FSections.end())
                break;
            FSections.push_back(index);
            index = parentOf(index);
        }
    }

    // The position of the section itself, -1 when the text has no such section.
    int Own() const noexcept { return FSections.empty() ? -1 : FSections.front(); }

    // The first value along the chain that is not the absent marker "?"; valueOf(position)
    // gives a section's own value.
    template <class ValueOf>
    std::optional<std::string_view> Text(ValueOf valueOf) const
    {
        for (int index : FSections)
            if (const std::optional<std::string_view> v = valueOf(index); v && *v != AbsentText)
                return v;
        return std::nullopt;
    }

    // The first integer along the chain that is not -1, the absent marker (which an unparsable
    // value reads as too); integerOf(position) gives a section's own value, -1 for none.
    template <class IntegerOf>
    int Integer(IntegerOf integerOf, int def) const
    {
        for (int index : FSections)
            if (const int value = integerOf(index); value != AbsentInteger)
                return value;
        return def;
    }

private:
    std::vector<int> FSections;
};

// The chain of a section named in a single lookup, found by searching the text as it goes.
ParentChain ChainOf(const TMemIniFile& ini, std::string_view section, const TsSkinOptionsLimits& limits)
{
    ParentChain chain;
    auto parentOf = [&](int index) { return ParentIndex(ini, ini.FindValue(index, ParentKey)); };
    chain.Walk(ini.IndexOfSection(section), parentOf, limits);
    return chain;
}

// The keys a record reads, as the slots of a SectionRows row: the integer keys, then the flags,
// then the texts, then PARENTCLASS.
constexpr size_t FlagSlot = std::size(IntegerKeys);
constexpr size_t TextSlot = FlagSlot + std::size(FlagKeys);
constexpr size_t ParentSlot = TextSlot + std::size(TextKeys);
constexpr size_t SlotCount = ParentSlot + 1;

constexpr ks::IniKey SlotKey(size_t slot)
{
    if (slot < FlagSlot)
        return IntegerKeys[slot].Key;
    if (slot < TextSlot)
        return FlagKeys[slot - FlagSlot].Key;
    if (slot < ParentSlot)
        return TextKeys[slot - TextSlot].Key;
    return ParentKey;
}

template <size_t... Slot>
constexpr std::array<ks::IniKey, sizeof...(Slot)> SlotKeys(std::index_sequence<Slot...>)
{
    return {SlotKey(Slot)...};
}

constexpr auto SlotKeyList = SlotKeys(std::make_index_sequence<SlotCount>());

// An open-addressed table from a key's hash to its slot, so that matching an entry costs one or
// two probes rather than a comparison with every key. Its size is a power of two well above
// SlotCount, which keeps probe runs short.
constexpr size_t SlotTableSize = 128;
static_assert(SlotCount < SlotTableSize / 2);

constexpr size_t SlotHome(uint64_t hash)
{
    // The top bits, which the hash's final multiply mixes best.
    return static_cast<size_t>(hash >> 57) & (SlotTableSize - 1);
}

constexpr std::array<uint8_t, SlotTableSize> SlotTable()
{
    std::array<uint8_t, SlotTableSize> table{};
    for (size_t slot = 0; slot < SlotCount; ++slot) {
        size_t i = SlotHome(SlotKeyList[slot].Hash);
        while (table[i] != 0)
            i = (i + 1) & (SlotTableSize - 1);
        // 0 marks an empty place.
        table[i] = static_cast<uint8_t>(slot + 1);
    }
    return table;
}

constexpr auto SlotList = SlotTable();

// What each section's own entries say for each record key: the value of the key's first entry
// in that section, or none, and for the integer keys that value read as an integer. Filled in
// one pass over the text's entries, so that a record reads the rows of its chain instead of
// searching each of its sections for each key, and a value inherited by many records is
// converted once.
class SectionRows {
public:
    explicit SectionRows(const TMemIniFile& ini)
        : FEntries(static_cast<size_t>(ini.SectionCount()) * SlotCount),
          FIntegers(static_cast<size_t>(ini.SectionCount()) * FlagSlot, AbsentInteger)
    {
        for (int section = 0; section < ini.SectionCount(); ++section)
            for (const ks::IniEntry& e : ini.EntriesAt(section))
                if (const size_t slot = SlotOf(e); slot < SlotCount && !At(section, slot)) {
                    At(section, slot) = &e;
                    if (slot < FlagSlot)
                        IntegerAt(section, slot) = OptionInteger(e.Value, AbsentInteger);
                }
    }

    std::optional<std::string_view> Value(int section, size_t slot) const
    {
        const ks::IniEntry* e = FEntries[static_cast<size_t>(section) * SlotCount + slot];
        return e ? std::optional<std::string_view>(e->Value) : std::nullopt;
    }

    // The integer key's value, -1 when the section has none.
    int Integer(int section, size_t slot) const
    {
        return FIntegers[static_cast<size_t>(section) * FlagSlot + slot];
    }

private:
    static size_t SlotOf(const ks::IniEntry& e)
    {
        for (size_t i = SlotHome(e.KeyHash); SlotList[i] != 0; i = (i + 1) & (SlotTableSize - 1)) {
            const size_t slot = SlotList[i] - 1u;
            const std::string_view name = SlotKeyList[slot].Name;
            if (SlotKeyList[slot].Hash == e.KeyHash && (name == e.Key || SameTextAscii(name, e.Key)))
                return slot;
        }
        return SlotCount;
    }
    const ks::IniEntry*& At(int section, size_t slot)
    {
        return FEntries[static_cast<size_t>(section) * SlotCount + slot];
    }
    int& IntegerAt(int section, size_t slot)
    {
        return FIntegers[static_cast<size_t>(section) * FlagSlot + slot];
    }

    // The first entry of each slot's key in each section, or nullptr; they live in the text.
    std::vector<const ks::IniEntry*> FEntries;
    std::vector<int> FIntegers;
};

// The gradient texts most records leave at their defaults; each default is parsed once a table.
struct DefaultGradients {
    std::array<TsGradArray, std::size(TextKeys)> Arrays;
    DefaultGradients()
    {
        for (size_t i = 0; i < std::size(TextKeys); ++i)
            Arrays[i] = ParseGradient(TextKeys[i].Default);
    }
};

void ParseGradients(TsGeneralData& d, const DefaultGradients& defaults)
{
    auto parse = [&](const std::string& text, size_t key) {
        return text == TextKeys[key].Default ? defaults.Arrays[key] : ParseGradient(text);
    };
    d.GradientArray = parse(d.GradientData, 0);
    d.HotGradientArray = parse(d.HotGradientData, 1);
}

TsGeneralData ReadSectionRecord(const SectionRows& rows, const ParentChain& chain, std::string_view section,
    const TsSystemColorFunc& systemColor, const DefaultGradients& gradients)
{
    auto slot = [&](size_t i) { return [&rows, i](int index) { return rows.Value(index, i); }; };
    TsGeneralData d;
    d.SectionName = section;
    if (chain.Own() >= 0)
        d.ParentClass = rows.Value(chain.Own(), ParentSlot).value_or("");
    for (size_t i = 0; i < std::size(IntegerKeys); ++i) {
        auto integerOf = [&rows, i](int index) { return rows.Integer(index, i); };
        IntegerKeys[i].Field(d) = chain.Integer(integerOf, IntegerKeys[i].Default);
    }
    ClampTransparency(d);
    if (d.Color < 0)
        d.Color = systemColor(d.Color & 0xFF);
    for (size_t i = 0; i < std::size(FlagKeys); ++i)
        d.*FlagKeys[i].Field = IsTrue(chain.Text(slot(FlagSlot + i)).value_or("FALSE"));
    for (size_t i = 0; i < std::size(TextKeys); ++i)
        d.*TextKeys[i].Field = chain.Text(slot(TextSlot + i)).value_or(TextKeys[i].Default);
    ParseGradients(d, gradients);
    return d;
}

TsGeneralData MergedRecord(const TacIniSections& common, const std::string& section, TsGeneralData* parent)
{
    TsGeneralData d;
    d.SectionName = section;
    d.ParentClass = UpperCaseAscii(ReadSectionListString(common, section, ParentKey.Name, "-1"));
    for (const IntegerKey& k : IntegerKeys) {
        int v = ReadSectionListInteger(common, section, k.Key.Name, k.AbsentIsZeroWhenMerged ? 0 : AbsentInteger);
        if (v == AbsentInteger)
            v = parent ? k.Field(*parent) : k.Default;
        k.Field(d) = v;
    }
    ClampTransparency(d);
    for (const FlagKey& k : FlagKeys) {
        std::string v = ReadSectionListString(common, section, k.Key.Name, AbsentText);
        d.*k.Field = v == AbsentText ? parent && parent->*k.Field : IsTrue(v);
    }
    for (const TextKey& k : TextKeys) {
        std::string v = ReadSectionListString(common, section, k.Key.Name, AbsentText);
        d.*k.Field = v != AbsentText ? v : parent ? parent->*k.Field : std::string(k.Default);
    }
    ParseGradients(d);
    return d;
}

} // namespace

std::string ReadInheritedString(const TMemIniFile& ini, std::string_view section,
    std::string_view key, std::string_view def, const TsSkinOptionsLimits& limits)
{
    const ks::IniKey k(key);
    const ParentChain chain = ChainOf(ini, section, limits);
    return std::string(chain.Text([&](int index) { return ini.FindValue(index, k); }).value_or(def));
}

int ReadInheritedInteger(const TMemIniFile& ini, std::string_view section, std::string_view key,
    int def, const TsSkinOptionsLimits& limits)
{
    const ks::IniKey k(key);
    const ParentChain chain = ChainOf(ini, section, limits);
    auto integerOf = [&](int index) {
        const std::optional<std::string_view> v = ini.FindValue(index, k);
        return v ? OptionInteger(*v, AbsentInteger) : AbsentInteger;
    };
    return chain.Integer(integerOf, def);
}

void ReadSkinGlobals(const TMemIniFile& ini, TsSkinData& data)
{
    const int section = ini.IndexOfSection(GlobalSection);
    double version = 0;
    const std::optional<std::string_view> versionText = ini.FindValue(section, "VERSION");
    if (versionText && !TryStrToFloatDot(*versionText, version))
        version = 0;
    data.Version = version;
    data.Author = ini.FindValue(section, "AUTHOR").value_or("");
    data.Description = ini.FindValue(section, "DESCRIPTION").value_or("");
    for (const GlobalKey& k : GlobalKeys) {
        const std::optional<std::string_view> v = ini.FindValue(section, k.Key);
        int value;
        if (k.Kind == GlobalKind::Strict)
            value = StrToInt(v.value_or(k.Default));
        else
            value = v ? OptionInteger(*v, StrToInt(k.Default)) : StrToInt(k.Default);
        if (k.Colour)
            data.*k.Colour = value;
        else
            data.*k.Field16 = static_cast<int16_t>(value);
        if (k.Field16 == &TsSkinData::MaxHeight && data.MaxHeight == 0)
            data.MaxHeight = data.TitleHeight;
    }
}

void ReadSectionTable(const TMemIniFile& ini, TsGeneralDataArray& table, const TsSystemColorFunc& systemColor,
    const TsSkinOptionsLimits& limits)
{
    table.clear();
    const int count = ini.SectionCount();
    const SectionRows rows(ini);
    // Every section's parent, found once for all the chains that pass through it.
    std::vector<int> parents(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        parents[static_cast<size_t>(i)] = ParentIndex(ini, rows.Value(i, ParentSlot));
    const DefaultGradients gradients;
    ParentChain chain;
    TsGeneralDataArray records;
    records.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string_view name = ini.SectionAt(i);
        // A repeated header reads the first section of its name, as every lookup by name does.
        chain.Walk(ini.IndexOfSection(name), [&](int index) { return parents[static_cast<size_t>(index)]; }, limits);
        records.push_back(ReadSectionRecord(rows, chain, name, systemColor, gradients));
    }
    table = std::move(records);
}

void MergeCommonSections(const TStrings& commonSections, TsGeneralDataArray& table)
{
    if (commonSections.Count() == 0)
        return;
    const TacIniSections common = IniTextToSectionLists(commonSections);
    TsGeneralDataArray merged = table;
    for (const TacIniSection& section : common) {
        auto named = [&](auto&& test) {
            for (size_t i = 0; i < merged.size(); ++i)
                if (test(merged[i]))
                    return static_cast<int>(i);
            return -1;
        };
        if (named([&](const TsGeneralData& d) { return d.SectionName == section.Name; }) >= 0)
            continue;
        const std::string parentName = UpperCaseAscii(ReadSectionListString(common, section.Name, ParentKey.Name, "-1"));
        const int parent = named([&](const TsGeneralData& d) { return UpperCaseAscii(d.SectionName) == parentName; });
        merged.push_back(MergedRecord(common, section.Name, parent >= 0 ? &merged[static_cast<size_t>(parent)] : nullptr));
    }
    table = std::move(merged);
}

TsFontColors StoredFontColors(std::string_view text)
{
    static const TSysCharSet blank = CharSetOf(" ");
    const std::vector<std::string_view> words = SplitWords(text, blank);
    if (words.size() != 5)
        return {0, -1, -1, -1, -1};
    TsFontColors colors;
    for (size_t i = 0; i < 5; ++i)
        colors[i] = StrToInt(words[i]);
    return colors;
}

void ClampTransparency(TsGeneralData& d) noexcept
{
    d.Transparency = std::clamp(d.Transparency, 0, 100);
    d.HotTransparency = std::clamp(d.HotTransparency, 0, 100);
}

int FrameTitleHeight(const TsSkinData& d) noexcept
{
    return std::clamp<int>(d.TitleHeight, 0, 256);
}

int FrameMaxHeight(const TsSkinData& d) noexcept
{
    return std::clamp<int>(d.MaxHeight, 0, 256);
}

int FrameBorderWidth(const TsSkinData& d) noexcept
{
    return std::clamp<int>(d.BorderWidth, 0, 64);
}
