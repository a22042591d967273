#include "view/page_cells.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QVariantList>
#include <QVariantMap>

#include "text/codepage.h"

namespace kanro::view {
namespace {

std::string Normalized(const std::string& utf8) {
  return text::WideToUtf8(NormalizeTagNames(text::Utf8ToWide(utf8)));
}

TEST(PageCellsTest, TagNamesBecomeCapitalsAndNothingElseChanges) {
  EXPECT_EQ(Normalized("<strong>5:00</strong> <a href=\"prp://watch?ID=0012&amp;TIME=5%3A00\"><img src=\"w.gif\"></a>"),
            "<STRONG>5:00</STRONG> <A href=\"prp://watch?ID=0012&amp;TIME=5%3A00\"><IMG src=\"w.gif\"></A>");
  // Attribute values may hold ">" and "<": they end nothing and are kept.
  EXPECT_EQ(Normalized("<span title=\"a>b<strong>\" class='x>y'>t</span><br/>"),
            "<SPAN title=\"a>b<strong>\" class='x>y'>t</SPAN><BR/>");
  // Comments, escaped text and stray brackets are not tags.
  EXPECT_EQ(Normalized("<!-- <b> -->x &lt;b&gt; 1 < 2 <"), "<!-- <B> -->x &lt;b&gt; 1 < 2 <");
  EXPECT_EQ(Normalized("ニュース<b>ＮＨＫ</b>"), "ニュース<B>ＮＨＫ</B>");
  // An unterminated tag at the end does not read past it.
  EXPECT_EQ(Normalized("a<td class=\"x"), "a<TD class=\"x");
}

QVariant Collected(const QString& generation, const QVariantList& cells) {
  QVariantMap object;
  object.insert(QStringLiteral("generation"), generation);
  object.insert(QStringLiteral("cells"), cells);
  return object;
}

TEST(PageCellsTest, ParsesTheCollectedCellsAndRefusesAnythingMalformed) {
  const QVariantList cells{
      QVariantList{QStringLiteral("<strong>5:00</strong>"), QStringLiteral("5:00"), QStringLiteral("genre_01"), QString()},
      QVariantList{QStringLiteral(""), QStringLiteral(""), QStringLiteral(""), QStringLiteral("7")}};
  const PageCells parsed = ParsePageCells(Collected(QStringLiteral("g1"), cells));
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.generation, QStringLiteral("g1"));
  ASSERT_EQ(parsed.cells.size(), 2u);
  EXPECT_EQ(parsed.cells[0].markup, U"<STRONG>5:00</STRONG>");
  EXPECT_EQ(parsed.cells[0].className, U"genre_01");
  EXPECT_EQ(parsed.cells[1].id, U"7");

  EXPECT_FALSE(ParsePageCells(QVariant()).ok);  // the document could not be reached (null)
  EXPECT_FALSE(ParsePageCells(Collected(QString(), cells)).ok);
  EXPECT_FALSE(ParsePageCells(Collected(QStringLiteral("g"), {QVariantList{QStringLiteral("only two"), QString()}})).ok);
  QVariantMap notAList;
  notAList.insert(QStringLiteral("generation"), QStringLiteral("g"));
  notAList.insert(QStringLiteral("cells"), QStringLiteral("x"));
  EXPECT_FALSE(ParsePageCells(notAList).ok);
  // An empty page is a page.
  EXPECT_TRUE(ParsePageCells(Collected(QStringLiteral("g"), {})).ok);
}

TEST(PageCellsTest, ChangesAreTheDifferenceAndSerialiseWithNullForUnchangedFields) {
  std::vector<PageCell> before(3);
  before[0].className = U"genre_01";
  before[2].id = U"x";
  std::vector<PageCell> after = before;
  ApplyCellChanges(after, {{0, U"genre_01 watch", std::nullopt}, {2, std::nullopt, U"0"}, {9, U"ignored", U"9"}});
  const std::vector<CellChange> changes = DiffCells(before, after);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].cell, 0u);
  EXPECT_EQ(changes[0].className, std::optional<std::u32string>(U"genre_01 watch"));
  EXPECT_FALSE(changes[0].id.has_value());
  EXPECT_EQ(CellChangesJson(changes), QStringLiteral("[[0,\"genre_01 watch\",null],[2,null,\"0\"]]"));
  // Quotes and markup in a class travel as JSON strings, never as script.
  EXPECT_EQ(CellChangesJson({{1, U"a\"</script>", std::nullopt}}), QStringLiteral("[[1,\"a\\\"</script>\",null]]"));
}

}  // namespace
}  // namespace kanro::view
