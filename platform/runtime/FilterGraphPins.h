// What the graph asks of the pins of its filters, through IPin alone.
// Internal to CFilterGraph's files.
#pragma once

#include <dshow.h>

#include <vector>

#include "framework/ComPtr.h"

// The filter's pins in its order; none when it will not list them.
inline std::vector<ComPtr<IPin>> GraphPinsOf(IBaseFilter* filter)
{
    std::vector<ComPtr<IPin>> pins;
    IEnumPins* rawEnum = nullptr;
    if (FAILED(filter->EnumPins(&rawEnum)) || !rawEnum)
        return pins;
    const ComPtr<IEnumPins> pinEnum = ComPtr<IEnumPins>::Attach(rawEnum);
    IPin* pin = nullptr;
    while (pinEnum->Next(1, &pin, nullptr) == S_OK)
        pins.push_back(ComPtr<IPin>::Attach(pin));
    return pins;
}

inline PIN_DIRECTION GraphPinDirection(IPin* pin)
{
    PIN_DIRECTION dir = PINDIR_INPUT;
    (void)pin->QueryDirection(&dir); // a pin answers this for any valid pointer
    return dir;
}

// The pin's peer, or null when it is not connected.
inline ComPtr<IPin> GraphPinPeer(IPin* pin)
{
    IPin* peer = nullptr;
    if (pin->ConnectedTo(&peer) != S_OK)
        return ComPtr<IPin>();
    return ComPtr<IPin>::Attach(peer);
}
