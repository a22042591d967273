// The page scripts file: every snippet the program runs is there, nothing
// else is, and each takes its arguments the one way.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/temp_dir.h"
#include "support/test_environment.h"
#include "view/page_script_file.h"

namespace kanro::view {
namespace {

TEST(PageScriptsTest, EveryNameTheProgramRunsIsInTheFileAndNoOther) {
  if (test::SourceDir().empty()) GTEST_SKIP() << "KANRO_SOURCE_DIR names the source tree";
  const std::string source = test::ReadAll(test::SourceDir() / "src/view/ui/page_scripts.js");
  const auto snippets = ParsePageScripts(source);
  std::set<std::string> names;
  for (std::string_view name : page_script::kAll) {
    names.emplace(name);
    const auto found = snippets.find(name);
    ASSERT_NE(found, snippets.end()) << name;
    const std::string& body = found->second;
    EXPECT_NE(body.find("(function ("), std::string::npos) << name;
    // A snippet with a parameter reads it from the one JSON value.
    const bool takesArguments = body.find("(function ()") == std::string::npos;
    EXPECT_EQ(body.find("__ARGUMENTS__") != std::string::npos, takesArguments) << name;
  }
  for (const auto& [name, body] : snippets) EXPECT_TRUE(names.count(name)) << "unused snippet " << name;
}

TEST(PageScriptsTest, SnippetsStartAtTheirNameLineAndEndAtTheNext) {
  const auto snippets = ParsePageScripts("// heading\n//== one\na\r\nb\n//== two \r\nc");
  ASSERT_EQ(snippets.size(), 2u);
  EXPECT_EQ(snippets.at("one"), "a\r\nb\n");
  EXPECT_EQ(snippets.at("two"), "c\n");
}

}  // namespace
}  // namespace kanro::view
