#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace zepo {

// Owners of the records XRandR hands out, freed when a scope ends.
struct XRandrResources {
    XRRScreenResources* r;
    ~XRandrResources()
    {
        if (r)
            XRRFreeScreenResources(r);
    }
};
struct XRandrOutputInfo {
    XRROutputInfo* o;
    ~XRandrOutputInfo()
    {
        if (o)
            XRRFreeOutputInfo(o);
    }
};
struct XRandrCrtcInfo {
    XRRCrtcInfo* c;
    ~XRandrCrtcInfo()
    {
        if (c)
            XRRFreeCrtcInfo(c);
    }
};

// The description of a mode among the screen's, or null.
inline const XRRModeInfo* findMode(const XRRScreenResources* resources, RRMode id)
{
    for (int i = 0; i < resources->nmode; ++i)
        if (resources->modes[i].id == id)
            return &resources->modes[i];
    return nullptr;
}

// Whether a rotation swaps width and height.
inline bool sideways(Rotation rotation)
{
    return rotation & (RR_Rotate_90 | RR_Rotate_270);
}

} // namespace zepo
