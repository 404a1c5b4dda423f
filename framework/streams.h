// Everything a filter written against the DirectShow base classes includes,
// as the SDK's streams.h gathers it.
#pragma once

#include <windows.h>

#include <dshow.h>

#include "framework/AMovieSetup.h"
#include "framework/CBaseFilter.h"
#include "framework/CBaseOutputPin.h"
#include "framework/CBasePin.h"
#include "framework/CCritSec.h"
#include "framework/CClassFactory.h"
#include "framework/CEnumMediaTypes.h"
#include "framework/CEnumPins.h"
#include "framework/CFactoryTemplate.h"
#include "framework/CMediaType.h"
#include "framework/CRefTime.h"
#include "framework/CUnknown.h"
