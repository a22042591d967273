#include <gtest/gtest.h>

#include "text/codepage.h"
#include "text/tokenizer.h"

namespace kanro::text {
namespace {

using Items = std::vector<std::string>;

TEST(Tokenizer, SplitsProgrammeLists) {
  EXPECT_EQ(TokenizeList("08GooTv,13YahooFm,"), (Items{"08GooTv", "13YahooFm"}));
  EXPECT_EQ(TokenizeList("08GooTv"), (Items{"08GooTv"}));
  EXPECT_EQ(TokenizeList(""), Items{});
  EXPECT_EQ(TokenizeList("a,,b"), (Items{"a", "", "b"}));
  EXPECT_EQ(TokenizeList(","), (Items{""}));
}

TEST(Tokenizer, QuotesGroupAndBackslashEscapes) {
  EXPECT_EQ(TokenizeList("\"a,b\",c"), (Items{"a,b", "c"}));
  EXPECT_EQ(TokenizeList("a\\,b,c"), (Items{"a,b", "c"}));
  EXPECT_EQ(TokenizeList("a\\\"b"), (Items{"a\"b"}));
  EXPECT_EQ(TokenizeList("\"\""), (Items{""}));
  EXPECT_EQ(TokenizeList("\"unclosed,x"), (Items{"unclosed,x"}));
  EXPECT_EQ(TokenizeList("trailing\\"), (Items{"trailing"}));
}

TEST(Tokenizer, TrailBytesThatLookLikeBackslashAreText) {
  const std::string hyou = Utf8ToCp932("表");  // 95 5C
  EXPECT_EQ(TokenizeList(hyou + "," + hyou + "x"), (Items{hyou, hyou + "x"}));
}

TEST(Tokenizer, SplitFieldsKeepsEveryField) {
  EXPECT_EQ(SplitFields("a\tb\tc", '\t'), (Items{"a", "b", "c"}));
  EXPECT_EQ(SplitFields("a\t\t1", '\t'), (Items{"a", "", "1"}));
  EXPECT_EQ(SplitFields("", '\t'), (Items{""}));
  EXPECT_EQ(SplitFields("a\t", '\t'), (Items{"a", ""}));
}

}  // namespace
}  // namespace kanro::text
