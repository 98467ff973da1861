#pragma once
// The application configuration, stored as "Config.Xml" in the application
// data folder. One global instance; main thread.
#include <string>

class TPerformanceOptions {
 public:
  int32_t ThreadCount() const { return FThreadCount; }
  void SetThreadCount(int32_t Value) { FThreadCount = Value; }
  int32_t ThreadPrority() const { return FThreadPrority; }
  void SetThreadPrority(int32_t Value) { FThreadPrority = Value; }
  // Tasks of batches converting at once; 0: automatic (BatchLimit).
  int32_t ConcurrentTasks() const { return FConcurrentTasks; }
  void SetConcurrentTasks(int32_t Value) { FConcurrentTasks = Value; }
  // ConcurrentTasks, or half the processors when automatic; at least 1.
  int32_t BatchLimit() const;
  void Assign(const TPerformanceOptions& S) {
    FThreadCount = S.FThreadCount;
    FThreadPrority = S.FThreadPrority;
    FConcurrentTasks = S.FConcurrentTasks;
  }

 private:
  int32_t FThreadCount = 0;     // 0: one codec thread per processor
  int32_t FThreadPrority = 2;   // process priority level 0..5
  int32_t FConcurrentTasks = 0;
};

class TAVConfiguration {
 public:
  TAVConfiguration();
  TPerformanceOptions& PerformanceOptions() { return FPerformanceOptions; }
  const TPerformanceOptions& PerformanceOptions() const { return FPerformanceOptions; }
  bool ShutdownWhenDone() const { return FShutdownWhenDone; }
  void SetShutdownWhenDone(bool Value) { FShutdownWhenDone = Value; }
  const std::string& OutputFolder() const { return FOutputFolder; }
  void SetOutputFolder(const std::string& Value) { FOutputFolder = Value; }

  // $XDG_DATA_HOME (or ~/.local/share) + "/QuillbrookSoft/VIVUraraZuzavizezUDO/".
  static std::string GetAppDataFolder();
  static std::string GetConfigFile();
  void SaveToFile(const std::string& AFile) const;
  void LoadFromFile(const std::string& AFile);
  // Creates the folder, applies the process priority to every thread, writes the file.
  void Save() const;
  // Writes the defaults first when the file is missing, then reads it. A file
  // that cannot be read is renamed to "Config.Xml.bak", the defaults are taken
  // and an error naming both files is raised.
  void Load();

 private:
  TPerformanceOptions FPerformanceOptions;
  bool FShutdownWhenDone = false;
  std::string FOutputFolder;
};

// The process-wide configuration.
TAVConfiguration& Configuration();

// The number of processors, determined once: the codec thread count when the
// configuration's ThreadCount is 0 (automatic). Any thread.
int32_t ProcessorCount();

// setpriority value of a priority level 0..5 (idle 19 ... real time -20).
int NiceValueOfPriority(int Level);
