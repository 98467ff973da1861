// The manual page documents exactly the options the program's --help lists.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/Fixtures.h"

namespace {

// Every long option ("--name") in Text; troff writes the dashes as "\-".
std::set<std::string> LongOptions(std::string Text) {
  Text = std::regex_replace(Text, std::regex(R"(\\-)"), "-");
  std::set<std::string> options;
  const std::regex option(R"(--[a-z][a-z-]*)");
  for (auto it = std::sregex_iterator(Text.begin(), Text.end(), option); it != std::sregex_iterator(); ++it)
    options.insert(it->str());
  return options;
}

TEST(CliManPage, ListsEveryOptionOfTheHelp) {
  std::ifstream page(QB_CLI_MANPAGE);
  ASSERT_TRUE(page) << QB_CLI_MANPAGE;
  std::stringstream text;
  text << page.rdbuf();
  int status = -1;
  const std::string help = fixtures::RunCommand(std::string(QB_CLI) + " --help", &status);
  ASSERT_EQ(status, 0);
  const std::set<std::string> helpOptions = LongOptions(help);
  EXPECT_GT(helpOptions.size(), 5u);
  EXPECT_EQ(LongOptions(text.str()), helpOptions);
}

}  // namespace
