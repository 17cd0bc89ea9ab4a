#include "gif/GIFTypes.h"

QString gifVersionText(TGIFVersion version)
{
    if (version == gvUnknown || version > gv89a)
        return {};
    static const char table[] = "87a89a";
    return QString::fromLatin1(table + 3 * (int(version) - 1), 3);
}

TGIFSettings& gifSettings()
{
    static TGIFSettings settings;
    return settings;
}
