#pragma once
// Persisted-property tables of the conversion options and the conversion
// settings record, in their stored order.
#include "Common/XmlPersistence.h"

const TPersistentClass& ConvertOptionsClass();
const TPersistentClass& ConversionSettingsClass();
