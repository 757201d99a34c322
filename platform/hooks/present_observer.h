// An observer of IDirect3DDevice9::Present, for tools that watch the real program run.
// Not part of Direct3D: the headless frame renderer registers one to save chosen frames.
#pragma once

struct IDirect3DDevice9;

// Called at the start of every Present, while the finished picture is still in the back
// buffer (render target 0). Null means no observer.
using PresentObserver = void (*)(IDirect3DDevice9* device);

void setPresentObserver(PresentObserver observer);

// Runs the observer, if any; called by the device's Present.
void notifyPresentObserver(IDirect3DDevice9* device);
