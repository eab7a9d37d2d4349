#pragma once
// TIcon: an icon picture loaded from an .ico file (the image nearest the system's icon size)
// or adopted from an HICON.

#include "vcl/Graphics.h"
#include "vcl/IcoReader.h"

#include <memory>
#include <span>
#include <vector>

class TIcon : public TGraphic {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    bool Empty() const override { return !FHandle; }

    HICON Handle() const noexcept { return FHandle.get(); }
    // Takes ownership of icon (nullptr empties); the file image is forgotten.
    void SetHandle(HICON icon);
    // Hands the icon to the caller, who destroys it; the picture becomes empty.
    [[nodiscard]] HICON ReleaseHandle();

    // From a TIcon: a copy of its icon and file image. nullptr empties.
    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& r) const override;
    std::unique_ptr<TGraphic> NewGraphic() const override { return std::make_unique<TIcon>(); }

    // Every directory entry is checked (IcoReader.h) before the system sees any image bytes; a
    // failed load leaves the icon as it was.
    void LoadFromStream(TStream& stream) override;
    void LoadFromBytes(std::span<const uint8_t> bytes, const ks::IcoLimits& limits = {});
    // Writes the file image the icon was loaded from. Raises EInvalidGraphicOperation for an
    // icon that came from a handle, which has none.
    void SaveToStream(TStream& stream) const override;

private:
    void Install(ks::UniqueIcon icon, std::vector<uint8_t> data);

    ks::UniqueIcon FHandle;
    std::vector<uint8_t> FData;
    int FWidth = 0;
    int FHeight = 0;
};
