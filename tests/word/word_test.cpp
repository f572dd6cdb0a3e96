// The Word family on the stand-in word processor: the member table in every form with its failure
// values, helper objects released on every path, and a scenario per area.
#include "member_test.hpp"
#include "temp_dir.hpp"
#include "word_standin.hpp"
#include "xword.h"

namespace wordtest {
namespace {

using namespace membertest;
using tarvo::test::raw_write;
using tarvo::test::TempDir;

using WordTest = ApplicationTest<Word_Create>;

// What a document holds, read around the library.
std::wstring story(xComObject doc) {
  tarvo::com::Bstr text;
  EXPECT_EQ(disp::GetValue(L"%S", text.put(), dispatch(doc), L".Content.Text"), S_OK);
  return text.c_str();
}
xComObject range_of(xComObject doc, int32_t start, int32_t end) {
  IDispatch *range = nullptr;
  EXPECT_EQ(disp::GetValue(L"%o", &range, dispatch(doc), L".Range(%d, %d)", start, end), S_OK);
  return reinterpret_cast<xComObject>(range);
}

// A fresh application with one document holding "Hello world", the caret
// after it (position 11), a 2 x 2 table whose cell (1, 1) holds "a", three
// inline shapes (a picture, a chart, an embedded OLE object) and one
// floating auto shape at 10, 20 sized 30 x 40.
struct Objects {
  xComObject app = 0, doc = 0, sel = 0, table = 0, picture = 0, chart = 0, ole = 0, shape = 0;
  static Objects make() {
    Objects o{Word_Create()};
    o.doc = Word_NewFile(o.app);
    o.sel = Word_GetSelection(o.app);
    EXPECT_EQ(Word_Sel_InsTextW(o.sel, L"Hello world"), 1);
    o.table = Word_Doc_InsTable(o.doc, 0, 2, 2);
    EXPECT_EQ(Word_Table_SetTextW(o.table, 1, 1, L"a"), 1);
    o.picture = Word_Doc_NewInlineShape(o.doc, 0);
    o.chart = Word_Doc_AddInlineChart(o.doc, -1, 51, 0);
    EXPECT_EQ(disp::GetValue(L"%o", reinterpret_cast<IDispatch **>(&o.ole), dispatch(o.doc),
                             L".InlineShapes.AddOLEObject(%S)", L"Excel.Sheet.12"), S_OK);
    o.shape = Word_Doc_AddShape(o.doc, 1, 10, 20, 30, 40);
    EXPECT_TRUE(o.app && o.doc && o.sel && o.table && o.picture && o.chart && o.ole && o.shape);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"app", app}, {"doc", doc}, {"sel", sel}, {"table", table}, {"picture", picture},
            {"chart", chart}, {"ole", ole}, {"shape", shape}};
  }
  void release() {  // quits the application
    membertest::release({shape, ole, chart, picture, table, sel, doc});
    if (app) Word_Quit(app);
    membertest::release({app});
    *this = {};
  }
};

using Row = MemberRow<Objects>;

#define AT_CARET L"get ActiveWindow()\nget Selection()\nget Range()\n"
#define CARET L"DISPATCH:Range(11,11)"
#define MISSING L"ERROR:80020004"
#define M7 MISSING L"," MISSING L"," MISSING L"," MISSING L"," MISSING L"," MISSING L"," MISSING
#define FIND_AND_REPLACE(find, replacement, wrap) \
  L"put Text()=BSTR:" find L"\nget Replacement()\nput Text()=BSTR:" replacement L"\nput Forward()=BOOL:-1\n" \
  L"call Execute(" M7 L",I4:" wrap L"," MISSING L"," MISSING L",I4:2)\n"
#define INLINE_ITEM(i, test) L"get InlineShapes()\nget Item(I4:" i L")\nget " test L"()\n"
#define FLOATING_ITEM(i, test) L"get Shapes()\nget Item(I4:" i L")\nget " test L"()\n"
#define COUNT_OF(collection) L"get " collection L"()\nget Count()\n"
#define SCAN_ALL(test) COUNT_OF(L"InlineShapes") INLINE_ITEM(L"1", test) INLINE_ITEM(L"2", test) \
  INLINE_ITEM(L"3", test) COUNT_OF(L"Shapes") FLOATING_ITEM(L"1", test)
