// The PowerPoint family on the stand-in presentation program: the member table, guards, the shape
// position, reference discipline on failures, the mended members, a scenario and the process boundary.
#include "member_test.hpp"
#include "ppt_standin.hpp"
#include "temp_dir.hpp"
#include "xppt.h"

namespace ppttest {
namespace {

using namespace membertest;
using tarvo::test::TempDir;

using PptTest = ApplicationTest<PPT_Create>;

// A fresh application with one presentation of one blank slide holding a text box "box" at (10, 20)
// sized 100 by 50 (TextBox 2), a table of 2 by 3 with "c23" in its last cell (Table 3) and a line
// (Straight Connector 4).
struct Objects {
  xComObject app = 0, pres = 0, slide = 0, box = 0, table = 0, line = 0;
  static Objects make() {
    Objects o{PPT_Create()};
    o.pres = PPT_NewFile(o.app);
    o.slide = PPT_AddSlide(o.pres, 1, 12);
    o.box = PPT_Slide_AddTextBoxW(o.slide, L"box", L"Arial", 18, 0, 1, 10, 20, 100, 50, 1);
    o.table = PPT_Slide_AddTable(o.slide, 2, 3, 0, 100, 300, 80);
    EXPECT_EQ(PPT_Table_SetCellTextW(o.table, 2, 3, L"c23"), 1);
    o.line = PPT_Slide_AddLine(o.slide, 0, 0, 50, 50);
    EXPECT_TRUE(o.app && o.pres && o.slide && o.box && o.table && o.line);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"app", app}, {"pres", pres}, {"slide", slide}, {"box", box}, {"table", table}, {"line", line}};
  }
  void release() {  // quits the application
    membertest::release({line, table, box, slide, pres});
    if (app) PPT_Quit(app);
    membertest::release(app);
    *this = {};
  }
};

using Row = MemberRow<Objects>;

#define W_ONLY(name, result, journal, ...) ROW(name, name##W, nullptr, #__VA_ARGS__, result, journal, __VA_ARGS__)
#define TEXT_PUT(put) L"get TextFrame()\nget TextRange()\n" put L"\n"
#define FONT_PUT(put) L"get TextFrame()\nget TextRange()\nget Font()\n" put L"\n"
#define CELL_23 L"get HasTable()\nget Table()\nget Cell(I4:2,I4:3)\nget Shape()\nget TextFrame()\nget TextRange()\n"
#define ARROWS(end, l, w, s)                                                                           \
  L"get Line()\nput " end L"ArrowheadLength()=I4:" l L"\nget Line()\nput " end L"ArrowheadWidth()=I4:" w \
  L"\nget Line()\nput " end L"ArrowheadStyle()=I4:" s L"\n"

