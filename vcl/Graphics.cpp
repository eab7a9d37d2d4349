#include "vcl/Graphics.h"

#include "vcl/Bitmap.h"
#include "vcl/FormStreaming.h"
#include "vcl/Icon.h"
#include "vcl/Jpeg.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cstring>

static_assert(sizeof(TRect) == sizeof(RECT) && offsetof(TRect, Right) == offsetof(RECT, right));
static_assert(sizeof(TPoint) == sizeof(POINT) && offsetof(TPoint, Y) == offsetof(POINT, y));
static_assert(sizeof(TSize) == sizeof(SIZE) && offsetof(TSize, cy) == offsetof(SIZE, cy));

namespace {

constexpr const char* NoFont = "Cannot create a font";
constexpr const char* NoBrush = "Cannot create a brush";
constexpr const char* NoPen = "Cannot create a pen";
constexpr const char* TooLargeText = "Picture data is too large";
constexpr const char* UnknownExtension = "Unknown picture file extension (.%s)";
constexpr const char* DataTruncated = "Picture data ends early";
constexpr const char* DataTrailing = "Picture data is followed by other bytes";
constexpr const char* UnknownGraphicClass = "Unknown picture class %s";

// The default face of the forms; under Wine fonts-wine provides it.
constexpr const wchar_t* DefaultFontName = L"Tahoma";
constexpr int DefaultFontHeight = -11; // 8 points at 96 dpi

uint8_t gFontQuality = DEFAULT_QUALITY;

COLORREF Resolve(TColor c) noexcept
{
    return static_cast<COLORREF>(ColorToRGB(c));
}

const RECT* AsRect(const TRect& r) noexcept
{
    return reinterpret_cast<const RECT*>(&r);
}

int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        HDC dc = GetDC(nullptr);
        int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc)
            ReleaseDC(nullptr, dc);
        return v > 0 ? v : 96;
    }();
    return ppi;
}

std::wstring LowerAscii(std::wstring_view s)
{
    std::wstring out(s);
    for (wchar_t& c : out)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    return out;
}

std::string Narrow(std::wstring_view s)
{
    std::string out;
    for (wchar_t c : s)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

} // namespace

TColor ColorToRGB(TColor color) noexcept
{
    if (IsSystemColor(color))
        return static_cast<TColor>(GetSysColor(color & 0xFF));
    return color;
}

// ---- property tables --------------------------------------------------------------------------

