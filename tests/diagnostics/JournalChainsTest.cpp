// Chain ids: failing like the HRESULT they stand for, leading back to the
// root, bounded in memory; and the journal scope. (Ids made from many threads
// at once are checked through the file journal.)
#include <gtest/gtest.h>

#include "diagnostics/JournalChains.h"
#include "diagnostics/MemoryJournal.h"

namespace {

TEST(JournalChains, IdsFailLikeTheirHResultAndLeadBackToTheRoot)
{
    CJournalChains chains;
    const long failure = chains.NewChain(E_FAIL);
    const long success = chains.NewChain(S_FALSE);
    EXPECT_LT(failure, 0);
    EXPECT_GT(success, 0);
    EXPECT_NE(static_cast<long>(E_FAIL), failure);
    EXPECT_EQ(E_FAIL, chains.ChainError(failure));
    EXPECT_EQ(S_FALSE, chains.ChainError(success));
    const long again = chains.NewChain(failure); // a chain of a chain keeps the root
    EXPECT_NE(failure, again);
    EXPECT_EQ(E_FAIL, chains.ChainError(again));

    // No chain of this journal, or one forgotten: the value itself, still failing.
    CJournalChains other;
    for (long value : {static_cast<long>(S_OK), static_cast<long>(E_OUTOFMEMORY), 5L, other.NewChain(E_POINTER)})
        EXPECT_EQ(value, chains.ChainError(value));
    for (size_t i = 0; i < CJournalChains::kRemembered; ++i)
        (void)chains.NewChain(E_HANDLE);
    EXPECT_EQ(again, chains.ChainError(again));
}

TEST(JournalScope, RestoresThePreviousJournal)
{
    IJournal* before = &CurrentJournal();
    CMemoryJournal outer;
    CMemoryJournal inner;
    {
        CJournalScope outerScope(outer);
        {
            CJournalScope innerScope(inner);
            EXPECT_EQ(&inner, &CurrentJournal());
        }
        EXPECT_EQ(&outer, &CurrentJournal());
    }
    EXPECT_EQ(before, &CurrentJournal());
}

} // namespace
