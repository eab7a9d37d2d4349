#include "vcl/GraphicsTypes.h"

#include "vcl/TypInfo.h"

namespace ks {

namespace {

bool ColorFromIdent(std::string_view ident, int32_t& value)
{
    if (std::optional<TColor> c = IdentToColor(ident)) {
        value = *c;
        return true;
    }
    return false;
}

bool ColorToIdentString(int32_t value, std::string& ident)
{
    std::string_view name = ColorToIdent(value);
    if (name.empty())
        return false;
    ident = name;
    return true;
}

} // namespace

void RegisterColorIdents()
{
    RegisterIntegerConsts("TColor", ColorFromIdent, ColorToIdentString);
}

} // namespace ks
