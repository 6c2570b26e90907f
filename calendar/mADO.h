#pragma once

#include <cstdint>
#include <string>

#include "platform/ado.h"
#include "platform/variant.h"

namespace vigilo::mADO {

// Runs `sSQL` on the caller's open connection and returns, by `nResultMode`:
//   1  text: the first field of the first row ("" for NULL or no rows),
//   2  the open record set (an object the caller then owns),
//   3  all rows as an array of fields by rows, or Empty when there are none,
//   4  True once the statement has run as a command,
//   any other mode: Empty.
// Every database error is caught here: unless `bSilent`, a message box shows
// "Error in getResData: <description>, <number>"; the result is then what had
// been set when the error came, which is Empty.
Variant getResData(ado::Connection& oConnection, const std::string& sSQL, int16_t nResultMode,
                   bool bSilent);

}  // namespace vigilo::mADO