template <>
struct ks::EnumTraits<TFontStyle> {
    static constexpr const char* Names[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
};
template <>
struct ks::EnumTraits<TBrushStyle> {
    static constexpr const char* Names[] = {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                            "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};
};
template <>
struct ks::EnumTraits<TPenStyle> {
    static constexpr const char* Names[] = {"psSolid", "psDash", "psDot", "psDashDot",
                                            "psDashDotDot", "psClear", "psInsideFrame"};
};

namespace {

const ks::PropertyInfo FontProperties[] = {
    ks::Prop<&TFont::Charset, &TFont::SetCharset>("Charset").DefaultIs(DEFAULT_CHARSET),
    ks::Prop<&TFont::Color, &TFont::SetColor>("Color").Idents("TColor").DefaultIs(clWindowText),
    ks::Prop<&TFont::Height, &TFont::SetHeight>("Height"),
    ks::Prop<&TFont::Name, &TFont::SetName>("Name"),
    ks::Prop<&TFont::Style, &TFont::SetStyle>("Style").DefaultIs(TFontStyles{}),
};
const ks::PropertyInfo BrushProps[] = {
    ks::Prop<&TBrush::Color, &TBrush::SetColor>("Color").Idents("TColor").DefaultIs(clWhite),
    ks::Prop<&TBrush::Style, &TBrush::SetStyle>("Style").DefaultIs(bsSolid),
};
const ks::PropertyInfo PenProps[] = {
    ks::Prop<&TPen::Color, &TPen::SetColor>("Color").Idents("TColor").DefaultIs(clBlack),
    ks::Prop<&TPen::Style, &TPen::SetStyle>("Style").DefaultIs(psSolid),
    ks::Prop<&TPen::Width, &TPen::SetWidth>("Width").DefaultIs(1),
};

} // namespace

const ks::ClassInfo TGraphicsObject::StaticClassInfo{"TGraphicsObject", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo TFont::StaticClassInfo{"TFont", &TGraphicsObject::StaticClassInfo, FontProperties, {}};
const ks::ClassInfo TBrush::StaticClassInfo{"TBrush", &TGraphicsObject::StaticClassInfo, BrushProps, {}};
const ks::ClassInfo TPen::StaticClassInfo{"TPen", &TGraphicsObject::StaticClassInfo, PenProps, {}};
const ks::ClassInfo TCanvas::StaticClassInfo{"TCanvas", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo TGraphic::StaticClassInfo{"TGraphic", &TPersistent::StaticClassInfo, {}, {}};
const ks::ClassInfo TPicture::StaticClassInfo{"TPicture", &TPersistent::StaticClassInfo, {}, {}};

const ks::ClassInfo& TGraphicsObject::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TFont::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TBrush::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TPen::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCanvas::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TGraphic::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TPicture::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- TGraphicsObject, TFont, TBrush, TPen -----------------------------------------------------

void TGraphicsObject::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

TFont::TFont()
    : FName(DefaultFontName), FHeight(DefaultFontHeight), FColor(clWindowText), FCharset(DEFAULT_CHARSET)
{
}

void TFont::SetRenderQuality(uint8_t quality) noexcept
{
    gFontQuality = quality;
}

void TFont::DescriptionChanged()
{
    FHandle.reset();
    Changed();
}

void TFont::SetName(const std::wstring& name)
{
    if (name != FName) {
        FName = name;
        DescriptionChanged();
    }
}

void TFont::SetHeight(int height)
{
    if (height != FHeight) {
        FHeight = height;
        DescriptionChanged();
    }
}

int TFont::Size() const noexcept
{
    return -MulDiv(FHeight, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int size)
{
    SetHeight(-MulDiv(size, ScreenPixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style)
{
    if (style != FStyle) {
        FStyle = style;
        DescriptionChanged();
    }
}

void TFont::SetColor(TColor color)
{
    if (color != FColor) {
        FColor = color; // not part of the GDI font: the handle stays
        Changed();
    }
}

void TFont::SetCharset(uint8_t charset)
{
    if (charset != FCharset) {
        FCharset = charset;
        DescriptionChanged();
    }
}

LOGFONTW TFont::LogFont() const noexcept
{
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = gFontQuality;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    FName.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return lf;
}

void TFont::SetLogFont(const LOGFONTW& lf)
{
    TFontStyles style;
    if (lf.lfWeight >= FW_BOLD)
        style.Include(fsBold);
    if (lf.lfItalic)
        style.Include(fsItalic);
    if (lf.lfUnderline)
        style.Include(fsUnderline);
    if (lf.lfStrikeOut)
        style.Include(fsStrikeOut);
    FName.assign(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE));
    FHeight = lf.lfHeight;
    FStyle = style;
    FCharset = lf.lfCharSet;
    DescriptionChanged();
}

HFONT TFont::Handle()
{
    if (!FHandle) {
        LOGFONTW lf = LogFont();
        FHandle.reset(CreateFontIndirectW(&lf));
        if (!FHandle)
            throw EOutOfResources(NoFont);
    }
    return FHandle.get();
}

void TFont::Assign(const TPersistent* source)
{
    if (auto* f = dynamic_cast<const TFont*>(source)) {
        if (f == this)
            return;
        FName = f->FName;
        FHeight = f->FHeight;
        FStyle = f->FStyle;
        FColor = f->FColor;
        FCharset = f->FCharset;
        DescriptionChanged();
        return;
    }
    TPersistent::Assign(source);
}

void TBrush::DescriptionChanged()
{
    FHandle.reset();
    Changed();
}

void TBrush::SetColor(TColor color)
{
    if (color != FColor) {
        FColor = color;
        // The platform turns a clear brush solid when it is given a colour.
        if (FStyle == bsClear)
            FStyle = bsSolid;
        DescriptionChanged();
    }
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style != FStyle) {
        FStyle = style;
        DescriptionChanged();
    }
}

LOGBRUSH TBrush::LogBrush() const noexcept
{
    LOGBRUSH lb{};
    lb.lbColor = Resolve(FColor);
    switch (FStyle) {
    case bsSolid: lb.lbStyle = BS_SOLID; break;
    case bsClear: lb.lbStyle = BS_NULL; break;
    default:
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = static_cast<ULONG_PTR>(HS_HORIZONTAL + (FStyle - bsHorizontal));
        break;
    }
    return lb;
}

HBRUSH TBrush::Handle()
{
    if (FStyle == bsClear)
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (!FHandle) {
        LOGBRUSH lb = LogBrush();
        FHandle.reset(CreateBrushIndirect(&lb));
        if (!FHandle)
            throw EOutOfResources(NoBrush);
    }
    return FHandle.get();
}

void TBrush::Assign(const TPersistent* source)
{
    if (auto* b = dynamic_cast<const TBrush*>(source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        DescriptionChanged();
        return;
    }
    TPersistent::Assign(source);
}

void TPen::DescriptionChanged()
{
    FHandle.reset();
    Changed();
}

void TPen::SetColor(TColor color)
{
    if (color != FColor) {
        FColor = color;
        DescriptionChanged();
    }
}

void TPen::SetStyle(TPenStyle style)
{
    if (style != FStyle) {
        FStyle = style;
        DescriptionChanged();
    }
}

void TPen::SetWidth(int width)
{
    if (width != FWidth) {
        FWidth = width;
        DescriptionChanged();
    }
}

LOGPEN TPen::LogPen() const noexcept
{
    static constexpr UINT StyleValues[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN lp{};
    lp.lopnStyle = StyleValues[FStyle];
    lp.lopnWidth.x = FWidth;
    lp.lopnColor = Resolve(FColor);
    return lp;
}

HPEN TPen::Handle()
{
    if (!FHandle) {
        LOGPEN lp = LogPen();
        FHandle.reset(CreatePenIndirect(&lp));
        if (!FHandle)
            throw EOutOfResources(NoPen);
    }
    return FHandle.get();
}

void TPen::Assign(const TPersistent* source)
{
    if (auto* p = dynamic_cast<const TPen*>(source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FStyle = p->FStyle;
        FWidth = p->FWidth;
        DescriptionChanged();
        return;
    }
    TPersistent::Assign(source);
}

// ---- TCanvas ----------------------------------------------------------------------------------

namespace {

// Beyond this many distinct objects of one kind in one binding, objects that are not selected
// are let go, so a painter that walks through colours cannot exhaust the process's GDI handles.
// Only a raw SaveDC held across that many changes could then restore a deleted object.
constexpr size_t MaxCachedPerKind = 64;

bool SameKey(const LOGFONTW& a, const LOGFONTW& b) noexcept { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameKey(const LOGBRUSH& a, const LOGBRUSH& b) noexcept
{
    return a.lbStyle == b.lbStyle && a.lbColor == b.lbColor && a.lbHatch == b.lbHatch;
}
bool SameKey(const LOGPEN& a, const LOGPEN& b) noexcept
{
    return a.lopnStyle == b.lopnStyle && a.lopnWidth.x == b.lopnWidth.x && a.lopnColor == b.lopnColor;
}

// The cached object for key, created with make when missing.
template <class Cache, class Key, class Make>
auto Realise(Cache& cache, const Key& key, HDC dc, UINT objType, Make make, const char* failure)
{
    for (auto& c : cache)
        if (SameKey(c.key, key))
            return c.object.get();
    if (cache.size() >= MaxCachedPerKind) {
        HGDIOBJ current = GetCurrentObject(dc, objType);
        std::erase_if(cache, [&](auto& c) { return c.object.get() != current; });
    }
    auto handle = make(&key);
    if (!handle)
        throw EOutOfResources(failure);
    cache.push_back({key, decltype(cache.back().object)(handle)});
    return cache.back().object.get();
}

} // namespace

TCanvas::TCanvas()
{
    const TNotifyEvent changed(this, &TCanvas::ObjectChanged);
    FFont.SetOnChange(changed);
    FBrush.SetOnChange(changed);
    FPen.SetOnChange(changed);
}

TCanvas::~TCanvas()
{
    ReleaseObjects();
}

void TCanvas::ReleaseObjects() noexcept
{
    if (FDC) {
        // The DC gets its own objects back before ours are deleted.
        if (FOriginalFont)
            SelectObject(FDC, FOriginalFont);
        if (FOriginalBrush)
            SelectObject(FDC, FOriginalBrush);
        if (FOriginalPen)
            SelectObject(FDC, FOriginalPen);
    }
    FOriginalFont = FOriginalBrush = FOriginalPen = nullptr;
    FFonts.clear();
    FBrushes.clear();
    FPens.clear();
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == FDC)
        return;
    ReleaseObjects();
    FDC = dc;
    if (FDC) {
        FOriginalFont = GetCurrentObject(FDC, OBJ_FONT);
        FOriginalBrush = GetCurrentObject(FDC, OBJ_BRUSH);
        FOriginalPen = GetCurrentObject(FDC, OBJ_PEN);
    }
}

HDC TCanvas::Handle()
{
    return Prepare();
}

void TCanvas::SelectFont()
{
    const LOGFONTW lf = FFont.LogFont();
    HFONT f = Realise(FFonts, lf, FDC, OBJ_FONT, [](const LOGFONTW* k) { return CreateFontIndirectW(k); }, NoFont);
    SelectObject(FDC, f);
    SetTextColor(FDC, Resolve(FFont.Color()));
}

void TCanvas::SelectBrush()
{
    const LOGBRUSH lb = FBrush.LogBrush();
    HBRUSH b = FBrush.Style() == bsClear
                   ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                   : Realise(FBrushes, lb, FDC, OBJ_BRUSH, [](const LOGBRUSH* k) { return CreateBrushIndirect(k); }, NoBrush);
    SelectObject(FDC, b);
    SetBkColor(FDC, lb.lbColor);
    SetBkMode(FDC, FBrush.Style() == bsSolid ? OPAQUE : TRANSPARENT);
}

void TCanvas::SelectPen()
{
    const LOGPEN lp = FPen.LogPen();
    HPEN p = Realise(FPens, lp, FDC, OBJ_PEN, [](const LOGPEN* k) { return CreatePenIndirect(k); }, NoPen);
    SelectObject(FDC, p);
}

HDC TCanvas::Prepare()
{
    if (!FDC)
        CreateHandle();
    if (!FDC)
        return nullptr;
    SelectFont();
    SelectBrush();
    SelectPen();
    return FDC;
}

void TCanvas::ObjectChanged(TObject* sender)
{
    if (!FDC)
        return;
    if (sender == &FFont)
        SelectFont();
    else if (sender == &FBrush)
        SelectBrush();
    else
        SelectPen();
}

TColor TCanvas::Pixels(int x, int y)
{
    HDC dc = Prepare();
    return dc ? static_cast<TColor>(GetPixel(dc, x, y)) : clNone;
}

void TCanvas::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    if (HDC dc = Prepare()) {
        SetPixelV(dc, x, y, Resolve(color));
        Changed();
    }
}

void TCanvas::FillRect(const TRect& r)
{
    if (HDC dc = Prepare()) {
        ::FillRect(dc, AsRect(r), FBrush.Style() == bsClear ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                                             : static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
        Changed();
    }
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (HDC dc = Prepare()) {
        ::Rectangle(dc, x1, y1, x2, y2);
        Changed();
    }
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    if (HDC dc = Prepare()) {
        ::RoundRect(dc, x1, y1, x2, y2, x3, y3);
        Changed();
    }
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    if (HDC dc = Prepare()) {
        ::Ellipse(dc, x1, y1, x2, y2);
        Changed();
    }
}

void TCanvas::Polygon(std::span<const TPoint> points)
{
    if (HDC dc = Prepare()) {
        ::Polygon(dc, reinterpret_cast<const POINT*>(points.data()), static_cast<int>(points.size()));
        Changed();
    }
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    if (HDC dc = Prepare()) {
        ::DrawFocusRect(dc, AsRect(r));
        Changed();
    }
}

void TCanvas::TextOut(int x, int y, std::wstring_view text)
{
    if (HDC dc = Prepare()) {
        ExtTextOutW(dc, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
        Changed();
    }
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::wstring_view text)
{
    HDC dc = Prepare();
    if (!dc)
        return;
    UINT options = ETO_CLIPPED;
    if (FBrush.Style() != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOutW(dc, x, y, options, AsRect(r), text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

TSize TCanvas::TextExtent(std::wstring_view text)
{
    SIZE size{};
    if (HDC dc = Prepare())
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return {size.cx, size.cy};
}

int TCanvas::DrawText(std::wstring_view text, TRect& r, UINT flags)
{
    HDC dc = Prepare();
    if (!dc)
        return 0;
    const int height = ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), reinterpret_cast<RECT*>(&r), flags);
    if (!(flags & DT_CALCRECT))
        Changed();
    return height;
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic)
{
    if (!graphic.Empty() && Prepare()) {
        graphic.Draw(*this, Rect(x, y, x + graphic.Width(), y + graphic.Height()));
        Changed();
    }
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic& graphic)
{
    if (!graphic.Empty() && Prepare()) {
        graphic.Draw(*this, r);
        Changed();
    }
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    HDC dc = Prepare();
    HDC src = source.Handle();
    if (dc && src) {
        StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, sourceRect.Left, sourceRect.Top,
                   sourceRect.Width(), sourceRect.Height(), FCopyMode);
        Changed();
    }
}

// ---- TGraphic ---------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool transparent)
{
    if (transparent != FTransparent) {
        FTransparent = transparent;
        Changed();
    }
}

void TGraphic::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const TRect& r, const std::wstring& msg)
{
    if (FOnProgress)
        FOnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

std::vector<uint8_t> TGraphic::ReadRest(TStream& stream)
{
    const uint64_t remaining = stream.Remaining();
    if (remaining > MaxGraphicBytes)
        throw EInvalidGraphic(TooLargeText);
    std::vector<uint8_t> bytes(static_cast<size_t>(remaining));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

void TGraphic::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !Empty());
}

void TGraphic::ReadSizedData(TStream& stream)
{
    uint8_t count[4];
    if (stream.Remaining() < sizeof count)
        throw EReadError(DataTruncated, ks::FormError::Truncated);
    stream.ReadBuffer(count, sizeof count);
    const uint64_t size = uint64_t{count[0]} | uint64_t{count[1]} << 8 | uint64_t{count[2]} << 16 |
                          uint64_t{count[3]} << 24;
    const uint64_t remaining = stream.Remaining();
    if (size > remaining)
        throw EReadError(DataTruncated, ks::FormError::Truncated);
    if (size < remaining)
        throw EReadError(DataTrailing, ks::FormError::TrailingData);
    LoadFromStream(stream);
}

void TGraphic::WriteSizedData(TStream& stream) const
{
    TMemoryStream bytes;
    SaveToStream(bytes);
    const std::span<const uint8_t> data = bytes.Bytes();
    if (data.size() > UINT32_MAX)
        throw EInvalidGraphic(TooLargeText);
    const auto size = static_cast<uint32_t>(data.size());
    const uint8_t count[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                              static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    stream.WriteBuffer(count, sizeof count);
    stream.WriteBuffer(data.data(), data.size());
}

void TGraphic::LoadFromFile(const std::wstring& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

// ---- TPicture ---------------------------------------------------------------------------------

namespace {

struct FormatEntry {
    std::wstring extension; // lower case
    std::wstring description;
    TGraphicFactory factory;
};

template <class T>
std::unique_ptr<TGraphic> Make()
{
    return std::make_unique<T>();
}

std::vector<FormatEntry>& FileFormats()
{
    static std::vector<FormatEntry> formats = {
        {L"bmp", L"Bitmaps", &Make<TBitmap>},
        {L"ico", L"Icons", &Make<TIcon>},
        {L"jpg", L"JPEG Image File", &Make<TJPEGImage>},
        {L"jpeg", L"JPEG Image File", &Make<TJPEGImage>},
    };
    return formats;
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(std::wstring_view extension, std::wstring_view description, TGraphicFactory factory)
{
    std::wstring ext = LowerAscii(extension);
    for (FormatEntry& f : FileFormats()) {
        if (f.extension == ext) {
            f.description = description;
            f.factory = factory;
            return;
        }
    }
    FileFormats().push_back({std::move(ext), std::wstring(description), factory});
}

void TPicture::UnregisterGraphicClass(TGraphicFactory factory)
{
    std::erase_if(FileFormats(), [&](const FormatEntry& f) { return f.factory == factory; });
}

TGraphicFactory TPicture::FileFormat(std::wstring_view extension)
{
    const std::wstring ext = LowerAscii(extension);
    for (const auto& f : FileFormats())
        if (f.extension == ext)
            return f.factory;
    return nullptr;
}

void TPicture::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
        FGraphic && !FGraphic->Empty());
}

void TPicture::ReadData(TStream& stream)
{
    uint8_t length = 0;
    if (stream.Remaining() < 1)
        throw EReadError(DataTruncated, ks::FormError::Truncated);
    stream.ReadBuffer(&length, 1);
    if (stream.Remaining() < length)
        throw EReadError(DataTruncated, ks::FormError::Truncated);
    std::string name(length, '\0');
    stream.ReadBuffer(name.data(), name.size());
    if (name.empty()) {
        Replace(nullptr);
        return;
    }
    // The formats are few: one picture of each is made until one answers to the name.
    std::unique_ptr<TGraphic> graphic;
    for (const FormatEntry& f : FileFormats()) {
        graphic = f.factory();
        if (graphic->ClassName() == name)
            break;
        graphic.reset();
    }
    if (!graphic)
        throw EReadError(Format(UnknownGraphicClass, {name}), ks::FormError::UnknownClass);
    graphic->ReadData(stream);
    Replace(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) const
{
    const std::string name = FGraphic->ClassName();
    const auto length = static_cast<uint8_t>(std::min<size_t>(name.size(), 255));
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(name.data(), length);
    FGraphic->WriteData(stream);
}

void TPicture::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

void TPicture::Replace(std::unique_ptr<TGraphic> graphic)
{
    FGraphic = std::move(graphic);
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    if (!graphic) {
        Replace(nullptr);
        return;
    }
    if (graphic == FGraphic.get())
        return;
    std::unique_ptr<TGraphic> copy = graphic->NewGraphic();
    copy->Assign(graphic);
    Replace(std::move(copy));
}

TBitmap& TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(FGraphic.get()))
        Replace(std::make_unique<TBitmap>());
    return static_cast<TBitmap&>(*FGraphic);
}

TIcon& TPicture::Icon()
{
    if (!dynamic_cast<TIcon*>(FGraphic.get()))
        Replace(std::make_unique<TIcon>());
    return static_cast<TIcon&>(*FGraphic);
}

int TPicture::Width() const noexcept
{
    return FGraphic ? FGraphic->Width() : 0;
}

int TPicture::Height() const noexcept
{
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::LoadFromFile(const std::wstring& fileName)
{
    const size_t dot = fileName.find_last_of(L".\\/:");
    const std::wstring ext = dot != std::wstring::npos && fileName[dot] == L'.' ? fileName.substr(dot + 1) : L"";
    TGraphicFactory factory = FileFormat(ext);
    if (!factory)
        throw EInvalidGraphic(Format(UnknownExtension, {Narrow(ext)}));
    std::unique_ptr<TGraphic> graphic = factory();
    graphic->LoadFromFile(fileName);
    Replace(std::move(graphic));
}

void TPicture::Assign(const TPersistent* source)
{
    if (!source) {
        Replace(nullptr);
    } else if (auto* p = dynamic_cast<const TPicture*>(source)) {
        SetGraphic(p->Graphic());
    } else if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(g);
    } else {
        TPersistent::Assign(source);
    }
}
