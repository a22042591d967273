#pragma once
// A perl program doing what a site converter does to the listing lines of a
// downloaded page, generated from the converter's own rewrite table: region
// and body markers, the encoding step, the site rewrites under the given
// settings, white-space folding and the user's rules over characters, and the
// watch links. It writes the lines a data page holds between its skeleton
// (CR LF line ends, "</thead>" and "<tbody>" before the body's first line).
// Perl's regex engine and Encode give an independent second opinion on the
// converters' output; the benchmarks time it against the converter.
//
// Usage: perl -p -i PROGRAM PAGES...  (each page is converted in place).
#include <string>
#include <utility>
#include <vector>

#include "sites/goo_html_creater.h"
#include "sites/yahoo_html_creater.h"

namespace kanro::test {

struct PerlConverterOptions {
  bool yahoo = false;  // the Yahoo converter instead of the goo one
  bool removeAnchor = false;
  bool gcode = false;
  // Enabled user rules in file order: pattern and replacement, UTF-8 (the
  // CP932 bytes with rawBytes).
  std::vector<std::pair<std::string, std::string>> rules;
  // Skips all code-page work and runs everything on the page's bytes (not the
  // converter's result; a lower bound for timing only).
  bool rawBytes = false;
  // Decodes goo pages with Encode's EUC-JP decoder instead of the converter's
  // row and cell arithmetic: faster in perl, but a few symbols (such as the
  // wave dash) come out differently. For timing only.
  bool encodeEucJp = false;
};

// An ECMAScript pattern as the pattern of a perl s{}{} (the patterns used here
// have no braces; "@" would interpolate).
inline std::string PerlPattern(const std::string& pattern) {
  std::string out;
  for (char c : pattern) {
    if (c == '{' || c == '}' || c == '@') out += '\\';
    out += c;
  }
  return out;
}

// An ECMAScript replacement format as a perl replacement: "$&" and "$0" the
// match, "$1".."$9" the groups, "$$" a dollar, every other character literal.
inline std::string PerlReplacement(const std::string& format) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    const char next = i + 1 < format.size() ? format[i + 1] : '\0';
    if (c == '$' && (next == '&' || next == '0')) {
      out += "$&";
      ++i;
    } else if (c == '$' && next >= '1' && next <= '9') {
      out += "${";
      out += next;
      out += '}';
      ++i;
    } else if (c == '$' && next == '$') {
      out += "\\$";
      ++i;
    } else {
      if (c == '$' || c == '@' || c == '\\' || c == '{' || c == '}') out += '\\';
      out += c;
    }
  }
  return out;
}

