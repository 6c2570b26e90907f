#include "instance/mFindApp.h"

#include <exception>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/user_interface.h"

namespace vigilo::mFindApp {
namespace {

// The class of every form of the application.
constexpr const char* kApplicationWindowClass = "ThunderRT6FormDC";

// Buffer sizes of the title and class reads: 255 and 39 characters kept.
constexpr int32_t kTitleBufferSize = 256;
constexpr int32_t kClassBufferSize = 40;

constexpr int32_t kModeClose = 1;
constexpr int32_t kModeActivate = 2;

// The search under way: the enumeration's callback reads the name and
// records the window it found. One search at a time.
std::string m_sSearchName;
WindowHandle m_hWndFound = 0;

// Where no window services are installed no running copy can be seen.
WindowSystem* windows() { return platform().windows; }

bool askToClose(const std::string& sAppName) {
  const std::string question = "The application '" + sAppName + "' will be closed.\r\n" +
                               "Click OK to close it, or Cancel to cancel this operation";
  // Closing the box without choosing answers Cancel.
  return platform().ui->messageBox(question, kMbOkCancel | kMbIconInformation, "") == kIdOk;
}

void activate(WindowSystem& w, WindowHandle hWnd) {
  if (w.isIconic(hWnd)) {
    w.showWindow(hWnd, kSwRestore);
  } else {
    w.setWindowPos(hWnd, kHwndTop, 0, 0, 0, 0, kSwpNoSize | kSwpNoMove);
    w.setFocus(hWnd);
    w.showWindow(hWnd, kSwShow);
  }
  w.setForegroundWindow(hWnd);
}

// Forgets the search when the finder returns: the window found belongs to
// another program and its handle is not kept.
struct SearchScope {
  ~SearchScope() {
    m_sSearchName.clear();
    m_hWndFound = 0;
  }
};

void reportError(const std::string& description) {
  platform().ui->messageBox("Error in mFindApp.FindApplication: " + description,
                            kMbOk | kMbIconError, "");
}

}  // namespace

bool FindApplication(const std::string& sAppName, int32_t nMode, bool bAskFirst) {
  bool result = false;
  SearchScope search;
  try {
    m_sSearchName = sAppName;
    m_hWndFound = 0;
    WindowSystem* w = windows();
    if (w) w->enumWindows(EnumWindowsProc, 0);
    const WindowHandle found = m_hWndFound;
    if (!(found > 0)) return true;

    if (nMode == kModeClose) {
      if (bAskFirst && !askToClose(sAppName)) return false;
      // The window is asked to close as from its system menu; whether it
      // really closes is its program's affair.
      w->sendMessage(found, kWmSysCommand, kScClose, 0);
      result = true;
    } else if (nMode == kModeActivate) {
      activate(*w, found);
    }
  } catch (const Error& error) {
    reportError(error.description());
  } catch (const std::exception& error) {
    reportError(error.what());
  }
  return result;
}

int32_t EnumWindowsProc(WindowHandle hWnd, int32_t lParam) {
  const std::string title = windows()->getWindowText(hWnd, kTitleBufferSize);
  if (title.find(m_sSearchName) == std::string::npos) return -1;
  if (!IsWindowClass(hWnd, kApplicationWindowClass)) return -1;
  m_hWndFound = hWnd;
  return 0;
}

bool IsWindowClass(WindowHandle hWnd, const std::string& sClassName) {
  return windows()->getClassName(hWnd, kClassBufferSize) == sClassName;
}

}  // namespace vigilo::mFindApp
