// COM initialised on this thread for the scope of the object.
#pragma once

#include <gtest/gtest.h>
#include <objbase.h>

class CComScope
{
public:
    CComScope() { EXPECT_EQ(S_OK, CoInitialize(nullptr)); }
    ~CComScope() { CoUninitialize(); }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
};
