// apphost in a scratch folder (its name has a blank and Chinese characters) with its app.ini and the
// stand-in engine: what the engine was given, the debug and error boxes, and every page function through
// the engine's method-call records, read back from the engine's journal.
#include "program_run.hpp"
#include "temp_dir.hpp"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using tarvo::test::utf8;

constexpr wchar_t kEngine[] = L"tarvo_htmlengine_standin.dll";

class Apphost : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = dir_.file(L"应用 app\\");
    data_ = app_ + L"data\\";
    for (const std::wstring &d : {app_, app_ + L"ui\\", app_ + L"engine\\", data_})
      ASSERT_TRUE(CreateDirectoryW(d.c_str(), nullptr));
    ASSERT_TRUE(tarvo::test::copy_from_bin(L"apphost.exe", app_ + L"apphost.exe"));
    ASSERT_TRUE(tarvo::test::copy_from_bin(kEngine, app_ + L"engine\\" + kEngine));
    ASSERT_TRUE(tarvo::test::copy_from_bin(L"exit_with.exe", app_ + L"exit_with.exe"));
  }
  void TearDown() override { SetEnvironmentVariableW(L"TARVO_HTMLENGINE_FAULT", nullptr); }

  // Runs the program on the INI keys and the page's calls (a line each, {A} {D} {B} expanded).
  tarvo::test::ProgramRun run(const std::string &keys, const std::wstring &calls = L"") {
    DeleteFileW((page() + L".log").c_str());
    tarvo::test::raw_write(app_ + L"app.ini", "[vantor]\r\n" + keys);
    tarvo::test::raw_write(page(), "# page calls\r\n" + utf8(expand(calls)));
    return tarvo::test::run_program(app_ + L"apphost.exe", app_);
  }
  std::wstring page() const { return app_ + L"ui\\main.htm"; }
  std::vector<std::string> journal() const { return tarvo::test::lines_of(page() + L".log"); }

  // {A} the program folder, {D} its data folder, {B} the build's bin folder.
  std::wstring expand(std::wstring s) const {
    for (auto [key, value] : {std::pair<std::wstring, std::wstring>{L"{A}", app_}, {L"{D}", data_},
                              {L"{B}", tarvo::test::bin_folder()}})
      for (size_t at; (at = s.find(key)) != std::wstring::npos;) s.replace(at, key.size(), value);
    return s;
  }

  static inline const std::string kEngineKey = "sciter64={$AppPath}engine\\tarvo_htmlengine_standin.dll\r\n",
                                   kIndexKey = "index={$AppPath}ui\\main.htm\r\n";
  tarvo::test::TempDir dir_;
  std::wstring app_, data_;
};

