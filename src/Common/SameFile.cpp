#include "Common/SameFile.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string ResolvedPath(const std::string& Name) {
  std::error_code ec;
  const fs::path p = fs::weakly_canonical(fs::absolute(Name, ec), ec);
  return ec ? Name : p.string();
}

bool NamesSameFile(const std::string& A, const std::string& B) {
  if (A.empty() || B.empty()) return false;
  std::error_code ec;
  if (fs::exists(A, ec) && fs::exists(B, ec)) return fs::equivalent(A, B, ec) && !ec;
  return ResolvedPath(A) == ResolvedPath(B);
}