#define STATISTIC(code, flag) L"get ComputeStatistics(I4:" code L",BOOL:" flag L")\n"
#define FONT(put) L"get Font()\nput " put L"\n"

const Row kRows[] = {
    ONE(Word_Create, "o:obj", L""),
    ONE(Word_Visible, "n:1", L"put Visible()=BOOL:-1\n", o.app, 1),
    ONE(Word_DisplayAlerts, "n:1", L"put DisplayAlerts()=BOOL:0\n", o.app, 0),
    WA(Word_SetCaption, "n:1", L"put Caption()=BSTR:\u00e91\n", o.app, kE1),
    ONE(Word_Quit, "n:1", L"call Quit()\n", o.app),
    ONE(Word_Files, "o:obj", L"get Documents()\n", o.app),
    ONE(Word_NewFile, "o:obj", L"get Documents()\nget Add()\n", o.app),
    WA(Word_OpenFile, "o:null", L"get Documents()\nget Open(BSTR:\u00e91,I4:0,BOOL:-1)\n", o.app, kE1, 1),
    WA(Word_GetFile, "o:obj", L"get Documents()\nget Item(BSTR:Document1)\n", o.app, ASCII("Document1")),
    ONE(Word_GetFile_Index, "o:obj", L"get Documents(I4:1)\n", o.app, 1),
    ONE(Word_GetFileCount, "n:1", COUNT_OF(L"Documents"), o.app),
    ONE(Word_GetActiveFile, "o:obj", L"get ActiveDocument()\n", o.app),
    WA(Word_SetActiveFile, "n:1", L"get Documents(BSTR:Document1)\ncall Activate()\n", o.app, ASCII("Document1")),
    ONE_C(Word_SetActiveFile_Index, "n:1", L"get Documents(I4:1)\ncall Activate()\n", o.app, 1),
    ONE_C(Word_CloseAllFile, "n:1", L"get Documents()\ncall Close()\n", o.app),
    ONE(Word_File_Close, "n:1", L"call Close(BOOL:0)\n", o.doc, 0),
    ONE(Word_File_Save, "*", L"call Save()\n", o.doc),
    WA(Word_File_SaveAs, "n:0", L"call SaveAs(BSTR:?\u00e91)\n", o.doc, kBadPath),
    ONE(Word_File_Saved, "n:1", L"put Saved()=BOOL:-1\n", o.doc, 1),
    WA(Word_File_FullName, "t:Document1", L"get FullName()\n", o.doc),
    WA(Word_File_Name, "t:Document1", L"get Name()\n", o.doc),
    WA(Word_File_Path, "t:", L"get Path()\n", o.doc),
    ONE(Word_GetSelection, "o:obj", L"get Selection()\n", o.app),
    ONE(Word_Doc_GetSelection, "o:obj", L"get ActiveWindow()\nget Selection()\n", o.doc),
    ONE(Word_Sel_MoveDown, "n:1", L"call MoveDown()\n", o.sel),
    ONE(Word_Sel_MoveUp, "n:1", L"call MoveUp()\n", o.sel),
    ONE(Word_Sel_MoveLeft, "n:1", L"call MoveLeft()\n", o.sel),
    ONE(Word_Sel_MoveRight, "n:1", L"call MoveRight()\n", o.sel),
    WA(Word_Sel_SetFont, "n:1", FONT(L"Name()=BSTR:\u00e91") FONT(L"Size()=I4:12") FONT(L"Color()=I4:255")
       FONT(L"Bold()=BOOL:-1") FONT(L"Italic()=BOOL:0"), o.sel, kE1, 12, 255, 1, 0),
    WA(Word_Sel_InsText, "n:1", L"call TypeText(BSTR:\u00e91)\n", o.sel, kE1),
    WA(Word_Sel_SetStyle, "n:1", L"put Style()=BSTR:Heading 1\n", o.sel, ASCII("Heading 1")),
    ONE(Word_Sel_InsLF, "n:1", L"call TypeParagraph()\n", o.sel),
    ONE(Word_GetCharCount, "n:10", STATISTIC(L"3", L"0"), o.doc, 0),
    ONE(Word_GetWordCount, "n:2", STATISTIC(L"0", L"-1"), o.doc, 1),
    ONE(Word_GetLineCount, "n:1", STATISTIC(L"1", L"0"), o.doc, 0),
    ONE(Word_GetParagraphCount, "n:1", STATISTIC(L"4", L"0"), o.doc, 0),
    ONE(Word_GetPageCount, "n:1", L"get Range()\nget Information(I4:4)\n", o.doc),
    WA(Word_Doc_Replace, "n:1", L"get ActiveWindow()\nget Selection()\nget Find()\n"
       FIND_AND_REPLACE(L"world", L"\u00e91", L"1"), o.doc, ASCII("world"), kE1),
    WA(Word_Sel_Replace, "n:1", L"get Find()\n" FIND_AND_REPLACE(L"\u00e92", L"\u00e93", L"0"), o.sel, kE2, kE3),
    ONE(Word_Doc_InsTable, "o:obj", AT_CARET L"get Tables()\nget Add(" CARET L",I4:2,I4:3)\n", o.doc, 0, 2, 3),
    ONE(Word_Doc_GetTable, "o:obj", L"get Tables(I4:1)\n", o.doc, 1),
    ONE(Word_Doc_TableCount, "n:1", COUNT_OF(L"Tables"), o.doc),
    WA(Word_Table_SetText, "n:1", L"get Cell(I4:1,I4:2)\nget Range()\nput Text()=BSTR:\u00e91\n", o.table, 1, 2, kE1),
    WA(Word_Table_GetText, "t:a\r\a", L"get Cell(I4:1,I4:1)\nget Range()\nget Text()\n", o.table, 1, 1),
    ONE(Word_Table_SelCell, "n:1", L"get Cell(I4:2,I4:2)\ncall Select()\n", o.table, 2, 2),
    ONE(Word_Doc_InlineShapeCount, "n:3", COUNT_OF(L"InlineShapes"), o.doc),
    ONE(Word_Doc_ShapeCount, "n:1", COUNT_OF(L"Shapes"), o.doc),
    ONE(Word_Doc_ShapeItemCount, "n:4", COUNT_OF(L"InlineShapes") COUNT_OF(L"Shapes"), o.doc),
    ONE(Word_Doc_GetInlineShape, "o:obj", L"get InlineShapes()\nget Item(I4:2)\n", o.doc, 2),
    ONE(Word_Doc_GetShape, "o:obj", L"get Shapes()\nget Item(I4:1)\n", o.doc, 1),
    ONE(Word_Doc_GetShapeItem, "o:obj", COUNT_OF(L"InlineShapes") L"get Shapes()\nget Item(I4:1)\n", o.doc, 4),
    ONE(Word_Doc_ChartCount, "n:1", SCAN_ALL(L"HasChart"), o.doc),
    ONE(Word_Doc_GetChart, "o:obj", COUNT_OF(L"InlineShapes") INLINE_ITEM(L"1", L"HasChart") INLINE_ITEM(L"2", L"HasChart"), o.doc, 1),
    ONE(Word_Doc_OLECount, "n:1", SCAN_ALL(L"Type"), o.doc),
    ONE(Word_Doc_GetOLE, "o:obj", COUNT_OF(L"InlineShapes") INLINE_ITEM(L"1", L"Type") INLINE_ITEM(L"2", L"Type")
        INLINE_ITEM(L"3", L"Type"), o.doc, 0),
    ONE(Word_Doc_NewInlineShape, "o:obj", AT_CARET L"get InlineShapes()\nget New(" CARET L")\n", o.doc, 0),
    ONE(Word_Doc_AddShape, "o:obj", L"get Shapes()\nget AddShape(I4:5,R8:1.5,R8:2,R8:30,R8:40)\n", o.doc, 5, 1.5, 2.0, 30.0, 40.0),
    WA(Word_Doc_AddInlineImage, "o:null", AT_CARET L"get InlineShapes()\nget AddPicture(BSTR:\u00e91," MISSING L"," MISSING L"," CARET L")\n",
       o.doc, kE1, 0),
    WA(Word_Doc_AddImage, "o:null", L"get Shapes()\nget AddPicture(BSTR:\u00e91," MISSING L"," MISSING L",R8:1,R8:2,R8:3,R8:4)\n",
       o.doc, kE1, 1.0, 2.0, 3.0, 4.0),
    ONE(Word_Doc_AddInlineChart, "o:obj", AT_CARET L"get InlineShapes()\nget AddChart2(I4:-1,I4:51," CARET L")\n", o.doc, -1, 51, 0),
    ONE(Word_Doc_AddChart, "o:obj", L"get Shapes()\nget AddChart2(I4:201,I4:4,R8:1,R8:2,R8:300,R8:200)\n", o.doc, 201, 4, 1.0, 2.0, 300.0, 200.0),
    WA(Word_Doc_AddInlineImageHR, "o:null", AT_CARET L"get InlineShapes()\nget AddHorizontalLine(BSTR:\u00e91," CARET L")\n", o.doc, kE1, 0),
    ONE(Word_Doc_AddInlineHR, "o:obj", AT_CARET L"get InlineShapes()\nget AddHorizontalLineStandard(" CARET L")\n", o.doc, 0),
    ONE(Word_Shape_Type, "n:3", L"get Type()\n", o.picture),
    ONE(Word_Shape_Type, "n:1", L"get Type()\n", o.shape),
    ONE(Word_Shape_Range, "o:obj", L"get Range()\n", o.picture),
    ONE(Word_Shape_Range, "o:obj", L"get Anchor()\n", o.shape),  // a floating shape has no Range
    ONE(Word_Shape_GetWidth, "n:30", L"get Width()\n", o.shape),
    ONE(Word_Shape_GetHeight, "n:40", L"get Height()\n", o.shape),
    ONE(Word_Shape_GetScaleWidth, "n:100", L"get ScaleWidth()\n", o.picture),
    ONE(Word_Shape_GetScaleHeight, "n:100", L"get ScaleHeight()\n", o.picture),
    ONE(Word_Shape_GetScaleWidth, "n:0", L"", o.shape),  // inline shapes only
    ONE(Word_Shape_HasChart, "n:-1", L"get HasChart()\n", o.chart),
    ONE(Word_Shape_HasSmartArt, "n:0", L"get HasSmartArt()\n", o.chart),
    WA(Word_Shape_GetTitle, "t:", L"get Title()\n", o.shape),
    WA(Word_Shape_SetTitle, "n:1", L"put Title()=BSTR:\u00e91\n", o.shape, kE1),
    ONE(Word_Shape_Select, "n:1", L"call Select()\n", o.shape),
    ONE(Word_Shape_Delete, "n:1", L"call Delete()\n", o.shape),
    ONE(Word_Shape_ConvertToInlineShape, "n:0", L"call ConvertToInlineShape()\n", o.shape),  // auto shapes stay
    ONE(Word_Shape_ConvertToShape, "n:1", L"call ConvertToShape()\n", o.picture),
    ONE(Word_Chart_WorkBook, "o:obj", L"get Chart()\nget ChartData()\ncall Activate()\nget Chart()\nget ChartData()\nget Workbook()\n", o.chart),
    WA(Word_OLE_GetClassType, "t:Excel.Sheet.12", L"get OLEFormat()\nget ClassType()\n", o.ole),
    ONE(Word_OLE_Object, "o:obj", L"get OLEFormat()\ncall Activate()\nget OLEFormat()\nget Object()\n", o.ole),
    WA(Word_OLE_GetLabel, "t:Excel.Sheet.12", L"get OLEFormat()\nget Label()\n", o.ole),
    WA(Word_OLE_ProgID, "t:Excel.Sheet.12", L"get OLEFormat()\nget ProgID()\n", o.ole),
    ONE(Word_OLE_Edit, "n:1", L"get OLEFormat()\ncall Edit()\n", o.ole),
    ONE(Word_OLE_Open, "n:1", L"get OLEFormat()\ncall Open()\n", o.ole),
};

