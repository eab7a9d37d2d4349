#include "skin/core/sSkinOptions.h"

#include "skin/core/TextRoutines.h"
#include "vcl/IniFiles.h"
#include "vcl/Strings.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view kGlobalSection = "GLOBALINFO";
constexpr ks::IniKey kParentKey = "PARENTCLASS";
constexpr std::string_view kAbsentText = "?";
constexpr int kAbsentInteger = -1;

// ---- Global values --------------------------------------------------------------------------

enum class GlobalKind { Integer, Strict, Colour };

struct GlobalKey {
    std::string_view Key;
    GlobalKind Kind;
    // The default as text, because strict keys convert their default like a value.
    std::string_view Default;
    int16_t TsSkinData::*Field16 = nullptr;
    TColor TsSkinData::*Colour = nullptr;
};

// In the order they are read: a strict key that raises leaves the keys before it stored.
const GlobalKey kGlobalKeys[] = {
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

constexpr IntegerKey kIntegerKeys[] = {
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

constexpr FlagKey kFlagKeys[] = {
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

constexpr TextKey kTextKeys[] = {
    {"GRADIENTDATA", &TsGeneralData::GradientData, " "},
    {"HOTGRADIENTDATA", &TsGeneralData::HotGradientData, ""},
};

bool IsTrue(std::string_view text)
{
    return SameTextAscii(text, "TRUE");
}

void ParseGradients(TsGeneralData& d)
{
    d.GradientArray = ParseGradient(d.GradientData);
    d.HotGradientArray = ParseGradient(d.HotGradientData);
}

// The sections an inherited lookup visits, in order, as positions in the text: the section, its
// parent, the parent's parent ... Each section is listed once: a chain that comes back to a
// section it has seen would only ask the same sections again. Found once per section and shared
// by every key read from it, so a record costs one walk up its chain rather than one per key.
class ParentChain {
public:
    ParentChain(const TMemIniFile& ini, std::string_view section, const TsSkinOptionsLimits& limits)
    {
        std::string_view current = section;
        for (int depth = 0; depth <= limits.MaxParentDepth; ++depth) {
            const int index = ini.IndexOfSection(current);
            // An absent section holds no key and names no parent.
            if (index < 0 || std::find(FSections.begin(), FSections.end(), index) != FSections.end())
                break;
            FSections.push_back(index);
            const std::optional<std::string_view> parent = ini.FindValue(index, kParentKey);
            if (!parent || parent->empty() || *parent == kAbsentText || *parent == current)
                break;
            current = *parent;
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
            if (const std::optional<std::string_view> v = valueOf(index); v && *v != kAbsentText)
                return v;
        return std::nullopt;
    }

    // The first integer along the chain that is not -1, the absent marker (which an unparsable
    // value reads as too).
    template <class ValueOf>
    int Integer(ValueOf valueOf, int def) const
    {
        for (int index : FSections)
            if (const std::optional<std::string_view> v = valueOf(index)) {
                const int value = IniInt(*v, kAbsentInteger);
                if (value != kAbsentInteger)
                    return value;
            }
        return def;
    }

private:
    std::vector<int> FSections;
};

// The keys a record reads, as the slots of a SectionRows row: the integer keys, then the flags,
// then the texts.
constexpr size_t kFlagSlot = std::size(kIntegerKeys);
constexpr size_t kTextSlot = kFlagSlot + std::size(kFlagKeys);
constexpr size_t kSlotCount = kTextSlot + std::size(kTextKeys);

constexpr ks::IniKey SlotKey(size_t slot)
{
    if (slot < kFlagSlot)
        return kIntegerKeys[slot].Key;
    if (slot < kTextSlot)
        return kFlagKeys[slot - kFlagSlot].Key;
    return kTextKeys[slot - kTextSlot].Key;
}

template <size_t... Slot>
constexpr std::array<ks::IniKey, sizeof...(Slot)> SlotKeys(std::index_sequence<Slot...>)
{
    return {SlotKey(Slot)...};
}

constexpr auto kSlotKeys = SlotKeys(std::make_index_sequence<kSlotCount>());

// What each section's own entries say for each record key: the value of the key's first entry
// in that section, or none. Filled in one pass over the text's entries, so that a record reads
// the rows of its chain instead of searching each of its sections for each key.
class SectionRows {
public:
    explicit SectionRows(const TMemIniFile& ini) : FEntries(static_cast<size_t>(ini.SectionCount()) * kSlotCount)
    {
        for (int section = 0; section < ini.SectionCount(); ++section)
            for (const ks::IniEntry& e : ini.EntriesAt(section))
                if (const size_t slot = SlotOf(e); slot < kSlotCount && !At(section, slot))
                    At(section, slot) = &e;
    }

    std::optional<std::string_view> Value(int section, size_t slot) const
    {
        const ks::IniEntry* e = FEntries[static_cast<size_t>(section) * kSlotCount + slot];
        return e ? std::optional<std::string_view>(e->Value) : std::nullopt;
    }

private:
    static size_t SlotOf(const ks::IniEntry& e)
    {
        for (size_t slot = 0; slot < kSlotCount; ++slot)
            if (kSlotKeys[slot].Hash == e.KeyHash && SameTextAscii(kSlotKeys[slot].Name, e.Key))
                return slot;
        return kSlotCount;
    }
    const ks::IniEntry*& At(int section, size_t slot)
    {
        return FEntries[static_cast<size_t>(section) * kSlotCount + slot];
    }

    // The first entry of each slot's key in each section, or nullptr; they live in the text.
    std::vector<const ks::IniEntry*> FEntries;
};

TsGeneralData ReadSectionRecord(const TMemIniFile& ini, const SectionRows& rows, const std::string& section,
    TsSystemColorFunc systemColor, const TsSkinOptionsLimits& limits)
{
    const ParentChain chain(ini, section, limits);
    auto slot = [&](size_t i) { return [&rows, i](int index) { return rows.Value(index, i); }; };
    TsGeneralData d;
    d.SectionName = section;
    d.ParentClass = ini.FindValue(chain.Own(), kParentKey).value_or("");
    for (size_t i = 0; i < std::size(kIntegerKeys); ++i)
        kIntegerKeys[i].Field(d) = chain.Integer(slot(i), kIntegerKeys[i].Default);
    if (d.Color < 0)
        d.Color = systemColor(d.Color & 0xFF);
    for (size_t i = 0; i < std::size(kFlagKeys); ++i)
        d.*kFlagKeys[i].Field = IsTrue(chain.Text(slot(kFlagSlot + i)).value_or("FALSE"));
    for (size_t i = 0; i < std::size(kTextKeys); ++i)
        d.*kTextKeys[i].Field = chain.Text(slot(kTextSlot + i)).value_or(kTextKeys[i].Default);
    ParseGradients(d);
    return d;
}

TsGeneralData MergedRecord(const TacIniSections& common, const std::string& section, TsGeneralData* parent)
{
    TsGeneralData d;
    d.SectionName = section;
    d.ParentClass = UpperCaseAscii(ReadSectionListString(common, section, kParentKey.Name, "-1"));
    for (const IntegerKey& k : kIntegerKeys) {
        int v = ReadSectionListInteger(common, section, k.Key.Name, k.AbsentIsZeroWhenMerged ? 0 : kAbsentInteger);
        if (v == kAbsentInteger)
            v = parent ? k.Field(*parent) : k.Default;
        k.Field(d) = v;
    }
    for (const FlagKey& k : kFlagKeys) {
        std::string v = ReadSectionListString(common, section, k.Key.Name, kAbsentText);
        d.*k.Field = v == kAbsentText ? parent && parent->*k.Field : IsTrue(v);
    }
    for (const TextKey& k : kTextKeys) {
        std::string v = ReadSectionListString(common, section, k.Key.Name, kAbsentText);
        d.*k.Field = v != kAbsentText ? v : parent ? parent->*k.Field : std::string(k.Default);
    }
    ParseGradients(d);
    return d;
}

} // namespace

std::string ReadInheritedString(const TMemIniFile& ini, std::string_view section,
    std::string_view key, std::string_view def, const TsSkinOptionsLimits& limits)
{
    const ks::IniKey k(key);
    const ParentChain chain(ini, section, limits);
    return std::string(chain.Text([&](int index) { return ini.FindValue(index, k); }).value_or(def));
}

int ReadInheritedInteger(const TMemIniFile& ini, std::string_view section, std::string_view key,
    int def, const TsSkinOptionsLimits& limits)
{
    const ks::IniKey k(key);
    const ParentChain chain(ini, section, limits);
    return chain.Integer([&](int index) { return ini.FindValue(index, k); }, def);
}

void ReadSkinGlobals(const TMemIniFile& ini, TsSkinData& data)
{
    data.Version = ini.ReadFloat(kGlobalSection, "VERSION", 0);
    data.Author = ini.ReadString(kGlobalSection, "AUTHOR", "");
    data.Description = ini.ReadString(kGlobalSection, "DESCRIPTION", "");
    for (const GlobalKey& k : kGlobalKeys) {
        int value;
        if (k.Kind == GlobalKind::Strict)
            value = StrToInt(ini.ReadString(kGlobalSection, k.Key, k.Default));
        else
            value = ini.ReadInteger(kGlobalSection, k.Key, StrToInt(k.Default));
        if (k.Colour)
            data.*k.Colour = value;
        else
            data.*k.Field16 = static_cast<int16_t>(value);
        if (k.Field16 == &TsSkinData::MaxHeight && data.MaxHeight == 0)
            data.MaxHeight = data.TitleHeight;
    }
}

void ReadSectionTable(const TMemIniFile& ini, TsGeneralDataArray& table, TsSystemColorFunc systemColor,
    const TsSkinOptionsLimits& limits)
{
    table.clear();
    TStringList names;
    ini.ReadSections(names);
    const SectionRows rows(ini);
    TsGeneralDataArray records;
    records.reserve(static_cast<size_t>(names.Count()));
    for (int i = 0; i < names.Count(); ++i)
        records.push_back(ReadSectionRecord(ini, rows, names.Strings(i), systemColor, limits));
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
        const std::string parentName = UpperCaseAscii(ReadSectionListString(common, section.Name, kParentKey.Name, "-1"));
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
