// The optional observers of the device (platform/hooks/present_observer.h).
#include "platform/hooks/present_observer.h"

namespace {
PresentObserver currentObserver = nullptr;
DeviceWorkObserver currentWorkObserver = nullptr;
}  // namespace

void setPresentObserver(PresentObserver observer) { currentObserver = observer; }

void notifyPresentObserver(IDirect3DDevice9* device) {
  if (currentObserver) currentObserver(device);
}

void setDeviceWorkObserver(DeviceWorkObserver observer) { currentWorkObserver = observer; }

void notifyDeviceWorkObserver(IDirect3DDevice9* device, DeviceWork work) {
  if (currentWorkObserver) currentWorkObserver(device, work);
}
