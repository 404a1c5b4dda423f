// Native stand-in for <dshow.h>: everything a DirectShow filter includes.
#pragma once

#include <windows.h>

#include "control.h"
#include "evcode.h"
#include "objbase.h"
#include "strmif.h"
#include "uuids.h"
#include "vfwmsgs.h"
