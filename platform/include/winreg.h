// Native stand-in for <winreg.h>: the registry calls a COM server makes to
// register itself, over the registry file of platform/RegistryFile.h
// (one text file of the user's, the platform's .reg export format).
//
// Every call reads the file afresh, and every change is one locked
// read-modify-write that replaces the file whole, so several processes can
// use it at once. A handle names a key by its path: a key deleted by another
// process makes later calls on it fail with ERROR_KEY_DELETED. A file that
// cannot be read as a registry makes every call fail with ERROR_BADDB and is
// never written over. Key and value names compare without regard to case.
#pragma once

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef LONG LSTATUS;
typedef DWORD REGSAM;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))

// Value types kept: strings (data up to the first zero character), 32-bit
// numbers and bytes.
#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

// Access rights are accepted and not checked.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

// subKey: '\'-separated names below key, each 1 to 255 characters; NULL or
// empty for key itself. Creates what is missing.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                        const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
// ERROR_FILE_NOT_FOUND for a missing key.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegCloseKey(HKEY key);
// name NULL or empty: the key's default value. REG_SZ data is WCHARs, size
// in bytes; REG_DWORD data is 4 bytes.
LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// data NULL: only the type and the size needed. ERROR_MORE_DATA, with the
// size needed, when *size is too small; ERROR_FILE_NOT_FOUND for no value.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name);
// Deletes subKey with everything below it; with subKey NULL, the values and
// keys below key but not key itself. ERROR_FILE_NOT_FOUND for a missing key.
LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey);
