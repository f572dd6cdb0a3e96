/* Excel and WPS spreadsheets through automation: the application, workbooks,
 * sheets, cells and ranges.
 *
 * Every object (application, workbook collection, workbook, sheet collection,
 * sheet, range) is its IDispatch pointer carried as an xComObject; a member
 * returning one hands the caller a reference to release (COM_Release from
 * scripts). A handle of 0, a missing member or an error raised by the
 * application gives the member's failure value (0, 0.0 or EmptyString) and
 * leaves the result registers alone; the details are in the dispatch layer's
 * per-thread error record and, when switched on, in a message box.
 *
 * The members are the rows below (include/tarvo_members.h explains the
 * columns): export name, kind, member expression, Lua result, arguments.
 * Indexes are the application's own 1-based numbers; -1 as a position means
 * "no position". */
#ifndef TARVO_XEXCEL_H
#define TARVO_XEXCEL_H

#include "tarvo_members.h"

/* clang-format off */
#define XEXCEL_MEMBERS(M) \
  M(One, Excel_Create,               create, L"Excel.Application",                      Lint,  Void) \
  M(One, WPS_Create,                 create, L"KET.Application",                        Lint,  Void) \
  M(One, Excel_GetObject,            attach, L"Excel.Application",                      Lint,  Void) \
  M(One, Excel_Visible,              put,    L".Visible = %b",                          Lnone, Obj, Flag) \
  M(One, Excel_DisplayAlerts,        put,    L".DisplayAlerts = %b",                    Lnone, Obj, Flag) \
  M(WA,  Excel_SetCaption,           put,    L".Caption = %S",                          Lnone, Obj, Text) \
  M(One, Excel_Quit,                 call,   L".Quit()",                                Lnone, Obj) \
  M(One, Excel_Books,                object, L".Workbooks",                             Lint,  Obj) \
  M(One, Excel_NewBook,              object, L".Workbooks.Add()",                       Lint,  Obj) \
  M(WA,  Excel_OpenBook,             object, L".Workbooks.Open(%S, %d, %b)",            Lint,  Obj, Text, Fixed(0), FlagOr(0)) \
  M(WA,  Excel_OpenBookEx,           object, L".Workbooks.Open(%S, %d, %b, %S, %S, %S)", Lint, Obj, Text, Fixed(0), Flag, Text, Text, Text) \
  M(WA,  Excel_GetBook,              object, L".Workbooks.Item(%S)",                    Lint,  Obj, Text) \
  M(One, Excel_GetBook_Index,        object, L".Workbooks(%d)",                         Lint_spare, Obj, Int) \
  M(One, Excel_GetActiveBook,        object, L".ActiveWorkbook",                        Lint,  Obj) \
  M(WA,  Excel_SetActiveBook,        call,   L"Workbooks(%S).Activate",                 NoLua, Obj, Text) \
  M(One, Excel_SetActiveBook_Index,  call,   L"Workbooks(%d).Activate",                 NoLua, Obj, Int) \
  M(One, Excel_GetBookCount,         int,    L".Workbooks.Count",                       Lint,  Obj) \
  M(One, Excel_CloseAllBook,         call,   L".Workbooks.Close()",                     Lbool, Obj) \
  M(One, Excel_Book_Close,           call,   L".Close(%b)",                             Lbool, Obj, FlagOr(0)) \
  M(One, Excel_Book_Save,            call,   L".Save()",                                Lbool, Obj) \
  M(WA,  Excel_Book_SaveAs,          call,   L".SaveAs(%S, %d)",                        Lbool, Obj, Text, IntOr(51)) \
  M(One, Excel_Book_Saved,           put,    L".Saved = %b",                            Lbool, Obj, Flag) \
  M(One, Excel_Book_FileFormat,      int,    L".FileFormat",                            Lint,  Obj) \
  M(WA,  Excel_Book_FullName,        text,   L".FullName",                              Ltext, Obj) \
  M(WA,  Excel_Book_Name,            text,   L".Name",                                  Ltext, Obj) \
  M(WA,  Excel_Book_Path,            text,   L".Path",                                  Ltext, Obj) \
  M(WA,  Excel_Book_Activate,        call,   L".Sheets(%S).Activate()",                 Lbool, Obj, Text) \
  M(One, Excel_Book_Activate_Index,  call,   L".Sheets(%d).Activate()",                 Lbool, Obj, Int) \
  M(One, Excel_Book_ActiveSheet,     object, L".ActiveSheet",                           Lint,  Obj) \
  M(One, Excel_Book_Sheets,          object, L".Sheets",                                Lint,  Obj) \
  M(One, Excel_Book_AddSheet,        object, positioned(kSheetAt, L".Sheets.Add()", L".Sheets.Add(%o)"), Lint, Obj, Pos) \
                                             /* Adds a sheet before the sheet at `position` (before the active sheet for -1) \
                                                and returns it. */ \
  M(WA,  Excel_Book_CopySheet,       object, copied_sheet(L".Sheets(%S).Copy", L".Sheets(%S).Copy(%o)"), Lint, Obj, Text, Pos) \
                                             /* Copies the sheet named `text` before the sheet at `position` (or into a new \
                                                workbook for -1) and returns the copy. */ \
  M(One, Excel_Book_CopySheet_Index, object, copied_sheet(L".Sheets(%d).Copy", L".Sheets(%d).Copy(%o)"), Lint, Obj, Int, Pos) \
                                             /* Copies sheet `n` before the sheet at `position` (or into a new workbook for \
                                                -1) and returns the copy. */ \
  M(WA,  Excel_Book_GetSheet,        object, L".Sheets.Item(%S)",                       Lint,  Obj, Text) \
  M(One, Excel_Book_GetSheet_Index,  object, L".Sheets(%d)",                            Lint,  Obj, Int) \
  M(One, Excel_Book_GetSheetCount,   int,    L".Sheets.Count",                          Lint,  Obj) \
  M(WA,  Excel_Book_GetSheetName,    text,   L".Sheets(%d).Name",                       Ltext, Obj, Int) \
  M(WA,  Excel_Book_SetSheetName,    put,    L".Sheets(%S).Name = %S",                  Lbool, Obj, Text, Text) \
  M(WA,  Excel_Book_SetSheetName_Index, put, L".Sheets(%d).Name = %S",                  Lbool, Obj, Int, Text) \
  M(WA,  Excel_Book_MoveSheet,       call,   positioned(kSheetAt, nullptr, L".Sheets(%S).Move(%o)"), Lbool, Obj, Text, Pos) \
                                             /* Moves the sheet named `text` before the sheet at `position` (a sheet that \
                                                must exist). */ \
  M(One, Excel_Book_MoveSheet_Index, call,   positioned(kSheetAt, nullptr, L".Sheets(%d).Move(%o)"), Lbool, Obj, Int, Pos) \
                                             /* Moves sheet `n` before the sheet at `position` (a sheet that must exist). */ \
  M(WA,  Excel_Book_DeleteSheet,     call,   L".Sheets(%S).Delete()",                   Lbool, Obj, Text) \
  M(One, Excel_Book_DeleteSheet_Index, call, L".Sheets(%d).Delete()",                   Lbool, Obj, Int) \
  \
  M(One, Excel_Sheet_RowCount,       int,    L".UsedRange.Rows.Count",                  Lint,  Obj) \
  M(One, Excel_Sheet_ColCount,       int,    L".UsedRange.Columns.Count",               Lint,  Obj) \
  M(One, Excel_Sheet_InsertRow,      call,   L".Rows(%d).Insert",                       Lint,  Obj, Int) \
  M(One, Excel_Sheet_InsertCol,      call,   L".Columns(%d).Insert",                    Lint,  Obj, Int) \
  M(One, Excel_Sheet_DeleteRow,      call,   L".Rows(%d).Delete",                       Lbool, Obj, Int) \
  M(One, Excel_Sheet_DeleteCol,      call,   L".Columns(%d).Delete",                    Lbool, Obj, Int) \
  M(One, Excel_Sheet_UsedRange,      object, L".UsedRange",                             Lint,  Obj) \
  M(One, Excel_Sheet_GetRange,       object, cells(L".Range(%o, %o)"),                  Lint,  Obj, Cells) \
                                             /* Gets the range from cell (`row1`, `col1`) to cell (`row2`, `col2`). */ \
  M(WA,  Excel_Sheet_GetRangeS,      object, L".Range(%S)",                             Lint,  Obj, Text) \
  M(One, Excel_Sheet_GetRow,         object, L".Rows(%d)",                              Lint,  Obj, Int) \
  M(One, Excel_Sheet_GetCol,         object, L".Columns(%d)",                           Lint,  Obj, Int) \
  M(One, Excel_Sheet_GetCell,        object, L".Cells(%d, %d)",                         Lint,  Obj, Int, Int) \
  M(One, Excel_Sheet_SetRowHeight,   put,    L".Rows(%d).RowHeight = %e",               Lbool, Obj, Int, Num) \
  M(One, Excel_Sheet_SetColWidth,    put,    L".Columns(%d).ColumnWidth = %e",          Lbool, Obj, Int, Num) \
  M(WA,  Excel_Sheet_GetCellText,    text,   L".Cells(%d, %d).Text",                    Ltext, Obj, Int, Int) \
  M(WA,  Excel_Sheet_SetCellText,    put,    L".Cells(%d, %d).Value = %S",              Lbool, Obj, Int, Int, Text) \
  M(WA,  Excel_Sheet_SetRangeText,   put,    L".Range(%S).Value = %S",                  Lbool, Obj, Text, Text) \
  M(One, Excel_Sheet_GetCellNumber,  number, L".Cells(%d, %d).Value",                   Lnum,  Obj, Int, Int) \
  M(One, Excel_Sheet_SetCellNumber,  put,    L".Cells(%d, %d).Value = %e",              Lbool, Obj, Int, Int, Num) \
  M(WA,  Excel_Sheet_SetRangeNumber, put,    L".Range(%S).Value = %e",                  Lbool, Obj, Text, Num) \
  M(One, Excel_Sheet_GetCellInt,     int_as_double, L".Cells(%d, %d).Value",            Ltrunc, Obj, Int, Int) \
  M(One, Excel_Sheet_SetCellInt,     put,    L".Cells(%d, %d).Value = %d",              Lbool, Obj, Int, Int, Int) \
  M(WA,  Excel_Sheet_SetRangeInt,    put,    L".Range(%S).Value = %d",                  Lbool, Obj, Text, Int) \
  M(WA,  Excel_Sheet_GetCellFormula, text,   L".Cells(%d, %d).Formula",                 Ltext, Obj, Int, Int) \
  M(WA,  Excel_Sheet_SetCellFormula, put,    L".Cells(%d, %d).Formula = %S",            Lbool, Obj, Int, Int, Text) \
  M(WA,  Excel_Sheet_SetCellFormat,  put,    L".Cells(%d, %d).NumberFormatlocal = %S",  Lbool, Obj, Int, Int, Text) \
  M(WA,  Excel_Sheet_SetRangeFormat, put,    L".Range(%S).NumberFormatlocal = %S",      Lbool, Obj, Text, Text) \
  M(One, Excel_Sheet_CopyRange,      call,   cells(L".Range(%o, %o).Copy()"),           Lbool, Obj, Cells) \
                                             /* Copies the range from cell (`row1`, `col1`) to cell (`row2`, `col2`) to the \
                                                clipboard. */ \
  M(WA,  Excel_Sheet_CopyRangeS,     call,   L".Range(%S).Copy()",                      Lbool, Obj, Text) \
  M(One, Excel_Sheet_CellPaste,      call,   L".Cells(%d, %d).PasteSpecial(%d)",        Lbool, Obj, Int, Int, IntOr(-4104)) \
  M(WA,  Excel_Sheet_CellPasteS,     call,   L".Range(%S).PasteSpecial(%d)",            Lbool, Obj, Text, IntOr(-4104)) \
  M(WA,  Excel_Sheet_Paste,          call,   L".PasteSpecial(%S)",                      Lbool, Obj, Text) \
  M(One, Excel_Sheet_PasteAppend,    call,   below_used_range(L".Cells(%d, %d).PasteSpecial(%d)"), Lbool, Obj, IntOr(-4104)) \
                                             /* Pastes the clipboard (paste type `n`, all by default) at column 1 of the \
                                                first row below the used range. */ \
  M(One, Excel_Sheet_ClearRange,     call,   cells(L".Range(%o, %o).Clear()"),          Lbool, Obj, Cells) \
                                             /* Clears contents and formats from cell (`row1`, `col1`) to cell (`row2`, \
                                                `col2`). */ \
  M(WA,  Excel_Sheet_ClearRangeS,    call,   L".Range(%S).Clear()",                     Lbool, Obj, Text) \
  M(One, Excel_Sheet_ClearRangeText, call,   cells(L".Range(%o, %o).ClearContents()"),  Lbool, Obj, Cells) \
                                             /* Clears the contents from cell (`row1`, `col1`) to cell (`row2`, `col2`), \
                                                keeping the formats. */ \
  M(WA,  Excel_Sheet_ClearRangeTextS, call,  L".Range(%S).ClearContents()",             Lbool, Obj, Text) \
  M(One, Excel_Sheet_ClearRangeFormat, call, cells(L".Range(%o, %o).ClearFormats()"),   Lbool, Obj, Cells) \
                                             /* Clears the formats from cell (`row1`, `col1`) to cell (`row2`, `col2`), \
                                                keeping the contents. */ \
  M(WA,  Excel_Sheet_ClearRangeFormatS, call, L".Range(%S).ClearFormats()",             Lbool, Obj, Text) \
  M(One, Excel_Sheet_DeleteRange,    call,   cells(SHIFTED(L".Range(%o, %o)")),        Lbool, Obj, Cells, IntOr(-4162)) \
                                             /* Deletes the range from cell (`row1`, `col1`) to cell (`row2`, `col2`): its \
                                                whole rows for `n` = 0x1000000, its whole columns for 0x2000000, else the \
                                                cells, the rest shifted by `n` (-4162 up, the default; -4159 left). */ \
  M(WA,  Excel_Sheet_DeleteRangeS,   call,   SHIFTED(L".Range(%S)"),                     Lbool, Obj, Text, IntOr(-4162)) \
                                             /* Deletes the range `text`: its whole rows for `n` = 0x1000000, its whole \
                                                columns for 0x2000000, else the cells, the rest shifted by `n` (-4162 up, the \
                                                default; -4159 left). */ \
  M(WA,  Excel_Sheet_SetPageHeader,  put,    L".PageSetup.CenterHeader = %S",           Lbool, Obj, Text) \
  M(WA,  Excel_Sheet_SetPageFooter,  put,    L".PageSetup.CenterFooter = %S",           Lbool, Obj, Text) \
  M(One, Excel_Sheet_SetPageSetup,   put,    in_a_row(L".PageSetup.TopMargin = %e", L".PageSetup.BottomMargin = %e", \
                                                      L".PageSetup.LeftMargin = %e", L".PageSetup.RightMargin = %e", \
                                                      L".PageSetup.HeaderMargin = %e", L".PageSetup.FooterMargin = %e", \
                                                      L".PageSetup.CenterHorizontally = %b", \
                                                      L".PageSetup.CenterVertically = %b"), \
                                                      Lbool, Obj, Num, Num, Num, Num, Num, Num, Flag, Flag) \
                                             /* Sets the top, bottom, left, right, header and footer margins, then centring \
                                                across and down, in that order; stops at the first failure. */ \
  M(One, Excel_Sheet_PrintPreview,   call,   L".PrintPreview",                          Lbool, Obj) \
  M(One, Excel_Sheet_Print,          call,   L".PrintOut",                              Lbool, Obj) \
  \
  M(WA,  Excel_Range_AddComment,     call,   L".AddComment(%S)",                        NoLua, Obj, Text) \
  M(One, Excel_Range_ClearComments,  call,   L".ClearComments",                         NoLua, Obj) \
  M(One, Excel_Range_Copy,           call,   L".Copy",                                  NoLua, Obj) \
  M(One, Excel_Range_Cut,            call,   L".Cut",                                   NoLua, Obj) \
  M(One, Excel_Range_Paste,          call,   L".PasteSpecial(%d)",                      NoLua, Obj, Int) \
  M(One, Excel_Range_Delete,         call,   L".Delete(%d)",                            NoLua, Obj, Int) \
  M(One, Excel_Range_Clear,          call,   L".Clear",                                 NoLua, Obj) \
  M(One, Excel_Range_ClearContents,  call,   L".ClearContents",                         NoLua, Obj) \
  M(One, Excel_Range_ClearFormats,   call,   L".ClearFormats",                          NoLua, Obj) \
  M(One, Excel_Range_Select,         call,   L".Select",                                NoLua, Obj) \
  M(One, Excel_Range_PrintPreview,   call,   L".PrintPreview",                          NoLua, Obj) \
  M(One, Excel_Range_Print,          call,   L".PrintOut",                              NoLua, Obj) \
  M(One, Excel_Range_RowCount,       int,    L".Rows.Count",                            NoLua, Obj) \
  M(One, Excel_Range_ColCount,       int,    L".Columns.Count",                         NoLua, Obj) \
  M(One, Excel_Range_CellCount,      int,    saturated(L".CountLarge"),                 NoLua, Obj) \
                                             /* Counts the range's cells; a count past 2147483647 gives 2147483647. */ \
  M(WA,  Excel_Range_SetFont,        put,    on(L".Font", in_a_row(L".Name = %S", L".Size = %d", L".Bold = %b", \
                                                                   L".Italic = %b", L".Underline = %b", \
                                                                   L".Strikethrough = %b")), \
                                                      NoLua, Obj, Text, Int, Flag, Flag, Flag, Flag) \
                                             /* Sets the font's name, size, bold, italic, underline and strikethrough in that \
                                                order; stops at the first failure. */ \
  M(One, Excel_Range_SetColor,       put,    in_a_row(L".Font.Color = %d", L".Interior.Color = %d", \
                                                      L".Borders.Color = %d"),          NoLua, Obj, Int, Int, Int) \
                                             /* Sets the font colour `n1`, the fill colour `n2` and the border colour `n3`; \
                                                stops at the first failure. */ \
  M(WA,  Excel_Range_SetFormat,      put,    L".NumberFormatlocal = %S",                NoLua, Obj, Text) \
  M(WA,  Excel_Range_SetFormula,     put,    L".Formula = %S",                          NoLua, Obj, Text) \
  M(One, Excel_Range_HasFormula,     flag,   L".HasFormula",                            NoLua, Obj) \
  M(WA,  Excel_Range_GetFormula,     text,   L".Formula",                               NoLua, Obj) \
  M(WA,  Excel_Range_GetText,        text,   L".Value",                                 NoLua, Obj) \
  M(WA,  Excel_Range_SetText,        put,    L".Value = %S",                            NoLua, Obj, Text) \
  M(One, Excel_Range_GetNumber,      number, L".Value",                                 NoLua, Obj) \
  M(One, Excel_Range_SetNumber,      put,    L".Value = %e",                            NoLua, Obj, Num) \
  M(One, Excel_Range_GetInt,         int,    L".Value",                                 NoLua, Obj) \
  M(One, Excel_Range_SetInt,         put,    L".Value = %d",                            NoLua, Obj, Int) \
  M(One, Excel_Range_SetWrapText,    put,    L".WrapText = %b",                         NoLua, Obj, Flag)
/* clang-format on */

#ifdef __cplusplus
extern "C" {
#endif

XEXCEL_MEMBERS(TARVO_MEMBER_DECLARE)

/* The kind of a spreadsheet file by its first four bytes: 1 a ZIP container
 * (.xlsx), 2 a compound document (.xls), 3 an XML spreadsheet ("<?xm"), 4 an
 * HTML file ("<htm", only when allowHtml is non-zero), 0 anything else, a
 * file shorter than four bytes, or one that cannot be opened. */
TARVO_API int32_t Excel_CheckFile(const char *path, int32_t allowHtml);

#ifdef __cplusplus
}
#endif
#endif
