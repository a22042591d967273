#include "view/iepg_file.h"

#include <gtest/gtest.h>

#include <string>

namespace kanro::view {
namespace {

TEST(IepgFileTest, AcceptsIepgTextAndRefusesEverythingElse) {
  const std::string body = "version: 1\r\nstation: NHK\r\nyear: 2011\r\nmonth: 03\r\ndate: 09\r\nstart: 19:00\r\n";
  EXPECT_EQ(CheckIepgFile("Content-type: application/x-tv-program-info; charset=shift_jis\r\n" + body), IepgCheck::Ok);
  EXPECT_EQ(CheckIepgFile("content-type:application/X-TV-Program-Info\n" + body), IepgCheck::Ok);
  EXPECT_EQ(CheckIepgFile("Content-type: application/x-tv-program-digital-info\r\n" + body), IepgCheck::Ok);

  EXPECT_EQ(CheckIepgFile(""), IepgCheck::Empty);
  EXPECT_EQ(CheckIepgFile("<!DOCTYPE html>\n<html><body>Content-type: application/x-tv-program-info</body></html>"),
            IepgCheck::NotIepg);
  EXPECT_EQ(CheckIepgFile("Content-type: text/html\r\n<html></html>"), IepgCheck::NotIepg);
  EXPECT_EQ(CheckIepgFile("Content-type: application/x-tv-program-infox\r\n"), IepgCheck::NotIepg);
  // The type must be the first line, not somewhere further down.
  EXPECT_EQ(CheckIepgFile("version: 1\r\nContent-type: application/x-tv-program-info\r\n"), IepgCheck::NotIepg);
  EXPECT_EQ(CheckIepgFile(std::string("Content-type: application/x-tv-program-info\r\n") + std::string("\0\x01", 2)),
            IepgCheck::NotIepg);

  std::string large = "Content-type: application/x-tv-program-info\r\n";
  large.resize(kMaxIepgFileBytes, 'x');
  EXPECT_EQ(CheckIepgFile(large), IepgCheck::Ok);
  large += 'x';
  EXPECT_EQ(CheckIepgFile(large), IepgCheck::TooLarge);
}

}  // namespace
}  // namespace kanro::view