TEST_F(WordTest, EveryRowInEveryFormAndItsFailureValues) {
  check_member_table(kRows, Objects::make, control(), script_, LuaKinds{XWORD_MEMBERS(MEMBERTEST_LUA_KIND)},
                     {L"raise", L"fail"});
}

// Every helper object is released whichever call fails (the fixture and each case count the live
// objects), and a member stops at its first failure.
TEST_F(WordTest, HelperObjectsReleasedOnEveryPath) {
  const FaultCase<Objects> cases[] = {
      {L"Find", 1, CALL(Word_Doc_ReplaceW(o.doc, L"a", L"b")), "n:0", L"Text"},
      {L"put Text", 1, CALL(Word_Doc_ReplaceW(o.doc, L"a", L"b")), "n:0", L"Execute"},
      {L"Replacement", 1, CALL(Word_Sel_ReplaceW(o.sel, L"a", L"b")), "n:0", L"Forward"},
      {L"put Forward", 1, CALL(Word_Sel_ReplaceW(o.sel, L"a", L"b")), "n:0", L"Execute"},
      {L"Execute", 1, CALL(Word_Sel_ReplaceA(o.sel, "a", "b")), "n:0"},
      // No selection range: the table gets a null range (and is refused), the shape the plain form.
      {L"Range", 1, CALL(Word_Doc_InsTable(o.doc, 0, 2, 2)), "o:null", L"Add(DISPATCH:Range"},
      {L"Range", 1, CALL(Word_Doc_AddInlineHR(o.doc, 0)), "o:obj", L"Standard(DISPATCH"},
      {L"Add", 1, CALL(Word_Doc_InsTable(o.doc, 0, 2, 2)), "o:null"},
      {L"AddChart2", 1, CALL(Word_Doc_AddInlineChart(o.doc, 1, 2, 0)), "o:null"},
      {L"AddPicture", 1, CALL(Word_Doc_AddInlineImageA(o.doc, "x", 0)), "o:null"},
      // A scan skips what it cannot read and releases what it read.
      {L"HasChart", 2, CALL(Word_Doc_GetChart(o.doc, 1)), "o:null"},
      {L"Item", 2, CALL(Word_Doc_ChartCount(o.doc)), "n:0"},
      {L"Item", 3, CALL(Word_Doc_OLECount(o.doc)), "n:0"},
      {L"Count", 1, CALL(Word_Doc_OLECount(o.doc)), "n:0"},
      {L"Count", 1, CALL(Word_Doc_GetShapeItem(o.doc, 1)), "o:null", L"Item"},
      {L"put Bold", 1, CALL(Word_Sel_SetFontW(o.sel, L"Arial", 9, 1, 1, 1)), "n:0", L"Italic"},
      {L"Font", 3, CALL(Word_Sel_SetFontW(o.sel, L"Arial", 9, 1, 1, 1)), "n:0", L"Bold"},
      {L"Activate", 1, CALL(Word_Chart_WorkBook(o.chart)), "o:null"},
      {L"Anchor", 1, CALL(Word_Shape_Range(o.shape)), "o:null"},
  };
  check_fault_cases(cases, Objects::make, control(), baseline_, {L"raise", L"fail", L"empty"});
}

