// The module side of the framework: what a filter module defines for it, and
// the entry its DllMain passes the loader's calls to.
//
// A module defines its creatable classes and passes its DllMain on:
//   const CFactoryTemplate g_Templates[] = {{L"Name", &CLSID_Thing, CThing::CreateInstance, nullptr, &sudThing}};
//   const int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);
//   extern "C" BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID reserved)
//   { return DllEntryPoint(h, reason, reserved); }
#pragma once

#include <windows.h>

#include "framework/CFactoryTemplate.h"

// Defined by the module: its creatable classes, g_cTemplates of them.
extern const CFactoryTemplate g_Templates[];
extern const int g_cTemplates;

// The module's instance handle, kept by DllEntryPoint at DLL_PROCESS_ATTACH;
// null before, and in a program that links the module's code in itself.
extern HINSTANCE g_hInst;

// DLL_PROCESS_ATTACH: keeps hInstance and runs each template's
// initialisation routine (if any) with TRUE; DLL_PROCESS_DETACH: runs them
// with FALSE. Other reasons do nothing. Always TRUE.
extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID pv);

// The module's own entry, called by the loader (on the native build by
// platform/module/ when the module is loaded and unloaded).
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);
