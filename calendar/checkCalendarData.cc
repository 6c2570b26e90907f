#include "calendar/checkCalendarData.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "calendar/frmInfoMsg.h"
#include "calendar/mADO.h"
#include "installation/FileHelpers.h"
#include "installation/modIni.h"
#include "platform/ado.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/ole_date.h"
#include "platform/platform.h"
#include "platform/user_interface.h"
#include "startup/ProductProfile.h"
#include "startup/mMain.h"

namespace vigilo::mMain {
namespace {

constexpr const char* kNewestDateQuery =
    "SELECT TOP 1 [Date] FROM tbCalenderData ORDER BY Date DESC";
constexpr const char* kExpiredPage = "WarningMsgExpiredCalendar.htm";
constexpr const char* kSoonExpiringPage = "WarningMsgCalendar.htm";
constexpr const char* kExpired = "Your calendar data is expired.";
constexpr const char* kSoonExpiring = "Your calendar data is soon expiring.";
constexpr const char* kContactVendor =
    "Please contact your vendor to download calendar data for the next litugical year for free.";
// The notice comes when the data ends within this many days.
constexpr int64_t kWarningDays = 30;

std::shared_ptr<ado::Connection> newConnection() {
  if (!platform().databases)
    throw Error(errc::kCannotCreateObject, "checkCalendarData",
                "ActiveX component can't create object: 'ADODB.Connection'");
  return platform().databases->createConnection();
}

// Shows the notice page `pageName` of the executable's folder in the notice
// window, or the message box when there is no such page.
void showNotice(const std::string& pageName, const std::string& firstLine) {
  const std::string page = exeFolder() + kPathSeparator + pageName;
  const std::string& title = Profile().AppTitle;
  if (!FileExists(page)) {
    platform().ui->messageBox(firstLine + "\r\n" + kContactVendor, kMbIconInformation, title);
    return;
  }
  frmInfoMsg notice;
  notice.setCaption(title);
  notice.navigateWebBrowser1(page);
  resetMousePointer();
  notice.showModal();
  notice.unload();
}

}  // namespace

// The newest date and today are compared as calendar days. Rounding both
// moments to whole day numbers would call the data expired from noon of its
// last day on (and count a last date with an evening time as the next day).
bool checkCalendarData() {
  try {
    const std::string liturgyFile = modIni::ReadIni(Profile().IniFile, "FILES", "LiturgyFile");
    std::shared_ptr<ado::Connection> connection = newConnection();
    connection->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + liturgyFile + ";", "", "",
                     ado::adOptionUnspecified);
    const Variant newest = mADO::getResData(*connection, kNewestDateQuery, 1, false);
    connection->Close();

    // No date: an empty table, a NULL date, or a query error already reported.
    const std::optional<double> lastDate = platform().regional->parseDate(newest.toString());
    if (!lastDate) return false;
    const int64_t lastDay = oleDay(*lastDate);
    const int64_t today = oleDay(platform().clock->now());
    if (today > lastDay)
      showNotice(kExpiredPage, kExpired);
    else if (today > lastDay - kWarningDays)
      showNotice(kSoonExpiringPage, kSoonExpiring);
  } catch (const Error& e) {
    platform().ui->messageBox("Error in checkCalendarData: " + e.description(), kMbIconError, "");
  }
  return false;
}

}  // namespace vigilo::mMain
