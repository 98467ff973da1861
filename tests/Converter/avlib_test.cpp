// Media library binding: registration once, lock-manager slots, error handler.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Converter/avlib.h"
#include "support/ConverterHarness.h"

namespace {

TEST(MediaLibrary, RegistersOnceAndAgainAfterUnload) {
  LoadMediaLibrary();
  const int first = MediaLibraryRegistrationCount();
  LoadMediaLibrary();
  EXPECT_EQ(MediaLibraryRegistrationCount(), first);
  EXPECT_TRUE(MediaLibraryRegistered());
  ASSERT_NE(FindMediaExtension("stream"), nullptr);
  EXPECT_STREQ(FindMediaExtension("synth")->Kind, "filter");
  EXPECT_STREQ(FindMediaExtension("wavcap")->Kind, "input format");
  EXPECT_EQ(FindMediaExtension("bogus"), nullptr);

  UnloadMediaLibrary();
  UnloadMediaLibrary();  // nothing left to release
  EXPECT_FALSE(MediaLibraryRegistered());
  EXPECT_EQ(FindMediaExtension("stream"), nullptr);
  LoadMediaLibrary();
  EXPECT_EQ(MediaLibraryRegistrationCount(), first + 1);
}

TEST(MediaLibrary, MissingAviSynthIsNotAnError) {
  LoadMediaLibrary();
  if (!AviSynthLibrary().Loaded()) {
    EXPECT_NE(AviSynthLoadError().find("libavisynth.so"), std::string::npos);
    EXPECT_EQ(AviSynthLibrary().Entry("avs_create_script_environment"), nullptr);
  }
}

TEST(LockManager, SlotLifecycle) {
  void* slot = nullptr;
  EXPECT_EQ(LockManagerCallback(&slot, loCreate), 0);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(LockManagerCallback(&slot, loObtain), 0);
  // Held: another thread can't take it until it is released.
  std::atomic<bool> taken{false};
  std::thread other([&] {
    LockManagerCallback(&slot, loObtain);
    taken = true;
    LockManagerCallback(&slot, loRelease);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(taken);
  EXPECT_EQ(LockManagerCallback(&slot, loRelease), 0);
  other.join();
  EXPECT_TRUE(taken);
  EXPECT_EQ(LockManagerCallback(&slot, 7), 0);  // unknown code: nothing
  EXPECT_NE(slot, nullptr);
  EXPECT_EQ(LockManagerCallback(&slot, loDestroy), 0);
  EXPECT_EQ(slot, nullptr);
}

TEST(ErrorMessage, GoesToTheInstalledHandler) {
  harness::ErrorRecorder errors;
  ShowErrorMessage("one");
  std::thread([] { ShowErrorMessage("from a worker"); }).join();
  EXPECT_EQ(errors.Messages(), (std::vector<std::string>{"one", "from a worker"}));
}

}  // namespace
