#pragma once
// The graphics classes over Win32 GDI: colour resolution, the font, brush and pen
// descriptions, the canvas that draws with them on a device context, the abstract picture
// (TGraphic) and the picture holder with its file-format registry (TPicture). Bitmaps, icons and
// JPEG pictures are in Bitmap.h, Icon.h and Jpeg.h.
//
// Every TColor reaches Win32 through ColorToRGB at the call: a system colour passed as a
// COLORREF paints purple under Wine.

#include "vcl/Classes.h"
#include "vcl/GdiHandles.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Win.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TStream;
class TBitmap;
class TIcon;

// System colours (top byte 0xFF) become GetSysColor of their index; every other value is
// returned as it is, clNone and clDefault included, so callers test those first.
TColor ColorToRGB(TColor color) noexcept;

// ---------------------------------------------------------------------------------------------
// Font, brush and pen: descriptions that realise a GDI object on demand and tell their owner
// (a canvas or a control) about every change through OnChange.

class TGraphicsObject : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }

protected:
    void Changed();

private:
    TNotifyEvent FOnChange;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = ks::Set<TFontStyle>;

class TFont : public TGraphicsObject {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TFont();

    const std::wstring& Name() const noexcept { return FName; }
    void SetName(const std::wstring& name);
    // Character height in pixels, negative as in LOGFONT (the platform's convention).
    int Height() const noexcept { return FHeight; }
    void SetHeight(int height);
    // Points at the screen's resolution.
    int Size() const noexcept;
    void SetSize(int size);
    TFontStyles Style() const noexcept { return FStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor color);
    uint8_t Charset() const noexcept { return FCharset; }
    void SetCharset(uint8_t charset);

    LOGFONTW LogFont() const noexcept;
    // Takes name, height, style and charset from a LOGFONT; the colour stays.
    void SetLogFont(const LOGFONTW& lf);
    // The font realised from this description, kept until the description changes (then
    // deleted: a caller that selected it must have put it back by then). Raises
    // EOutOfResources when GDI refuses.
    HFONT Handle();

    void Assign(const TPersistent* source) override;

    // Tests ask for NONANTIALIASED_QUALITY to make text pixels deterministic; programs keep
    // DEFAULT_QUALITY.
    static void SetRenderQuality(uint8_t quality) noexcept;

private:
    void DescriptionChanged();

    std::wstring FName;
    int FHeight;
    TFontStyles FStyle;
    TColor FColor;
    uint8_t FCharset;
    ks::GdiFont FHandle;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor color);
    TBrushStyle Style() const noexcept { return FStyle; }
    void SetStyle(TBrushStyle style);

    LOGBRUSH LogBrush() const noexcept;
    // As TFont::Handle; bsClear gives the stock NULL_BRUSH, which nobody deletes.
    HBRUSH Handle();

    void Assign(const TPersistent* source) override;

private:
    void DescriptionChanged();

    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    ks::GdiBrush FHandle;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TGraphicsObject {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor color);
    TPenStyle Style() const noexcept { return FStyle; }
    void SetStyle(TPenStyle style);
    int Width() const noexcept { return FWidth; }
    void SetWidth(int width);

    LOGPEN LogPen() const noexcept;
    // As TFont::Handle.
    HPEN Handle();

    void Assign(const TPersistent* source) override;

private:
    void DescriptionChanged();

    TColor FColor = clBlack;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
    ks::GdiPen FHandle;
};

// ---------------------------------------------------------------------------------------------
class TGraphic;

// Draws on a device context with its own font, brush and pen.
//
// The canvas realises its GDI objects itself and keeps every object it has selected alive until
// it lets go of the DC (SetHandle to another DC or nullptr, or destruction), because callers run
// raw SaveDC/RestoreDC/SelectObject on Handle() between property changes and RestoreDC may put
// back an object selected long before. It re-selects its font, brush and pen when one of them
// changes, when Handle() is read, and before each of its own drawing calls.
class TCanvas : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TCanvas();
    ~TCanvas() override;

    // The DC with the canvas's objects selected; a derived canvas creates its DC here on first
    // use (CreateHandle). Null when there is none.
    HDC Handle();
    // Binds a DC the canvas does not own (nullptr unbinds). The previous DC gets its original
    // font, brush and pen back first. Unbind before the DC itself ends.
    void SetHandle(HDC dc);
    bool HandleAllocated() const noexcept { return FDC != nullptr; }

    // While locked, the canvas's owner keeps its DC (and Handle()) unchanged.
    void Lock() noexcept { ++FLockCount; }
    void Unlock() noexcept { --FLockCount; }
    int LockCount() const noexcept { return FLockCount; }

    TFont& Font() noexcept { return FFont; }
    TBrush& Brush() noexcept { return FBrush; }
    TPen& Pen() noexcept { return FPen; }
    // The raster operation of Draw, StretchDraw and CopyRect.
    DWORD CopyMode() const noexcept { return FCopyMode; }
    void SetCopyMode(DWORD rop) noexcept { FCopyMode = rop; }

    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    void FillRect(const TRect& r);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Polygon(std::span<const TPoint> points);
    void DrawFocusRect(const TRect& r);

    void TextOut(int x, int y, std::wstring_view text);
    // Text at (x, y) clipped to r; r is filled with the brush unless its style is bsClear.
    void TextRect(const TRect& r, int x, int y, std::wstring_view text);
    TSize TextExtent(std::wstring_view text);
    int TextWidth(std::wstring_view text) { return TextExtent(text).cx; }
    int TextHeight(std::wstring_view text) { return TextExtent(text).cy; }
    // DrawTextW with the canvas's font; r is updated as DT_CALCRECT asks. Returns the height.
    int DrawText(std::wstring_view text, TRect& r, UINT flags);

    // The picture at (x, y) in its own size; a picture that is Transparent() keeps its
    // transparent colour out.
    void Draw(int x, int y, const TGraphic& graphic);
    void StretchDraw(const TRect& r, const TGraphic& graphic);
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

    // Fired after each of the drawing calls above has drawn (not by calls that only read or
    // measure, nor by raw GDI calls on Handle()): a bitmap learns this way that its canvas
    // changed its picture.
    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }

