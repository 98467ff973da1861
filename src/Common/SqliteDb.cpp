#include "Common/SqliteDb.h"

#include <cstdlib>

#include "Common/Errors.h"
#include "Common/StringList.h"

namespace {
constexpr int kBusyTimeoutMs = 5000;
}

TSqliteDb::TSqliteDb(const std::string& FileName, bool Create) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (Create ? SQLITE_OPEN_CREATE : 0);
  const int rc = sqlite3_open_v2(FileName.c_str(), &db, flags, nullptr);
  FDb.reset(db);
  if (rc != SQLITE_OK) throw Exception("Can not open Database " + FileName);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
}

void TSqliteDb::Transaction(const std::function<void()>& Body) {
  Exec("begin");
  try {
    Body();
    Exec("commit");
  } catch (...) {
    Exec("rollback");
    throw;
  }
}

void TSqliteDb::Exec(const std::string& Sql) {
  char* error = nullptr;
  if (sqlite3_exec(FDb.get(), Sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(FDb.get());
    sqlite3_free(error);
    throw Exception(message);
  }
}

TSqliteStatement::TSqliteStatement(sqlite3* Db, const std::string& Sql) : FDb(Db) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(Db, Sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) throw Exception(sqlite3_errmsg(Db));
  FStmt.reset(stmt);
}

void TSqliteStatement::Bind(int Index, const std::optional<std::string>& Value) {
  const int rc = Value ? sqlite3_bind_text(FStmt.get(), Index, Value->c_str(), static_cast<int>(Value->size()),
                                           SQLITE_TRANSIENT)
                       : sqlite3_bind_null(FStmt.get(), Index);
  if (rc != SQLITE_OK) throw Exception(sqlite3_errmsg(FDb));
}

bool TSqliteStatement::Step() {
  const int rc = sqlite3_step(FStmt.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  throw Exception(sqlite3_errmsg(FDb));
}

void TSqliteStatement::Execute() {
  while (Step()) {
  }
}

std::optional<std::string> TSqliteStatement::Column(const std::string& Name) const {
  const int n = sqlite3_column_count(FStmt.get());
  for (int i = 0; i < n; ++i) {
    if (!SameText(sqlite3_column_name(FStmt.get(), i), Name)) continue;
    if (sqlite3_column_type(FStmt.get(), i) == SQLITE_NULL) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStmt.get(), i));
    return std::string(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(FStmt.get(), i)));
  }
  return std::nullopt;
}

int TSqliteStatement::ColumnInt(const std::string& Name, int Default) const {
  const auto v = Column(Name);
  return v ? std::atoi(v->c_str()) : Default;
}