const Row kRows[] = {
    ONE(PPT_Create, "o:obj", L""),
    ONE(PPT_GetObject, "o:null", L""),
    ONE(PPT_Visible, "n:1", L"put Visible()=BOOL:-1\n", o.app, 1),
    ONE(PPT_Visible, "n:0", L"put Visible()=BOOL:0\n", o.app, 0),  // the program cannot be hidden
    ONE(PPT_DisplayAlerts, "n:1", L"put DisplayAlerts()=I4:2\n", o.app, 7),
    ONE(PPT_DisplayAlerts, "n:1", L"put DisplayAlerts()=I4:1\n", o.app, 0),
    WA(PPT_SetCaption, "n:1", L"put Caption()=BSTR:\u00e91\n", o.app, kE1),
    ONE(PPT_Quit, "n:1", L"call Quit()\n", o.app),
    ONE(PPT_Files, "o:obj", L"get Presentations()\n", o.app),
    ONE(PPT_Shows, "o:obj", L"get Presentations()\n", o.app),
    ONE(PPT_NewFile, "o:obj", L"get Presentations()\nget Add()\n", o.app),
    WA(PPT_OpenFile, "o:null", L"get Presentations()\nget Open(BSTR:?\u00e91,BOOL:-1)\n", o.app, kBadPath, 1),
    WA(PPT_GetFile, "o:obj", L"get Presentations()\nget Item(BSTR:Presentation1)\n", o.app, ASCII("Presentation1")),
    ONE(PPT_GetFile_Index, "o:obj", L"get Presentations(I4:1)\n", o.app, 1),
    ONE(PPT_GetFileCount, "n:1", L"get Presentations()\nget Count()\n", o.app),
    ONE(PPT_GetActiveFile, "o:obj", L"get ActivePresentation()\n", o.app),
    WA(PPT_SetActiveFile, "n:1", L"get Presentations(BSTR:Presentation1)\nget Windows(I4:1)\ncall Activate()\n", o.app,
       ASCII("Presentation1")),
    ROW(PPT_SetActiveFile, PPT_SetActiveFile_Index, nullptr, "o.app, 1", "n:1",
        L"get Presentations(I4:1)\nget Windows(I4:1)\ncall Activate()\n", o.app, 1),
    ONE_C(PPT_SetActiveFile_Index, "n:1", L"get Presentations(I4:1)\nget Windows(I4:1)\ncall Activate()\n", o.app, 1),
    ONE(PPT_CloseAllFile, "n:1", L"get Presentations()\nget Count()\nget Presentations(I4:1)\ncall Close()\n"
        L"get Presentations()\nget Count()\n", o.app),
    ONE(PPT_File_Close, "n:1", L"call Close()\n", o.pres, 0),
    ONE(PPT_File_Close, "n:0", L"call Save()\n", o.pres, 1),
    ONE(PPT_File_Save, "n:0", L"call Save()\n", o.pres),
    WA(PPT_File_SaveAs, "n:0", L"call SaveAs(BSTR:?\u00e91)\n", o.pres, kBadPath),
    ONE(PPT_File_Saved, "n:1", L"put Saved()=BOOL:-1\n", o.pres, 1),
    WA(PPT_File_FullName, "t:Presentation1", L"get FullName()\n", o.pres),
    WA(PPT_File_Name, "t:Presentation1", L"get Name()\n", o.pres),
    WA(PPT_File_Path, "t:", L"get Path()\n", o.pres),
    ONE(PPT_SlideCount, "n:1", L"get Slides()\nget Count()\n", o.pres),
    ONE(PPT_GetSlide, "o:obj", L"get Slides()\nget Item(I4:1)\n", o.pres, 1),
    ONE(PPT_AddSlide, "o:obj", L"get Slides()\nget Add(I4:2,I4:12)\n", o.pres, 2, 12),
    W_ONLY(PPT_InsertSlideFromFile, "o:null", L"get Slides()\nget InsertFromFile(BSTR:?\u00e91,I4:0,I4:1,I4:1)\n",
           o.pres, kBadPath, 0, 1, 1),
    ONE(PPT_PasteSlide, "o:null", L"get Slides()\nget Paste(I4:1)\n", o.pres, 1),
    ONE(PPT_Slide_SlideID, "n:256", L"get SlideID()\n", o.slide),
    // The shape is the result whatever became of the puts after it ("*": a failing put is no failure).
    WA(PPT_Slide_AddTextBox, "*", L"get Shapes()\nget AddTextbox(I4:1,R8:10.5,R8:20,R8:100,R8:50)\n"
       TEXT_PUT(L"put Text()=BSTR:\u00e91") FONT_PUT(L"put Name()=BSTR:\u00e92") FONT_PUT(L"put NameFarEast()=BSTR:\u00e92")
       FONT_PUT(L"put Size()=I4:24") FONT_PUT(L"get Color()\nput RGB()=I4:255") TEXT_PUT(L"get ParagraphFormat()\nput Alignment()=I4:2"),
       o.slide, kE1, kE2, 24, 255, 1, 10.5, 20.0, 100.0, 50.0, 2),
    ONE(PPT_Slide_AddTable, "o:obj", L"get Shapes()\nget AddTable(I4:2,I4:3,R8:-5,R8:10,R8:300,R8:80)\n", o.slide, 2, 3,
        -5, 10, 300, 80),
    // The positions arrive exactly, the extremes included ("*": a table that size may be refused).
    ONE(PPT_Slide_AddTable, "*", L"get Shapes()\nget AddTable(I4:1,I4:1,R8:-2147483648,R8:2147483647,R8:16777217,R8:-16777217)\n",
        o.slide, 1, 1, -2147483647 - 1, 2147483647, 16777217, -16777217),
    ONE(PPT_Slide_AddLine, "o:obj", L"get Shapes()\nget AddLine(R8:1.5,R8:2,R8:30,R8:40)\n", o.slide, 1.5, 2.0, 30.0,
        40.0),
    ONE(PPT_Slide_ShapeCount, "n:3", L"get Shapes()\nget Count()\n", o.slide),
    ONE(PPT_Slide_GetShape, "o:obj", L"get Shapes()\nget Item(I4:3)\n", o.slide, 3),
    WA(PPT_Slide_GetShape_Name, "o:obj", L"get Shapes()\nget Item(BSTR:TextBox 2)\n", o.slide, ASCII("TextBox 2")),
    ONE(PPT_Shape_GetType, "n:17", L"get Type()\n", o.box),
    ONE(PPT_Shape_GetType, "n:19", L"get Type()\n", o.table),
    ONE(PPT_Shape_GetType, "n:9", L"get Type()\n", o.line),
    ONE(PPT_Shape_Move, "n:1", L"put Left()=R8:1.5\nput Top()=R8:-2\n", o.box, 1.5, -2.0),
    ONE(PPT_Shape_SetSize, "n:1", L"put Width()=R8:30\nput Height()=R8:40\n", o.box, 30.0, 40.0),
    ONE(PPT_Shape_Left, "n:10", L"get Left()\n", o.box),
    ONE(PPT_Shape_Top, "n:20", L"get Top()\n", o.box),
    ONE(PPT_Shape_Width, "n:100", L"get Width()\n", o.box),
    ONE(PPT_Shape_Height, "n:50", L"get Height()\n", o.box),
    ONE(PPT_Shape_Rotation, "n:1", L"call IncrementRotation(R8:45)\n", o.box, 45.0),
    WA(PPT_Shape_GetText, "t:box", L"get HasTextFrame()\n" TEXT_PUT(L"get Text()"), o.box),
    WA(PPT_Shape_SetText, "n:1", L"get HasTextFrame()\n" TEXT_PUT(L"put Text()=BSTR:\u00e91"), o.box, kE1),
    WA(PPT_Table_GetCellText, "t:c23", CELL_23 L"get Text()\n", o.table, 2, 3),
    WA(PPT_Table_SetCellText, "n:1", CELL_23 L"put Text()=BSTR:\u00e91\n", o.table, 2, 3, kE1),
    ONE(PPT_Table_RowCount, "n:2", L"get HasTable()\nget Table()\nget Rows()\nget Count()\n", o.table),
    ONE(PPT_Table_ColCount, "n:3", L"get HasTable()\nget Table()\nget Columns()\nget Count()\n", o.table),
    ONE(PPT_Line_SetDashStyle, "n:1", L"get Line()\nput DashStyle()=I4:4\n", o.line, 4),
    ONE(PPT_Line_SetBeginArrowStyle, "n:1", ARROWS(L"Begin", L"3", L"1", L"2"), o.line, 3, 1, 2),
    ONE(PPT_Line_SetEndArrowStyle, "n:1", ARROWS(L"End", L"1", L"3", L"6"), o.line, 1, 3, 6),
    ONE(PPT_Line_SetForeColor, "n:1", L"get Line()\nget ForeColor()\nput RGB()=I4:255\n", o.line, 255),
    ONE(PPT_Line_SetBackColor, "n:1", L"get Line()\nget BackColor()\nput RGB()=I4:65280\n", o.line, 65280),
    ONE(PPT_Line_SetPattern, "n:1", L"get Line()\nput Pattern()=I4:5\n", o.line, 5),
    ONE(PPT_Line_SetStyle, "n:1", L"get Line()\nput Style()=I4:3\n", o.line, 3),
    ONE(PPT_Line_SetTransparency, "n:1", L"get Line()\nput Transparency()=R8:0.5\n", o.line, 50),
    ONE(PPT_Line_SetTransparency, "n:1", L"get Line()\nput Transparency()=R8:1\n", o.line, 100),
    ONE(PPT_Line_SetTransparency, "n:0", L"get Line()\nput Transparency()=R8:1.01\n", o.line, 101),  // 0 to 1
    ONE(PPT_Line_SetWeight, "n:1", L"get Line()\nput Weight()=I4:3\n", o.line, 3),
};

