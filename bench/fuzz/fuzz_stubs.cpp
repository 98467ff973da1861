// The options' validating setters report through ShowErrorMessage; the fuzz
// target has no media library, so the reports are dropped here.
#include <string>

void ShowErrorMessage(const std::string&) {}
