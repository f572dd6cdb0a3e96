/* Word through automation: the application, documents, the selection, find
 * and replace, statistics, tables, shapes and inline shapes, charts and OLE
 * objects.
 *
 * Every object (application, document collection, document, selection,
 * range, table, shape, inline shape, chart workbook, OLE object) is its
 * IDispatch pointer carried as an xComObject; a member returning one hands
 * the caller a reference to release (COM_Release from scripts). A handle of
 * 0, a missing member or an error raised by the application gives the
 * member's failure value (0 or EmptyString) and leaves the result registers
 * alone; the details are in the dispatch layer's per-thread error record
 * and, when switched on, in a message box.
 *
 * The members are the rows below (include/tarvo_members.h explains the
 * columns): export name, kind, member expression, Lua result, arguments.
 * What one expression cannot say is a helper of word/word.cpp:
 *
 *   at_selection(plain, e)   the range argument (the last) when non-zero,
 *                            else the range of the document's active window
 *                            selection, which is released after the call;
 *                            without any range the plain form runs
 *   at_selection(e)          the same with the range first, passed on even
 *                            when no range could be had (a null object)
 *   find_replace(find, wrap) the find object, its text, replacement and
 *                            direction, then Execute replacing every match;
 *                            wrap 1 goes on through the whole document, 0
 *                            stays inside the selection; 0 unless every step
 *                            succeeded
 *   range_or(e, other)       e, or other when the object has no member e
 *   summed(e1, e2)           the sum of two counts
 *   shape_item()             item n of the inline shapes, or item n - count
 *                            of the floating shapes past them
 *   scan(test)               the inline shapes, then the floating shapes,
 *                            that pass a test: their number, or the n-th of
 *                            them (the first for n <= 1)
 *   activated(call, e)       call (its outcome ignored), then e
 *
 * A table cell's text comes back as the application keeps it, with the
 * end-of-cell mark "\r\a" after it. */
#ifndef TARVO_XWORD_H
#define TARVO_XWORD_H

#include "tarvo_members.h"

