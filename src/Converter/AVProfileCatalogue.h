#pragma once
// The built-in catalogue: 53 profiles in catalogue order and 14 categories.
#include "Converter/AVProfile.h"

// Main thread: fills List (cleared first) with the built-in catalogue.
void BuildProfileCatalogue(TAVProfileList& List);
