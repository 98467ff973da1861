#pragma once
// Numbers as the stored files (Config.Xml, the settings XML, Profiles.ini) and
// the option texts handed to the media library spell them: "." as decimal
// point whatever the user's locale. Any thread (no locale is consulted).
#include <string>

// Significant digits of a stored real.
inline constexpr int kStoredRealDigits = 15;

// V in general decimal format ("%.*g" of the C locale) with at most Digits
// significant digits and no trailing zeros: "0.5", "128", "1.33333337306976".
std::string FloatText(double V, int Digits = kStoredRealDigits);
// True and Value set when the whole of Text is a decimal number with "." as
// decimal point (optional "-", optional exponent); false and Value untouched
// for anything else ("1,5", "1.5abc", " 1", "").
bool ParseFloat(const std::string& Text, double& Value);
