#include "Components/CategorySource.h"

#include <memory>

#include "Common/PersistentManager.h"

std::vector<TCategoryRecord> TDatabaseCategorySource::LoadChildCategories(int32_t ParentId) {
  std::vector<std::unique_ptr<TConvertedNode>> nodes;
  FDatabase.LoadConvertedNodes(ParentId, nodes);
  std::vector<TCategoryRecord> records;
  records.reserve(nodes.size());
  for (const auto& node : nodes) records.push_back({node->CategoryId, node->Category, node->Folder});
  return records;
}
