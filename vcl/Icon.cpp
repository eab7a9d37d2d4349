#include "vcl/Icon.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

namespace {

constexpr const char* NoIcon = "Cannot create an icon from the image";
constexpr const char* NoData = "An icon made from a handle cannot be saved";
constexpr DWORD IconFormatVersion = 0x00030000; // what CreateIconFromResourceEx expects of .ico images

} // namespace

const ks::ClassInfo TIcon::StaticClassInfo{"TIcon", &TGraphic::StaticClassInfo, {}, {}};
const ks::ClassInfo& TIcon::ClassInfo() const noexcept { return StaticClassInfo; }

void TIcon::Install(ks::UniqueIcon icon, std::vector<uint8_t> data)
{
    int width = 0;
    int height = 0;
    ICONINFO info{};
    if (icon && GetIconInfo(icon.get(), &info)) {
        // GetIconInfo makes copies of both bitmaps for the caller.
        ks::GdiBitmap color(info.hbmColor);
        ks::GdiBitmap mask(info.hbmMask);
        BITMAP bm{};
        if (GetObjectW(info.hbmMask, sizeof bm, &bm)) {
            width = bm.bmWidth;
            // A monochrome icon keeps its image and its mask in one bitmap of double height.
            height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
        }
    }
    FHandle = std::move(icon);
    FData = std::move(data);
    FWidth = width;
    FHeight = height;
    Changed();
}

void TIcon::SetHandle(HICON icon)
{
    Install(ks::UniqueIcon(icon), {});
}

HICON TIcon::ReleaseHandle()
{
    HICON h = FHandle.release();
    FData.clear();
    FWidth = FHeight = 0;
    Changed();
    return h;
}

void TIcon::Assign(const TPersistent* source)
{
    if (!source) {
        Install(ks::UniqueIcon(), {});
        return;
    }
    if (auto* icon = dynamic_cast<const TIcon*>(source)) {
        if (icon == this)
            return;
        ks::UniqueIcon copy(icon->FHandle ? CopyIcon(icon->FHandle.get()) : nullptr);
        if (icon->FHandle && !copy)
            throw EOutOfResources(NoIcon);
        Install(std::move(copy), icon->FData);
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas& canvas, const TRect& r) const
{
    if (FHandle)
        if (HDC dc = canvas.Handle())
            DrawIconEx(dc, r.Left, r.Top, FHandle.get(), r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> bytes = ReadRest(stream);
    LoadFromBytes(bytes);
}

void TIcon::LoadFromBytes(std::span<const uint8_t> bytes, const ks::IcoLimits& limits)
{
    const std::vector<ks::IcoEntry> entries = ks::ReadIcoDirectory(bytes, limits);
    const ks::IcoEntry& e = entries[ks::ChooseIconEntry(entries, GetSystemMetrics(SM_CXICON))];
    // The system reads exactly e.size bytes, which the directory check has shown to be present.
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    ks::UniqueIcon icon(CreateIconFromResourceEx(data.data() + e.offset, static_cast<DWORD>(e.size), TRUE,
                                                 IconFormatVersion, e.width, e.height, LR_DEFAULTCOLOR));
    if (!icon)
        throw EInvalidGraphic(NoIcon);
    Install(std::move(icon), std::move(data));
}

void TIcon::SaveToStream(TStream& stream) const
{
    if (FData.empty())
        throw EInvalidGraphicOperation(NoData);
    stream.WriteBuffer(FData.data(), FData.size());
}