TEST_F(PptTest, EveryRowInEveryFormAndItsFailureValues) {
  check_member_table(kRows, Objects::make, control(), script_, LuaKinds{XPPT_MEMBERS(MEMBERTEST_LUA_KIND)},
                     {L"raise", L"fail"});
}

// A guard that says no (or cannot be read) stops the member before its second call: the counters
// show the guard read and nothing of the text frame or table.
TEST_F(PptTest, GuardsMakeNoSecondCall) {
  Objects o = Objects::make();
  const auto count = [&](const wchar_t *member) {
    int32_t n = -1;
    EXPECT_EQ(member ? disp::GetValue(L"%d", &n, dispatch(probe_), L"._Count(%S)", member)
                     : disp::GetValue(L"%d", &n, dispatch(probe_), L"._Count()"), S_OK);
    return n;
  };
  const struct {
    std::function<std::string()> member;
    const wchar_t *guard, *never;
  } cases[] = {
      {[&] { return describe(PPT_Shape_GetTextW(o.line)); }, L"HasTextFrame", L"TextFrame"},
      {[&] { return describe(PPT_Shape_SetTextW(o.line, L"x")); }, L"HasTextFrame", L"TextFrame"},
      {[&] { return describe(PPT_Table_GetCellTextW(o.box, 1, 1)); }, L"HasTable", L"Table"},
      {[&] { return describe(PPT_Table_SetCellTextA(o.line, 1, 1, "x")); }, L"HasTable", L"Table"},
      {[&] { return describe(PPT_Table_RowCount(o.box)); }, L"HasTable", L"Table"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(&c - cases);
    control().clear();
    EXPECT_TRUE(is_failure_value(c.member()));
    EXPECT_EQ(std::vector<int32_t>({count(c.guard), count(c.never), count(nullptr)}), std::vector<int32_t>({1, 0, 1}))
        << "the guard read is the only call";
  }
  // A guard that cannot be read: the same, on a shape that would answer.
  for (const wchar_t *mode : {L"raise", L"empty"}) {
    control().fault(L"HasTextFrame", mode);
    control().clear();
    EXPECT_EQ(describe(PPT_Shape_GetTextW(o.box)), "t:");
    EXPECT_EQ(PPT_Shape_SetTextW(o.box, L"x"), 0);
    EXPECT_EQ(count(nullptr), 2);
    control().clear_faults();
  }
  EXPECT_EQ(describe(PPT_Shape_GetTextW(o.box)), "t:box") << "the text was not put";
  o.release();
}

// Every combination of absent out-pointers: only the present ones are read, in order; a failing read
// stops the rest and leaves the values before it read.
TEST_F(PptTest, ShapePositionWithOptionalOutPointers) {
  Objects o = Objects::make();
  ASSERT_EQ(PPT_Shape_Move(o.box, 10.5, 20), 1);
  const wchar_t *names[] = {L"Left", L"Top", L"Width", L"Height"};
  const double expected[] = {10.5, 20, 100, 50};
  for (int mask = 0; mask < 16; ++mask) {
    SCOPED_TRACE(mask);
    double v[4] = {-1, -1, -1, -1}, *p[4];
    std::wstring journal;
    for (int i = 0; i < 4; ++i) {
      p[i] = mask & (1 << i) ? &v[i] : nullptr;
      if (p[i]) journal += L"get " + std::wstring(names[i]) + L"()\n";
    }
    control().clear();
    EXPECT_EQ(PPT_Shape_GetPos(o.box, p[0], p[1], p[2], p[3]), 1);
    EXPECT_EQ(control().journal(), journal);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], p[i] ? expected[i] : -1) << utf8(names[i]);
  }
  for (int failing = 0; failing < 4; ++failing) {
    SCOPED_TRACE(utf8(names[failing]));
    double v[4] = {-1, -1, -1, -1};
    control().fault(names[failing], L"raise");
    control().clear();
    EXPECT_EQ(PPT_Shape_GetPos(o.box, &v[0], &v[1], &v[2], &v[3]), 0);
    EXPECT_EQ(control().journal().find(failing < 3 ? names[failing + 1] : L"\n\n"), std::wstring::npos);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], i < failing ? expected[i] : -1);
    control().clear_faults();
  }
  EXPECT_EQ(PPT_Shape_GetPos(0, nullptr, nullptr, nullptr, nullptr), 1) << "nothing asked, nothing read";
  double left = -1;
  EXPECT_EQ(PPT_Shape_GetPos(0, &left, nullptr, nullptr, nullptr), 0);
  o.release();
}