// Typed, styled, saved, closed and opened again: the text, the style, the table and the shapes come back.
TEST_F(WordTest, DocumentsTypedSavedClosedAndOpenedAgain) {
  TempDir dir;
  const std::wstring path = dir.file(L"\u62a5\u544a \u00e9.docx");
  Objects o = Objects::make();
  EXPECT_EQ(Word_Sel_SetStyleW(o.sel, L"Title"), 1);
  EXPECT_EQ(Word_Sel_InsLF(o.sel), 1);
  EXPECT_EQ(Word_Sel_InsTextW(o.sel, L"\u4e2d\u6587 \U0001F600"), 1);
  EXPECT_EQ(Word_Table_SetTextW(o.table, 1, 2, L"cell \u00e9"), 1);
  EXPECT_EQ(Word_Shape_SetTitleW(o.shape, L"\u6807\u9898\tx"), 1);
  EXPECT_EQ(Word_File_SaveAsW(o.doc, path.c_str()), 1);
  EXPECT_EQ(describe(Word_File_FullNameW(o.doc)), "t:" + utf8(path));
  EXPECT_EQ(Word_File_Close(o.doc, 0), 1);
  EXPECT_EQ(Word_GetFileCount(o.app), 0);
  EXPECT_EQ(Word_GetActiveFile(o.app), 0) << "no document, no active one";

  xComObject doc = Word_OpenFileW(o.app, path.c_str(), 1);
  ASSERT_NE(doc, 0);
  EXPECT_EQ(utf8(story(doc)), utf8(L"Hello world\r\u4e2d\u6587 \U0001F600\r"));
  xComObject sel = Word_Doc_GetSelection(doc), table = Word_Doc_GetTable(doc, 1), shape = Word_Doc_GetShape(doc, 1);
  tarvo::com::Bstr style;
  EXPECT_EQ(disp::GetValue(L"%S", style.put(), dispatch(sel), L".Style"), S_OK);
  EXPECT_EQ(utf8(style.c_str()), "Title");
  EXPECT_EQ(describe(Word_Table_GetTextW(table, 1, 1)), "t:a\r\a");
  EXPECT_EQ(describe(Word_Table_GetTextW(table, 1, 2)), "t:" + utf8(L"cell \u00e9\r\a"));
  EXPECT_EQ(Word_Doc_InlineShapeCount(doc) * 100 + Word_Doc_ChartCount(doc) * 10 + Word_Doc_OLECount(doc), 311);
  EXPECT_EQ(describe(Word_Shape_GetTitleW(shape)), "t:" + utf8(L"\u6807\u9898\tx"));
  EXPECT_EQ(Word_Shape_GetWidth(shape), 30);
  EXPECT_EQ(Word_File_Save(doc), 0) << "opened read-only";
  EXPECT_EQ(Word_CloseAllFile(o.app), 1);
  EXPECT_EQ(Word_GetFileCount(o.app), 0);
  release({shape, table, sel, doc});
  o.release();
}

