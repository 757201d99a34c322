// Off-screen scene for the frame's render tests and benchmark: the program's device on a
// hidden window (tests/support/render_helpers.h) with every scene resource, a hand-made
// playlist, and the texels of pictures for comparison with what the frame drew.
#pragma once

#include "platform/d3d9.h"
#include "tests/support/render_helpers.h"

struct TrackEntry;

// Creates the device, camera, lights and scene resources for the playlist as it is (usually
// empty: the tests then install their own tracks). False when no device can be made.
bool openFrameScene();

// Releases the scene resources and the device, and forgets the hand-made playlist.
void closeFrameScene();

// Installs `count` tracks laid out as at start-up: artist "Artist N", title and short title
// "Title N", number "N" (N from 1). Player state goes back to its start values. Does nothing
// while a scanned playlist is in use.
void useFrameTracks(int count);

// The track entries installed by useFrameTracks, in display order.
TrackEntry& frameTrack(int index);

// Ends the scene and reads the visible picture (the back buffer) back, saved as <name>.png
// (savePicture).
Picture endSceneAndSave(const char* name);

// Texels of level 0 of a texture that keeps a CPU copy (pictures, dynamic textures).
Picture readTexels(IDirect3DTexture9* texture);
