// Three traced methods written as the filter writes them: Outer calls Middle
// calls Inner, and Inner fails in the way the mode asks.
#pragma once

#include <new>

#include "diagnostics/TraceConvention.h"

enum class ChainFailure
{
    None,
    Raise,    // QTP_RAISE(E_INVALIDARG, message)
    Assign,   // tracer = E_OUTOFMEMORY
    Foreign,  // a std::bad_alloc
    ComError, // _com_error(E_NOTIMPL)
};

struct CTracedChain
{
    int raiseLine = 0; // the line of the QTP_RAISE in Inner; its handler comes after

    HRESULT Inner(ChainFailure failure)
    {
        CTraceEntry tracer(L"CTracedChain::Inner");
        try
        {
            raiseLine = __LINE__ + 2;
            if (failure == ChainFailure::Raise)
                QTP_RAISE(tracer, E_INVALIDARG, L"Sample %d of track %u is out of range", 7, 2u);
            if (failure == ChainFailure::Assign)
                tracer = E_OUTOFMEMORY;
            if (failure == ChainFailure::Foreign)
                throw std::bad_alloc();
            if (failure == ChainFailure::ComError)
                _com_issue_error(E_NOTIMPL);
        }
        QTP_CATCH_ALL(tracer)
        return tracer.Result();
    }

    // Middle (depth 1) and Outer (depth 2): each assigns its callee's result.
    HRESULT Caller(int depth, ChainFailure failure)
    {
        CTraceEntry tracer(L"CTracedChain::%s", depth == 1 ? L"Middle" : L"Outer");
        try
        {
            tracer = depth == 1 ? Inner(failure) : Caller(depth - 1, failure);
            tracer = S_FALSE;
        }
        QTP_CATCH_ALL(tracer)
        return tracer.Result();
    }

    HRESULT Outer(ChainFailure failure) { return Caller(2, failure); }
};
