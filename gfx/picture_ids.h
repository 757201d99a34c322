// The embedded pictures by id (resources of type BINARYDATA, 103-119): the artwork generator
// writes each picture under its id, and the scene resources load it by the same one.
#pragma once

constexpr int sparkPicture = 103;
constexpr int pointerPicture = 104;
constexpr int backgroundPicture = 105;
constexpr int firstHighlightPicture = 106;  // 106-110, one per control button, left to right
constexpr int speakerPicture = 111;
constexpr int scrollFontPicture = 112;
constexpr int firstNotePicture = 113;  // 113-117, one per music note
constexpr int notePictureCount = 5;
constexpr int textFontPicture = 118;
constexpr int repeatPicture = 119;
