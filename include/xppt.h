/* PowerPoint through automation: the application, presentations, slides,
 * shapes (text boxes, tables, lines), their geometry and text, and line
 * formats.
 *
 * Every object (application, presentation collection, presentation, slide,
 * shape) is its IDispatch pointer carried as an xComObject; a member
 * returning one hands the caller a reference to release (COM_Release from
 * scripts). A handle of 0, a missing member or an error raised by the
 * application gives the member's failure value (0, 0.0 or EmptyString) and
 * leaves the result registers alone; the details are in the dispatch layer's
 * per-thread error record and, when switched on, in a message box.
 *
 * The members are the rows below (include/tarvo_members.h explains the
 * columns): export name, kind, member expression, Lua result, arguments.
 * Indexes are the application's own 1-based numbers. Puts in a row stop at
 * the first failure. A guarded member reads its guard (HasTextFrame,
 * HasTable) first and makes no second call when the guard cannot be read or
 * says no.
 *
 * Where the presentation program's object model asks for it, a member sends
 * what the program understands:
 *   - PPT_CloseAllFile closes the first presentation while there is one (the
 *     collection has no Close of its own);
 *   - PPT_OpenFile passes the read-only flag as Open's second parameter;
 *   - PPT_SetActiveFile activates the presentation's first window;
 *   - PPT_DisplayAlerts sends an alert level: 2 (all) for a non-zero flag,
 *     1 (none) for 0;
 *   - PPT_InsertSlideFromFileW returns the first inserted slide (Index + 1),
 *     or 0 when nothing was inserted;
 *   - the text box's colour goes to its font's colour object (.Color.RGB).
 * PPT_File_Close with the save flag closes only after a successful save: a
 * failed save returns 0 and leaves the presentation open. */
#ifndef TARVO_XPPT_H
#define TARVO_XPPT_H

#include "tarvo_members.h"

