#pragma once
// The built-in catalogue: the 53 described profiles in catalogue order and
// their 14 categories, then the 9 profiles of the 15th, "新格式".
#include "Converter/AVProfile.h"

// Main thread: fills List (cleared first) with the built-in catalogue.
void BuildProfileCatalogue(TAVProfileList& List);
// The number of categories BuildProfileCatalogue gives.
int BuiltInCategoryCount();
