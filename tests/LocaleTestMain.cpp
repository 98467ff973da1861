// The tests run in the locale of their environment, as a host program in the
// user's locale does (CI runs the suite once more under a decimal comma):
// stored files and option texts must not follow it.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
