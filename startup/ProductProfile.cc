#include "startup/ProductProfile.h"

namespace vigilo {

ProductProfile& Profile() {
  static ProductProfile profile;
  return profile;
}

}  // namespace vigilo
