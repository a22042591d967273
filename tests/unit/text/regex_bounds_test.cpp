// The bounds callers put on regex work: an output cap on a replace-all and a
// deadline for the searches of this thread.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "text/regex.h"

namespace kanro::text {
namespace {

TEST(RegexBoundsTest, ABoundedReplaceStopsPastItsOutputCap) {
  const Regex every(".");
  std::string out;
  size_t count = 0;
  EXPECT_TRUE(every.ReplaceAllBounded("abc", "$&$&", out, 6, &count));
  EXPECT_EQ(out, "aabbcc");
  EXPECT_EQ(count, 3u);
  out.clear();
  EXPECT_FALSE(every.ReplaceAllBounded("abcdef", "$&$'", out, 10, &count));
  EXPECT_LT(count, 6u);
  // Unbounded it is the ordinary replace-all.
  EXPECT_EQ(every.ReplaceAll("abc", "$&$&"), "aabbcc");
}

TEST(RegexBoundsTest, APassedDeadlineStopsSearchesAndReplaces) {
  const std::string subject(200000, 'a');
  const Regex slow("(?:a|a)*b");
  const uint64_t hits = RegexLimitHits();
  {
    const ScopedRegexDeadline deadline(std::chrono::milliseconds(0));
    EXPECT_TRUE(ScopedRegexDeadline::Passed());
    EXPECT_FALSE(slow.Search(subject));
    std::string out;
    size_t count = 0;
    EXPECT_FALSE(Regex("a").ReplaceAllBounded(subject, "b", out, static_cast<size_t>(-1), &count));
    EXPECT_LT(count, subject.size());
  }
  EXPECT_GT(RegexLimitHits(), hits) << "a search given up is counted as at the match limit";
  EXPECT_FALSE(ScopedRegexDeadline::Passed()) << "the deadline ends with its scope";
  EXPECT_TRUE(Regex("a+").Search(subject));
}

}  // namespace
}  // namespace kanro::text