/* clang-format off */
#define XWORD_MEMBERS(M) \
  M(One, Word_Create,                create, L"Word.Application",                        Lint,  Void) \
  M(One, Word_GetObject,             attach, L"Word.Application",                        Lint,  Void) \
  M(One, Word_Visible,               put,    L".Visible = %b",                           Lnone, Obj, Flag) \
  M(One, Word_DisplayAlerts,         put,    L".DisplayAlerts = %b",                     Lnone, Obj, Flag) \
  M(WA,  Word_SetCaption,            put,    L".Caption = %S",                           Lnone, Obj, Text) \
  M(One, Word_Quit,                  call,   L".Quit()",                                 Lnone, Obj) \
  M(One, Word_Files,                 object, L".Documents",                              Lint,  Obj) \
  M(One, Word_NewFile,               object, L".Documents.Add()",                        Lint,  Obj) \
  M(WA,  Word_OpenFile,              object, L".Documents.Open(%S, %d, %b)",             Lint,  Obj, Text, Fixed(0), FlagOr(0)) \
  M(WA,  Word_GetFile,               object, L".Documents.Item(%S)",                     Lint,  Obj, Text) \
  M(One, Word_GetFile_Index,         object, L".Documents(%d)",                          Lint_spare, Obj, Int) \
  M(One, Word_GetFileCount,          int,    L".Documents.Count",                        Lint,  Obj) \
  M(One, Word_GetActiveFile,         object, L".ActiveDocument",                         Lint,  Obj) \
  M(WA,  Word_SetActiveFile,         call,   L"Documents(%S).Activate",                  NoLua, Obj, Text) \
  M(One, Word_SetActiveFile_Index,   call,   L"Documents(%d).Activate",                  NoLua, Obj, Int) \
  M(One, Word_CloseAllFile,          call,   L".Documents.Close()",                      NoLua, Obj) \
  M(One, Word_File_Close,            call,   L".Close(%b)",                              Lbool, Obj, FlagOr(0)) \
  M(One, Word_File_Save,             call,   L".Save()",                                 Lbool, Obj) \
  M(WA,  Word_File_SaveAs,           call,   L".SaveAs(%S)",                             Lbool, Obj, Text) \
  M(One, Word_File_Saved,            put,    L".Saved = %b",                             Lbool, Obj, Flag) \
  M(WA,  Word_File_FullName,         text,   L".FullName",                               Ltext, Obj) \
  M(WA,  Word_File_Name,             text,   L".Name",                                   Ltext, Obj) \
  M(WA,  Word_File_Path,             text,   L".Path",                                   Ltext, Obj) \
  \
  M(One, Word_GetSelection,          object, L".Selection",                              Lint,  Obj) \
  M(One, Word_Doc_GetSelection,      object, L".ActiveWindow.Selection",                 Lint,  Obj) \
  M(One, Word_Sel_MoveDown,          call,   L".Movedown",                               Lbool, Obj) \
  M(One, Word_Sel_MoveUp,            call,   L".Moveup",                                 Lbool, Obj) \
  M(One, Word_Sel_MoveLeft,          call,   L".Moveleft",                               Lbool, Obj) \
  M(One, Word_Sel_MoveRight,         call,   L".Moveright",                              Lbool, Obj) \
  M(WA,  Word_Sel_SetFont,           put,    in_a_row(L".Font.Name = %S", L".Font.Size = %d", L".Font.Color = %d", \
                                                      L".Font.Bold = %b", L".Font.Italic = %b"), \
                                                      Lbool, Obj, Text, Int, Int, Flag, Flag) \
                                             /* Sets the selection's font name, size, colour, bold and italic in that order; \
                                                stops at the first failure. */ \
  M(WA,  Word_Sel_InsText,           call,   L".TypeText(%S)",                           Lbool, Obj, Text) \
  M(WA,  Word_Sel_SetStyle,          put,    L".Style = %S",                             Lbool, Obj, Text) \
  M(One, Word_Sel_InsLF,             call,   L".TypeParagraph",                          Lbool, Obj) \
  M(One, Word_GetCharCount,          int,    L".ComputeStatistics(%d, %b)",              Lint,  Obj, Fixed(3), FlagOr(0)) \
  M(One, Word_GetWordCount,          int,    L".ComputeStatistics(%d, %b)",              Lint,  Obj, Fixed(0), FlagOr(0)) \
  M(One, Word_GetLineCount,          int,    L".ComputeStatistics(%d, %b)",              Lint,  Obj, Fixed(1), FlagOr(0)) \
  M(One, Word_GetParagraphCount,     int,    L".ComputeStatistics(%d, %b)",              Lint,  Obj, Fixed(4), FlagOr(0)) \
  M(One, Word_GetPageCount,          int,    L".Range.Information(%d)",                  Lint,  Obj, Fixed(4)) \
  M(WA,  Word_Doc_Replace,           call,   find_replace(L".ActiveWindow.Selection.Find", 1), Lbool, Obj, Text, Text) \
                                             /* Replaces every `text1` by `text2` through the whole document, from the active \
                                                window's selection on. */ \
  M(WA,  Word_Sel_Replace,           call,   find_replace(L".Find", 0),                  Lbool, Obj, Text, Text) \
                                             /* Replaces every `text1` by `text2` within the selection. */ \
  \
  M(One, Word_Doc_InsTable,          object, at_selection(L".Tables.Add(%o, %d, %d)"),  Lint,  Obj, Obj, Int, Int) \
                                             /* Inserts a table of `n1` rows and `n2` columns at the range `object2` (the \
                                                selection for 0) and returns it. */ \
  M(One, Word_Doc_GetTable,          object, L".Tables(%d)",                             Lint,  Obj, Int) \
  M(One, Word_Doc_TableCount,        int,    L".Tables.Count()",                         Lint,  Obj) \
  M(WA,  Word_Table_SetText,         put,    L".Cell(%d, %d).Range.Text = %S",           Lbool, Obj, Int, Int, Text) \
  M(WA,  Word_Table_GetText,         text,   L".Cell(%d, %d).Range.Text",                Ltext, Obj, Int, Int) \
  M(One, Word_Table_SelCell,         call,   L".Cell(%d, %d).Select",                    Lbool, Obj, Int, Int) \
  \
  M(One, Word_Doc_InlineShapeCount,  int,    L".InlineShapes.Count()",                   Lint,  Obj) \
  M(One, Word_Doc_ShapeCount,        int,    L".Shapes.Count()",                         Lint,  Obj) \
  M(One, Word_Doc_ShapeItemCount,    int,    summed(L".InlineShapes.Count()", L".Shapes.Count()"), Lint, Obj) \
                                             /* Counts the inline and the floating shapes together. */ \
  M(One, Word_Doc_GetInlineShape,    object, L".InlineShapes.Item(%d)",                  Lint,  Obj, Int) \
  M(One, Word_Doc_GetShape,          object, L".Shapes.Item(%d)",                        Lint,  Obj, Int) \
  M(One, Word_Doc_GetShapeItem,      object, shape_item(),                               Lint,  Obj, Int) \
                                             /* Gets shape `n`, counting the inline shapes first, then the floating ones. */ \
  M(One, Word_Doc_ChartCount,        int,    scan(kChart),                               Lint,  Obj) \
                                             /* Counts the shapes holding a chart, inline and floating. */ \
  M(One, Word_Doc_GetChart,          object, scan(kChart),                               Lint,  Obj, Int) \
                                             /* Gets the `n`-th shape holding a chart (the first for `n` <= 1), inline shapes \
                                                first. */ \
  M(One, Word_Doc_OLECount,          int,    scan(kOle),                                 Lint,  Obj) \
                                             /* Counts the OLE objects (embedded, linked or controls) among the inline and \
                                                floating shapes. */ \
  M(One, Word_Doc_GetOLE,            object, scan(kOle),                                 Lint,  Obj, Int) \
                                             /* Gets the `n`-th OLE object (the first for `n` <= 1), inline shapes first. */ \
  M(One, Word_Doc_NewInlineShape,    object, at_selection(L".InlineShapes.New()", L".InlineShapes.New(%o)"), Lint, Obj, Obj) \
                                             /* Inserts an empty inline shape at the range `object2` (the selection for 0) \
                                                and returns it. */ \
  M(One, Word_Doc_AddShape,          object, L".Shapes.AddShape(%d, %e, %e, %e, %e)",   Lint,  Obj, Int, Num, Num, Num, Num) \
  M(WA,  Word_Doc_AddInlineImage,    object, at_selection(L".InlineShapes.AddPicture(%S, %m, %m)", \
                                                          L".InlineShapes.AddPicture(%S, %m, %m, %o)"), Lint, Obj, Text, Obj) \
                                             /* Inserts the picture file `text` inline at the range `object2` (the selection \
                                                for 0) and returns it. */ \
  M(WA,  Word_Doc_AddImage,          object, L".Shapes.AddPicture(%S, %m, %m, %e, %e, %e, %e)", Lint, Obj, Text, Num, Num, Num, Num) \
  M(One, Word_Doc_AddInlineChart,    object, at_selection(L".InlineShapes.AddChart2(%d, %d)", \
                                                          L".InlineShapes.AddChart2(%d, %d, %o)"), Lint, Obj, Int, Int, Obj) \
                                             /* Inserts a chart of style `n1` and type `n2` inline at the range `object2` \
                                                (the selection for 0) and returns it. */ \
  M(One, Word_Doc_AddChart,          object, L".Shapes.AddChart2(%d, %d, %e, %e, %e, %e)", Lint, Obj, Int, Int, Num, Num, Num, Num) \
  M(WA,  Word_Doc_AddInlineImageHR,  object, at_selection(L".InlineShapes.AddHorizontalLine(%S)", \
                                                          L".InlineShapes.AddHorizontalLine(%S, %o)"), Lint, Obj, Text, Obj) \
                                             /* Inserts a horizontal line drawn from the picture file `text` at the range \
                                                `object2` (the selection for 0) and returns it. */ \
  M(One, Word_Doc_AddInlineHR,       object, at_selection(L".InlineShapes.AddHorizontalLineStandard()", \
                                                          L".InlineShapes.AddHorizontalLineStandard(%o)"), Lint, Obj, Obj) \
                                             /* Inserts a standard horizontal line at the range `object2` (the selection for \
                                                0) and returns it. */ \
  \
  M(One, Word_Shape_Type,            int,    L".Type",                                   Lint,  Obj) \
  M(One, Word_Shape_Range,           object, range_or(L".Range", L".Anchor"),            Lint,  Obj) \
                                             /* Gets the shape's range, or a floating shape's anchor. */ \
  M(One, Word_Shape_GetWidth,        int,    L".Width",                                  Lint,  Obj) \
  M(One, Word_Shape_GetHeight,       int,    L".Height",                                 Lint,  Obj) \
  M(One, Word_Shape_GetScaleWidth,   int,    L".ScaleWidth",                             Lint,  Obj) \
  M(One, Word_Shape_GetScaleHeight,  int,    L".ScaleHeight",                            Lint,  Obj) \
  M(One, Word_Shape_HasChart,        int,    L".HasChart",                               Lbool, Obj) \
  M(One, Word_Shape_HasSmartArt,     int,    L".HasSmartArt",                            Lbool, Obj) \
  M(WA,  Word_Shape_GetTitle,        text,   L".Title",                                  Ltext, Obj) \
  M(WA,  Word_Shape_SetTitle,        put,    L".Title = %S",                             Lbool, Obj, Text) \
  M(One, Word_Shape_Select,          call,   L".Select()",                               Lbool, Obj) \
  M(One, Word_Shape_Delete,          call,   L".Delete()",                               Lbool, Obj) \
  M(One, Word_Shape_ConvertToInlineShape, call, L".ConvertToInlineShape()",              Lbool, Obj) \
  M(One, Word_Shape_ConvertToShape,  call,   L".ConvertToShape()",                       Lbool, Obj) \
  M(One, Word_Chart_WorkBook,        object, activated(L".Chart.ChartData.Activate()", L".Chart.ChartData.Workbook"), Lint, Obj) \
                                             /* Activates the chart's data and returns its workbook. */ \
  M(WA,  Word_OLE_GetClassType,      text,   L".OLEFormat.ClassType",                    Ltext, Obj) \
  M(One, Word_OLE_Object,            object, activated(L".OLEFormat.Activate()", L".OLEFormat.Object"), Lint, Obj) \
                                             /* Activates the OLE object and returns its own automation object. */ \
  M(WA,  Word_OLE_GetLabel,          text,   L".OLEFormat.Label",                        Ltext, Obj) \
  M(WA,  Word_OLE_ProgID,            text,   L".OLEFormat.ProgID",                       Ltext, Obj) \
  M(One, Word_OLE_Edit,              call,   L".OLEFormat.Edit()",                       Lbool, Obj) \
  M(One, Word_OLE_Open,              call,   L".OLEFormat.Open()",                       Lbool, Obj)
/* clang-format on */

#ifdef __cplusplus
extern "C" {
#endif

XWORD_MEMBERS(TARVO_MEMBER_DECLARE)

#ifdef __cplusplus
}
#endif
#endif
