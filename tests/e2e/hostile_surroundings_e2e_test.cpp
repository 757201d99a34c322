// The real program loop run unseen (zolta-frames) in working folders that a user might really
// have: broken, empty or odd music files, no music folder, a thousand entries, a folder it may
// not write to. Whatever it finds, it must run, show its frames, end with status 0, say on stderr
// what it could not play, and leave the working folder exactly as it was.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "tests/support/e2e_run.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int runTimeoutMs = 50000;  // a short run takes ~10 s on a loaded machine
constexpr const char* framesToSave = "1,30";
constexpr int minimumColours = 50;  // a real frame shows far more; a blank one shows 1

const std::string sourceTunes = ZOLTA_SOURCE_DIR "/data/msx/";
const std::string realModule = sourceTunes + "Moxa - Harbour Lights.mod";
const std::string realXm = sourceTunes + "Vexel - Night Shift.xm";

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string garbage(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string firstBytes(const std::string& path, size_t count) {
  std::ifstream file(path, std::ios::binary);
  std::string bytes(count, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<size_t>(file.gcount()));
  return bytes;
}

class HostileSurroundings : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = makeTemporaryFolder();
    shots = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_FALSE(shots.empty());
    // A file of the user's own that happens to carry the program's scratch name.
    writeBytes(folder + "/_.tmp", "the user's own notes\n");
  }
  void TearDown() override {
    if (!folder.empty()) {
      chmod(folder.c_str(), 0700);
      removeFolder(folder);
    }
    if (!shots.empty()) removeFolder(shots);
  }

  std::string makeMusicFolder() {
    fs::create_directories(folder + "/data/msx");
    return folder + "/data/msx/";
  }

  // Runs zolta-frames in the working folder and checks what every run must give: status 0,
  // the frames saved and showing a picture, the working folder untouched.
  // withoutOverride: run without the power to read what file modes forbid, so that modes
  // stop the program as they stop a user even when the tests run as root.
  ProgramRun runAndCheck(const std::vector<std::string>& set = {}, bool withoutOverride = false) {
    const auto before = folderSnapshot(folder);
    std::vector<std::string> command = {ZOLTA_BINARY_DIR "/zolta-frames", "--frames", framesToSave,
                                        "--out", shots};
    if (withoutOverride && geteuid() == 0)
      command.insert(command.begin(), {"/usr/bin/setpriv", "--bounding-set",
                                       "-dac_override,-dac_read_search", "--"});
    ProgramRun run = runProgram(command, folder, set, {}, runTimeoutMs);
    EXPECT_TRUE(run.ended) << "still running after " << runTimeoutMs << " ms; stderr:\n"
                           << run.errors;
    EXPECT_EQ(run.status, 0) << "stderr:\n" << run.errors;
    for (const char* frame : {"/frame-00001.png", "/frame-00030.png"})
      EXPECT_GE(distinctColours(shots + frame, minimumColours), minimumColours)
          << frame << " missing or blank";
    EXPECT_EQ(folderSnapshot(folder), before) << "the working folder changed";
    for (const std::string& line : textLines(run.errors))
      EXPECT_FALSE(line.empty()) << "an empty stderr line";
    return run;
  }

  std::string folder, shots;
};

// The first tune in display order cannot be played: the program carries on without music and
// names the file and the reason on stderr. " A" sorts before " Zz", so the bad file is the one
// loaded.
class UnplayableFirstTune : public HostileSurroundings {
 protected:
  void expectNamed(const std::string& errors, const std::string& reason) {
    EXPECT_NE(errors.find("zolta: BASS_MusicLoad: data/msx/Bad - A.mod: " + reason + "\n"),
              std::string::npos)
        << "stderr does not name the file and \"" << reason << "\":\n"
        << errors;
  }
  void addGoodTune(const std::string& music) { fs::copy_file(realModule, music + "Good - Zz.mod"); }
};

TEST_F(UnplayableFirstTune, GarbageBytes) {
  const std::string music = makeMusicFolder();
  writeBytes(music + "Bad - A.mod", garbage(20000, 1));
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "not a module that can be played");
}

TEST_F(UnplayableFirstTune, ZeroBytes) {
  const std::string music = makeMusicFolder();
  writeBytes(music + "Bad - A.mod", "");
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "not a module that can be played");
}

TEST_F(UnplayableFirstTune, Subfolder) {
  const std::string music = makeMusicFolder();
  fs::create_directory(music + "Bad - A.mod");
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "not a regular file");
}

TEST_F(UnplayableFirstTune, LinkToNowhere) {
  const std::string music = makeMusicFolder();
  fs::create_symlink("/nonexistent/zolta/tune.xm", music + "Bad - A.mod");
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "no such file");
}

TEST_F(UnplayableFirstTune, FifoWithoutAWriter) {
  const std::string music = makeMusicFolder();
  ASSERT_EQ(mkfifo((music + "Bad - A.mod").c_str(), 0600), 0);
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "not a regular file");
}

TEST_F(UnplayableFirstTune, Socket) {
  const std::string music = makeMusicFolder();
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::string path = music + "Bad - A.mod";
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(listener);
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "not a regular file");
}

TEST_F(UnplayableFirstTune, LinkToADevice) {
  const std::string music = makeMusicFolder();
  fs::create_symlink("/dev/zero", music + "Bad - A.mod");
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "not a regular file");
}