TEST_F(Apphost, StartSequenceBoxesAndWhatTheEngineWasGiven) {
  const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  const std::string &engine = kEngineKey, &index = kIndexKey;
  auto frame = [&](int w, int h) {
    const int l = (screen_w - w) / 2, t = (screen_h - h) / 2;
    return "create\t662\t" + std::to_string(l) + "\t" + std::to_string(t) + "\t" + std::to_string(l + w) + "\t" +
           std::to_string(t + h) + "\t0";
  };
  const struct {
    const char *what;
    std::string ini;
    const wchar_t *fault;
    std::wstring boxes;  // as ProgramRun has them
    std::string created;  // the create line, "" when the page is never loaded
  } cases[] = {
      {"sized", engine + index + "w=400\r\nh=300\r\n", nullptr, {}, frame(400, 300)},
      {"debug, no size", engine + index + "debug=1\r\n", nullptr, page() + L"|" + app_ + L"engine\\" + kEngine + L";", frame(0, 0)},
      {"missing page and engine", "sciter64={$AppPath}none.dll\r\nindex={$AppPath}ui\\none.htm\r\n", nullptr,
       L"Error|Cannot find html file !;", ""},
      {"missing engine", "sciter64={$AppPath}none.dll\r\n" + index, nullptr,
       L"Error|Sciter Dll LoadLibrary failed !;", ""},
      {"wrong key", "sciter32={$AppPath}engine\\tarvo_htmlengine_standin.dll\r\n" + index, nullptr,
       L"Error|Sciter Dll LoadLibrary failed !;", ""},
      {"no table", engine + index, L"api", L"Error|Sciter Initialization failed !;", ""},
      {"no window", engine + index, L"create", L"Error|Sciter Create Window failed !;", ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    SetEnvironmentVariableW(L"TARVO_HTMLENGINE_FAULT", c.fault);
    const tarvo::test::ProgramRun ran = run(c.ini);
    ASSERT_TRUE(ran.ended);
    EXPECT_EQ(ran.exit_code, 0u);
    EXPECT_EQ(utf8(ran.boxes), utf8(c.boxes));
    const std::vector<std::string> loaded = {"dll loaded", "api", "option\tglobal\t8\t15", "option\tglobal\t10\t1",
                                             c.created, "attach\t1024\tno tag", "load\t" + utf8(page()), "close"};
    EXPECT_EQ(journal(), c.created.empty() ? std::vector<std::string>{} : loaded);
  }
}

// Every page function: counts outside the range unhandled, the defaults, the result kinds, against real
// files, folders and INI files; the rows run in order, each on what the earlier ones left. Each dialog is
// answered by answer_dialog.exe, which the page starts with "run" so that it watches the program's windows;
// its marker proves the dialog opened (one that fails to open looks like a cancel).
TEST_F(Apphost, PageFunctionsAgainstRealFilesAndDialogs) {
  for (const wchar_t *d : {L"src", L"src\\sub", L"dst", L"sub"}) ASSERT_TRUE(CreateDirectoryW((data_ + d).c_str(), nullptr));
  for (const auto &[file, bytes] : {std::pair<const wchar_t *, const char *>{L"src\\a.txt", "new a"}, {L"src\\b.log", "b"},
                                    {L"src\\sub\\c.txt", "c"}, {L"dst\\a.txt", "old a"}, {L"a.txt", "a"}})
    tarvo::test::raw_write(data_ + file, bytes);
  const std::wstring no = L"0\tundefined";  // a count outside the range, or no such function
  struct Row {
    std::wstring call, expected;  // expected "handled<TAB>result"; ending in "+": a non-zero integer
  };
  auto answer = [](int n, const wchar_t *title, const wchar_t *command, const wchar_t *typed) {
    return Row{L"run\ts:\"{B}answer_dialog.exe\" \"{D}m" + std::to_wstring(n) + L".txt\" #32770 \"" + title + L"\" " +
                   command + (typed[0] ? L" \"" + std::wstring(typed) + L"\"" : L""),
               L"1\tint:+"};
  };
  const Row rows[] = {
      // the host's six paths
      {L"appPath", L"1\ttext:{A}ui\\"}, {L"appPath\ts:x", no}, {L"appFile", L"1\ttext:{A}ui\\main.htm"},
      {L"binPath", L"1\ttext:{A}"}, {L"binFile", L"1\ttext:{A}apphost.exe"}, {L"libPath", L"1\ttext:{A}engine\\"},
      {L"libFile", L"1\ttext:{A}engine\\tarvo_htmlengine_standin.dll"}, {L"noSuchFunction", no},
      // process start: the page's command line reaches the system unchanged
      {L"chain\ts:\"{A}exit_with.exe\" 7", L"1\tint:7"}, {L"chain\ts:\"{A}exit_with.exe\" 3\ti:0", L"1\tint:3"},
      {L"chain", no}, {L"run\ts:\"{A}exit_with.exe\" 0", L"1\tint:+"}, {L"run\ts:{D}missing.exe", L"1\tint:0"},
      {L"run\ts:x\ti:5\ti:1", no}, {L"start\ts:{D}missing.exe", L"1\tint:2"},
      {L"systemPath\ti:36", L"1\ttext:C:\\windows\\"}, {L"systemPath", no},
      // whole-file text: the default charsets, the text's whole length
      {L"fileWriteAll\ts:{D}text.txt\ts:h\u00e9llo \u4e2d\u6587", L"1\tint:13"},
      {L"fileReadAll\ts:{D}text.txt", L"1\ttext:h\u00e9llo \u4e2d\u6587"}, {L"fileAppend\ts:{D}text.txt\ts:!", L"1\tint:1"},
      {L"fileReadAll\ts:{D}text.txt\ti:65001", L"1\ttext:h\u00e9llo \u4e2d\u6587!"},
      {L"fileWriteAll\ts:{D}wide.txt\ts:ab\ti:1200", L"1\tint:4"},
      {L"fileWriteAll\tu:{D}raw.txt\tu:unterminated", L"1\tint:12"},
      {L"fileWriteAll\ts:{D}text.txt", no}, {L"fileAppend\ts:a\ts:b\ti:1\ti:2", no},
      // existence and folder creation
      {L"fileExists\ts:{D}text.txt", L"1\tbool:1"}, {L"folderExists\ts:{D}src", L"1\tbool:1"},
      {L"pathExists\ts:{D}src", L"1\tbool:1"}, {L"folderCreate\ts:{D}made\\deep", L"1\tnull"},
      {L"folderExists\ts:{D}made\\deep", L"1\tbool:1"}, {L"folderCreate", no},
      // copy, move, delete of files: overwrite by default
      {L"fileCopy\ts:{D}text.txt\ts:{D}copy.txt", L"1\tbool:1"}, {L"fileCopy\ts:{D}text.txt\ts:{D}copy.txt", L"1\tbool:1"},
      {L"fileCopy\ts:{D}text.txt\ts:{D}copy.txt\ti:0", L"1\tbool:0"},
      {L"fileMove\ts:{D}copy.txt\ts:{D}moved.txt", L"1\tbool:1"}, {L"fileDelete\ts:{D}moved.txt", L"1\tbool:1"},
      {L"fileCopy\ts:{D}text.txt", no},
      // folder trees: every name and overwriting by default
      {L"folderCopy\ts:{D}src\ts:{D}dst", L"1\tint:4"}, {L"folderCopy\ts:{D}src\ts:{D}txt\ts:*.txt", L"1\tint:3"},
      {L"folderMove\ts:{D}txt\ts:{D}moved", L"1\tint:3"}, {L"folderDelete\ts:{D}moved", L"1\tint:3"},
      {L"folderDelete", no}, {L"folderCopy\ts:a\ts:b\ts:*\ti:1\ti:1", no},
      // paths
      {L"pathFileNameExt\ts:C:\\d\\r.f.xlsx", L"1\ttext:r.f.xlsx"}, {L"pathFileName\ts:C:\\d\\r.f.xlsx", L"1\ttext:r.f"},
      {L"pathFileExt\ts:C:\\d\\r.f.xlsx", L"1\ttext:xlsx"}, {L"pathFilePath\ts:C:\\d\\a.txt", L"1\ttext:C:\\d\\"},
      {L"pathGetAbs\ts:x\\..\\b.txt\ts:C:\\base", L"1\ttext:C:\\base\\b.txt"}, {L"pathGetAbs\ts:b.txt", L"1\ttext:{A}b.txt"},
      {L"pathGetRel\ts:{D}src\\sub\\c.txt\ts:{D}src", L"1\ttext:.."}, {L"pathGetRel", no},
      {L"pathRandom\ts:pre\ts:.tmp\ti:0", L"1\ttext:pre.tmp"}, {L"pathRandom\ts:pre\ts:.tmp", no},
      {L"pathJoin\ts:C:\\dir\ts:a.txt", L"1\ttext:C:\\dir\\a.txt"}, {L"pathJoin\tu:C:\\dir\tu:a.txt", L"1\ttext:C:\\dir\\a.txt"},
      {L"pathJoin\tu:\tu:a.txt", L"1\ttext:{A}a.txt"}, {L"pathJoin\ti:5\ts:a.txt", L"1\ttext:{A}a.txt"},
      {L"pathJoin\ts:C:\\dir", no}, {L"pathJoin\ts:a\ts:b\ts:c", no},
      // INI values
      {L"iniWrite\ts:{D}conf.ini\ts:main\ts:name\ts:value 1", L"1\tbool:1"},
      {L"iniWrite\ts:{D}conf.ini\ts:main\ts:count\ts:12abc", L"1\tbool:1"},
      {L"iniWrite\ts:{D}conf.ini\ts:other\ts:k\ts:v", L"1\tbool:1"},
      {L"iniRead\ts:{D}conf.ini\ts:main\ts:name", L"1\ttext:value 1"},
      {L"iniReadInt\ts:{D}conf.ini\ts:main\ts:count", L"1\tint:12"},
      {L"iniDelKey\ts:{D}conf.ini\ts:main\ts:name", L"1\tbool:1"}, {L"iniDelSec\ts:{D}conf.ini\ts:other", L"1\tbool:1"},
      {L"iniDelSec\ts:{D}conf.ini\ts:main\ts:count", no}, {L"iniWrite\ts:{D}conf.ini\ts:main\ts:k", no},
      // the input method and the return text (nothing in the program)
      {L"imeOff", L"1\tnull"}, {L"imeOn", L"1\tnull"}, {L"imeOff\ti:1", no},
      {L"SetRetVal\ts:ignored", L"1\tundefined"}, {L"SetRetVal", no},
      // the dialogs
      answer(1, L"Page open", L"1", L"a.txt"), {L"dialogOpenFile\ts:{D}\ts:Text|*.txt\ts:Page open", L"1\ttext:{D}a.txt"},
      answer(2, L"Page cancel", L"2", L""), {L"dialogOpenFile\ts:{D}\ts:\ts:Page cancel", L"1\ttext:"},
      answer(3, L"Page several", L"1", L"a.txt"),
      {L"dialogOpenFiles\ts:{D}\ts:All|*.*\ts:Page several", L"1\ttext:{D}a.txt"},
      answer(4, L"Page save", L"1", L"new.txt"), {L"dialogSaveFile\ts:{D}\ts:All|*.*\ts:Page save", L"1\ttext:{D}new.txt"},
      answer(5, L"Page folder", L"1", L"{D}sub"), {L"dialogSelectFolder\ts:{D}\ts:Page folder", L"1\ttext:{D}sub"},
      {L"dialogOpenFile\ts:{D}\ts:Text|*.txt", no}, {L"dialogSaveFile\ts:a\ts:b\ts:c\ti:0", no},
      {L"dialogSelectFolder\ts:{D}", no},
  };
  std::wstring calls;
  for (const Row &r : rows) calls += r.call + L"\r\n";
  const tarvo::test::ProgramRun ran = run(kEngineKey + kIndexKey + "w=400\r\nh=300\r\n", calls);
  ASSERT_TRUE(ran.ended);
  EXPECT_EQ(ran.exit_code, 0u);
  std::vector<std::string> answers;
  for (const std::string &line : journal()) {
    if (line.rfind("call\t", 0) == 0) answers.push_back(line.substr(line.find('\t', 5) + 1));
    EXPECT_EQ(line.rfind("unexpected", 0), std::string::npos) << line;
  }
  ASSERT_EQ(answers.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    std::string expected = utf8(expand(rows[i].expected));
    const bool nonzero = expected.ends_with('+');
    if (nonzero) expected.pop_back();
    EXPECT_EQ(nonzero ? answers[i].substr(0, expected.size()) : answers[i], expected) << utf8(rows[i].call);
    EXPECT_TRUE(!nonzero || answers[i] != expected + "0") << utf8(rows[i].call) << " answered 0";
  }
  for (const auto &[file, bytes] : {std::pair<std::wstring, std::string>{L"text.txt", "h\xC3\xA9llo \xE4\xB8\xAD\xE6\x96\x87!"},
                                     {L"wide.txt", std::string("\xFF\xFE" "a\0b\0", 6)},
                                     {L"raw.txt", "unterminated"}, {L"dst\\a.txt", "new a"}})
    EXPECT_EQ(tarvo::test::raw_read(data_ + file), bytes) << utf8(file);
  for (int n = 1; n <= 5; ++n)
    EXPECT_EQ(tarvo::test::raw_read(data_ + L"m" + std::to_wstring(n) + L".txt").rfind("found ", 0), 0u) << n;
}

}  // namespace
