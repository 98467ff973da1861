#include "Common/FileText.h"

#include <fstream>
#include <sstream>

std::optional<std::string> ReadFileText(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
