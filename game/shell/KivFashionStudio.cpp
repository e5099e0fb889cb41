#include "game/shell/KivFashionStudio.h"

KivFashionStudio& KivFashionStudio::Instance() {
  static KivFashionStudio studio;
  return studio;
}
