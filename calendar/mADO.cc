#include "calendar/mADO.h"

#include <memory>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/user_interface.h"

namespace vigilo::mADO {
namespace {

// A value appended to an empty text: NULL gives "", a date its text form.
std::string appendedToEmptyText(const Variant& value) {
  return value.isNull() ? std::string() : value.toString();
}

std::shared_ptr<ado::Recordset> newRecordset() {
  if (!platform().databases)
    throw Error(errc::kCannotCreateObject, "mADO",
                "ActiveX component can't create object: 'ADODB.Recordset'");
  return platform().databases->createRecordset();
}

}  // namespace

Variant getResData(ado::Connection& oConnection, const std::string& sSQL, int16_t nResultMode,
                   bool bSilent) {
  Variant result;
  std::shared_ptr<ado::Recordset> recordset;
  try {
    if (nResultMode == 4) {
      // The record set that the command returns is released at once.
      oConnection.Execute(sSQL, ado::adOptionUnspecified);
      result = true;
    } else {
      recordset = newRecordset();
      recordset->Open(sSQL, oConnection, ado::adOpenKeyset, ado::adLockReadOnly,
                      ado::adOptionUnspecified);
      switch (nResultMode) {
        case 1:
          if (recordset->RecordCount() < 1)
            result = "";
          else
            result = appendedToEmptyText(recordset->Item(0).Value);
          break;
        case 2:
          result = ObjectRef(recordset);
          break;
        case 3:
          if (!recordset->Eof() && !recordset->Bof()) result = recordset->GetRows(-1);
          break;
        default:
          break;
      }
    }
  } catch (const Error& e) {
    if (!bSilent)
      platform().ui->messageBox(
          "Error in getResData: " + e.description() + ", " + std::to_string(e.number()),
          kMbIconError, "");
  }
  // Releasing this reference closes the record set unless the caller holds it (mode 2).
  recordset.reset();
  return result;
}

}  // namespace vigilo::mADO