// The script forms: the position as a record and as a list (0 for what could not be read), and the
// single readers cut toward zero.
TEST_F(PptTest, ScriptPositionTablesAndTruncation) {
  Objects o = Objects::make();
  script_.set("box", o.box);
  const struct {
    double left;
    const char *code, *result;
  } cases[] = {
      {10.5, "return T.PPT_Shape_GetPos(box)", "R{h=50.0,w=100.0,x=10.5,y=20.0}"},
      {10.5, "return T.PPT_Shape_GetPosArray(box)", "L{[1]=10.5,[2]=20.0,[3]=100.0,[4]=50.0}"},
      {10.5, "return T.PPT_Shape_Left(box)", "n:10"},
      {-10.5, "return T.PPT_Shape_Left(box)", "n:-10"},
      {10.5, "return T.PPT_Shape_GetPos(0)", "R{h=0.0,w=0.0,x=0.0,y=0.0}"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.code);
    ASSERT_EQ(PPT_Shape_Move(o.box, c.left, 20), 1);
    EXPECT_EQ(script_.run(c.code), c.result);
  }
  EXPECT_EQ(PPT_Shape_Left(o.box), 10.5) << "the C reader keeps the fraction";
  control().fault(L"Width", L"raise");
  EXPECT_EQ(script_.run("return T.PPT_Shape_GetPosArray(box)"), "L{[1]=10.5,[2]=20.0,[3]=0.0,[4]=0.0}");
  o.release();
}