/* clang-format off */
#define XPPT_MEMBERS(M) \
  M(One, PPT_Create,                  create, L"PowerPoint.Application",                Lint,  Void) \
  M(One, PPT_GetObject,               attach, L"PowerPoint.Application",                Lint,  Void) \
  M(One, PPT_Visible,                 put,    L".Visible = %b",                         Lnone, Obj, Flag) \
  M(One, PPT_DisplayAlerts,           put,    mapped(L".DisplayAlerts = %d", alert_level), Lnone, Obj, Flag) \
                                              /* Shows every alert for a non-zero `flag`, none for 0. */ \
  M(WA,  PPT_SetCaption,              put,    L".Caption = %S",                         Lnone, Obj, Text) \
  M(One, PPT_Quit,                    call,   L".Quit()",                               Lnone, Obj) \
  M(One, PPT_Files,                   object, L".Presentations",                        Lint,  Obj) \
  M(One, PPT_Shows,                   object, L".Presentations",                        Lint,  Obj) \
  M(One, PPT_NewFile,                 object, L".Presentations.Add()",                  Lint,  Obj) \
  M(WA,  PPT_OpenFile,                object, L".Presentations.Open(%S, %b)",           Lint,  Obj, Text, FlagOr(0)) \
  M(WA,  PPT_GetFile,                 object, L".Presentations.Item(%S)",               Lint,  Obj, Text) \
  M(One, PPT_GetFile_Index,           object, L".Presentations(%d)",                    Lint_spare, Obj, Int) \
  M(One, PPT_GetFileCount,            int,    L".Presentations.Count",                  Lint,  Obj) \
  M(One, PPT_GetActiveFile,           object, L".ActivePresentation",                   Lint,  Obj) \
  M(WA,  PPT_SetActiveFile,           call,   L".Presentations(%S).Windows(%d).Activate", NoLua, Obj, Text, Fixed(1)) \
  M(One, PPT_SetActiveFile_Index,     call,   L".Presentations(%d).Windows(%d).Activate", NoLua, Obj, Int, Fixed(1)) \
  M(One, PPT_CloseAllFile,            call,   while_any(L".Presentations.Count", L".Presentations(%d).Close()"), \
                                                                                        Lbool, Obj, Fixed(1)) \
                                              /* Closes the open presentations one by one; stops at the first that fails or \
                                                 will not close. */ \
  M(One, PPT_File_Close,              call,   saved_first(L".Save()", L".Close()"),     Lbool, Obj, FlagOr(0)) \
                                              /* Closes the presentation; a non-zero `flag` saves it first and leaves it open \
                                                 when the save fails. */ \
  M(One, PPT_File_Save,               call,   L".Save()",                               Lbool, Obj) \
  M(WA,  PPT_File_SaveAs,             call,   L".SaveAs(%S)",                           Lbool, Obj, Text) \
  M(One, PPT_File_Saved,              put,    L".Saved = %b",                           Lbool, Obj, Flag) \
  M(WA,  PPT_File_FullName,           text,   L".FullName",                             Ltext, Obj) \
  M(WA,  PPT_File_Name,               text,   L".Name",                                 Ltext, Obj) \
  M(WA,  PPT_File_Path,               text,   L".Path",                                 Ltext, Obj) \
  \
  M(One, PPT_SlideCount,              int,    L".Slides.Count",                         Lint,  Obj) \
  M(One, PPT_GetSlide,                object, L".Slides.Item(%d)",                      Lint,  Obj, Int) \
  M(One, PPT_AddSlide,                object, L".Slides.Add(%d, %d)",                   Lint,  Obj, Int, Int) \
  M(W,   PPT_InsertSlideFromFile,     object, first_inserted(L".Slides.InsertFromFile(%S, %d, %d, %d)", L".Slides(%d)"), \
                                                                                        Lint,  Obj, Text, Int, Int, Int) \
                                              /* Inserts slides `n2` to `n3` of the file `text` after slide `n1` and returns \
                                                 the first inserted, 0 when none was. */ \
  M(One, PPT_PasteSlide,              object, L".Slides.Paste(%d)",                     Lint,  Obj, Int) \
  M(One, PPT_Slide_SlideID,           int,    L".SlideID",                              Lint,  Obj) \
  M(WA,  PPT_Slide_AddTextBox,        object, text_box(L".Shapes.AddTextbox(%d, %e, %e, %e, %e)"), \
                                                      Lint, Obj, Text, Text, Int, Int, Int, Num, Num, Num, Num, Int) \
                                              /* Adds a text box (orientation `n3`, at `number1` to `number4`: left, top, \
                                                 width, height) holding `text1` in font `text2`, size `n1`, colour `n2`, \
                                                 alignment `n4`; the box is returned even when a setting failed. */ \
  M(One, PPT_Slide_AddTable,          object, positions_as_doubles(L".Shapes.AddTable(%d, %d, %e, %e, %e, %e)"), \
                                                      Lint, Obj, Int, Int, Int, Int, Int, Int) \
                                              /* Adds a table of `n1` rows and `n2` columns at left `n3`, top `n4`, width \
                                                 `n5`, height `n6` and returns its shape. */ \
  M(One, PPT_Slide_AddLine,           object, L".Shapes.AddLine(%e, %e, %e, %e)",       Lint,  Obj, Num, Num, Num, Num) \
  M(One, PPT_Slide_ShapeCount,        int,    L".Shapes.Count",                         Lint,  Obj) \
  M(One, PPT_Slide_GetShape,          object, L".Shapes.Item(%d)",                      Lint,  Obj, Int) \
  M(WA,  PPT_Slide_GetShape_Name,     object, L".Shapes.Item(%S)",                      Lint,  Obj, Text) \
  \
  M(One, PPT_Shape_GetType,           int,    L".Type",                                 Lint,  Obj) \
  M(One, PPT_Shape_Move,              put,    in_a_row(L".Left = %e", L".Top = %e"),    Lbool, Obj, Num, Num) \
                                              /* Moves the shape to left `number1`, top `number2`; stops at the first \
                                                 failure. */ \
  M(One, PPT_Shape_SetSize,           put,    in_a_row(L".Width = %e", L".Height = %e"), Lbool, Obj, Num, Num) \
                                              /* Sets the shape's width `number1` and height `number2`; stops at the first \
                                                 failure. */ \
  M(One, PPT_Shape_Left,              number, L".Left",                                 Ltrunc, Obj) \
  M(One, PPT_Shape_Top,               number, L".Top",                                  Ltrunc, Obj) \
  M(One, PPT_Shape_Width,             number, L".Width",                                Ltrunc, Obj) \
  M(One, PPT_Shape_Height,            number, L".Height",                               Ltrunc, Obj) \
  M(One, PPT_Shape_Rotation,          call,   L".IncrementRotation(%e)",                Lbool, Obj, Num) \
  M(WA,  PPT_Shape_GetText,           text,   guarded(kHasTextFrame, L".TextFrame.TextRange.Text"), Ltext, Obj) \
                                              /* Reads the shape's text; fails for a shape without a text frame. */ \
  M(WA,  PPT_Shape_SetText,           put,    guarded(kHasTextFrame, L".TextFrame.TextRange.Text = %S"), Lint, Obj, Text) \
                                              /* Sets the shape's text; fails for a shape without a text frame. */ \
  M(WA,  PPT_Table_GetCellText,       text,   guarded(kHasTable, L".Table.Cell(%d, %d).Shape.TextFrame.TextRange.Text"), \
                                                      Ltext, Obj, Int, Int) \
                                              /* Reads the text of the table's cell at row `n1`, column `n2`; fails for a \
                                                 shape without a table. */ \
  M(WA,  PPT_Table_SetCellText,       put,    guarded(kHasTable, L".Table.Cell(%d, %d).Shape.TextFrame.TextRange.Text = %S"), \
                                                      Lint, Obj, Int, Int, Text) \
                                              /* Sets the text of the table's cell at row `n1`, column `n2`; fails for a \
                                                 shape without a table. */ \
  M(One, PPT_Table_RowCount,          int,    guarded(kHasTable, L".Table.Rows.Count"), Lint,  Obj) \
                                              /* Counts the table's rows; fails for a shape without a table. */ \
  M(One, PPT_Table_ColCount,          int,    guarded(kHasTable, L".Table.Columns.Count"), Lint, Obj) \
                                              /* Counts the table's columns; fails for a shape without a table. */ \
  \
  M(One, PPT_Line_SetDashStyle,       put,    L".Line.DashStyle = %d",                  Lbool, Obj, Int) \
  M(One, PPT_Line_SetBeginArrowStyle, put,    in_a_row(L".Line.BeginArrowheadLength = %d", L".Line.BeginArrowheadWidth = %d", \
                                                       L".Line.BeginArrowheadStyle = %d"), Lbool, Obj, Int, Int, Int) \
                                              /* Sets the begin arrowhead's length `n1`, width `n2` and style `n3`; stops at \
                                                 the first failure. */ \
  M(One, PPT_Line_SetEndArrowStyle,   put,    in_a_row(L".Line.EndArrowheadLength = %d", L".Line.EndArrowheadWidth = %d", \
                                                       L".Line.EndArrowheadStyle = %d"), Lbool, Obj, Int, Int, Int) \
                                              /* Sets the end arrowhead's length `n1`, width `n2` and style `n3`; stops at \
                                                 the first failure. */ \
  M(One, PPT_Line_SetForeColor,       put,    L".Line.ForeColor.RGB = %d",              Lbool, Obj, Int) \
  M(One, PPT_Line_SetBackColor,       put,    L".Line.BackColor.RGB = %d",              Lbool, Obj, Int) \
  M(One, PPT_Line_SetPattern,         put,    L".Line.Pattern = %d",                    Lbool, Obj, Int) \
  M(One, PPT_Line_SetStyle,           put,    L".Line.Style = %d",                      Lbool, Obj, Int) \
  M(One, PPT_Line_SetTransparency,    put,    mapped(L".Line.Transparency = %e", fraction), Lbool, Obj, Int) \
                                              /* Sets the line's transparency to `n` percent. */ \
  M(One, PPT_Line_SetWeight,          put,    L".Line.Weight = %d",                     Lbool, Obj, Int)
/* clang-format on */

#ifdef __cplusplus
extern "C" {
#endif

XPPT_MEMBERS(TARVO_MEMBER_DECLARE)

/* Reads left, top, width, height (points) into the non-null out-pointers in that order; 1, or 0 at the first failed read. */
TARVO_API int32_t PPT_Shape_GetPos(xComObject shape, double *left, double *top, double *width, double *height);

#ifdef __cplusplus
}
#endif
#endif
