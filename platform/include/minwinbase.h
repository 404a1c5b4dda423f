// Native stand-in for <minwinbase.h>: the security attributes some creation
// functions take. The stand-in accepts them and ignores their contents.
#pragma once

typedef struct _SECURITY_ATTRIBUTES
{
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
