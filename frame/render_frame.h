// The frame: the one function that draws. Runs the automatic advance, samples the music,
// renders the three off-screen passes, composes the visible picture and presents it.
#pragma once

// Draws and presents one frame; `frameSeconds` is the time since the previous one (0 first).
void renderFrame(float frameSeconds);
