// Chain ids: unique, failing like the HRESULT they stand for, leading back to
// the root, bounded in memory, and safe to make from many threads.
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "diagnostics/JournalChains.h"
#include "diagnostics/MemoryJournal.h"

namespace {

TEST(JournalChains, IdsFailLikeTheirHResultAndLeadBackToIt)
{
    CJournalChains chains;
    const long failure = chains.NewChain(E_FAIL);
    const long success = chains.NewChain(S_FALSE);
    EXPECT_LT(failure, 0);
    EXPECT_TRUE(FAILED(static_cast<HRESULT>(failure)));
    EXPECT_GT(success, 0);
    EXPECT_NE(static_cast<long>(E_FAIL), failure);
    EXPECT_EQ(E_FAIL, chains.ChainError(failure));
    EXPECT_EQ(S_FALSE, chains.ChainError(success));
    // A chain started from a chain id keeps the root.
    const long again = chains.NewChain(failure);
    EXPECT_NE(failure, again);
    EXPECT_EQ(E_FAIL, chains.ChainError(again));
}

TEST(JournalChains, ValuesThatAreNoChainComeBackUnchanged)
{
    CJournalChains chains;
    for (long hr : {static_cast<long>(S_OK), static_cast<long>(E_OUTOFMEMORY), static_cast<long>(E_FAIL), 5L})
        EXPECT_EQ(hr, chains.ChainError(hr));
    // An id made by another journal is not known here.
    CJournalChains other;
    const long foreign = other.NewChain(E_POINTER);
    EXPECT_EQ(foreign, chains.ChainError(foreign));
}

TEST(JournalChains, OnlyTheLatestChainsAreRemembered)
{
    CJournalChains chains;
    const long oldest = chains.NewChain(E_ABORT);
    long newest = 0;
    for (size_t i = 0; i < CJournalChains::kRemembered; ++i)
        newest = chains.NewChain(E_HANDLE);
    EXPECT_EQ(oldest, chains.ChainError(oldest)); // forgotten: resolves to itself, still a failure
    EXPECT_EQ(E_HANDLE, chains.ChainError(newest));
}

TEST(JournalChains, ConcurrentChainsAreUnique)
{
    CJournalChains chains;
    const int threads = 4;
    const int perThread = 1000;
    std::vector<std::vector<long>> made(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i)
            {
                made[t].push_back(chains.NewChain(E_FAIL));
                (void)chains.ChainError(made[t].back());
            }
        });
    for (std::thread& w : workers)
        w.join();
    std::set<long> all;
    for (const auto& ids : made)
        all.insert(ids.begin(), ids.end());
    EXPECT_EQ(static_cast<size_t>(threads * perThread), all.size());
}

TEST(JournalScope, RestoresThePreviousJournal)
{
    IJournal* before = &CurrentJournal();
    CMemoryJournal outer;
    {
        CJournalScope outerScope(outer);
        CMemoryJournal inner;
        {
            CJournalScope innerScope(inner);
            EXPECT_EQ(&inner, &CurrentJournal());
        }
        EXPECT_EQ(&outer, &CurrentJournal());
    }
    EXPECT_EQ(before, &CurrentJournal());
}

} // namespace
