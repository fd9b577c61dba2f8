// A value typed on the command line, as the VARIANT of an item's canonical type.
#pragma once

#include <string>

#include "comown.h"

namespace opcclient {

// The VARTYPE of an OPC type name as the item model writes it ("VT_R8",
// "ARRAY OF VT_I4"); VT_EMPTY for a name it does not know ("???").
VARTYPE TypeOfOpcName(const std::string& name);

// The text as a value of the type: integers in decimal within the type's
// range, reals with a point, booleans as true/false/1/0, dates as
// YYYY-MM-DD[ hh:mm[:ss]] in UTC, currency with up to four decimals, arrays
// as elements separated by blanks, commas or semicolons. False, with the
// value unchanged, when the text is none of these or the type cannot be written.
bool ParseValue(const std::string& text, VARTYPE type, comown::com_variant& value);

}  // namespace opcclient
