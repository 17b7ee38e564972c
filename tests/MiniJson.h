// The JSON reader the tests look into reports with.
#pragma once

#include "inventory/Json.h"

namespace setwell::testing_support {
using json::JsonReader;
using json::JsonValue;
}  // namespace setwell::testing_support
