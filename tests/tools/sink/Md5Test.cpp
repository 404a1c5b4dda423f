#include <gtest/gtest.h>

#include <string>

#include "tools/sink/Md5.h"

// RFC 1321's test suite, each string fed whole and fed in uneven pieces that
// cross block boundaries; Final leaves the state to go on with.
TEST(Md5, DigestsOfTheReferenceStrings)
{
    const std::pair<std::string, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : cases)
    {
        EXPECT_EQ(CMd5::HexOf(text.data(), text.size()), digest) << text;
        CMd5 pieces;
        for (size_t at = 0, step = 1; at < text.size(); at += step, step = step * 2 + 1)
            pieces.Update(text.data() + at, std::min(step, text.size() - at));
        EXPECT_EQ(CMd5::Hex(pieces.Final()), digest) << text;
    }
    CMd5 ongoing;
    ongoing.Update("ab", 2);
    (void)ongoing.Final();
    ongoing.Update("c", 1);
    EXPECT_EQ(CMd5::Hex(ongoing.Final()), "900150983cd24fb0d6963f7d28e17f72");
}
