// For tests: the two ways of loading a picture that the program itself does not take, ImageBlob
// bytes held in memory and an ImageBlob file (gfx/image_loader.h has the rules of both).
#pragma once

#include <d3d9.h>

// ImageBlob bytes in memory as a texture, as loadImageResource makes it from a resource.
void loadImageBlob(const unsigned char* data, int size, IDirect3DTexture9** texture,
                   bool colourKey);
// An ImageBlob file as a texture (same rules; a file that cannot be read leaves `texture` alone).
void loadImageFile(const char* path, IDirect3DTexture9** texture, bool colourKey);
