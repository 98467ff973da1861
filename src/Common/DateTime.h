#pragma once
// Local date-times as days since 1899-12-30 (the value holds local wall
// time), and their text form "YYYY-MM-DD HH:MM:SS", which sorts by time and
// reads back to the same value. Any thread.
#include <string>

double NowAsDays();
std::string DateToText(double Days);
double TextToDate(const std::string& Text);  // 0 when the text is not a date
