#pragma once
// Owning handles for SQLite: a connection and prepared statements with
// positional text parameters. Errors raise Exception with SQLite's message.
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TSqliteStatement {
 public:
  TSqliteStatement(sqlite3* Db, const std::string& Sql);
  int ParameterCount() const { return sqlite3_bind_parameter_count(FStmt.get()); }
  // Binds parameter Index (from 1) as text; nullopt binds NULL.
  void Bind(int Index, const std::optional<std::string>& Value);
  // Steps once; true while a row is available.
  bool Step();
  // Steps to the end.
  void Execute();
  std::optional<std::string> Column(const std::string& Name) const;
  int ColumnInt(const std::string& Name, int Default = 0) const;

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* S) const { sqlite3_finalize(S); }
  };
  sqlite3* FDb;
  std::unique_ptr<sqlite3_stmt, Finalizer> FStmt;
};

class TSqliteDb {
 public:
  // Opens (creating when Create is set) the database file; raises "Can not open Database <path>".
  TSqliteDb(const std::string& FileName, bool Create);
  sqlite3* Handle() const { return FDb.get(); }
  void Exec(const std::string& Sql);
  // Runs Body inside one transaction: committed when Body returns, rolled
  // back (and the error passed on) when it raises.
  void Transaction(const std::function<void()>& Body);
  int64_t LastInsertRowId() const { return sqlite3_last_insert_rowid(FDb.get()); }

 private:
  struct Closer {
    void operator()(sqlite3* D) const { sqlite3_close_v2(D); }
  };
  std::unique_ptr<sqlite3, Closer> FDb;
};