TEST_F(WordTest, SelectionEditingFontsStylesAndStatistics) {
  Objects o = Objects::make();
  // Two lines: the caret moves up to the same column and typing lands there.
  EXPECT_EQ(Word_Sel_InsLF(o.sel), 1);
  EXPECT_EQ(Word_Sel_InsTextW(o.sel, L"second line"), 1);
  EXPECT_EQ(Word_Sel_MoveUp(o.sel), 1);
  EXPECT_EQ(Word_Sel_InsTextW(o.sel, L"!"), 1);
  for (auto move : {Word_Sel_MoveDown, Word_Sel_MoveLeft, Word_Sel_MoveLeft, Word_Sel_MoveRight}) EXPECT_EQ(move(o.sel), 1);
  EXPECT_EQ(Word_Sel_InsTextW(o.sel, L"\U0001F600"), 1);
  EXPECT_EQ(Word_Sel_MoveLeft(o.sel), 1);
  EXPECT_EQ(Word_Sel_InsTextW(o.sel, L"|"), 1) << "a surrogate pair is one character to the caret";
  EXPECT_EQ(utf8(story(o.doc)), utf8(L"Hello world!\rsecond lin|\U0001F600e\r"));
  // Statistics: each ideograph a word, punctuation right after one belongs to it.
  EXPECT_EQ(Word_Sel_InsTextW(o.sel, L" \u4e16\u754c: a-b, \u3002x"), 1);
  EXPECT_EQ(Word_GetWordCount(o.doc, 0) * 100 + Word_GetCharCount(o.doc, 0), 832);
  // Fonts on the selection: the colour goes to Color (TextColor cannot be assigned).
  xComObject range = range_of(o.doc, 0, 5), wider = range_of(o.doc, 0, 8);
  ASSERT_EQ(disp::CallMethod(dispatch(range), L".Select()"), S_OK);
  EXPECT_EQ(Word_Sel_SetFontW(o.sel, L"\u5b8b\u4f53", 14, 255, 1, 0), 1);
  int32_t bold = 0, color = 0, mixed = 0;
  EXPECT_EQ(disp::GetValue(L"%d", &bold, dispatch(range), L".Font.Bold"), S_OK);
  EXPECT_EQ(disp::GetValue(L"%d", &color, dispatch(range), L".Font.Color"), S_OK);
  EXPECT_EQ(disp::GetValue(L"%d", &mixed, dispatch(wider), L".Font.Bold"), S_OK);
  EXPECT_EQ(std::vector<int32_t>({bold, color, mixed}), std::vector<int32_t>({-1, 255, 9999999})) << "wider: characters differ";
  // Styles: known names by their text, refused otherwise.
  EXPECT_EQ(Word_Sel_SetStyleW(o.sel, L"\u6807\u9898 1"), 1);
  EXPECT_EQ(Word_Sel_SetStyleA(o.sel, "No such style"), 0);
  tarvo::com::Bstr style;
  EXPECT_EQ(disp::GetValue(L"%S", style.put(), dispatch(o.sel), L".Style"), S_OK);
  EXPECT_EQ(utf8(style.c_str()), utf8(L"\u6807\u9898 1"));
  release({range, wider});
  o.release();
}

