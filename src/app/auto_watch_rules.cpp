#include "app/auto_watch_rules.h"

#include "app/paths.h"
#include "text/text_file.h"
#include "text/tokenizer.h"

namespace kanro::app {

AutoWatchRule ParseAutoWatchLine(std::string_view line) {
  const std::vector<std::string> fields = text::SplitFields(line, '\t');
  AutoWatchRule rule;
  if (fields.size() != kAutoWatchFieldCount || (fields[5] != "1" && fields[5] != "0")) {
    rule.unreadLine = std::string(line);
    rule.enabled = false;
    return rule;
  }
  rule.pattern = fields[0];
  rule.programs = fields[1];
  rule.channels = fields[2];
  rule.weekdays = fields[3];
  rule.time = fields[4];
  rule.enabled = fields[5] == "1";
  return rule;
}

std::string FormatAutoWatchLine(const AutoWatchRule& rule) {
  if (rule.unreadLine) return *rule.unreadLine;
  return rule.pattern + '\t' + rule.programs + '\t' + rule.channels + '\t' + rule.weekdays + '\t' + rule.time + '\t' +
         (rule.enabled ? "1" : "0");
}

bool HasUnsavableField(const AutoWatchRule& rule) {
  const auto bad = [](const std::string& field) { return field.find_first_of("\t\r\n") != std::string::npos; };
  if (rule.unreadLine) return rule.unreadLine->find_first_of("\r\n") != std::string::npos;
  return bad(rule.pattern) || bad(rule.programs) || bad(rule.channels) || bad(rule.weekdays) || bad(rule.time);
}

void LoadAutoWatchRules(std::vector<AutoWatchRule>& rules) {
  rules.clear();
  text::ForEachLine(AutoWatchRulesPath(), [&](std::string& line) {
    rules.push_back(ParseAutoWatchLine(line));
    return true;
  });
}

bool SaveAutoWatchRules(const std::vector<AutoWatchRule>& rules) {
  std::vector<std::string> lines;
  lines.reserve(rules.size());
  for (const AutoWatchRule& rule : rules) {
    // A tab would shift the fields and a line end split the rule: refuse
    // rather than write a file that reads back as something else.
    if (HasUnsavableField(rule)) return false;
    lines.push_back(FormatAutoWatchLine(rule));
  }
  return text::WriteLines(AutoWatchRulesPath(), lines);
}

}  // namespace kanro::app
