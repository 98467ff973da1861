#pragma once
// Where a category tree reads the categories of converted files from: the
// task database's category table, read one parent at a time. Main thread.
#include <cstdint>
#include <string>
#include <vector>

class TPersistentManager;

// Parent identifier of the top-level categories.
inline constexpr int32_t kNoParentCategory = -1;

struct TCategoryRecord {
  int32_t CategoryId = 0;
  std::string Category;  // display name
  std::string Folder;    // folder on disk (column Path)
};

class TCategorySource {
 public:
  virtual ~TCategorySource() = default;
  // The categories whose parent is ParentId, in the order the tree shows them.
  virtual std::vector<TCategoryRecord> LoadChildCategories(int32_t ParentId) = 0;
};

// The categories of the task database.
class TDatabaseCategorySource : public TCategorySource {
 public:
  explicit TDatabaseCategorySource(TPersistentManager& Database) : FDatabase(Database) {}
  std::vector<TCategoryRecord> LoadChildCategories(int32_t ParentId) override;

 private:
  TPersistentManager& FDatabase;
};
