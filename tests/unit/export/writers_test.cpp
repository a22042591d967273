// The XML and iCalendar writers: escaping, valid UTF-8 whatever comes in,
// and iCalendar's folding at 75 octets.
#include <gtest/gtest.h>

#include <sstream>

#include "export/icalendar_writer.h"
#include "export/utf8_clean.h"
#include "export/xml_writer.h"

namespace kanro::exports {
namespace {

TEST(XmlWriterTest, EscapesMarkupAndQuotesWhereTheyMatter) {
  EXPECT_EQ(EscapeXml("a&b<c>\"d'", false), "a&amp;b&lt;c&gt;\"d'");
  EXPECT_EQ(EscapeXml("a&b<c>\"d'", true), "a&amp;b&lt;c&gt;&quot;d'");
  EXPECT_EQ(EscapeXml("tab\there\nline", true), "tab&#9;here&#10;line");
  EXPECT_EQ(EscapeXml("&amp;", false), "&amp;amp;") << "text is never taken for markup";
}

TEST(XmlWriterTest, BrokenUtf8AndForbiddenCharactersBecomeTheReplacementCharacter) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(EscapeXml("a\xC3(b", false), "a" + replacement + "(b");
  EXPECT_EQ(EscapeXml("\x01\x1F", false), replacement + replacement);
  EXPECT_EQ(EscapeXml("\xED\xA0\x80", false), replacement + replacement + replacement) << "a surrogate";
  EXPECT_EQ(EscapeXml("\xE3\x81", false), replacement + replacement) << "cut off";
  EXPECT_EQ(EscapeXml("日本\xF0\x9F\x93\xBA", false), "日本\xF0\x9F\x93\xBA");
}

TEST(XmlWriterTest, WritesNestedElementsWithEscapedAttributes) {
  std::ostringstream out;
  XmlWriter xml(out);
  xml.Prologue("tv", "xmltv.dtd");
  xml.Open("tv", {{"a", "x\"y"}});
  xml.Element("title", "A & B", {{"lang", "ja"}});
  xml.Empty("new");
  xml.Close();
  EXPECT_EQ(out.str(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
            "<tv a=\"x&quot;y\">\n  <title lang=\"ja\">A &amp; B</title>\n  <new/>\n</tv>\n");
}

TEST(ICalendarWriterTest, EscapesTextValues) {
  EXPECT_EQ(EscapeICalendarText("a\\b;c,d\ne\r\nf"), "a\\\\b\\;c\\,d\\ne\\nf");
  EXPECT_EQ(EscapeICalendarText("bell\x07"), "bell\xEF\xBF\xBD") << "controls cannot stand in a content line";
}

// Physical lines of a folded content line, without their CR LF.
std::vector<std::string> PhysicalLines(const std::string& folded) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = folded.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(folded.substr(start, end - start));
  EXPECT_EQ(start, folded.size()) << "every line ends with CR LF";
  return lines;
}

TEST(ICalendarWriterTest, FoldsAt75OctetsWithoutSplittingACharacter) {
  for (const std::string& line : {"SUMMARY:" + std::string(200, 'x'), "SUMMARY:" + std::string(20, 'y'),
                                  std::string("DESCRIPTION:") + [] {
                                    std::string text;
                                    for (int i = 0; i < 60; ++i) text += i % 7 ? "番組" : "a";
                                    return text;
                                  }()}) {
    const std::string folded = FoldContentLine(line);
    std::string unfolded;
    bool first = true;
    for (const std::string& physical : PhysicalLines(folded)) {
      EXPECT_LE(physical.size(), 75u);
      std::string replaced;
      ForEachUtf8Char(physical, [&](char32_t c, std::string_view) { replaced += c == U'\uFFFD' ? "!" : ""; });
      EXPECT_EQ(replaced, "") << "a character was split: " << physical;
      if (!first) {
        ASSERT_EQ(physical[0], ' ');
        unfolded += physical.substr(1);
      } else {
        unfolded += physical;
      }
      first = false;
    }
    EXPECT_EQ(unfolded, line);
  }
  EXPECT_EQ(FoldContentLine("A:" + std::string(73, 'b')), "A:" + std::string(73, 'b') + "\r\n");
  EXPECT_EQ(FoldContentLine("A:" + std::string(74, 'b')), "A:" + std::string(73, 'b') + "\r\n b\r\n");
}

}  // namespace
}  // namespace kanro::exports
