-- Excel functions beyond their rows (the C tests check those): column letters, argument types, defaults.

test("column letters and numbers round trip, saturate and refuse other types", function()
  for n = 1, 16384 do
    local letters = T.Excel_GetFieldTitle(n)
    if T.Excel_GetFieldIndex(letters) ~= n then error("column " .. n .. " came back as " .. letters) end
  end
  local max = 2147483647
  for _, c in ipairs({{"ab", 28}, {"XFD", 16384}, {"FXSHRXW", max}, {"FXSHRXX", max}, {string.rep("Z", 40), max},
                      {"", 0}, {5, 0}, {{}, 0}}) do
    eq(T.Excel_GetFieldIndex(c[1]), c[2], tostring(c[1]))
  end
  eq(T.Excel_GetFieldIndex(nil) .. T.Excel_GetFieldTitle(max) .. T.Excel_GetFieldTitle(math.maxinteger),
     "0FXSHRXWCRPXNLSKVLJFHG")
  for _, n in ipairs({0, -27, "x"}) do eq(T.Excel_GetFieldTitle(n), "", n) end
end)

test("flags take booleans and numbers, integers are cut to 32 bits, optional arguments take defaults", function()
  local app = T.Excel_Create()
  ok(app ~= 0, "the stand-in is registered")
  local book = T.Excel_NewBook(app)
  local sheet = T.Excel_Book_GetSheet_Index(book, 1)
  local function journal()
    local text = T.COM_GetW(1, app, "._Journal")
    T.COM_CallW(app, "._ClearJournal()")
    return text
  end
  finally(function()
    for _, object in ipairs({sheet, book}) do T.COM_Release(object) end
    T.Excel_Quit(app)
    T.COM_Release(app)
  end, function()
    journal()
    for _, flag in ipairs({true, false, 2, 0}) do T.Excel_DisplayAlerts(app, flag) end
    eq(T.Excel_Book_Saved(book, true), true)
    eq(journal(), "put DisplayAlerts()=BOOL:-1\nput DisplayAlerts()=BOOL:0\nput DisplayAlerts()=BOOL:-1\n" ..
       "put DisplayAlerts()=BOOL:0\nput Saved()=BOOL:-1\n")
    eq(T.Excel_Sheet_SetCellNumber(sheet, 1, 1, 3.75) and T.Excel_Sheet_SetCellInt(sheet, 1, 2, 0x100000007), true)
    eq(T.Excel_Sheet_GetCellInt(sheet, 1, 1) .. T.Excel_Sheet_GetCellNumber(sheet, 1, 2), "47.0", "the low 32 bits")
    -- The active book by name or index; nothing is sent for other types.
    eq(T.Excel_SetActiveBook(app, "Book1") and T.Excel_SetActiveBook(app, 1), true)
    eq(T.Excel_SetActiveBook(app, "nope"), false)
    journal()
    eq(T.Excel_SetActiveBook(app, {}) or T.Excel_SetActiveBook(app, true), false)
    eq(journal(), "")
    T.Excel_OpenBook(app, "missing.xlsx")
    T.Excel_Book_SaveAs(book, "?x")
    T.Excel_Sheet_CellPaste(sheet, 1, 1)
    T.Excel_Sheet_CellPasteS(sheet, "A1")
    T.Excel_Sheet_DeleteRangeS(sheet, "A1")
    T.Excel_Book_Close(book)
    eq(journal(), "get Workbooks()\nget Open(BSTR:missing.xlsx,I4:0,BOOL:0)\ncall SaveAs(BSTR:?x,I4:51)\n" ..
       "get Cells(I4:1,I4:1)\ncall PasteSpecial(I4:-4104)\nget Range(BSTR:A1)\ncall PasteSpecial(I4:-4104)\n" ..
       "get Range(BSTR:A1)\ncall Delete(I4:-4162)\ncall Close(BOOL:0)\n")
  end)
end)
