// The one optional observer of Present (platform/hooks/present_observer.h).
#include "platform/hooks/present_observer.h"

namespace {
PresentObserver currentObserver = nullptr;
}

void setPresentObserver(PresentObserver observer) { currentObserver = observer; }

void notifyPresentObserver(IDirect3DDevice9* device) {
  if (currentObserver) currentObserver(device);
}