// Replace in the whole document goes on past the caret to the start; replace in a selection stays in it.
TEST_F(WordTest, ReplaceInTheDocumentAndInTheSelection) {
  Objects o = Objects::make();
  xComObject all = range_of(o.doc, 0, 11);
  ASSERT_EQ(disp::PutValue(dispatch(all), L".Text = %S", L"apple pie, Apple tart\r\U0001F600 apple \u82f9\u679c"), S_OK);
  // From the caret after everything the whole document is still searched.
  EXPECT_EQ(disp::CallMethod(dispatch(o.sel), L".EndKey(%d)", 6), S_OK);
  EXPECT_EQ(Word_Doc_ReplaceW(o.doc, L"apple", L"\U0001F350"), 1);
  EXPECT_EQ(utf8(story(o.doc)), utf8(L"\U0001F350 pie, \U0001F350 tart\r\U0001F600 \U0001F350 \u82f9\u679c\r"));
  EXPECT_EQ(Word_Doc_ReplaceA(o.doc, "tart^p", "cake "), 1);
  EXPECT_EQ(utf8(story(o.doc)), utf8(L"\U0001F350 pie, \U0001F350 cake \U0001F600 \U0001F350 \u82f9\u679c\r"));
  // A selection over the first 9 units: only its "\U0001F350" is replaced.
  ASSERT_EQ(disp::CallMethod(dispatch(o.sel), L".SetRange(%d, %d)", 0, 9), S_OK);
  EXPECT_EQ(Word_Sel_ReplaceW(o.sel, L"\U0001F350", L"\u68a8"), 1);
  EXPECT_EQ(utf8(story(o.doc)), utf8(L"\u68a8 pie, \U0001F350 cake \U0001F600 \U0001F350 \u82f9\u679c\r"));
  EXPECT_EQ(Word_Sel_ReplaceW(o.sel, L"\u82f9\u679c", L"-"), 1) << "found nothing in the selection: still done";
  EXPECT_EQ(utf8(story(o.doc)).find("-"), std::string::npos);
  release(all);
  o.release();
}

