// The regex wrapper against std::regex (ECMAScript) as the oracle, on byte
// strings (CP932) and wide strings, plus the places where the wrapper keeps
// ECMAScript meanings the oracle does not (\s, "." and the match limit).
#include "text/regex.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cctype>
// GCC 12 warns falsely inside std::regex under the sanitizers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "text/codepage.h"

namespace kanro::text {
namespace {

using Spans = std::vector<std::pair<long, long>>;  // {-1, -1}: group took no part

std::wstring ToWstring(const std::u32string& s) { return std::wstring(s.begin(), s.end()); }
std::u32string W(const char* utf8) { return Utf8ToWide(utf8); }
std::string B(const char* utf8) { return Utf8ToCp932(utf8); }

template <class CharT>
Spans WrapperSearch(const BasicRegex<CharT>& re, std::basic_string_view<CharT> subject, size_t start = 0) {
  typename BasicRegex<CharT>::Match m;
  if (!re.Search(subject, &m, start)) return {};
  Spans out;
  for (const auto& g : m.groups) {
    out.emplace_back(g.matched ? long(g.begin) : -1, g.matched ? long(g.end) : -1);
  }
  return out;
}

template <class StdChar>
Spans OracleSearch(const std::basic_string<StdChar>& pattern, const std::basic_string<StdChar>& subject,
                   size_t start = 0) {
  std::basic_regex<StdChar> re(pattern, std::regex_constants::ECMAScript);
  std::match_results<typename std::basic_string<StdChar>::const_iterator> m;
  auto flags = start == 0 ? std::regex_constants::match_default : std::regex_constants::match_prev_avail;
  if (!std::regex_search(subject.begin() + long(start), subject.end(), m, re, flags)) return {};
  Spans out;
  for (size_t i = 0; i < m.size(); ++i) {
    if (!m[i].matched) {
      out.emplace_back(-1, -1);
    } else {
      const long b = m[i].first - subject.begin();
      out.emplace_back(b, b + m[i].length());
    }
  }
  return out;
}

std::string OracleReplace(const std::string& pattern, const std::string& subject, const std::string& format) {
  return std::regex_replace(subject, std::regex(pattern), format);
}
std::wstring OracleReplace(const std::wstring& pattern, const std::wstring& subject, const std::wstring& format) {
  return std::regex_replace(subject, std::wregex(pattern), format);
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Checks one pattern/subject/format in both string kinds. UTF-32 goes to
// WRegex against std::wregex. CP932 bytes go to Regex, which must give the
// same text; an ASCII pattern must also match std::regex on the bytes (with
// Japanese in the pattern the oracle reads trail bytes such as "[" as syntax).
void CheckAgainstOracle(const char* pattern, const char* subject, const char* format) {
  SCOPED_TRACE(std::string("pattern ") + pattern + "  subject " + subject + "  format " + format);
  const std::u32string wp = W(pattern), ws = W(subject), wf = W(format);
  const WRegex wide(wp);
  ASSERT_TRUE(wide.valid()) << wide.error();
  EXPECT_EQ(WrapperSearch<char32_t>(wide, ws), OracleSearch(ToWstring(wp), ToWstring(ws)));
  const std::wstring expected = OracleReplace(ToWstring(wp), ToWstring(ws), ToWstring(wf));
  EXPECT_EQ(ToWstring(wide.ReplaceAll(ws, wf)), expected);

  const std::string bp = B(pattern), bs = B(subject), bf = B(format);
  const Regex narrow(bp);
  ASSERT_TRUE(narrow.valid()) << narrow.error();
  EXPECT_EQ(ToWstring(Cp932ToWide(narrow.ReplaceAll(bs, bf))), expected);
  // Where empty matches can occur in Japanese text the wrapper deliberately
  // steps over whole characters and the byte oracle does not.
  if (IsAscii(pattern) && (IsAscii(subject) || !narrow.MatchAt("", 0))) {
    EXPECT_EQ(WrapperSearch<char>(narrow, bs), OracleSearch(bp, bs));
    EXPECT_EQ(narrow.ReplaceAll(bs, bf), OracleReplace(bp, bs, bf));
  }
}

struct Rewrite {
  const char* pattern;
  const char* format;
};

// The program's fixed rewrites and user-style rules, each run over every
// sample line.
const Rewrite kRewrites[] = {
    {R"(alt=".*?")", ""},
    {R"(shinban.gif.*?>(.*?)</strong>..*?</a>)", R"($0<span style="display: none;">【新】$1</span>)"},
    {R"(placeholder="TIME=(.*?)&TITLE=(.*?)end_of_placeholder")", R"([$1|$2])"},
    {R"(<.*?>)", ""},
    {R"(\s+)", " "},
    {R"(/tv/img/icon/)", "../Image/"},
    {R"(<th width=".*" align="center">)", R"(<th class="hour">)"},
    {R"(<tr><th class="hour">&nbsp;</th>.*?</tr>)", ""},
    {R"(^(<tr><th class="epg_td_time".*?)<a.*?>(.*?)</a>)", R"($1<a name="$2">$2</a>)"},
    {R"(<td\s+.*?<strong>(.*?)</strong>.*?<strong>(.*?)</strong></a>)",
     R"($& <a placeholder="TIME=$1&TITLE=$2end_of_placeholder"><img src="../Image/watch.gif" border="0"></a>)"},
    {R"(<a\s+href.*?>(.*?)</a>)", "$1"},
    {R"(<td align="right">.*?</td>)", ""},
    {R"(<td class="scroller" rowspan='60'.*?>(.*?)</td>)",
     R"(<td class="epg_td_time" rowspan='60'><a name="$1">$1</a></td>)"},
    {R"(<td class="scroller"(.*?)>(.*?)</td>)", R"(<th class="hour"$1>$2</th>)"},
    {R"( class=n)", R"( style="display: none;")"},
    {R"((.*?)=(.*?)&)", "<$1:$2>"},
    {R"(ニュース|天気)", "[$&]"},
    {R"((映画|ドラマ).*?(\d+))", "$2/$1"},
    {R"(^【(.*)】$)", "$1"},
    {R"((ドラマ)?(x)?[0-9]+)", "<$1,$2>"},
    {R"(.*?ス)", "#"},
};

const char* const kLines[] = {
    R"(<td valign="top" class="genre_1"><a href="/tv/prog/1"><strong>5:00</strong> <strong>ニュース</strong></a></td>)",
    R"(<img src="/tv/img/icon/shinban.gif" alt="新"><strong>ドラマ10</strong>x</a> <a href="/p">映画2本</a>)",
    R"(<a placeholder="TIME=5:00&TITLE=<b>朝</b>のニュースend_of_placeholder">)",
    R"(<tr><th class="epg_td_time" rowspan="60"><a href="/t">5</a></th><td align="right">x</td></tr>)",
    R"(<tr><th class="hour">&nbsp;</th><td>1</td></tr><th width="8%" align="center">)",
    "\t<tr bgcolor = \"#FFFFFF\">  <td class=\"scroller\" rowspan='60' width='1%' align='center'>5</td>\t",
    R"(<td class="station">NHK</td><td class="scroller" width='2'>6</td> class=n x)",
    "ID=0001&TIME=5%3A00&TITLE=abc&",
    "【天気予報】",
    "",
    "   ",
};

TEST(RegexOracle, FixedAndUserRewritesOverSampleLines) {
  for (const Rewrite& r : kRewrites) {
    for (const char* line : kLines) CheckAgainstOracle(r.pattern, line, r.format);
  }
}

TEST(RegexOracle, EmptyMatchesAdvanceAsRegexIterator) {
  const char* const patterns[] = {"x*", "$", "^", "a*?", "(a)|b*", "(?:)", "\\s*", "a|", "(?=a)", "ス*"};
  const char* const subjects[] = {"", "abc", "xax", "a b  c", "aaa", "ニュース"};
  for (const char* p : patterns) {
    for (const char* s : subjects) CheckAgainstOracle(p, s, "<$&>");
  }
  // In bytes the trail bytes of ニ and ス are the letters j and X.
  for (const char* s : {"", "abc", "a b", "a,b"}) CheckAgainstOracle("\\b", s, "<$&>");
}

TEST(RegexOracle, ReplacementFormats) {
  const char* const formats[] = {"$&", "$0", "[$1]", "$2$1", "$10", "$01", "$99", "$$", "$`", "$'",
                                 "$x", "a$", "$", "$$1", "$&$&", "【$1】", "$3"};
  for (const char* f : formats) {
    CheckAgainstOracle("(b)(c)?", "abcabdb", f);
    CheckAgainstOracle("(ニ)(ュ)?", "ニュースとニ", f);
  }
  // Eleven groups: "$10" and "$11" name groups, "$1" followed by a digit too.
  CheckAgainstOracle("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "xabcdefghijkx", "$11-$10-$1-$012");
}

TEST(RegexOracle, GrammarCorners) {
  const char* const patterns[] = {
      "a{2,3}",   "a{2,}?",     "a{2}",      "[a-c-e]+", "[-a]+",    "[a-]+",          "[\\d-]+",
      "[^\\d\\s]+", "\\D\\W\\S",   "\\x41\\u0042", "[\\b]",    "(a)\\1",   "(a)|\\1x",        "(a)?\\1b",
      "(?:ab)+",  "a(?!b)",     "(?=(a+))a*b\\1", "\\bb\\B",   "[\\]]+",   "\\{\\}",           "}",
      "]",        "\\/\\-\\.",    "[.]+",      "(|a)+",    "(a*)+b",   "\\0",
  };
  const char* const subjects[] = {"aaaa", "-ab-ce", "a1 b2", "AB\n", "\b x", "aab", "a{,2}a{x}}]",
                                  "ab bb", "a]]b", "{}/-.", "a\x01b"};
  for (const char* p : patterns) {
    for (const char* s : subjects) CheckAgainstOracle(p, s, "($&)");
  }
}

TEST(RegexOracle, NamedClassesInBrackets) {
  const char* const patterns[] = {"[[:digit:]]+", "[^[:alpha:]]+", "[[:space:][:punct:]]+", "[x[:upper:]]+",
                                  "[[:xdigit:]_]+", "[[:w:]]+", "[[:alnum:]-]+", "[[]+"};
  const char* const subjects[] = {"ab 12", "A-b_9 f!", "x{}: ;", "\tz\x7f~", "[[:"};
  for (const char* p : patterns) {
    for (const char* s : subjects) CheckAgainstOracle(p, s, "($&)");
  }
  EXPECT_FALSE(WRegex(U"[[:nonsense:]]").valid());
  EXPECT_FALSE(Regex("[[:]+").valid());
}

TEST(RegexOracle, SearchFromAnOffsetSeesTheTextBefore) {
  const std::string subject = "ab ab\nab";
  for (const char* p : {"^ab", "\\bab", "b", "ab$", "(?:)"}) {
    const Regex re(p);
    for (size_t start = 0; start <= subject.size(); ++start) {
      EXPECT_EQ(WrapperSearch<char>(re, subject, start), OracleSearch(std::string(p), subject, start))
          << p << " from " << start;
    }
  }
}

TEST(RegexSemantics, WhiteSpaceIsEcmaScriptInWideAndAsciiInBytes) {
  const WRegex space(U"\\s+");
  EXPECT_EQ(space.ReplaceAll(W("a\u3000\u00a0\ufeff\u2028b\tc"), U"_"), W("a_b_c"));
  EXPECT_EQ(WRegex(U"[^\\s]+").ReplaceAll(W("朝\u3000夜"), U"x"), W("x\u3000x"));
  EXPECT_EQ(WRegex(U"\\S+").ReplaceAll(W("朝\u3000夜"), U"x"), W("x\u3000x"));
  // In CP932 the full-width space is two ordinary bytes and 0xA0 is katakana.
  const Regex bytes("\\s");
  EXPECT_FALSE(bytes.Contains(B("朝\u3000夜")));
  EXPECT_FALSE(bytes.Contains("\xA0"));
  EXPECT_TRUE(bytes.Contains("\v"));
}

TEST(RegexSemantics, DigitsWordsAndDotAreAscii) {
  EXPECT_FALSE(WRegex(U"\\d").Contains(W("１２")));
  EXPECT_FALSE(WRegex(U"\\w").Contains(W("あア")));
  EXPECT_TRUE(WRegex(U"\\W\\W").Contains(W("あア")));
  EXPECT_TRUE(WRegex(U"\\bx\\b").Contains(W("あxあ")));
  const WRegex dot(U"a.b");
  EXPECT_TRUE(dot.Contains(W("a\u3042b")));
  EXPECT_TRUE(dot.Contains(W("a\u0085b")));
  for (const char* terminator : {"\n", "\r", "\u2028", "\u2029"}) {
    EXPECT_FALSE(dot.Contains(W((std::string("a") + terminator + "b").c_str()))) << terminator;
  }
  EXPECT_FALSE(Regex("a.b").Contains("a\rb"));
  EXPECT_TRUE(Regex("a.b").Contains("a\x85" "b"));
}

TEST(RegexSemantics, EmptyClassesEscapesAndEndAnchor) {
  EXPECT_FALSE(WRegex(U"[]").Contains(U"abc"));
  EXPECT_TRUE(WRegex(U"a[^]b").Contains(U"a\nb"));
  EXPECT_TRUE(WRegex(U"\\u3042+").Contains(W("xああ")));
  EXPECT_TRUE(WRegex(U"[\\u3041-\\u3093]{3}").Contains(W("ひらがな")));
  EXPECT_FALSE(WRegex(U"a$").Contains(U"a\n"));
  EXPECT_TRUE(WRegex(U"a$").Contains(U"ba"));
  EXPECT_FALSE(Regex("a$").Contains("a\n"));
  EXPECT_FALSE(Regex("^b").Contains("a\nb"));
  // Text that only looks like other engines' escapes and verbs stays literal.
  EXPECT_TRUE(WRegex(U"\\h\\e\\K\\Q").Contains(U"heKQ"));
  EXPECT_TRUE(WRegex(U"\\v").Contains(U"\v"));
  EXPECT_FALSE(WRegex(U"\\v").Contains(U"\n"));
}

TEST(RegexSemantics, LooseBracesAndControlEscapes) {
  EXPECT_EQ(Regex("a{,2}").ReplaceAll("a{,2}aa", "x"), "xaa");
  EXPECT_EQ(Regex("a{x}").ReplaceAll("a{x}", "y"), "y");
  EXPECT_EQ(Regex("\\cJ\\ci").ReplaceAll("a\n\tb", "-"), "a-b");
}

TEST(RegexSemantics, Cp932CharactersInBytePatternsStayWhole) {
  // ー is 0x81 0x5B: its trail byte is "[" and the quantifier takes both bytes.
  const Regex dash(B("ー+"));
  ASSERT_TRUE(dash.valid()) << dash.error();
  EXPECT_EQ(Cp932ToUtf8(dash.ReplaceAll(B("aーーbー"), "-")), "a-b-");
  // 表 is 0x95 0x5C, a backslash as trail byte.
  const Regex table(B("番組表|予定"));
  ASSERT_TRUE(table.valid()) << table.error();
  EXPECT_EQ(Cp932ToUtf8(table.ReplaceAll(B("今日の番組表と予定"), "#")), "今日の#と#");
  EXPECT_TRUE(Regex(B("[表]")).Contains(B("表")));
  // Empty matches step over whole characters instead of splitting them.
  EXPECT_EQ(Cp932ToUtf8(Regex("x*").ReplaceAll(B("表a"), "|")), "|表|a|");
}

TEST(RegexSemantics, LeadingDotRunStillFindsEveryMatch) {
  // ".*" patterns only start at line starts or where the search starts.
  const WRegex lazy(U".*?b");
  EXPECT_EQ(lazy.ReplaceAll(U"abab\naab", U"[$&]"), U"[ab][ab]\n[aab]");
  EXPECT_EQ(WrapperSearch<char32_t>(WRegex(U".+x"), U"ab\r\nyx"), (Spans{{4, 6}}));
  EXPECT_EQ(WrapperSearch<char32_t>(WRegex(U".*\n"), U"a\r\n"), (Spans{{2, 3}}));
  EXPECT_EQ(WrapperSearch<char32_t>(WRegex(U".*b"), U"aaab", 2), (Spans{{2, 4}}));
  EXPECT_EQ(WrapperSearch<char32_t>(WRegex(U".*b|c"), U"xc"), (Spans{{1, 2}}));
}

TEST(RegexApi, MatchAtIsStickyAndGroupsReportParticipation) {
  const Regex re("(a)|(b)");
  Regex::Match m;
  EXPECT_FALSE(re.MatchAt("xab", 0, &m));
  ASSERT_TRUE(re.MatchAt("xab", 2, &m));
  EXPECT_EQ(m.begin(), 2u);
  EXPECT_FALSE(m.groups[1].matched);
  EXPECT_TRUE(m.groups[2].matched);
  EXPECT_EQ(re.groupCount(), 2u);
  EXPECT_FALSE(re.MatchAt("ab", 3));
  EXPECT_FALSE(re.Search("ab", nullptr, 3));

  std::string out = "<";
  EXPECT_EQ(re.ReplaceAllInto("abcab", "$2", out), 4u);
  EXPECT_EQ(out, "<bcb");
  m.groups = {{1, 3, true}, {0, 0, false}};
  std::string expanded;
  Regex::ExpandFormat("xyz!", m, "$`|$1|$&|$'", expanded);
  EXPECT_EQ(expanded, "x||yz|!");
}

TEST(RegexApi, InvalidPatternsMatchNothingAndKeepTheSubject) {
  // The oracle rejects these as well.
  const char* const bad[] = {"(a",     "a)",    "*a",    "a{3,2}",  "[b-a]", "\\",   "[a",
                             "\\1(a)", "(a\\1)", "\\2(a)", "(?i)a", "(?<n>a)", "\\xZZ", "\\u12",
                             "(*ACCEPT)"};
  for (const char* p : bad) EXPECT_THROW(std::regex{p}, std::regex_error) << p;
  // These the oracle takes with meanings of its own; other engines read "a*+"
  // as possessive, so stacked quantifiers stay errors.
  const char* const alsoBad[] = {"a**", "a++", "a?*", "a{2}*", "\\c1"};
  for (const std::vector<const char*>& list : {std::vector<const char*>(std::begin(bad), std::end(bad)),
                                               std::vector<const char*>(std::begin(alsoBad), std::end(alsoBad))}) {
    for (const char* p : list) {
      const Regex re(p);
      EXPECT_FALSE(re.valid()) << p;
      EXPECT_FALSE(re.error().empty()) << p;
      EXPECT_FALSE(re.Search("a(aa)*"));
      EXPECT_EQ(re.ReplaceAll("a(a)", "x"), "a(a)");
      EXPECT_EQ(re.groupCount(), 0u);
      EXPECT_FALSE(WRegex(W(p)).valid()) << p;
    }
  }
  // What the user reads: a Japanese sentence, with no English from the
  // translator or the engine left in it.
  for (const char* p : {"(a", "a)", "a{3,2}", "[b-a]", "[a", "\\2(a)", "(?<=a+)b", "a{99999}", "(?i)a"}) {
    const std::string why = Regex(p).error();
    EXPECT_GT(why.size(), 6u) << p;
    const bool englishWord = std::adjacent_find(why.begin(), why.end(), [](char a, char b) {
                               return std::isalpha(static_cast<unsigned char>(a)) &&
                                      std::isalpha(static_cast<unsigned char>(b));
                             }) != why.end();
    EXPECT_FALSE(englishWord) << p << ": " << why;
  }
  EXPECT_EQ(Regex("(a").error(), "閉じかっこ「)」が足りません");
  EXPECT_EQ(Regex("(?<=a+)b").error(), "後読み「(?<=…)」「(?<!…)」の中は決まった長さにしてください");
  EXPECT_FALSE(Regex("\\u3042").valid());  // no such byte
  Regex empty;
  EXPECT_FALSE(empty.valid());
  EXPECT_FALSE(empty.error().empty());
  EXPECT_EQ(empty.ReplaceAll("abc", "x"), "abc");
  Regex source("b");
  Regex moved(std::move(source));
  EXPECT_TRUE(moved.Contains("abc"));
}

TEST(RegexLimits, CatastrophicPatternGivesUpAndIsCounted) {
  const std::string as(100000, 'a');
  for (const char* p : {"(a*)*[^a]", "(a|aa)*[^a]", "(?:a+)+\\d"}) {
    const uint64_t before = RegexLimitHits();
    const Regex re(p);
    EXPECT_FALSE(re.Search(as)) << p;
    EXPECT_GT(RegexLimitHits(), before) << p;
    EXPECT_EQ(re.ReplaceAll(as, "x"), as);
  }
}

TEST(RegexLimits, LongLinesMatchOnASmallThreadStack) {
  struct Job {
    bool ok = false;
    static void* Run(void* arg) {
      auto* job = static_cast<Job*>(arg);
      std::string line(200000, 'a');
      line += "<b>";
      const uint64_t before = RegexLimitHits();
      job->ok = Regex("<.*?>").ReplaceAll(line, "") == std::string(200000, 'a') &&
                Regex("(a|b)*<").MatchAt(line, 0) && Regex("^(?:a|b)*$").Search(line + "") == false &&
                Regex("\\s+").ReplaceAll(std::string(200000, ' '), " ") == " " &&
                WRegex(U"(.*?)x").Search(std::u32string(200000, U'あ')) == false &&
                RegexLimitHits() == before;
      return nullptr;
    }
  } job;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 1 << 20);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, &Job::Run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_TRUE(job.ok);
}

TEST(RegexLimits, OneRegexServesTwoThreads) {
  const WRegex re(W("<strong>(.*?)</strong>"));
  const std::u32string line = W("<strong>朝</strong><strong>夜</strong>");
  auto work = [&] {
    bool ok = true;
    for (int i = 0; i < 2000; ++i) ok = ok && re.ReplaceAll(line, U"$1") == W("朝夜");
    return ok;
  };
  bool other = false;
  std::thread t([&] { other = work(); });
  const bool mine = work();
  t.join();
  EXPECT_TRUE(mine);
  EXPECT_TRUE(other);
}

}  // namespace
}  // namespace kanro::text
