// Helpers for end-to-end tests: run a program with arguments in a chosen working folder and a
// changed environment, bounded in time; look at what a folder holds; read a saved PNG frame.
#pragma once

#include <map>
#include <string>
#include <vector>

class ChildProcess;

struct ProgramRun {
  bool ended = false;  // false: still running at the deadline, then killed
  int status = -1;     // exit status 0-255, or 128 + signal number
  std::string output;  // stdout
  std::string errors;  // stderr
};

// Runs arguments[0] with the rest as its arguments in workingFolder, with the current
// environment minus the variables in unset plus the NAME=value entries of set. Kills it after
// timeoutMs.
ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& workingFolder,
                      const std::vector<std::string>& set, const std::vector<std::string>& unset,
                      int timeoutMs);

// Waits at most timeoutMs for the program to end; a test failure unless it ends with status 0
// (with its stderr).
void expectExitStatusZero(ChildProcess& program, int timeoutMs);

// Saves the 640 × 480 client area of a window whose client area starts at (left, top) of the
// screen of an X display as a PNG, with ImageMagick's import; false (and a test failure with
// import's stderr) when that fails.
bool saveClientArea(const std::string& display, int left, int top, const std::string& pngPath,
                    int timeoutMs);

struct Rectangle {
  int x, y, width, height;  // client pixels
};

// Numbered screenshots of the client area at (left, top) of display's screen, saved in folder;
// pixels count as the same while no channel differs by more than tolerance.
struct ClientAreaShots {
  std::string display, folder;
  int left, top, tolerance;
  int taken = 0;

  // Saves the next screenshot; its path.
  std::string take();
  int differing(const std::string& a, const std::string& b, Rectangle area) const;
  // Screenshots until area differs from reference in at least minimumPixels; the last one, or ""
  // after timeoutMs.
  std::string waitForChange(const std::string& reference, Rectangle area, int minimumPixels,
                            int timeoutMs);
  // Screenshots until area is drawn (its mean brightness above drawnGrey) and the same in two
  // shots in a row; the second of them, or "" after timeoutMs.
  std::string waitForStill(Rectangle area, double drawnGrey, int timeoutMs);
};

// Every entry below folder (relative path -> size and modification time as text); symbolic links
// are listed, not followed.
std::map<std::string, std::string> folderSnapshot(const std::string& folder);

// The lines of text, without their newlines.
std::vector<std::string> textLines(const std::string& text);

// How many distinct colours a PNG holds (counted up to limit); 0 if it cannot be read.
int distinctColours(const std::string& pngPath, int limit);

// How many pixels of the rectangle (x, y, width, height) differ between two PNGs of the same
// size by more than tolerance in any channel; -1 if either cannot be read or is too small.
int differingPixels(const std::string& pngA, const std::string& pngB, int x, int y, int width,
                    int height, int tolerance);

// Mean of (red + green + blue) / 3 over the rectangle (x, y, width, height) of a PNG, 0-255;
// -1 if it cannot be read or is too small.
double averageBrightness(const std::string& pngPath, int x, int y, int width, int height);

// Inclusive bounds of each colour channel, 0-255.
struct ColourRange {
  int lowRed, highRed, lowGreen, highGreen, lowBlue, highBlue;
};
// For each row of the rectangle (x, y, width, height) of a PNG, how many of its pixels fall in
// the colour range; empty if it cannot be read or is too small.
std::vector<int> pixelsPerRow(const std::string& pngPath, int x, int y, int width, int height,
                              ColourRange range);

// The mean brightness (as averageBrightness) of the 3 × 3 pixels at the middle of each of the
// ten segments of the volume bar, left to right, in a PNG of the client area; -1 for a segment
// it cannot read.
std::vector<double> volumeSegmentBrightness(const std::string& pngPath);
// How many of the volume bar's segments are lit in a PNG of the client area.
int litVolumeSegments(const std::string& pngPath);
