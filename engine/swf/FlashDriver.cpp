#include "engine/swf/FlashDriver.h"

namespace flash {

FlashDriver::FlashDriver() = default;

FlashDriver::~FlashDriver() = default;

}  // namespace flash
