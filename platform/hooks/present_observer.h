// Observers of the Direct3D device, for tools that watch the real program run.
// Not part of Direct3D: the headless frame renderer registers one to save chosen frames, and a
// benchmark registers a work observer to learn what each call costs the renderer.
#pragma once

#include <cstddef>

struct IDirect3DDevice9;
struct IDirect3DSurface9;

// Called at the start of every Present, while the finished picture is still in the back
// buffer (render target 0). Null means no observer.
using PresentObserver = void (*)(IDirect3DDevice9* device);

void setPresentObserver(PresentObserver observer);

// Runs the observer, if any; called by the device's Present.
void notifyPresentObserver(IDirect3DDevice9* device);

// The calls that make pixels, reported after their GL commands have been issued (the GL context
// is current, so the observer may wait for them with glFinish).
enum class DeviceWork { clear, draw, present };
using DeviceWorkObserver = void (*)(IDirect3DDevice9* device, DeviceWork work);

void setDeviceWorkObserver(DeviceWorkObserver observer);
void notifyDeviceWorkObserver(IDirect3DDevice9* device, DeviceWork work);

// Bytes the device holds for its records of passes on `target`, a texture target's surface:
// the target's last record and the record being made (d3d9_passes.cpp).
size_t passRecordBytes(IDirect3DDevice9* device, IDirect3DSurface9* target);
