// Whole sheets and books into script tables through the stand-in application
// and the stand-in file library over the same book: every shape and error
// table, what the reads leave behind, and the binding of the file library.
#include "excel_fixture.hpp"

#include "temp_dir.hpp"

#include <fstream>

namespace exceltest {
namespace {

// One book of the stand-ins' own format: a sheet for each shape.
const char kBook[] =
    "tarvo-book\t1\nformat\t51\nactive\t1\n"
    "sheet\tNamed\n"
    "cell\tA1\ts\tName\ncell\tB1\ts\tQty\n"
    "cell\tA2\ts\tapple\ncell\tB2\tn\t3\n"
    "cell\tA3\ts\t\xe6\xa2\xa8\ncell\tB3\tn\t3.75\n"
    "cell\tA4\ts\t\xf0\x9f\x98\x80x\ncell\tB4\tn\t-2\n"
    "sheet\tKeyB\n"
    "cell\tA1\ts\tx\ncell\tB1\ts\ty\ncell\tA2\ts\ta2\ncell\tB2\ts\tb2\ncell\tA3\ts\ta3\ncell\tA4\ts\ta4\n"
    "sheet\tGap\n"
    "cell\tA1\ts\ta\ncell\tC1\ts\tc\ncell\tA2\ts\tv\ncell\tC2\ts\tw\n"
    "sheet\tEmpty\n"
    "sheet\tHeaderOnly\n"
    "cell\tA1\ts\th1\ncell\tB1\ts\th2\n"
    "sheet\tDup\n"
    "cell\tA1\ts\tk\ncell\tB1\ts\tk\ncell\tA2\ts\t1\ncell\tB2\ts\t2\n";

// An entry point of the stand-in file library, which sits beside the test.
template <class F>
F standin_entry(const char *name) {
  return reinterpret_cast<F>(GetProcAddress(GetModuleHandleW(L"tarvo_libxl_standin.dll"), name));
}

class SheetReadTest : public ExcelTest {
 protected:
  void SetUp() override {
    ExcelTest::SetUp();
    const std::wstring path = dir_.file(L"\u043a\u043d\u0438\u0433\u0430.xlsx");
    std::ofstream(path.c_str(), std::ios::binary) << kBook;
    script_.run("P = [[" + utf8(path) + "]] M = [[" + utf8(dir_.file(L"missing.xlsx")) + "]]");
    ASSERT_EQ(script_.run("return T.LibXL_Init('tarvo_libxl_standin.dll')"), "n:1");
    live_books_ = standin_entry<long (*)()>("xlStandinLiveBooks");
    fail_ = standin_entry<void (*)(const char *)>("xlStandinFail");
    ASSERT_TRUE(live_books_ && fail_);
  }
  void TearDown() override {
    if (fail_) fail_(nullptr);
    left_behind();
    ExcelTest::TearDown();
  }
  void left_behind() {
    EXPECT_EQ(control().live(), baseline_) << "an automation object was left behind";
    EXPECT_EQ(live_books_ ? live_books_() : 0, 0) << "a file-library book was left behind";
  }
  // The call (E the engine flag) through both engines: the same table.
  std::string both(const std::string &call) {
    const std::string application = script_.run("E = false return T." + call);
    const std::string file = script_.run("E = true return T." + call);
    EXPECT_EQ(application, file) << call;
    return application;
  }

