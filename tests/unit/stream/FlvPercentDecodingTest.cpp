#include "stream/PercentDecoding.h"

#include <gtest/gtest.h>

namespace zepo::stream {
namespace {

TEST(FlvPercentDecoding, DecodesEscapesAndKeepsTheRest)
{
    EXPECT_EQ(percentDecode("/v/100%25.flv"), "/v/100%.flv");
    EXPECT_EQ(percentDecode("/v/a%20b%2Fc"), "/v/a b/c");
    EXPECT_EQ(percentDecode("%E3%81%82.flv"), "\xE3\x81\x82.flv");
    EXPECT_EQ(percentDecode("%e3%81%82"), "\xE3\x81\x82");
    // Not an escape: left as written.
    EXPECT_EQ(percentDecode("50%.flv"), "50%.flv");
    EXPECT_EQ(percentDecode("%zz%4"), "%zz%4");
    EXPECT_EQ(percentDecode("%"), "%");
    EXPECT_EQ(percentDecode("%2525"), "%25");  // decoded once only
}

} // namespace
} // namespace zepo::stream