TEST_F(UnplayableFirstTune, Unreadable) {
  const std::string music = makeMusicFolder();
  fs::copy_file(realModule, music + "Bad - A.mod");
  ASSERT_EQ(chmod((music + "Bad - A.mod").c_str(), 0), 0);
  addGoodTune(music);
  expectNamed(runAndCheck({}, true).errors, "permission denied");
}

TEST_F(UnplayableFirstTune, SparseTwoTerabytes) {
  const std::string music = makeMusicFolder();
  writeBytes(music + "Bad - A.mod", "");
  ASSERT_EQ(truncate((music + "Bad - A.mod").c_str(), off_t(2) << 40), 0);
  addGoodTune(music);
  expectNamed(runAndCheck().errors, "too large");
}

// A name made to retitle and clear the terminal and to forge a line of its own reaches stderr
// with its control bytes escaped.
TEST_F(UnplayableFirstTune, ControlBytesInTheNameAreEscaped) {
  const std::string music = makeMusicFolder();
  writeBytes(music + "Bad - A\x1b]0;owned\x07\x1b[2J\x1b[31m\nzolta: BASS_Init: forged.mod",
             "not a module");
  addGoodTune(music);
  const std::string errors = runAndCheck().errors;
  EXPECT_NE(
      errors.find(
          "data/msx/Bad - A\\x1b]0;owned\\x07\\x1b[2J\\x1b[31m\\x0azolta: BASS_Init: forged.mod: "
          "not a module that can be played\n"),
      std::string::npos)
      << errors;
  EXPECT_EQ(errors.find_first_of("\x1b\x07"), std::string::npos)
      << "a raw control byte reached stderr";
  for (const std::string& line : textLines(errors))
    EXPECT_NE(line.rfind("zolta: BASS_Init: forged", 0), 0u) << line;
}

TEST_F(HostileSurroundings, TruncatedModuleRunsWhateverItCanPlay) {
  const std::string music = makeMusicFolder();
  writeBytes(music + "Cut - A.xm", firstBytes(realXm, 400));  // header and a little of the patterns
  fs::copy_file(realModule, music + "Good - Zz.mod");
  runAndCheck();
}

TEST_F(HostileSurroundings, OddNamesAllBecomeTracks) {
  const std::string music = makeMusicFolder();
  fs::copy_file(realModule, music + "readme");  // no dot: sorts first
  fs::copy_file(realModule, music + "name with spaces and no hyphen.mod");
  fs::copy_file(realModule, music + "a-b-c-d - e-f.mod");                    // several hyphens
  fs::copy_file(realModule, music + "Art\x80\x9f\xc3 - \xe9t\xff\xfe.mod");  // bytes 0x80-0xFF
  fs::copy_file(realModule, music + std::string(120, 'A') + " - " + std::string(123, 'T') +
                                ".mod");  // 250 bytes
  writeBytes(music + "Zero - Nothing.xm", "");
  writeBytes(music + "Noise - Static.it", garbage(5000, 2));
  fs::create_directory(music + "Sub - Folder.mod");
  fs::create_symlink("nowhere.mod", music + "Dangling - Link.mod");
  runAndCheck();
}

TEST_F(HostileSurroundings, AThousandEntries) {
  const std::string music = makeMusicFolder();
  for (int i = 0; i < 999; ++i)
    writeBytes(music + "Band " + std::to_string(i) + " - Tune " + std::to_string(i) + ".mod", "");
  fs::copy_file(realModule, music + "Moxa - Harbour Lights.mod");
  runAndCheck();
}

TEST_F(HostileSurroundings, EmptyMusicFolderSaysNoTunes) {
  makeMusicFolder();
  const ProgramRun run = runAndCheck();
  EXPECT_NE(run.errors.find("no tunes found"), std::string::npos) << run.errors;
}

TEST_F(HostileSurroundings, NoMusicFolderSaysSo) {
  const ProgramRun run = runAndCheck();
  EXPECT_NE(run.errors.find("zolta: data/msx/: no such folder - playing nothing\n"),
            std::string::npos)
      << run.errors;
}

TEST_F(HostileSurroundings, MusicFolderThatIsAFileSaysSo) {
  fs::create_directories(folder + "/data");
  writeBytes(folder + "/data/msx", "a file, not a folder");
  const ProgramRun run = runAndCheck();
  EXPECT_NE(run.errors.find("zolta: data/msx/: is not a folder - playing nothing\n"),
            std::string::npos)
      << run.errors;
}

TEST_F(HostileSurroundings, UnreadableMusicFolderSaysSo) {
  const std::string music = makeMusicFolder();
  fs::copy_file(realModule, music + "Moxa - Harbour Lights.mod");
  ASSERT_EQ(chmod(music.c_str(), 0), 0);
  const ProgramRun run = runAndCheck({}, true);
  EXPECT_NE(run.errors.find(
                "zolta: data/msx/: cannot read the folder: permission denied - playing nothing\n"),
            std::string::npos)
      << run.errors;
  chmod(music.c_str(), 0755);
}

TEST_F(HostileSurroundings, ReadOnlyWorkingFolder) {
  const std::string music = makeMusicFolder();
  fs::copy_file(realModule, music + "Moxa - Harbour Lights.mod");
  chmod(music.c_str(), 0555);
  chmod((folder + "/data").c_str(), 0555);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  // As root the mode stops nothing; runAndCheck still proves that nothing was written.
  runAndCheck();
  chmod(music.c_str(), 0755);
  chmod((folder + "/data").c_str(), 0755);
}

}  // namespace