  tarvo::test::TempDir dir_;
  long (*live_books_)() = nullptr;
  void (*fail_)(const char *) = nullptr;
};

#define LIST_ROW(a, b) "L{[1]=\"" a "\",[2]=\"" b "\"}"
#define NAMED_LIST "L{[1]=" LIST_ROW("apple", "3") ",[2]=" LIST_ROW("\xe6\xa2\xa8", "3.75") ",[3]=" \
                   LIST_ROW("\xf0\x9f\x98\x80x", "-2") "}"
#define DONE(rows) ",LastError=\"\",RowCount=" rows ",Success=true}"
#define SHEET_ERROR(message) "R{ColCount=0,Data=L{},LastError=\"" message "\",RowCount=0,Success=false}"
#define BOOK_ERROR(message, sheets) "R{LastError=\"" message "\",SheetCount=0,Sheets=" sheets ",Success=false}"

TEST_F(SheetReadTest, EveryShapeAndErrorIsTheSameThroughBothEnginesAndLeavesNothingBehind) {
  const struct {
    const char *call, *table;
  } kReads[] = {
      {"Excel_ReadSheet(P, 'Named', 'A', 1, true, E)",
       "R{ColCount=2,Data=L{[1]=R{Name=\"apple\",Qty=\"3\"},[2]=R{Name=\"\xe6\xa2\xa8\",Qty=\"3.75\"},"
       "[3]=R{Name=\"\xf0\x9f\x98\x80x\",Qty=\"-2\"}},LastError=\"\",MapField=R{Name=1,Qty=2},"
       "MapIndex=L{[1]=\"Name\",[2]=\"Qty\"},RowCount=3,Success=true}"},
      {"Excel_ReadSheet(P, 'Named', 'A', 1, false, E)", "R{ColCount=2,Data=" NAMED_LIST DONE("3")},
      {"Excel_ReadSheet(P, 1, nil, nil, nil, E)", "R{ColCount=2,Data=" NAMED_LIST DONE("3")},
      // A key column of numbers: the file library reads them as numbers.
      {"Excel_ReadSheet(P, nil, 'b', 1, false, E)", "R{ColCount=2,Data=" NAMED_LIST DONE("3")},
      {"Excel_ReadSheet(P, 'Named', 'A', 2, false, E)",
       "R{ColCount=2,Data=L{[1]=" LIST_ROW("\xe6\xa2\xa8", "3.75") ",[2]=" LIST_ROW("\xf0\x9f\x98\x80x", "-2")
       "}" DONE("2")},
      {"Excel_ReadSheet(P, 'KeyB', 'B', 1, false, E)", "R{ColCount=2,Data=L{[1]=" LIST_ROW("a2", "b2") "}" DONE("1")},
      {"Excel_ReadSheet(P, 'Gap', 'A', 1, false, E)", "R{ColCount=1,Data=L{[1]=L{[1]=\"v\"}}" DONE("1")},
      {"Excel_ReadSheet(P, 'Empty', 'A', 1, true, E)", "R{ColCount=0,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'HeaderOnly', 'A', 1, true, E)", "R{ColCount=2,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'Dup', 'A', 1, true, E)",
       "R{ColCount=2,Data=L{[1]=R{k=\"2\"}},LastError=\"\",MapField=R{k=2},MapIndex=L{[1]=\"k\",[2]=\"k\"},"
       "RowCount=1,Success=true}"},
      {"Excel_ReadSheet(P, 'Named', 'A', 0, false, E)", "R{ColCount=0,Data=L{},RowCount=4}"},
      {"Excel_ReadSheet(P, 'Named', 'A', math.maxinteger, false, E)", "R{ColCount=0,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'Named', '', math.mininteger, true, E)", "R{ColCount=0,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'Named', {}, 1, false, E)", "R{ColCount=2,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet({}, 1, 'A', 1, false, E)", SHEET_ERROR("Param1 Datatype Error !")},
      {"Excel_ReadSheet(P, true, 'A', 1, false, E)", SHEET_ERROR("Param2 Datatype Error !")},
      {"Excel_ReadSheet(P, {}, 'A', 1, false, E)", SHEET_ERROR("Param2 Datatype Error !")},
      {"Excel_ReadSheet(M, 1, 'A', 1, false, E)", SHEET_ERROR("GetBook Failed !")},
      {"Excel_ReadSheet(0, 1, 'A', 1, false, E)", SHEET_ERROR("GetBook Failed !")},
      {"Excel_ReadSheet(P, 'Nope', 'A', 1, false, E)", SHEET_ERROR("GetSheet Failed !")},
      {"Excel_ReadSheet(P, 7, 'A', 1, false, E)", SHEET_ERROR("GetSheet Failed !")},
      {"Excel_ReadBook(false, 'A', 1, true, false, E)", BOOK_ERROR("Param1 Datatype Error !", "R{}")},
      {"Excel_ReadBook(M, 'A', 1, true, false, E)", BOOK_ERROR("GetBook Failed !", "R{}")},
      {"Excel_ReadBook(M, 'A', 1, false, false, E)", BOOK_ERROR("GetBook Failed !", "L{}")},
  };
  for (const auto &read : kReads) {
    EXPECT_EQ(both(read.call), read.table) << read.call;
    left_behind();
  }
  // A Lua error while building (no BasicLib) is raised after the tidying up.
  for (const std::string engine : {"false", "true"}) {
    EXPECT_EQ(script_.run("local B = BasicLib BasicLib = nil local ok = pcall(T.Excel_ReadSheet, P, 1, 'A', 1, false, " +
                          engine + ") BasicLib = B return ok"), "n:0");
    left_behind();
  }
}

TEST_F(SheetReadTest, BooksAreTheSameThroughBothEngines) {
  const std::string by_name = both("Excel_ReadBook(P, 'A', 1, true, true, E)");
  EXPECT_EQ(by_name.rfind("R{LastError=\"\",SheetCount=6,Sheets=R{Dup=R{", 0), 0u) << by_name;
  EXPECT_NE(by_name.find("SheetIndex=1,SheetName=\"Named\",Success=true}},Success=true}"), std::string::npos);
  EXPECT_NE(by_name.find("Empty=R{ColCount=0,Data=L{},RowCount=0,SheetIndex=4,SheetName=\"Empty\"}"),
            std::string::npos);
  const std::string by_number = both("Excel_ReadBook(P, nil, nil, false, nil, E)");
  EXPECT_EQ(by_number.rfind("R{LastError=\"\",SheetCount=6,Sheets=L{[1]=R{ColCount=2,Data=" NAMED_LIST, 0), 0u)
      << by_number;
  // Unreadable names: the sheets are keyed by number, not all by "".
  control().fault(L"get Name", L"fail");
  fail_("xlBookGetSheetNameW");
  const std::string unnamed = both("Excel_ReadBook(P, 'A', 1, true, false, E)");
  EXPECT_NE(unnamed.find("Sheets=R{[1]=R{"), std::string::npos) << unnamed;
  EXPECT_NE(unnamed.find("[6]=R{"), std::string::npos) << unnamed;
  EXPECT_EQ(script_.run("E = true return T.Excel_ReadSheet(P, 'Named', 'A', 1, false, E).LastError"),
            "t:GetSheet Failed !");
  // No sheet at all from the file library: empty sheets, never a read through null.
  fail_("xlBookGetSheetW");
  EXPECT_NE(script_.run("return T.Excel_ReadBook(P, 'A', 1, false, false, true)")
                .find("[6]=R{ColCount=0,Data=L{},RowCount=0,SheetIndex=6,SheetName=\"Dup\"}},Success=true}"),
            std::string::npos);
}

// Through the application a path gets an application of its own, whose book
// alone is closed; a handle given in is neither closed nor released.
TEST_F(SheetReadTest, TidyingUpClosesOnlyTheBookTheReadOpened) {
  Objects o = Objects::make();
  Excel_Sheet_SetCellTextW(o.sheet, 1, 1, L"h");
  Excel_Sheet_SetCellTextW(o.sheet, 2, 1, L"v");
  control().clear();
  EXPECT_EQ(script_.run("return T.Excel_ReadSheet(P, 1, 'A', 1, false, false).RowCount"), "n:3");
  const std::wstring journal = control().journal();
  EXPECT_TRUE(journal.ends_with(L"call Close(BOOL:0)\nget Workbooks()\nget Count()\ncall Quit()\n")) << utf8(journal);
  EXPECT_EQ(journal.find(L"call Close()"), std::wstring::npos) << "all books closed";
  script_.set("B", o.book);
  EXPECT_EQ(script_.run("return T.Excel_ReadSheet(B, 1, 'A', 1, false, false)"),
            "R{ColCount=1,Data=L{[1]=L{[1]=\"v\"}}" DONE("1"));
  EXPECT_EQ(control().journal().find(L"Close"), std::wstring::npos);
  EXPECT_EQ(Excel_GetBookCount(o.app), 1);
  o.release();
}

// The binding, in the order a script meets it (each test runs in a process
// of its own: nothing is bound at the start).
TEST(LibXLBinding, AllOrNothingAndAFailedRebindingKeepsTheGoodOne) {
  tarvo::test::TempDir dir;
  const std::wstring path = dir.file(L"b.xlsx");
  std::ofstream(path.c_str(), std::ios::binary) << kBook;
  Script s;
  s.run("P = [[" + utf8(path) + "]]");
  const struct {
    const char *call, *result;
  } kSteps[] = {
      {"return T.LibXL_NewBook()", "n:0"},  // before any binding: nothing is called
      {"return T.LibXL_BookLoad(12345, P)", "n:0"},
      {"return T.LibXL_Release(12345)", "none"},
      {"return T.Excel_ReadSheet(P, 1, 'A', 1, false, true).LastError", "t:GetBook Failed !"},
      {"return T.LibXL_Init('no_such_library.dll')", "n:0"},
      {"return T.LibXL_Init('tarvo_libxl_standin_noansi.dll')", "n:0"},
      {"return T.LibXL_NewBook()", "n:0"},
      {"return T.LibXL_Init('tarvo_libxl_standin.dll')", "n:1"},
      {"X = T.LibXL_NewBook() return X ~= 0", "n:1"},
      {"return T.LibXL_Init('tarvo_libxl_standin_noansi.dll')", "n:0"},
      {"return T.LibXL_BookLoad(X, P .. 'x')", "n:0"},  // a missing file
      {"return T.LibXL_BookLoad(X, P)", "n:1"},  // the good binding still works
      {"return T.Excel_ReadSheet(X, 'KeyB', 'A', 1, false, true).RowCount", "n:3"},
      {"return T.LibXL_Release(X)", "none"},
  };
  for (const auto &step : kSteps) EXPECT_EQ(s.run(step.call), step.result) << step.call;
  for (const char *call : {"LibXL_Init()", "LibXL_BookLoad(1)", "LibXL_NewBook(1, 2)", "Excel_ReadSheet(P)", "Excel_ReadBook()"})
    EXPECT_TRUE(s.run(std::string("return T.") + call).ends_with("param count error !")) << call;
  // The format of a new book, as the stand-in saw it made.
  const auto is_xml = standin_entry<int32_t (*)(intptr_t)>("xlStandinBookIsXml");
  ASSERT_TRUE(is_xml);
  for (auto [argument, xml] : {std::pair{"", 1}, {"1", 1}, {"0", 0}}) {
    const std::string handle = s.run(std::string("X = T.LibXL_NewBook(") + argument + ") return X");
    EXPECT_EQ(is_xml(static_cast<intptr_t>(std::stod(handle.substr(2)))), xml) << argument;
    s.run("T.LibXL_Release(X)");
  }
}

}  // namespace
}  // namespace exceltest