TEST_F(WordTest, TablesWithAndWithoutARange) {
  Objects o = Objects::make();
  xComObject start = range_of(o.doc, 0, 0);
  xComObject first = Word_Doc_InsTable(o.doc, start, 3, 4), again = Word_Doc_GetTable(o.doc, 1);
  ASSERT_NE(first, 0);
  EXPECT_EQ(Word_Doc_TableCount(o.doc), 2);
  const wchar_t *kCell = L"\u8868 \U0001F600\r\u00e9";
  EXPECT_EQ(Word_Table_SetTextW(first, 3, 4, kCell), 1);
  EXPECT_EQ(describe(Word_Table_GetTextW(again, 3, 4)), "t:" + utf8(kCell) + "\r\a") << "the table at the start comes first";
  xComObject second = Word_Doc_GetTable(o.doc, 2);
  EXPECT_EQ(describe(Word_Table_GetTextW(second, 1, 1)), "t:a\r\a") << "the fixture's table is second now";
  release({start, first, again, second});
  o.release();
}

TEST_F(WordTest, ShapesInlineShapesChartsAndOleObjectsAtTheScanBoundaries) {
  TempDir dir;
  const std::wstring picture = dir.file(L"\u56fe.png");
  raw_write(picture, "\x89PNG");
  Objects o = Objects::make();
  // Inline: picture, chart, OLE (the fixture's), a horizontal line; floating: the auto shape, a chart,
  // a picture, a linked OLE object.
  xComObject line = Word_Doc_AddInlineImageHRW(o.doc, picture.c_str(), 0);
  xComObject chart2 = Word_Doc_AddChart(o.doc, -1, 4, 1, 2, 300, 200);
  xComObject image = Word_Doc_AddImageW(o.doc, picture.c_str(), 5, 6, 70, 80);
  xComObject linked = 0;
  ASSERT_TRUE(line && chart2 && image);
  ASSERT_EQ(disp::GetValue(L"%o", reinterpret_cast<IDispatch **>(&linked), dispatch(o.doc),
                           L".Shapes.AddOLEObject(%m, %S, %b)", picture.c_str(), 1), S_OK);
  EXPECT_EQ(Word_Doc_InlineShapeCount(o.doc) * 10 + Word_Doc_ShapeCount(o.doc), 44);
  EXPECT_EQ(Word_Doc_ShapeItemCount(o.doc), 8);
  EXPECT_EQ(Word_Doc_ChartCount(o.doc) * 10 + Word_Doc_OLECount(o.doc), 22);
  const std::pair<xComObject, const wchar_t *> titles[] = {
      {o.chart, L"inline chart"}, {chart2, L"\u56fe\u8868 \U0001F600"}, {linked, L"linked"}, {o.shape, L"auto"}, {line, L"line"}};
  for (auto [shape, title] : titles) EXPECT_EQ(Word_Shape_SetTitleW(shape, title), 1);
  // The n-th chart and OLE object: 0 and 1 the first, past the last none; combined items: n inline
  // shapes, then the floating ones.
  const struct {
    xComObject (*get)(xComObject, int32_t);
    int32_t n;
    const char *title;
  } scans[] = {
      {Word_Doc_GetChart, 0, "t:inline chart"}, {Word_Doc_GetChart, 1, "t:inline chart"},
      {Word_Doc_GetChart, 2, "t:\u56fe\u8868 \U0001F600"}, {Word_Doc_GetChart, 3, "none"},
      {Word_Doc_GetChart, INT32_MAX, "none"}, {Word_Doc_GetOLE, -5, "t:"}, {Word_Doc_GetOLE, 2, "t:linked"},
      {Word_Doc_GetOLE, 3, "none"}, {Word_Doc_GetShapeItem, 4, "t:line"}, {Word_Doc_GetShapeItem, 5, "t:auto"},
      {Word_Doc_GetShapeItem, 8, "t:linked"}, {Word_Doc_GetShapeItem, 9, "none"}, {Word_Doc_GetShapeItem, 0, "none"},
  };
  for (const auto &s : scans) {
    SCOPED_TRACE(s.n);
    xComObject found = s.get(o.doc, s.n);
    EXPECT_EQ(found ? describe(Word_Shape_GetTitleW(found)) : "none", s.title);
    release(found);
  }
  // A floating shape's range is its anchor.
  EXPECT_EQ(Word_Shape_GetWidth(image) * 100 + Word_Shape_GetHeight(image), 7080);
  xComObject anchor = Word_Shape_Range(image);
  EXPECT_NE(anchor, 0);
  EXPECT_EQ(Word_Chart_WorkBook(image), 0) << "no chart";
  EXPECT_EQ(Word_OLE_Object(o.chart), 0) << "no OLE object";
  xComObject inline_image = Word_Doc_AddInlineImageW(o.doc, picture.c_str(), anchor);
  EXPECT_EQ(Word_Shape_Type(inline_image), 3);
  release({line, chart2, image, linked, anchor, inline_image});
  o.release();
}

// A local server process: attachment through the running-object table and objects across the boundary.
TEST_F(WordTest, AcrossTheProcessBoundary) {
  LocalServer server(standin::word::kWordClsid);
  xComObject attached = Word_GetObject();
  ASSERT_NE(attached, 0) << "the running instance is found";
  xComObject doc = Word_NewFile(attached);
  xComObject sel = Word_Doc_GetSelection(doc);
  EXPECT_EQ(Word_Sel_InsTextW(sel, L"\u8fdc\u7a0b"), 1);
  EXPECT_EQ(Word_GetWordCount(doc, 0), 2);
  xComObject table = Word_Doc_InsTable(doc, 0, 1, 1);
  EXPECT_EQ(Word_Doc_ReplaceW(doc, L"\u7a0b", L"x"), 1);
  EXPECT_EQ(utf8(story(doc)), utf8(L"\u8fdcx\r"));
  release({table, sel, doc});
  EXPECT_EQ(server.live(), server.start) << "released across the boundary";
  EXPECT_EQ(Word_Quit(attached), 1);
  release(attached);
}

}  // namespace
}  // namespace wordtest
