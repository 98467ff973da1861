#pragma once
// Numbers in stored files and option text: always "." whatever the process
// locale (the GUI runs with the user's locale, where printf and strtod would
// write and expect a decimal comma). Any thread.
#include <string>

// V in the shortest of fixed or exponent form with at most Digits
// significant digits, as "%.*g" gives in the C locale ("128", "12.2").
std::string FloatText(double V, int Digits);

// The whole of Text as a decimal number with "."; false (Value unchanged)
// when Text is not one.
bool ParseFloat(const std::string& Text, double& Value);
