-- The Excel functions a script sees beyond their rows (checked with the C
-- tests): column letters, argument types, argument counts. Against the
-- stand-in spreadsheet server, registered by the test set-up.
local T = require "TARVO"

local function with_sheet(name, fn)
  test(name, function()
    local app = T.Excel_Create()
    ok(app ~= 0, "the stand-in is registered")
    local book = T.Excel_NewBook(app)
    local sheet = T.Excel_Book_GetSheet_Index(book, 1)
    T.COM_CallW(app, "._ClearJournal()")
    local success, err = pcall(fn, app, book, sheet)
    T.COM_Release(sheet)
    T.COM_Release(book)
    T.Excel_Quit(app)
    T.COM_Release(app)
    if not success then error(err, 0) end
  end)
end

local function journal(app)
  local text = T.COM_GetW(1, app, "._Journal")
  T.COM_CallW(app, "._ClearJournal()")
  return text
end

test("column letters and numbers round trip", function()
  for n = 1, 16384 do
    local letters = T.Excel_GetFieldTitle(n)
    if T.Excel_GetFieldIndex(letters) ~= n then error("column " .. n .. " came back as " .. letters) end
  end
  for letters, n in pairs({A = 1, Z = 26, AA = 27, AZ = 52, ab = 28, ZZ = 702, AAA = 703, XFD = 16384}) do
    eq(T.Excel_GetFieldIndex(letters), n, letters)
  end
  eq(T.Excel_GetFieldTitle(28), "AB")
  eq(T.Excel_GetFieldTitle(703), "AAA")
  eq(T.Excel_GetFieldIndex(""), 0)
end)

test("column letters at the edges", function()
  eq(T.Excel_GetFieldIndex(nil), 0, "nil")
  eq(T.Excel_GetFieldIndex(5), 0, "a number is not letters")
  eq(T.Excel_GetFieldIndex({}), 0, "a table")
  eq(T.Excel_GetFieldIndex("FXSHRXW"), 2147483647, "the largest that fits")
  eq(T.Excel_GetFieldIndex("FXSHRXX"), 2147483647, "one beyond saturates")
  eq(T.Excel_GetFieldIndex(string.rep("Z", 40)), 2147483647, "far beyond saturates")
  eq(T.Excel_GetFieldTitle(2147483647), "FXSHRXW")
  eq(T.Excel_GetFieldTitle(0), "")
  eq(T.Excel_GetFieldTitle(-27), "")
  eq(T.Excel_GetFieldTitle("x"), "")
  eq(T.Excel_GetFieldTitle(math.maxinteger), "CRPXNLSKVLJFHG")
end)

with_sheet("flags take booleans and numbers", function(app, book, sheet)
  T.Excel_DisplayAlerts(app, true)
  T.Excel_DisplayAlerts(app, false)
  T.Excel_DisplayAlerts(app, 2)
  T.Excel_DisplayAlerts(app, 0)
  T.Excel_Visible(app, 1)
  eq(T.Excel_Book_Saved(book, true), true)
  eq(journal(app), "put DisplayAlerts()=BOOL:-1\nput DisplayAlerts()=BOOL:0\nput DisplayAlerts()=BOOL:-1\n" ..
     "put DisplayAlerts()=BOOL:0\nput Visible()=BOOL:-1\nput Saved()=BOOL:-1\n")
end)

with_sheet("integers come as integers and are cut to 32 bits", function(app, book, sheet)
  eq(T.Excel_Sheet_SetCellNumber(sheet, 1, 1, 3.75), true)
  eq(T.Excel_Sheet_GetCellInt(sheet, 1, 1), 4)
  eq(T.Excel_Sheet_SetCellInt(sheet, 1, 2, 0x100000007), true, "the low 32 bits")
  eq(T.Excel_Sheet_GetCellNumber(sheet, 1, 2), 7.0)
  eq(T.Excel_Sheet_GetCellNumber(sheet, 9, 9), 0.0)
  eq(T.Excel_Sheet_InsertRow(sheet, 1), 1)
end)

with_sheet("the active book by name or index, nothing for other types", function(app, book, sheet)
  eq(T.Excel_SetActiveBook(app, "Book1"), true)
  eq(T.Excel_SetActiveBook(app, 1), true)
  eq(T.Excel_SetActiveBook(app, "nope"), false)
  journal(app)
  eq(T.Excel_SetActiveBook(app, {}), false)
  eq(T.Excel_SetActiveBook(app, true), false)
  eq(journal(app), "")
end)

test("argument counts", function()
  raises("param count error !", T.Excel_Create, 1)
  raises("param count error !", T.Excel_Visible, 1)
  raises("param count error !", T.Excel_OpenBook, 1)
  raises("param count error !", T.Excel_OpenBook, 1, "a", false, 4)
  raises("param count error !", T.Excel_GetBook_Index, 1, 2, 3, 4)
  raises("param count error !", T.Excel_SetActiveBook, 1)
  raises("param count error !", T.Excel_Sheet_SetPageSetup, 1, 2, 3, 4, 5, 6, 7, 8)
  raises("param count error !", T.Excel_Sheet_DeleteRange, 1, 2, 3, 4)
  raises("param count error !", T.Excel_CheckFile)
  raises("param count error !", T.Excel_GetFieldIndex)
  raises("param count error !", T.Excel_GetFieldTitle, 1, 2)
  eq(T.Excel_GetBook_Index(0, 1, "spare"), 0)
  eq(T.Excel_Sheet_GetCellText(0, 1, 1), "")
end)

with_sheet("optional arguments take their defaults", function(app, book, sheet)
  T.Excel_OpenBook(app, "missing.xlsx")
  T.Excel_Book_SaveAs(book, "?x")
  T.Excel_Sheet_CellPaste(sheet, 1, 1)
  T.Excel_Sheet_CellPasteS(sheet, "A1")
  T.Excel_Sheet_DeleteRangeS(sheet, "A1")
  T.Excel_Book_Close(book)
  eq(journal(app), "get Workbooks()\nget Open(BSTR:missing.xlsx,I4:0,BOOL:0)\ncall SaveAs(BSTR:?x,I4:51)\n" ..
     "get Cells(I4:1,I4:1)\ncall PasteSpecial(I4:-4104)\nget Range(BSTR:A1)\ncall PasteSpecial(I4:-4104)\n" ..
     "get Range(BSTR:A1)\ncall Delete(I4:-4162)\ncall Close(BOOL:0)\n")
end)