// Reference discipline and the first failure: the live objects come back to where they were after
// every case, whichever call of a member fails (text box puts, guards, table cells, line puts), and a
// put in a row sends nothing after a failing one.
TEST_F(PptTest, EveryObjectReleasedOnSuccessAndInjectedFailure) {
#define TEXT_BOX CALL(PPT_Slide_AddTextBoxW(o.slide, L"t", L"Arial", 9, 0, 1, 0, 0, 9, 9, 1))
  const FaultCase<Objects> cases[] = {
      {nullptr, 0, TEXT_BOX, "o:obj"},
      {L"put Text", 0, TEXT_BOX, "o:obj"},
      {L"Font", 0, TEXT_BOX, "o:obj"},
      {L"RGB", 0, TEXT_BOX, "o:obj"},
      {L"ParagraphFormat", 0, TEXT_BOX, "o:obj"},
      {L"AddTextbox", 0, TEXT_BOX, "o:null"},
      {L"HasTextFrame", 0, CALL(PPT_Shape_GetTextW(o.box)), "t:"},
      {L"TextRange", 0, CALL(PPT_Shape_SetTextA(o.box, "x")), "n:0"},
      {nullptr, 0, CALL(PPT_Table_GetCellTextA(o.table, 2, 3)), "t:c23"},
      {L"Cell", 0, CALL(PPT_Table_GetCellTextW(o.table, 2, 3)), "t:"},
      {L"Shape", 0, CALL(PPT_Table_SetCellTextW(o.table, 1, 1, L"x")), "n:0"},
      {L"Rows", 0, CALL(PPT_Table_RowCount(o.table)), "n:0"},
      {L"HasTable", 0, CALL(PPT_Table_ColCount(o.table)), "n:0"},
      {L"AddTable", 0, CALL(PPT_Slide_AddTable(o.slide, 1, 1, 0, 0, 9, 9)), "o:null"},
      {L"put Left", 0, CALL(PPT_Shape_Move(o.box, 1, 2)), "n:0", L"Top"},
      {L"put BeginArrowheadLength", 0, CALL(PPT_Line_SetBeginArrowStyle(o.line, 1, 1, 1)), "n:0", L"Width"},
      {L"put BeginArrowheadWidth", 0, CALL(PPT_Line_SetBeginArrowStyle(o.line, 1, 1, 1)), "n:0", L"BeginArrowheadStyle"},
      // The program refuses a negative width and an arrowhead width of 9.
      {nullptr, 0, CALL(PPT_Shape_SetSize(o.box, -1, 2)), "n:0", L"Height"},
      {nullptr, 0, CALL(PPT_Line_SetEndArrowStyle(o.line, 1, 9, 1)), "n:0", L"EndArrowheadStyle"},
  };
#undef TEXT_BOX
  check_fault_cases(cases, Objects::make, control(), baseline_, {L"raise", L"empty"});
}

