#include "testing/fake_user_interface.h"

namespace vigilo::testing {

int FakeUserInterface::messageBox(const std::string& text, int style, const std::string& caption) {
  messages.push_back({text, style, caption});
  if (answers.empty()) return kIdOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace vigilo::testing