inline std::string PerlConverterProgram(const PerlConverterOptions& options) {
  const bool codePages = !options.rawBytes;
  std::string program =
      "# generated: the listing lines of a converted page\n" +
      std::string(codePages ? "use utf8;\n" : "") +
      "use Encode;\n"
      "BEGIN { $in = 0; $id = 0;\n"
      // Full-width forms of EUC-JP's half-width katakana 0xA0-0xDF.
      "  @kana = map { encode('cp932', $_) } split //, '\u3000。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシス"
      "セソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜'; }\n"
      // EUC-JP to Shift-JIS: kana by the table, JIS X 0208 pairs by row and cell.
      "sub e2s { my @b = unpack('C*', $_[0]); my $o = '';\n"
      "  for (my $i = 0; $i < @b; $i++) { my $c = $b[$i];\n"
      "    if ($c == 0x8E) { last if $i + 1 == @b; my $k = $b[++$i]; $o .= $kana[$k - 0xA0] if $k >= 0xA0 && $k <= 0xDF; }\n"
      "    elsif ($c >= 0xA1 && $c <= 0xFE) { last if $i + 1 == @b; my $r = $c & 0x7F; my $l = $b[++$i] & 0x7F;\n"
      "      my $f = 0x81 + int(($r - 0x21) / 2); $f += 0x40 if $f > 0x9F;\n"
      "      my $s = $l + (($r & 1) ? 0x1F : 0x7D); $s++ if $s >= 0x7F; $o .= chr($f) . chr($s); }\n"
      "    else { $o .= chr($c); } }\n"
      "  $o }\n"
      "sub enc { my $o = ''; my @b = unpack('C*', $_[0]);\n"
      "  for (my $i = 0; $i < @b; $i++) { my $c = $b[$i];\n"
      "    if (($c >= 0x81 && $c <= 0x9F) || ($c >= 0xE0 && $c <= 0xEF)) {\n"
      "      $o .= sprintf('%%%02X', $c); last if $i + 1 == @b; $o .= sprintf('%%%02X', $b[++$i]); }\n"
      "    elsif ($c == 0x20) { $o .= '+'; }\n"
      "    elsif (($c >= 0x40 && $c <= 0x5A) || ($c >= 0x61 && $c <= 0x7A) || ($c >= 0x30 && $c <= 0x39)\n"
      "           || $c == 0x2A || $c == 0x2D || $c == 0x2E || $c == 0x5F) { $o .= chr($c); }\n"
      "    else { $o .= sprintf('%%%02X', $c); } }\n"
      "  $o }\n"
      "sub watch { my ($t, $u) = @_; $u =~ s/<.*?>//g;\n"
      "  sprintf('href=\"prp://watch?ID=%04d&TIME=%s&TITLE=%s\"', $id++, enc($t), enc($u)) }\n"
      "s/\\r?\\n\\z//;\n"
      "my $keep = 0;\n"
      "if ($_ ne '') {\n";
  if (options.yahoo) {
    program +=
        "  $in = 1 if index($_, qq{\\t<tr bgcolor = \"#FFFFFF\">}) >= 0;\n"
        "  my $target = $in;\n"
        "  if (index($_, '</td></tr></table>') >= 0) { $in = 0; $target = 0; }\n"
        "  my $body = index($_, q{<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" rowspan='60' width='1%' "
        "align='center'>5</td>}) >= 0;\n";
  } else {
    program +=
        "  $in = !$in if index($_, '<!--ch_top-->') >= 0 || index($_, '<!--ch_bottom-->') >= 0;\n"
        "  my $target = $in;\n"
        "  my $body = index($_, '<!--/ch_top-->') >= 0;\n";
  }
  program += "  if ($target) {\n    $keep = 1;\n";
  if (codePages) {
    program += options.yahoo          ? "    $_ = encode('cp932', decode('UTF-8', $_));\n"
               : options.encodeEucJp ? "    $_ = encode('cp932', decode('euc-jp', $_));\n"
                                     : "    $_ = e2s($_);\n";
  }
  const auto& rewrites = options.yahoo ? sites::CYahooHtmlCreater::Rewrites() : sites::CGooHtmlCreater::Rewrites();
  for (const auto& rewrite : rewrites) {
    if ((rewrite.when == sites::RewriteWhen::RemoveAnchor && !options.removeAnchor) ||
        (rewrite.when == sites::RewriteWhen::KeepAnchor && options.removeAnchor) ||
        (rewrite.when == sites::RewriteWhen::NoGCode && options.gcode))
      continue;
    program += "    s{" + PerlPattern(rewrite.pattern) + "}{" + PerlReplacement(rewrite.replacement) + "}g;\n";
  }
  program += "    s/\\0.*//s;\n";  // a line ends at a zero byte
  if (codePages) program += "    $_ = decode('cp932', $_);\n";
  program += "    s/\\s+/ /g;\n";
  for (const auto& [pattern, replacement] : options.rules)
    program += "    s{" + PerlPattern(pattern) + "}{" + PerlReplacement(replacement) + "}g;\n";
  if (codePages) program += "    $_ = encode('cp932', $_);\n";
  program +=
      "    s{placeholder=\"TIME=(.*?)&TITLE=(.*?)end_of_placeholder\"}{watch($1, $2)}ge;\n"
      "    $_ = \"</thead>\\r\\n<tbody>\\r\\n$_\" if $body;\n"
      "  }\n"
      "}\n"
      "$_ = $keep ? \"$_\\r\\n\" : '';\n"
      "if (eof) { $in = 0; $id = 0; }\n";
  return program;
}

}  // namespace kanro::test