std::string slide_texts(xComObject pres) {
  std::string out;
  for (int32_t i = 1, n = PPT_SlideCount(pres); i <= n; ++i) {
    xComObject slide = PPT_GetSlide(pres, i), first = PPT_Slide_GetShape(slide, 1);
    out += describe(PPT_Shape_GetTextW(first)).substr(2) + (i < n ? "," : "");
    release({first, slide});
  }
  return out;
}

// Build a presentation, save and close it (not while its save fails), insert its slides into another,
// copy and paste a slide, read everything back, close all.
TEST_F(PptTest, ScenarioBuildSaveInsertCopyPasteReadBack) {
  TempDir dir;
  const std::wstring path = dir.file(L"\u6f14\u793a.pptx");
  xComObject app = PPT_Create(), pres = PPT_NewFile(app);
  int32_t index = 1;
  for (const wchar_t *text : {L"one \u4e00", L"two", L"three"}) {
    xComObject slide = PPT_AddSlide(pres, index++, 12);
    release(PPT_Slide_AddTextBoxW(slide, text, L"\u5b8b\u4f53", 28, 0xFF, 1, 10, 10, 400, 60, 2));
    xComObject table = PPT_Slide_AddTable(slide, 2, 2, 10, 100, 200, 80), line = PPT_Slide_AddLine(slide, 300, 300, 100, 200);
    EXPECT_EQ(PPT_Table_SetCellTextW(table, 2, 1, L"cell \U0001F600"), 1);
    release({line, table, slide});
  }
  ASSERT_EQ(PPT_File_SaveAsW(pres, path.c_str()), 1);
  // Closed with its changes saved only when the save worked.
  xComObject second = PPT_GetSlide(pres, 2), box = PPT_Slide_GetShape(second, 1);
  EXPECT_EQ(PPT_Shape_SetTextW(box, L"deux"), 1);
  control().fault(L"Save", L"raise");
  EXPECT_EQ(PPT_File_Close(pres, 1), 0);
  control().clear_faults();
  EXPECT_EQ(describe(PPT_Shape_GetTextW(box)), "t:deux") << "still open, the change still there";
  EXPECT_EQ(PPT_File_Close(pres, 1), 1);
  EXPECT_EQ(PPT_GetFileCount(app), 0);
  release({box, second, pres});

  xComObject other = PPT_NewFile(app), kept = PPT_AddSlide(other, 1, 1);  // title and subtitle placeholders
  xComObject title = PPT_Slide_GetShape(kept, 1);
  EXPECT_EQ(PPT_Shape_SetTextW(title, L"kept"), 1);
  xComObject inserted = PPT_InsertSlideFromFileW(other, path.c_str(), 1, 2, 3);
  ASSERT_NE(inserted, 0);
  int32_t index_of_inserted = -1;
  EXPECT_EQ(disp::GetValue(L"%d", &index_of_inserted, dispatch(inserted), L".SlideIndex"), S_OK);
  EXPECT_EQ(index_of_inserted, 2) << "the first inserted slide";
  EXPECT_EQ(slide_texts(other), "kept,deux,three");
  EXPECT_EQ(PPT_InsertSlideFromFileW(other, path.c_str(), 0, 3, 2), 0) << "nothing to insert";
  EXPECT_EQ(disp::CallMethod(dispatch(inserted), L".Copy()"), S_OK);
  xComObject pasted = PPT_PasteSlide(other, 1);
  ASSERT_NE(pasted, 0);
  EXPECT_NE(PPT_Slide_SlideID(pasted), PPT_Slide_SlideID(inserted)) << "a pasted slide is a new slide";
  EXPECT_EQ(slide_texts(other), "deux,kept,deux,three");
  xComObject table = PPT_Slide_GetShape_NameA(pasted, "Table 3"), line = PPT_Slide_GetShape(pasted, 3);
  EXPECT_EQ(describe(PPT_Table_GetCellTextW(table, 2, 1)), "t:cell \U0001F600");
  EXPECT_EQ(PPT_Table_RowCount(table) * 10 + PPT_Table_ColCount(table), 22);
  double pos[4] = {};
  EXPECT_EQ(PPT_Shape_GetPos(line, &pos[0], &pos[1], &pos[2], &pos[3]), 1);
  EXPECT_EQ(std::vector<double>(pos, pos + 4), (std::vector<double>{100, 200, 200, 100}));
  release({line, table, pasted, inserted, title, kept});
  EXPECT_EQ(script_.run("return T.PPT_SetActiveFile(" + std::to_string(app) + ", {})"), "n:0");
  release(other);
  // All closed one by one; a close that fails or closes nothing stops the rest.
  for (int i = 0; i < 2; ++i) release(PPT_NewFile(app));
  control().fault(L"Close", L"raise", 0, 2);
  EXPECT_EQ(PPT_CloseAllFile(app), 0);
  EXPECT_EQ(PPT_GetFileCount(app), 2) << "one closed, then the failure stopped it";
  control().clear_faults();
  control().fault(L"Close", L"empty");
  EXPECT_EQ(PPT_CloseAllFile(app), 0);
  control().clear_faults();
  EXPECT_EQ(PPT_CloseAllFile(app), 1);
  EXPECT_EQ(PPT_GetFileCount(app), 0);
  EXPECT_EQ(PPT_CloseAllFile(app), 1) << "nothing to close";
  EXPECT_EQ(PPT_Quit(app), 1);
  release(app);
}

// A local server: attached through the running-object table, objects marshalled across, released.
TEST_F(PptTest, AcrossTheProcessBoundary) {
  LocalServer server(standin::ppt::kPptClsid);
  xComObject attached = PPT_GetObject();
  ASSERT_NE(attached, 0) << "the running instance is found";
  xComObject pres = PPT_NewFile(attached), slide = PPT_AddSlide(pres, 1, 11), title = PPT_Slide_GetShape(slide, 1);
  EXPECT_EQ(PPT_Shape_SetTextW(title, L"\u8fdc\u7a0b"), 1);
  EXPECT_EQ(describe(PPT_Shape_GetTextW(title)), "t:\u8fdc\u7a0b");
  release({title, slide, pres});
  EXPECT_EQ(server.live(), server.start) << "released across the boundary";
  EXPECT_EQ(PPT_Quit(attached), 1);
  release(attached);
  server.ref.reset();
  EXPECT_EQ(PPT_GetObject(), 0) << "Quit left the running-object table";
}

}  // namespace
}  // namespace ppttest