protected:
    // Derived canvases that own a DC create it here and bind it with SetHandle.
    virtual void CreateHandle() {}
    void Changed();

private:
    template <class Owner, class Key>
    struct Cached {
        Key key;
        Owner object;
    };

    // Makes sure a DC exists and the canvas's objects are selected into it; nullptr without DC.
    HDC Prepare();
    void SelectFont();
    void SelectBrush();
    void SelectPen();
    void ObjectChanged(TObject* sender);
    void ReleaseObjects() noexcept;

    HDC FDC = nullptr;
    int FLockCount = 0;
    DWORD FCopyMode = SRCCOPY;
    TFont FFont;
    TBrush FBrush;
    TPen FPen;
    // What the bound DC held before the canvas first selected its own.
    HGDIOBJ FOriginalFont = nullptr;
    HGDIOBJ FOriginalBrush = nullptr;
    HGDIOBJ FOriginalPen = nullptr;
    std::vector<Cached<ks::GdiFont, LOGFONTW>> FFonts;
    std::vector<Cached<ks::GdiBrush, LOGBRUSH>> FBrushes;
    std::vector<Cached<ks::GdiPen, LOGPEN>> FPens;
    TNotifyEvent FOnChange;
};

// ---------------------------------------------------------------------------------------------
using TProgressEvent = TDelegate<void(TObject* sender, TProgressStage stage, uint8_t percentDone,
                                      bool redrawNow, const TRect& r, const std::wstring& msg)>;

// An abstract picture: something of a size that loads from bytes and draws on a canvas.
class TGraphic : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    bool Transparent() const noexcept { return FTransparent; }
    virtual void SetTransparent(bool transparent);

    // Draws the picture into r of the canvas, stretched to r's size.
    virtual void Draw(TCanvas& canvas, const TRect& r) const = 0;
    // A new, empty picture of the same class (the platform's virtual constructor).
    virtual std::unique_ptr<TGraphic> NewGraphic() const = 0;
    // Reads the rest of the stream. A failed load raises and leaves the picture as it was.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    void LoadFromFile(const std::wstring& fileName);

    // The picture as form resources store it (the "Data" binary property): the file bytes,
    // except where a class adds a frame of its own. ReadData takes the whole stream.
    virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
    virtual void WriteData(TStream& stream) const { SaveToStream(stream); }
    // "Data", written for a picture that is not empty.
    void DefineProperties(TFiler& filer) override;

    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }
    TProgressEvent OnProgress() const noexcept { return FOnProgress; }
    void SetOnProgress(TProgressEvent handler) noexcept { FOnProgress = handler; }

protected:
    virtual void Changed();
    // The frame bitmaps and JPEG pictures put around their file bytes in form resources: a
    // 32-bit little-endian byte count, then exactly that many bytes. A count that disagrees
    // with the bytes present raises EReadError.
    void ReadSizedData(TStream& stream);
    void WriteSizedData(TStream& stream) const;
    void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                  const TRect& r, const std::wstring& msg);
    // The rest of the stream, refused with EInvalidGraphic beyond MaxGraphicBytes.
    static std::vector<uint8_t> ReadRest(TStream& stream);

private:
    bool FTransparent = false;
    TNotifyEvent FOnChange;
    TProgressEvent FOnProgress;
};

// No picture file the program reads comes near this; a larger one is refused before it is read.
inline constexpr uint64_t MaxGraphicBytes = uint64_t{256} << 20;

using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

// Holds one picture of any registered class.
class TPicture : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const noexcept { return FGraphic.get(); }
    // Keeps a copy of graphic (a new picture of its class, assigned from it); nullptr empties.
    void SetGraphic(const TGraphic* graphic);
    // The picture as a bitmap or an icon; another kind of picture is replaced by an empty one.
    TBitmap& Bitmap();
    TIcon& Icon();
    int Width() const noexcept;
    int Height() const noexcept;

    // Chooses the picture class by the file's extension. Raises EInvalidGraphic for an
    // extension nobody registered; a failed load leaves the picture as it was.
    void LoadFromFile(const std::wstring& fileName);
    void Assign(const TPersistent* source) override;

    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }

    // The registry of file formats: extension without the dot, compared ignoring ASCII case;
    // registering an extension again replaces it. bmp, ico, jpg and jpeg are registered from
    // the start.
    static void RegisterFileFormat(std::wstring_view extension, std::wstring_view description,
                                   TGraphicFactory factory);
    // Removes every extension registered with factory.
    static void UnregisterGraphicClass(TGraphicFactory factory);
    // The factory for an extension, or nullptr.
    static TGraphicFactory FileFormat(std::wstring_view extension);

    // "Data": the picture's class name as a length byte and ASCII, then the picture's own
    // data; written while the picture is not empty. A name of no registered format raises
    // EReadError; a length of 0 empties the picture.
    void DefineProperties(TFiler& filer) override;

private:
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;
    void Replace(std::unique_ptr<TGraphic> graphic);
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
    TNotifyEvent FOnChange;
};
